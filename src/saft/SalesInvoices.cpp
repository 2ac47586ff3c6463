// The sales documents' elements, their lines and withholding.
#include "saft/SalesInvoices.h"

#include "saft/Customers.h"
#include "saft/DocumentCommon.h"
#include "saft/DocumentLines.h"
#include "saft/ExemptionCheck.h"
#include "saft/OfficeSettings.h"
#include "saft/SectionReads.h"
#include "saft/ValueFormat.h"

namespace saftpt {

namespace {

bool IsEntry(const std::string& tipodoc) {
  return tipodoc == "F" || tipodoc == "FA" || tipodoc == "FR" || tipodoc == "FS" ||
         tipodoc == "ND" || tipodoc == "NC";
}

// The file's invoice type; "FA" documents are reported as invoice-receipts.
const char* InvoiceType(const std::string& tipodoc) {
  if (tipodoc == "F") return "FT";
  if (tipodoc == "FR" || tipodoc == "FA") return "FR";
  if (tipodoc == "FS") return "FS";
  if (tipodoc == "ND") return "ND";
  if (tipodoc == "NC") return "NC";
  return nullptr;
}

}  // namespace

std::string SalesInvoicesSql(const RunContext& ctx) {
  return "select * from documentos where (tipodoc IN ('F','FA','FR','FS','ND','NC')   AND "
         "Serie<>'tmp' and data>='" +
         ctx.PeriodStart() + "' and data<='" + ctx.PeriodEnd() + "') " + ctx.DocumentRestriction();
}

void WriteSalesInvoices(RunContext& ctx, XmlNode sourceDocuments) {
  using namespace documentos;
  const std::string documentos = SalesInvoicesSql(ctx);
  OpenedSection section =
      OpenSection(ctx, sourceDocuments, kSalesInvoicesStep, documentos, "SalesInvoices", IsEntry);
  Recordset& rs = section.documents;

  // Cannot change during a run.
  const bool certificada = IsCertified(ctx);
  // 1.04_01 also wants the zero-amount lines that carry a VAT rate.
  SectionRead read;
  read.columns = LineColumns(ctx.options.versao);
  read.filter = ctx.V103() ? "documentoslinhas.valorliquido<>0"
                           : "documentoslinhas.valorliquido<>0 or "
                             "(documentoslinhas.valorliquido=0 and documentoslinhas.iva<>0)";
  read.retencaoFilter = "documentoslinhas.valorretencao>0";
  read.reasons = true;
  ReadSection(ctx, documentos, read);
  SectionTotals totais = SumSectionLines(ctx);
  AddSectionControl(section.element, section.entries, totais.Debit(), totais.Credit());
  ctx.summary.invoices = {section.entries, totais.Credit(), totais.Debit()};

  const LineTextWidths widths{ctx.V103() ? size_t{60} : size_t{200}, 60};
  long long progresso = 1;
  for (; !rs.eof(); rs.moveNext()) {
    ctx.progress.MostraProgressoDetalhe(++progresso);
    XmlNode invoice = section.element.NewChild("Invoice", "");
    const std::string tipodoc = rs.text("tipodoc");
    AddValor(invoice, "InvoiceNo", DocumentNumber(rs));
    if (ctx.options.versao >= 4)
      AddValor(invoice, "ATCUD", ctx.AtcudText(rs.field("ATCUD"), DocumentNumber(rs)));
    AddDocumentStatus(invoice, rs, "InvoiceStatus", "InvoiceStatusDate", "SourceBilling");
    AddHash(invoice, rs, certificada);
    AddValor(invoice, "Period", Period(rs));
    AddValor(invoice, "InvoiceDate", DocumentDate(rs));
    if (const char* tipo = InvoiceType(tipodoc)) AddValor(invoice, "InvoiceType", tipo);
    XmlNode regimes = invoice.NewChild("SpecialRegimes", "");
    AddValor(regimes, "SelfBillingIndicator", "0");
    AddValor(regimes, "CashVATSchemeIndicator",
             std::to_string(SerieIvaCaixa(ctx, rs.text("serie"))));
    AddValor(regimes, "ThirdPartiesBillingIndicator", "0");
    AddValor(invoice, "SourceID", "DESCONHECIDO");
    AddValor(invoice, "SystemEntryDate", SystemEntryDate(rs));

    AddValor(invoice, "CustomerID",
             DocumentCustomerId(ctx, rs.field("CodCliente"), rs.text("NContribuinteCliente")));

    // Checked first, so the lines are read with any correction made.
    CheckDocumentReasons(ctx, rs);
    AddDocumentLines(ctx, invoice, rs, widths);
    AddDocumentTotals(invoice, rs, true);
    AddDocumentRetencoes(ctx, invoice, rs);
  }
  rs.close();
}

}  // namespace saftpt
