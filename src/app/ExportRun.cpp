// The export run: the window's checks in their order, the builder, the
// summary and what follows a saved file.
#include "app/ExportRun.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include "BuildInfo.h"
#include "app/ExportPreChecks.h"
#include "base/Error.h"
#include "base/Utf8Path.h"
#include "db/ReadView.h"
#include "saft/AuditFileBuilder.h"
#include "saft/ValueFormat.h"

namespace saftpt {

namespace {

constexpr const char* kSobrepor = "Já existe um ficheiro com esse nome. Deseja sobrepôr?";
constexpr const char* kExportado = "Ficheiro exportado";
constexpr const char* kTituloExportado = "Exportação ficheiro SAFT-PT";

bool FicheiroExiste(const std::string& caminho) {
  std::error_code ec;
  return std::filesystem::exists(Utf8Path(caminho), ec);
}

}  // namespace

std::string PortalAddress() {
  return std::string("https://") + SAFTPT_PORTAL_HOST +
         "/jsp/loginRedirectForm.jsp?path=painelEmitente.action&partID=EFPF";
}

std::string FolderOf(const std::string& caminho) {
  size_t barra = caminho.rfind('/');
  if (barra == std::string::npos) return "";
  return caminho.substr(0, barra + 1);
}

std::string Resumo(const ExportSummary& summary, char decimalSeparator) {
  auto total = [decimalSeparator](double v) {
    return FormatNumberWithSeparator(v, 2, decimalSeparator);
  };
  std::string r;
  r += "NIF: " + summary.nif;
  r += "\r\nNºFacturas: " + std::to_string(summary.invoices.entries);
  r += "\r\nTotal Créditos: " + total(summary.invoices.credit);
  r += "\r\nTotal Débitos: " + total(summary.invoices.debit);
  r += "\r\nNºOrçamentos: " + std::to_string(summary.quotations.entries);
  r += "\r\nTotal Créditos: " + total(summary.quotations.credit);
  r += "\r\nTotal Débitos: " + total(summary.quotations.debit);
  r += "\r\nNºRecibos: " + std::to_string(summary.receipts.entries);
  r += "\r\nTotal Créditos: " + total(summary.receipts.credit);
  r += "\r\nTotal Débitos: " + total(summary.receipts.debit);
  return r;
}

ExportResult ExportRun::Run(const ExportRequest& request) {
  ExportResult result;
  const ExportOptions& options = request.options;
  try {
    if (std::optional<std::string> problem =
            CheckBeforeExport(db_, request.seriesSelected, options.start, options.end)) {
      dialogs_.Warn(*problem);
      return result;
    }
    // No file chosen: the user cancelled the save dialog.
    if (options.outputPath.empty() || options.outputPath == "*.xml") return result;
    if (FicheiroExiste(options.outputPath) && !dialogs_.Confirm(kSobrepor)) return result;

    // Every statement of the file reads one view of the office, which keeps
    // invoicing meanwhile; the view ends before the file is saved.
    ReadView view(db_, BillingTables(), ReadView::Readers::kTwo);
    AuditFileBuilder builder(db_, office_, options, progress_, resolver_);
    builder.Context().view = &view;
    builder.Build();
    view.End();
    builder.Save();

    result.written = true;
    result.warning = view.Warning();
    result.viewStatements = view.StatementCount();
    result.customerSetsBytes = builder.Context().reads.customerSetsBytes;
    result.summary = Resumo(builder.Summary(), request.decimalSeparator);
    if (!result.warning.empty()) result.summary += "\r\n" + result.warning;
  } catch (const std::exception& e) {
    // Not hidden: whatever stops the run (an Error of the program, or a
    // library's own failure) is shown, and nothing is reported written.
    dialogs_.ShowError(e.what());
    return result;
  }

  dialogs_.ShowSummary(result.summary);
  dialogs_.Inform(kExportado, kTituloExportado);
  // The file is saved by now; the shell never fails the export.
  std::string pasta = FolderOf(options.outputPath);
  shell_.OpenFolder(pasta.empty() ? "./" : pasta);
  if (request.openPortal) shell_.OpenUrl(PortalAddress());
  return result;
}

}  // namespace saftpt
