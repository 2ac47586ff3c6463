// Placeholder: replaced by the real implementation.
#include "saft/clsSAFT.h"

#include "config/Error.h"

namespace saftpt {

void clsSAFT::AddInvoices(XmlNode) { throw Error(Error::kBuilder, "não implementado"); }
bool clsSAFT::Certificada() { throw Error(Error::kBuilder, "não implementado"); }
int clsSAFT::SerieIvaCaixa(const std::string&) { throw Error(Error::kBuilder, "não implementado"); }
int clsSAFT::EmpresaIvaCaixa() { throw Error(Error::kBuilder, "não implementado"); }

}  // namespace saftpt
