// Placeholder: replaced by the real implementation.
#include "app/ConsistencyReport.h"

#include "config/Error.h"

namespace saftpt {
std::string VerificaRecibos(Database&, const DateTime&, const DateTime&, char, bool&) {
  throw Error(Error::kBuilder, "não implementado");
}
std::string VerificaFaturas(Database&, const DateTime&, const DateTime&, char, bool&) {
  throw Error(Error::kBuilder, "não implementado");
}
RelatorioConsistencia VerificaErros(Database&, const DateTime&, const DateTime&, char) {
  throw Error(Error::kBuilder, "não implementado");
}
}  // namespace saftpt
