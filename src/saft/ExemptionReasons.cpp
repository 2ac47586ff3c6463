// Placeholder: replaced by the real implementation.
#include "saft/ExemptionReasons.h"

#include "config/Error.h"

namespace saftpt {

const std::vector<std::string>& MotivosAceites(const DateTime&) { throw Error(Error::kBuilder, "não implementado"); }
const std::vector<std::string>& MotivosCodificados(const DateTime&) { throw Error(Error::kBuilder, "não implementado"); }
bool CodigoDescontinuado(const std::string&) { throw Error(Error::kBuilder, "não implementado"); }
MotivoIsencao SeparaMotivo(const std::string&) { throw Error(Error::kBuilder, "não implementado"); }
unsigned long long ExemptionFixer::UpdateDocument(const MotivoIsencao&) { throw Error(Error::kBuilder, "não implementado"); }
unsigned long long ExemptionFixer::UpdateAll(const MotivoIsencao&) { throw Error(Error::kBuilder, "não implementado"); }

}  // namespace saftpt
