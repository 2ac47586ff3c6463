// The export window's rules that need no widgets: the default period, the
// fiscal-year check, the whole numbers of a restriction and the command line.
#ifndef SAFTPT_GUI_WINDOWRULES_H_
#define SAFTPT_GUI_WINDOWRULES_H_

#include <string>
#include <vector>

#include "config/DateTime.h"

namespace saftpt::gui {

// The period the window starts with: the previous calendar month, and the
// fiscal year that contains it (in January, the previous year's December).
struct PeriodoInicial {
  int exercicio = 0;
  DateTime inicio;
  DateTime fim;
};
PeriodoInicial PeriodoPorOmissao(const DateTime& today);

// A fiscal year the window accepts: a whole number above 1990 and below 2040
// (blanks around it allowed). Sets `year` when it is.
bool ExercicioValido(const std::string& text, int& year);

// A restriction's first or last number: a whole number (blanks around it and
// a sign allowed) that fits 32 bits, as the document numbers do.
bool NumeroInteiro(const std::string& text, long long& value);

// What the program's command line asks for.
struct ArgumentosGui {
  std::string settingsPath;  // --settings FILE; empty: lexora.ini beside the program
  bool restricao = false;    // the rest of the line is exactly "/restricao"
  std::string erro;          // not empty when the line cannot be used
};
// `args` are the arguments after the program's name.
ArgumentosGui LeArgumentos(const std::vector<std::string>& args);

}  // namespace saftpt::gui

#endif  // SAFTPT_GUI_WINDOWRULES_H_
