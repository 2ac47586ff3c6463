// Placeholder: replaced by the real implementation.
#include "saft/clsSAFT.h"

#include "config/Error.h"

namespace saftpt {

void clsSAFT::Init_Motivos_Isencao() { throw Error(Error::kBuilder, "não implementado"); }
void clsSAFT::ValidaMotivosIsencaoIva(const Recordset&) { throw Error(Error::kBuilder, "não implementado"); }
void clsSAFT::ValidaMotivosIsencaoIvaPayments(const Recordset&) { throw Error(Error::kBuilder, "não implementado"); }
std::string clsSAFT::Get_CodMencao(const std::string&) { throw Error(Error::kBuilder, "não implementado"); }
bool clsSAFT::Exists_in_col(const std::string&, const std::vector<std::string>&) { throw Error(Error::kBuilder, "não implementado"); }
void clsSAFT::PedeCorrecao(const ExemptionCase&) { throw Error(Error::kBuilder, "não implementado"); }

}  // namespace saftpt
