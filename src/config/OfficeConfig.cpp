// Placeholder: replaced by the real implementation.
#include "config/OfficeConfig.h"

#include "config/Error.h"

namespace saftpt {

void CarregaConfiguracao(Database&, ConfiguracaoEscritorio&) { throw Error(Error::kBuilder, "não implementado"); }

}  // namespace saftpt
