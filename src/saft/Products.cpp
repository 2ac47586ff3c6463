// Placeholder: replaced by the real implementation.
#include "saft/clsSAFT.h"

#include "config/Error.h"

namespace saftpt {

void clsSAFT::AddProducts(XmlNode) { throw Error(Error::kBuilder, "não implementado"); }
std::string clsSAFT::CategoriaProduto(const std::string&) { throw Error(Error::kBuilder, "não implementado"); }
std::string clsSAFT::GetProductDescription(const std::string&) { throw Error(Error::kBuilder, "não implementado"); }

}  // namespace saftpt
