#include "app/WindowDefaults.h"

namespace saftpt {

namespace {

std::string SemBrancos(const std::string& text) {
  const char* blanks = " \t\r\n";
  size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

}  // namespace

PeriodoInicial DefaultExportPeriod(const DateTime& today) {
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

bool ReadWholeNumber(const std::string& raw, long long& value) {
  std::string text = SemBrancos(raw);
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

bool ValidFiscalYear(const std::string& text, int& year) {
  long long v = 0;
  if (!ReadWholeNumber(text, v) || v <= 1990 || v >= 2040) return false;
  year = static_cast<int>(v);
  return true;
}

}  // namespace saftpt
