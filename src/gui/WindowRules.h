// The export window's rules that need no widgets: the whole numbers of a
// restriction and the command line (the default period and the fiscal-year
// check are in app/WindowDefaults.h).
#ifndef SAFTPT_GUI_WINDOWRULES_H_
#define SAFTPT_GUI_WINDOWRULES_H_

#include <optional>
#include <string>
#include <vector>

#include "app/WindowDefaults.h"

namespace saftpt::gui {

// A restriction's first or last number: a whole number (blanks around it and
// a sign allowed) that fits 32 bits, as the document numbers do.
bool ReadInt32(const std::string& text, long long& value);

// What the program's command line asks for.
struct ArgumentosGui {
  std::string settingsPath;         // --settings FILE; empty: lexora.ini beside the program
  bool restricao = false;           // the rest of the line is exactly "/restricao"
  std::optional<std::string> erro;  // why the line cannot be used, when it cannot
};
// `args` are the arguments after the program's name.
ArgumentosGui ReadArguments(const std::vector<std::string>& args);

}  // namespace saftpt::gui

#endif  // SAFTPT_GUI_WINDOWRULES_H_
