// Placeholder: replaced by the real implementation.
#include "config/Settings.h"

#include "config/Error.h"

namespace saftpt {

bool LeIni(const std::string&, const std::string&, const std::string&, std::string&) { throw Error(Error::kBuilder, "não implementado"); }
void EscreveIni(const std::string&, const std::string&, const std::string&, const std::string&, void (*)(const std::string&)) { throw Error(Error::kBuilder, "não implementado"); }
std::string Desencripta(const std::string&) { throw Error(Error::kBuilder, "não implementado"); }
std::string Encripta(const std::string&) { throw Error(Error::kBuilder, "não implementado"); }
ConnectionSettings LeLigacaoIni(const std::string&) { throw Error(Error::kBuilder, "não implementado"); }
std::string PastaDoPrograma() { throw Error(Error::kBuilder, "não implementado"); }

}  // namespace saftpt
