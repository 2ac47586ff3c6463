// The sales documents' elements, their lines and withholding.
#include "saft/SourceDocuments.h"

#include "saft/Customers.h"
#include "saft/DocumentCommon.h"
#include "saft/DocumentLines.h"
#include "saft/OfficeSettings.h"
#include "saft/SectionReads.h"
#include "saft/ValueFormat.h"

namespace saftpt {

namespace {

constexpr documentos::DocumentHeadTags kInvoiceTags{"InvoiceNo", "InvoiceStatus",
                                                    "InvoiceStatusDate", "InvoiceDate"};

}  // namespace

const documentos::SectionKind kSalesInvoices{kSalesInvoicesStep, "SalesInvoices",
                                             SourceSection::kSalesInvoices};

void WriteSalesInvoices(RunContext& ctx, XmlNode sourceDocuments) {
  using namespace documentos;
  OpenedSection section = OpenSection(ctx, sourceDocuments, kSalesInvoices);
  Recordset& rs = section.documents;

  // Cannot change during a run.
  const bool certificada = IsCertified(ctx);
  const CustomerRule customerRule = CustomerRuleOf(kSalesInvoices.section);
  // 1.04_01 also wants the zero-amount lines that carry a VAT rate.
  const std::string linhas = ctx.V103() ? "documentoslinhas.valorliquido<>0"
                                        : "documentoslinhas.valorliquido<>0 or "
                                          "(documentoslinhas.valorliquido=0 and "
                                          "documentoslinhas.iva<>0)";
  ctx.summary.invoices = ReadAndAddControl(
      ctx, section, DocumentLinesRead(ctx, linhas, "documentoslinhas.valorretencao>0"));

  const LineTextWidths widths{ctx.V103() ? size_t{60} : size_t{200}, 60};
  long long progresso = 1;
  for (; !rs.Eof(); rs.MoveNext()) {
    ctx.progress.ShowDetailProgress(++progresso);
    XmlNode invoice = section.element.NewChild("Invoice", "");
    AddDocumentHead(ctx, invoice, rs, kInvoiceTags, !ctx.V103(), certificada);
    if (const DocumentKind* kind = KindOf(rs)) AddElement(invoice, "InvoiceType", kind->fileType);
    XmlNode regimes = invoice.NewChild("SpecialRegimes", "");
    AddElement(regimes, "SelfBillingIndicator", "0");
    AddElement(regimes, "CashVATSchemeIndicator",
               std::to_string(SerieIvaCaixa(ctx, rs.Text("serie"))));
    AddElement(regimes, "ThirdPartiesBillingIndicator", "0");
    AddEntryAndCustomer(invoice, rs, DocumentCustomerId(ctx, customerRule, rs));
    AddCheckedLinesAndTotals(ctx, invoice, rs, widths);
    AddDocumentRetencoes(ctx, invoice, rs);
  }
  rs.Close();
}

}  // namespace saftpt
