// The consistency report ("Verificar Erros"): read-only checks of the
// period's receipts and the documents they pay, and of the numbering.
#ifndef SAFTPT_APP_CONSISTENCYREPORT_H_
#define SAFTPT_APP_CONSISTENCYREPORT_H_

#include <string>

#include "base/DateTime.h"
#include "db/Database.h"

namespace saftpt {

struct RelatorioConsistencia {
  std::string recibos;    // the first box's text
  std::string faturas;    // the second box's text
  std::string numeracao;  // the third box's text (app/NumberingReport.h)
  bool errosRecibos = false;
  bool errosFaturas = false;
  bool errosNumeracao = false;
  std::string aviso;  // "" or why the lists may not be one view of the office
  bool FoundErrors() const { return errosRecibos || errosFaturas || errosNumeracao; }
};

// Check 1: receipt lines whose net value is not the paid share of the paid
// document's net value. `decimalSeparator` is the user's regional one.
std::string CheckRecibos(Database& db, const DateTime& start, const DateTime& end,
                         char decimalSeparator, bool& encontrou);
// Check 2: documents paid for more than their total.
std::string CheckFaturas(Database& db, const DateTime& start, const DateTime& end,
                         char decimalSeparator, bool& encontrou);
// The three checks, reading one view of the office (config/ReadView.h). A
// failing query throws Error with the database's message.
RelatorioConsistencia CheckConsistency(Database& db, const DateTime& start, const DateTime& end,
                                       char decimalSeparator);

}  // namespace saftpt

#endif  // SAFTPT_APP_CONSISTENCYREPORT_H_
