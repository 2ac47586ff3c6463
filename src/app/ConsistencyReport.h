// The consistency report ("Verificar Erros"): two read-only checks of the
// period's receipts and the documents they pay.
#ifndef SAFTPT_APP_CONSISTENCYREPORT_H_
#define SAFTPT_APP_CONSISTENCYREPORT_H_

#include <string>

#include "config/Database.h"
#include "config/DateTime.h"

namespace saftpt {

struct RelatorioConsistencia {
  std::string recibos;  // the first box's text
  std::string faturas;  // the second box's text
  bool errosRecibos = false;
  bool errosFaturas = false;
  bool encontrouErros() const { return errosRecibos || errosFaturas; }
};

// Check 1: receipt lines whose net value is not the paid share of the paid
// document's net value. `decimalSeparator` is the user's regional one.
std::string VerificaRecibos(Database& db, const DateTime& start, const DateTime& end,
                            char decimalSeparator, bool& encontrou);
// Check 2: documents paid for more than their total.
std::string VerificaFaturas(Database& db, const DateTime& start, const DateTime& end,
                            char decimalSeparator, bool& encontrou);
// Both checks. A failing query throws Error with the database's message.
RelatorioConsistencia VerificaErros(Database& db, const DateTime& start, const DateTime& end,
                                    char decimalSeparator);

}  // namespace saftpt

#endif  // SAFTPT_APP_CONSISTENCYREPORT_H_
