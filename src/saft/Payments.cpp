// Placeholder: replaced by the real implementation.
#include "saft/clsSAFT.h"

#include "config/Error.h"

namespace saftpt {

void clsSAFT::AddPayments(XmlNode) { throw Error(Error::kBuilder, "não implementado"); }

}  // namespace saftpt
