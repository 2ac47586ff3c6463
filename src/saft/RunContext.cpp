// The run's shared state and the pieces of statements and text every section
// takes from it.
#include "saft/RunContext.h"

#include "base/Error.h"
#include "base/Utf8.h"
#include "saft/ValueFormat.h"

namespace saftpt {

namespace {

// Files made from this day on carry each document's ATCUD; before it the tax
// authority accepts "0".
constexpr DateTime kAtcudStart = DateTime{2023, 2, 1, 0, 0, 0};

}  // namespace

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

std::string RunContext::PeriodStart() const {
  return FormatDate(options.start);
}

std::string RunContext::PeriodEnd() const {
  return FormatDate(options.end) + " 23:59:59";
}

std::string RunContext::DocumentRestriction() const {
  std::string restricao = WhereRestricoesDocumentos(options.restrictions, "documentos", db);
  return restricao.empty() ? restricao : " and " + restricao;
}

// A document without its ATCUD in a file that needs one would be rejected by
// the tax authority: stop rather than write an empty code.
std::string RunContext::AtcudText(const Value& atcud, const std::string& documentNumber) const {
  if (options.today.DateOnly() < kAtcudStart) return "0";
  if (atcud.IsNull() || Trim(atcud.Text()).empty())
    throw Error(Error::kData, "ATCUD em falta no documento " + documentNumber);
  return atcud.Text();
}

}  // namespace saftpt
