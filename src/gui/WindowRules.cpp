#include "gui/WindowRules.h"

#include <cstdint>

namespace saftpt::gui {

namespace {

std::string Trim(const std::string& text) {
  const char* blanks = " \t\r\n";
  size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

// Digits only, with an optional leading sign; false when too long to matter.
bool ParseWhole(const std::string& raw, long long& value) {
  std::string text = Trim(raw);
  size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  if (pos == text.size()) return false;
  long long v = 0;
  for (; pos < text.size(); ++pos) {
    char c = text[pos];
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
    if (v > (1LL << 40)) return false;
  }
  value = negative ? -v : v;
  return true;
}

}  // namespace

PeriodoInicial PeriodoPorOmissao(const DateTime& today) {
  PeriodoInicial p;
  int year = today.year;
  int month = today.month - 1;
  if (month < 1) {
    month = 12;
    --year;
  }
  p.exercicio = year;
  p.inicio = DateTime::Date(year, month, 1);
  p.fim = DateTime::Date(year, month, p.inicio.DaysInMonth());
  return p;
}

bool ExercicioValido(const std::string& text, int& year) {
  long long v = 0;
  if (!ParseWhole(text, v) || v <= 1990 || v >= 2040) return false;
  year = static_cast<int>(v);
  return true;
}

bool NumeroInteiro(const std::string& text, long long& value) {
  long long v = 0;
  if (!ParseWhole(text, v) || v < INT32_MIN || v > INT32_MAX) return false;
  value = v;
  return true;
}

ArgumentosGui LeArgumentos(const std::vector<std::string>& args) {
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
