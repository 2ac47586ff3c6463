// The run's shared state, the office's settings it reads once, and the pieces
// of statements and text every section takes from it.
#include "saft/RunContext.h"

#include <set>

#include "base/Error.h"
#include "base/Utf8.h"
#include "saft/DocumentKinds.h"
#include "saft/ValueFormat.h"

namespace saftpt {

namespace {

// The cash-basis VAT flag of the rows `sql` selects: the first row's, 0
// without rows.
int IvaCaixa(Database& db, const std::string& sql) {
  Recordset rs = db.Execute(sql);
  return !rs.Eof() && rs.Field("Ivacaixa").Boolean("IvaCaixa") ? 1 : 0;
}

RunSettings ReadSettings(Database& db, const ExportOptions& options) {
  RunSettings s;
  const std::set<std::string> columns = db.ColumnNames();
  auto has = [&columns](const char* column) { return columns.count(column) > 0; };
  s.hasTipoRetencao = has("documentoslinhas.tiporetencao");
  s.hasSerieIvaCaixa = has("series.ivacaixa");
  s.acceptedReasons = options.motivos.Accepted(options.start);
  s.clienteIndiferenciado =
      db.ReadValue("ClienteIndiferenciado", "configescritorio", "", Value("")).Text();
  // Older databases have no "OC1" column: their quotations are not signed.
  if (has("configescritorio.oc1"))
    s.orcamentosAssinados =
        db.ReadValue("OC1", "configescritorio", "", Value()).Boolean("configescritorio.OC1");
  s.certified = db.ReadValue("OC", "configescritorio", "", Value("0")).Integer("OC") != 0;
  // Offices on cash-basis VAT must always send their receipts; older
  // databases have no such flag.
  s.sendsReceipts = options.receipts || (has("configescritorio.ivacaixa") &&
                                         IvaCaixa(db, "select IvaCaixa from configescritorio"));
  return s;
}

}  // namespace

RunContext::RunContext(Database& db, const ConfiguracaoEscritorio& office,
                       const ExportOptions& options, ProgressSink& progress,
                       ExemptionResolver& resolver)
    : db(db),
      office(office),
      options(options),
      settings(ReadSettings(db, options)),
      progress(progress),
      resolver(resolver) {}

void RunContext::ReadSeries() {
  if (reads.serieIvaCaixa) return;
  reads.serieIvaCaixa.emplace();
  if (!settings.hasSerieIvaCaixa) return;
  for (Recordset rs = db.Execute("select serie, IvaCaixa from series"); !rs.Eof(); rs.MoveNext())
    reads.serieIvaCaixa->emplace(rs.Field(size_t{0}).Text(),
                                 rs.Field(1).Boolean("IvaCaixa") ? 1 : 0);
}

int RunContext::SerieIvaCaixa(const std::string& serie) {
  ReadSeries();
  auto& series = *reads.serieIvaCaixa;
  auto it = series.find(serie);
  if (it != series.end()) return it->second;
  int valor = 0;
  if (settings.hasSerieIvaCaixa)
    valor = IvaCaixa(db, "select IvaCaixa from series where serie='" + db.Escape(serie) + "'");
  series[serie] = valor;
  return valor;
}

// The period's last day is taken whole, so that documents stored with a time
// of day (DATETIME columns) are included.
std::string RunContext::DocumentsOfPeriod(const std::string& kinds, bool restricted) const {
  std::string restricao =
      restricted ? RestricoesCondition(options.restrictions, "documentos", db) : "";
  return "select * from documentos where (" + kinds + " AND Serie<>'tmp' and data>='" +
         FormatDate(options.start) + "' and data<='" + FormatDate(options.end) + " 23:59:59') " +
         (restricao.empty() ? restricao : " and " + restricao);
}

// A document without its ATCUD in a file that needs one would be rejected by
// the tax authority: stop rather than write an empty code.
std::string RunContext::AtcudText(const Value& atcud, const std::string& documentNumber) const {
  if (FormatDate(options.today) < kAtcudRequiredFrom) return "0";
  if (atcud.IsNull() || Trim(atcud.Text()).empty())
    throw Error(Error::kData, "ATCUD em falta no documento " + documentNumber);
  return atcud.Text();
}

}  // namespace saftpt
