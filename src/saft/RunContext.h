// The state of one export that every section writer shares: where it reads,
// what it was asked and what the office's settings say (both fixed for the
// run), where it reports progress and exemption cases, the look-ups it reads
// once for the whole run, and the summary of what it has written.
#ifndef SAFTPT_SAFT_RUNCONTEXT_H_
#define SAFTPT_SAFT_RUNCONTEXT_H_

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/CompactTextSet.h"
#include "base/DateTime.h"
#include "config/OfficeConfig.h"
#include "db/Database.h"
#include "db/ReadView.h"
#include "saft/ExemptionReasons.h"
#include "saft/ExemptionTable.h"
#include "saft/ProgressSink.h"
#include "saft/ProgressSteps.h"
#include "saft/Restrictions.h"
#include "saft/SchemaVersion.h"

namespace saftpt {

// Everything an export takes from its front end.
struct ExportOptions {
  std::string fiscalYear;  // written as it stands into "FiscalYear"
  DateTime start;          // first day of the period (inclusive)
  DateTime end;            // last day of the period (inclusive)
  SchemaVersion schema = SchemaVersion::kV104;
  std::string comment;      // "HeaderComment" when not empty
  bool receipts = false;    // "Enviar recibos"
  Restricoes restrictions;  // document restrictions, in the order added
  DateTime today;           // the day of the run ("DateCreated", ATCUD switch)
  std::string outputPath;   // where Save writes the file
  ExemptionTable motivos;   // the exemption reasons, read by the front end
};

// One source-document section as the summary reports it.
struct SectionSummary {
  long long entries = 0;
  double credit = 0;
  double debit = 0;
};

// What the summary shows of a finished export.
struct ExportSummary {
  std::string nif;  // the office's, as written in the header
  SectionSummary invoices;
  SectionSummary quotations;
  SectionSummary receipts;
};

// What the office's settings say for the whole run, read before the first
// section. Columns older databases lack are looked for in the catalogue: a
// failing read stops the export, it never becomes a default in the file.
struct RunSettings {
  std::string clienteIndiferenciado;  // the walk-in customer's code
  bool orcamentosAssinados = false;   // quotations carry their signature
  bool certified = false;             // sales documents carry their signature
  bool sendsReceipts = false;         // the file carries the receipts
  std::vector<std::string> acceptedReasons;
  // Columns older databases lack: without TipoRetencao everything withheld
  // is IRS; without series.IvaCaixa no series is on cash-basis VAT.
  bool hasTipoRetencao = false;
  bool hasSerieIvaCaixa = false;
};

// A fee type as the lines look it up by reference.
struct Honorario {
  std::string referencia;  // "" when the reference is not in the catalogue
  std::string descricao;
};

// Look-ups read once per run: they cannot change during an export (the
// exemption dialog only rewrites the reasons of document lines).
struct RunReads {
  std::optional<std::map<std::string, int>> serieIvaCaixa;
  std::map<std::string, std::string> codMencao;
  // Whether a reason's text is accepted (IsAcceptedReason), by text.
  std::map<std::string, bool> reasonAccepted;
  std::optional<std::map<std::string, Honorario>> honorarios;
  // The tax numbers of more than one customer, with how many (the others
  // have one or none), and those of a text looked up alone.
  std::optional<std::map<std::string, long long>> customersByNif;
  // Every customer's tax number, by code; the codes looked up alone.
  std::optional<CompactTextSet> nifByCustomer;
  std::map<std::string, Value> nifOfCodeLookedUp;
  // The most memory the sets of every customer held at once, in bytes.
  size_t customerSetsBytes = 0;
};

struct RunContext {
  // Reads the office's settings for the run (RunSettings).
  RunContext(Database& db, const ConfiguracaoEscritorio& office, const ExportOptions& options,
             ProgressSink& progress, ExemptionResolver& resolver);

  bool V103() const { return options.schema == SchemaVersion::kV103; }
  // 1 when the series is on cash-basis VAT, 0 otherwise.
  int SerieIvaCaixa(const std::string& serie);
  // Reads every series' flag in one statement; a series whose code is not
  // one of them as stored is looked up alone, with the table's comparison.
  void ReadSeries();
  // The statement of the period's documents of the kinds `kinds` (a
  // KindsCondition), without its order: temporary series never and, when
  // `restricted`, only the restrictions' documents.
  std::string DocumentsOfPeriod(const std::string& kinds, bool restricted) const;
  // The "ATCUD" element's text: "0" before the ATCUD became compulsory (the
  // run's date).
  std::string AtcudText(const Value& atcud, const std::string& documentNumber) const;
  // Where the exemption dialog's corrections are written and read back: the
  // view's (db/ReadView.h), or db without one.
  Database& Corrections() { return view ? view->Corrections() : db; }
  // Whether that is another connection than the one the run reads through.
  bool CorrectsElsewhere() const { return view && view->GetKind() == ReadView::Kind::kSnapshot; }
  // Starts a section on the main bar.
  void ShowStep(const ProgressStep& step) { progress.ShowProgress(step.number, step.label); }

  Database& db;
  const ConfiguracaoEscritorio& office;
  const ExportOptions options;
  const RunSettings settings;
  ProgressSink& progress;
  ExemptionResolver& resolver;
  ReadView* view = nullptr;  // the run's consistent view, when it has one
  bool corrected = false;    // the exemption dialog has written a correction
  RunReads reads;

  ExportSummary summary;
};

}  // namespace saftpt

#endif  // SAFTPT_SAFT_RUNCONTEXT_H_
