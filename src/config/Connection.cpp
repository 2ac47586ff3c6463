// Placeholder: replaced by the real implementation.
#include "config/Connection.h"

#include "config/Error.h"

namespace saftpt {

bool AbreLigacao(Database&, const ConnectionSettings&, std::string&) { throw Error(Error::kBuilder, "não implementado"); }
bool AbreLigacaoIni(Database&, const std::string&, std::string&) { throw Error(Error::kBuilder, "não implementado"); }

}  // namespace saftpt
