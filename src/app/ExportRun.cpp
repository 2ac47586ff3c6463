// Placeholder: replaced by the real implementation.
#include "app/ExportRun.h"

#include "config/Error.h"

namespace saftpt {

std::string EnderecoPortal() { throw Error(Error::kBuilder, "não implementado"); }
ExportResult ExportRun::Executa(const ExportRequest&) { throw Error(Error::kBuilder, "não implementado"); }
std::string Resumo(const clsSAFT&, char) { throw Error(Error::kBuilder, "não implementado"); }
std::string PastaDoFicheiro(const std::string&) { throw Error(Error::kBuilder, "não implementado"); }

}  // namespace saftpt
