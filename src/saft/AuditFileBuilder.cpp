// The frame of the audit file: the root and its namespaces, the order of the
// sections, and the saving.
#include "saft/AuditFileBuilder.h"

#include "saft/Customers.h"
#include "saft/Header.h"
#include "saft/OfficeSettings.h"
#include "saft/Products.h"
#include "saft/SourceDocuments.h"
#include "saft/TaxTable.h"
#include "saft/ValueFormat.h"

namespace saftpt {

namespace {

constexpr const char* kXsiNamespace = "http://www.w3.org/2001/XMLSchema-instance";

}  // namespace

AuditFileBuilder::AuditFileBuilder(Database& db, const ConfiguracaoEscritorio& office,
                                   const ExportOptions& options, ProgressSink& progress,
                                   ExemptionResolver& resolver)
    : ctx_(db, office, options, progress, resolver) {}

void AuditFileBuilder::Build() {
  ctx_.ReadOfficeSettings();
  ctx_.progress.StartProgress(kProgressSteps);

  const std::string ns = AuditFileNamespace(ctx_.options.versao);
  doc_.SetEncoding("Windows-1252");
  if (!ctx_.options.outputPath.empty()) doc_.StreamTo(ctx_.options.outputPath);
  root_ = doc_.Root();
  root_.SetTag("AuditFile");
  root_.AddAttribute("xmlns", ns);
  root_.AddAttribute("xmlns:xsi", kXsiNamespace);

  WriteHeader(ctx_, root_);

  XmlNode master = root_.NewChild("MasterFiles", "");
  master.AddAttribute("xmlns", ns);
  WriteCustomers(ctx_, master);
  WriteProducts(ctx_, master);
  WriteTaxTable(ctx_, master);

  XmlNode source = root_.NewChild("SourceDocuments", "");
  WriteSalesInvoices(ctx_, source);
  WriteWorkingDocuments(ctx_, source);
  if (SendsReceipts(ctx_)) WritePayments(ctx_, source);
}

// The payments section's totals were written before its lines; the lines'
// rounded sums are what the tax authority checks them against.
void AuditFileBuilder::Save() {
  const PaymentTotals& t = ctx_.paymentTotals;
  auto rewrite = [this](const char* tag, double value) {
    root_.MoveToChild("SourceDocuments");
    root_.MoveToChild("Payments");
    root_.UpdateChildContent(tag, FormatNumber(value, 2));
    root_.MoveToRoot();
  };
  if (t.linesCredit != t.writtenCredit) rewrite("TotalCredit", t.linesCredit);
  if (t.linesDebit != t.writtenDebit) rewrite("TotalDebit", t.linesDebit);
  // The summary shows what the file holds.
  ctx_.summary.receipts.credit = t.linesCredit;
  ctx_.summary.receipts.debit = t.linesDebit;
  doc_.SaveToFile(ctx_.options.outputPath);
}

}  // namespace saftpt
