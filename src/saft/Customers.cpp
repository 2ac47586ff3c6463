// Placeholder: replaced by the real implementation.
#include "saft/clsSAFT.h"

#include "config/Error.h"

namespace saftpt {

void clsSAFT::AddCustomers(XmlNode) { throw Error(Error::kBuilder, "não implementado"); }
std::string clsSAFT::GetCustomerID(const std::string&, const std::string&) { throw Error(Error::kBuilder, "não implementado"); }

}  // namespace saftpt
