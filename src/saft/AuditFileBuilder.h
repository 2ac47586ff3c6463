// The builder of one audit file: Build writes the whole element tree section
// by section (header, master files, source documents) and Save saves it. The
// summary's counts and totals stay readable afterwards.
#ifndef SAFTPT_SAFT_AUDITFILEBUILDER_H_
#define SAFTPT_SAFT_AUDITFILEBUILDER_H_

#include "config/OfficeConfig.h"
#include "db/Database.h"
#include "saft/ExemptionReasons.h"
#include "saft/ProgressSink.h"
#include "saft/RunContext.h"
#include "xml/XmlDocument.h"

namespace saftpt {

class AuditFileBuilder {
 public:
  AuditFileBuilder(Database& db, const ConfiguracaoEscritorio& office, const ExportOptions& options,
                   ProgressSink& progress, ExemptionResolver& resolver);

  // Writes the file's elements, streaming them to options.outputPath when
  // one is set.
  void Build();
  // Saves the file at options.outputPath.
  void Save();

  const ExportSummary& Summary() const { return ctx_.summary; }
  RunContext& Context() { return ctx_; }

 private:
  RunContext ctx_;
  XmlDocument doc_;
};

}  // namespace saftpt

#endif  // SAFTPT_SAFT_AUDITFILEBUILDER_H_
