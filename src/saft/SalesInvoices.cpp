// The sales documents' elements, their lines and withholding.
#include "saft/SourceDocuments.h"

#include "saft/Customers.h"
#include "saft/DocumentCommon.h"
#include "saft/DocumentLines.h"
#include "saft/ValueFormat.h"

namespace saftpt {

namespace {

constexpr documentos::DocumentHeadTags kInvoiceTags{"InvoiceNo", "InvoiceStatus",
                                                    "InvoiceStatusDate", "InvoiceDate"};

// 1.04_01 also wants the zero-amount lines that carry a VAT rate.
SectionRead SalesInvoicesRead(const RunContext& ctx) {
  const std::string linhas = ctx.V103() ? "documentoslinhas.valorliquido<>0"
                                        : "documentoslinhas.valorliquido<>0 or "
                                          "(documentoslinhas.valorliquido=0 and "
                                          "documentoslinhas.iva<>0)";
  return DocumentLinesRead(ctx, linhas, "documentoslinhas.valorretencao>0");
}

}  // namespace

const documentos::SectionKind kSalesInvoices{kSalesInvoicesStep, "SalesInvoices",
                                             SourceSection::kSalesInvoices, &SalesInvoicesRead};

void WriteSalesInvoices(RunContext& ctx, XmlNode sourceDocuments) {
  using namespace documentos;
  OpenedSection section = OpenSection(ctx, sourceDocuments, kSalesInvoices);
  Recordset& rs = section.documents;

  const CustomerRule customerRule = CustomerRuleOf(kSalesInvoices.section);
  SectionReader reader(ctx, section.sql, kSalesInvoices.read(ctx));
  ctx.summary.invoices = AddSectionControl(section, SumSectionLines(reader));

  const LineTextWidths widths{ctx.V103() ? size_t{60} : size_t{200}, 60};
  long long progresso = 1;
  for (; !rs.Eof(); rs.MoveNext()) {
    ctx.progress.ShowDetailProgress(++progresso);
    XmlNode invoice = section.element.NewChild("Invoice", "");
    AddDocumentHead(ctx, invoice, rs, kInvoiceTags, !ctx.V103(), ctx.settings.certified);
    if (const DocumentKind* kind = FindDocumentKind(rs.Text("tipodoc")))
      AddElement(invoice, "InvoiceType", kind->fileType);
    XmlNode regimes = invoice.NewChild("SpecialRegimes", "");
    AddElement(regimes, "SelfBillingIndicator", "0");
    AddElement(regimes, "CashVATSchemeIndicator",
               std::to_string(ctx.SerieIvaCaixa(rs.Text("serie"))));
    AddElement(regimes, "ThirdPartiesBillingIndicator", "0");
    AddEntryAndCustomer(invoice, rs, DocumentCustomerId(ctx, customerRule, rs));
    AddCheckedLinesAndTotals(ctx, reader, invoice, rs, widths);
    AddRetencoes(invoice, reader, rs);
  }
  rs.Close();
}

}  // namespace saftpt
