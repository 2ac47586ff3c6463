// Placeholder: replaced by the real implementation.
#include "saft/clsSAFT.h"

#include "config/Error.h"

namespace saftpt {

void clsSAFT::AddTaxTable(XmlNode) { throw Error(Error::kBuilder, "não implementado"); }
std::string clsSAFT::GetTaxCode(double) const { throw Error(Error::kBuilder, "não implementado"); }
double clsSAFT::GetISPercentagem(const std::string&) { throw Error(Error::kBuilder, "não implementado"); }

}  // namespace saftpt
