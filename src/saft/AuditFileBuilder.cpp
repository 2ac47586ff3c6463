// The frame of the audit file: the root and its namespaces, the order of the
// sections, and the saving.
#include "saft/AuditFileBuilder.h"

#include "saft/Customers.h"
#include "saft/Header.h"
#include "saft/Products.h"
#include "saft/SourceDocuments.h"
#include "saft/TaxTable.h"

namespace saftpt {

namespace {

constexpr const char* kXsiNamespace = "http://www.w3.org/2001/XMLSchema-instance";

}  // namespace

AuditFileBuilder::AuditFileBuilder(Database& db, const ConfiguracaoEscritorio& office,
                                   const ExportOptions& options, ProgressSink& progress,
                                   ExemptionResolver& resolver)
    : ctx_(db, office, options, progress, resolver) {}

void AuditFileBuilder::Build() {
  ctx_.progress.StartProgress(kProgressSteps);

  const std::string ns = AuditFileNamespace(ctx_.options.schema);
  doc_.SetEncoding("Windows-1252");
  if (!ctx_.options.outputPath.empty()) doc_.StreamTo(ctx_.options.outputPath);
  XmlNode root = doc_.Root();
  root.SetTag("AuditFile");
  root.AddAttribute("xmlns", ns);
  root.AddAttribute("xmlns:xsi", kXsiNamespace);

  {
    // The sections' statements are queued first. The run's own statements
    // have its connection until the sections begin; a second connection of
    // the view, when there is one, answers the sections' statements already,
    // while the master files are written. The look-ups the sections make are
    // read with the master files.
    OwnStatementsFirst ownFirst(ctx_.db);
    QueueSection(ctx_, kSalesInvoices);
    QueueSection(ctx_, kWorkingDocuments);
    if (ctx_.settings.sendsReceipts) QueueSection(ctx_, kPayments);

    WriteHeader(ctx_, root);
    XmlNode master = root.NewChild("MasterFiles", "");
    master.AddAttribute("xmlns", ns);
    WriteCustomers(ctx_, master);
    WriteProducts(ctx_, master);
    WriteTaxTable(ctx_, master);
    ctx_.ReadSeries();
    ReadHonorarios(ctx_);
  }

  XmlNode source = root.NewChild("SourceDocuments", "");
  WriteSalesInvoices(ctx_, source);
  WriteWorkingDocuments(ctx_, source);
  if (ctx_.settings.sendsReceipts) WritePayments(ctx_, source);
}

void AuditFileBuilder::Save() {
  doc_.SaveToFile(ctx_.options.outputPath);
}

}  // namespace saftpt
