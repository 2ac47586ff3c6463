// Placeholder: replaced by the real implementation.
#include "saft/clsSAFT.h"

#include "config/Error.h"

namespace saftpt {

void clsSAFT::Init_Paises() { throw Error(Error::kBuilder, "não implementado"); }
std::string clsSAFT::ProcuraPais(const std::string&) const { throw Error(Error::kBuilder, "não implementado"); }

}  // namespace saftpt
