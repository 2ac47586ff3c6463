// Placeholder: replaced by the real implementation.
#include "app/SchemaValidation.h"

#include "config/Error.h"

namespace saftpt {
std::string ValidationReport::Erro1006() const { throw Error(Error::kBuilder, "não implementado"); }
std::string SchemaPorOmissao() { throw Error(Error::kBuilder, "não implementado"); }
ValidationReport ValidaFicheiroSaft(const std::string&, const std::string&) {
  throw Error(Error::kBuilder, "não implementado");
}
}  // namespace saftpt
