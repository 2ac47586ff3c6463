// The run's shared state and the pieces of statements and text every section
// takes from it.
#include "saft/RunContext.h"

#include "base/Error.h"
#include "base/Utf8.h"
#include "saft/DocumentKinds.h"
#include "saft/ValueFormat.h"

namespace saftpt {

RunContext::RunContext(Database& db, const ConfiguracaoEscritorio& office,
                       const ExportOptions& options, ProgressSink& progress,
                       ExemptionResolver& resolver)
    : db(db), office(office), options(options), progress(progress), resolver(resolver) {}

void RunContext::ReadOfficeSettings() {
  acceptedReasons = options.motivos.Accepted(options.start);
  clienteIndiferenciado =
      db.ReadValue("ClienteIndiferenciado", "configescritorio", "", Value("")).Text();
  // Older databases have no "OC1" column: their quotations are not signed.
  orcamentosAssinados = false;
  if (db.HasColumn("configescritorio", "OC1"))
    orcamentosAssinados =
        db.ReadValue("OC1", "configescritorio", "", Value()).Boolean("configescritorio.OC1");
}

// The period's last day is taken whole, so that documents stored with a time
// of day (DATETIME columns) are included.
std::string RunContext::DocumentsOfPeriod(const std::string& kinds, bool restricted) const {
  std::string restricao =
      restricted ? WhereRestricoesDocumentos(options.restrictions, "documentos", db) : "";
  return "select * from documentos where (" + kinds + " AND Serie<>'tmp' and data>='" +
         FormatDate(options.start) + "' and data<='" + FormatDate(options.end) + " 23:59:59') " +
         (restricao.empty() ? restricao : " and " + restricao);
}

// A document without its ATCUD in a file that needs one would be rejected by
// the tax authority: stop rather than write an empty code.
std::string RunContext::AtcudText(const Value& atcud, const std::string& documentNumber) const {
  if (FormatDate(options.today) < kInicioAtcudObrigatorio) return "0";
  if (atcud.IsNull() || Trim(atcud.Text()).empty())
    throw Error(Error::kData, "ATCUD em falta no documento " + documentNumber);
  return atcud.Text();
}

}  // namespace saftpt
