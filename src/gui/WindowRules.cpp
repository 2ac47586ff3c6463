#include "gui/WindowRules.h"

#include "app/WindowDefaults.h"

#include <cstdint>

namespace saftpt::gui {

bool ReadInt32(const std::string& text, long long& value) {
  long long v = 0;
  if (!ReadWholeNumber(text, v) || v < INT32_MIN || v > INT32_MAX) return false;
  value = v;
  return true;
}

ArgumentosGui ReadArguments(const std::vector<std::string>& args) {
  ArgumentosGui a;
  std::vector<std::string> rest;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--settings") {
      if (i + 1 >= args.size()) {
        a.erro = "Falta o ficheiro depois de --settings";
        return a;
      }
      a.settingsPath = args[++i];
    } else if (arg.rfind("--settings=", 0) == 0) {
      a.settingsPath = arg.substr(11);
    } else {
      rest.push_back(arg);
    }
  }
  std::string line;
  for (const std::string& r : rest) line += (line.empty() ? "" : " ") + r;
  a.restricao = line == "/restricao";
  return a;
}

}  // namespace saftpt::gui
