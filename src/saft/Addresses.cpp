// Placeholder: replaced by the real implementation.
#include "saft/clsSAFT.h"

#include "config/Error.h"

namespace saftpt {

void clsSAFT::AddEndereco(XmlNode, const std::string&, const std::string&, const std::string&, const std::string&, const std::string&, const std::string&, const std::string&, const std::string&) { throw Error(Error::kBuilder, "não implementado"); }
void clsSAFT::AddEnderecoCliente(XmlNode, const std::string&, const std::string&, const std::string&, const std::string&, const std::string&, const std::string&) { throw Error(Error::kBuilder, "não implementado"); }
std::string clsSAFT::ExtractPostalCode(const std::string&) { throw Error(Error::kBuilder, "não implementado"); }
std::string clsSAFT::getEspacoFiscal() const { throw Error(Error::kBuilder, "não implementado"); }

}  // namespace saftpt
