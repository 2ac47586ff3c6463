// Placeholder: replaced by the real implementation.
#include "saft/Restrictions.h"
#include "saft/clsSAFT.h"

#include "config/Error.h"

namespace saftpt {

std::string WhereRestricoesDocumentos(const Restricoes&, const std::string&, const Database&) { throw Error(Error::kBuilder, "não implementado"); }
clsRestricaoDocumento ParseRestricao(const std::string&) { throw Error(Error::kBuilder, "não implementado"); }

}  // namespace saftpt

namespace saftpt {
std::string clsSAFT::WhereRestricoesDocumentos(const std::string& Tabela) const {
  return saftpt::WhereRestricoesDocumentos(options_.restrictions, Tabela, db_);
}
}  // namespace saftpt
