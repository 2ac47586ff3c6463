// The export window's defaults and checks, shared by both front ends: the
// period an export starts with and the fiscal years it accepts.
#ifndef SAFTPT_APP_WINDOWDEFAULTS_H_
#define SAFTPT_APP_WINDOWDEFAULTS_H_

#include <string>

#include "base/DateTime.h"

namespace saftpt {

// The previous calendar month, and the fiscal year that contains it (in
// January, the previous year's December and that year).
struct PeriodoInicial {
  int exercicio = 0;
  DateTime inicio;
  DateTime fim;
};
PeriodoInicial DefaultExportPeriod(const DateTime& today);

// A fiscal year the window accepts: a whole number above 1990 and below 2040
// (blanks around it allowed). Sets `year` when it is.
bool ValidFiscalYear(const std::string& text, int& year);

// A whole number with an optional sign and blanks around it; false for
// anything else or a number too long to matter.
bool ReadWholeNumber(const std::string& text, long long& value);

}  // namespace saftpt

#endif  // SAFTPT_APP_WINDOWDEFAULTS_H_
