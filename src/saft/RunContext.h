// The state of one export that every section writer shares: where it reads,
// what it was asked, where it reports progress and exemption cases, what it
// reads once for the whole run, and the counts and totals it has written.
#ifndef SAFTPT_SAFT_RUNCONTEXT_H_
#define SAFTPT_SAFT_RUNCONTEXT_H_

#include <optional>
#include <string>
#include <vector>

#include "base/DateTime.h"
#include "config/OfficeConfig.h"
#include "db/Database.h"
#include "db/ReadView.h"
#include "saft/ExemptionReasons.h"
#include "saft/ExemptionTable.h"
#include "saft/ProgressSink.h"
#include "saft/ProgressSteps.h"
#include "saft/Restrictions.h"
#include "saft/RunReads.h"
#include "saft/SchemaVersion.h"

namespace saftpt {

// Everything an export takes from its front end.
struct ExportOptions {
  std::string fiscalYear;  // written as it stands into "FiscalYear"
  DateTime start;          // first day of the period (inclusive)
  DateTime end;            // last day of the period (inclusive)
  SchemaVersion schema = SchemaVersion::k1_04_01;
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

struct RunContext {
  RunContext(Database& db, const ConfiguracaoEscritorio& office, const ExportOptions& options,
             ProgressSink& progress, ExemptionResolver& resolver);

  // Reads what the sections need of the office's settings before they start:
  // the walk-in customer, whether quotations are signed, the accepted reasons.
  void ReadOfficeSettings();

  bool V103() const { return options.schema == SchemaVersion::k1_03_01; }
  // The statement of the period's documents of the kinds `kinds` (a
  // KindsCondition), without its order: temporary series never and, when
  // `restricted`, only the restrictions' documents.
  std::string DocumentsOfPeriod(const std::string& kinds, bool restricted) const;
  // The "ATCUD" element's text: "0" before 1 February 2023 (the run's date).
  std::string AtcudText(const Value& atcud, const std::string& documentNumber) const;
  // Where the exemption dialog's corrections are written and read back: the
  // view's (config/ReadView.h), or db without one.
  Database& Corrections() { return view ? view->Corrections() : db; }
  // Whether that is another connection than the one the run reads through.
  bool CorrectsElsewhere() const { return view && view->GetKind() == ReadView::Kind::kSnapshot; }
  // Starts a section on the main bar.
  void ShowStep(const ProgressStep& step) { progress.ShowProgress(step.number, step.label); }

  Database& db;
  const ConfiguracaoEscritorio& office;
  const ExportOptions options;
  ProgressSink& progress;
  ExemptionResolver& resolver;
  ReadView* view = nullptr;  // the run's consistent view, when it has one

  std::string clienteIndiferenciado;  // the walk-in customer's code
  bool orcamentosAssinados = false;   // quotations carry their signature
  std::vector<std::string> acceptedReasons;
  std::optional<bool> sendsReceipts;
  RunReads reads;

  ExportSummary summary;
};

}  // namespace saftpt

#endif  // SAFTPT_SAFT_RUNCONTEXT_H_
