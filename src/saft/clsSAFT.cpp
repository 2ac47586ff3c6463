// Placeholder: replaced by the real implementation.
#include "saft/clsSAFT.h"

#include "config/Error.h"

namespace saftpt {

clsSAFT::clsSAFT(Database& db, const ConfiguracaoEscritorio& office, const ExportOptions& options,
                 ProgressSink& progress, ExemptionResolver& resolver)
    : db_(db), office_(office), options_(options), progress_(progress), resolver_(resolver) {}
clsSAFT::~clsSAFT() {}
void clsSAFT::Init() { throw Error(Error::kBuilder, "não implementado"); }
void clsSAFT::Gravar() { throw Error(Error::kBuilder, "não implementado"); }
void clsSAFT::AddHeader(XmlNode) { throw Error(Error::kBuilder, "não implementado"); }
std::string clsSAFT::AtcudTexto(const Value&) const { throw Error(Error::kBuilder, "não implementado"); }

}  // namespace saftpt
