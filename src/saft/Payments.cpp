// The receipts' elements and their lines, one per VAT rate of each document
// they settle.
#include "saft/SourceDocuments.h"

#include <cmath>

#include "base/Utf8.h"
#include "saft/Customers.h"
#include "saft/DocumentCommon.h"
#include "saft/ExemptionCheck.h"
#include "saft/ValueFormat.h"

namespace saftpt {

namespace {

// The payment mechanism from the free text the office typed.
const char* PaymentMechanism(const std::string& modoPag) {
  std::string m = Utf8Upper(modoPag);
  if (m.rfind("TRANSF", 0) == 0) return "TB";
  if (m == "CHEQUE") return "CH";
  if (m.rfind("DIN", 0) == 0) return "NU";
  return "OU";
}

// Columns of the rate-groups statement by position: the document's own total
// comes under the same name as the group's sum.
constexpr size_t kGroupIva = 0;
constexpr size_t kGroupLiquido = 2;
constexpr size_t kGroupDesconto = 4;
constexpr size_t kGroupData = 6;
constexpr size_t kDocumentTotal = 7;
constexpr size_t kGroupIsencao = 8;
constexpr size_t kGroupCodMencao = 9;
// Where the groups' columns start in the statement's rows (the receipt
// line's ID and a marker come first).
constexpr size_t kGroupFirst = 2;

// Share of the settled document that the receipt line pays. Nearly all of it
// (rounding of the amounts paid) counts as all of it.
double PaidShare(double pago, double totalDocumento) {
  if (totalDocumento == 0) return 1;
  double parte = RoundHalfEven(pago / totalDocumento, 10);
  // A deducted credit note may be stored with the opposite sign; the amounts
  // written are absolute anyway.
  if (std::fabs(parte) > 0.99) return 1;
  return parte;
}

// The amount of a line of the receipt: the share paid of one rate group of
// the settled document.
double GroupAmount(double pago, double liquidoGrupo, double totalDocumento) {
  return std::fabs(std::fabs(liquidoGrupo) * PaidShare(pago, totalDocumento));
}

// The side a receipt's line takes, by the kind of the document it settles.
LineSide PaidSide(const std::string& tipodocP) {
  const DocumentKind* kind = FindDocumentKind(tipodocP);
  return kind ? kind->whenPaid : LineSide::kCredit;
}

// The section's totals from what it read, before any receipt is written: the
// lines AddPaymentLines writes, a cancelled receipt's left out.
documentos::SectionTotals SumPaymentLines(SectionReader& reader) {
  using documentos::Amount;
  documentos::SectionTotals totais;
  reader.ForEachGroup([&totais](const Recordset& g) {
    if (g.Field("saft_anulado").Boolean("Anulado")) return;
    totais.Add(PaidSide(g.Text("saft_tipodocp")),
               GroupAmount(Amount(g, "saft_pago"),
                           Amount(g.Field(kGroupFirst + kGroupLiquido), "ValorLiquido"),
                           Amount(g.Field(kGroupFirst + kDocumentTotal), "ValorTotal")));
  });
  return totais;
}

// For every document the receipt settles, one line per VAT rate of that
// document, scaled by the share of it that was paid.
void AddPaymentLines(RunContext& ctx, SectionReader& reader, XmlNode payment,
                     const Recordset& rsDoc) {
  using documentos::Amount;
  DocumentRows linhas = reader.TakeLines(rsDoc);

  long long numeroLinha = 1;
  for (; !linhas.Eof(); linhas.MoveNext()) {
    std::string tipodocP = linhas.Text("TipoDocP");
    std::string serieP = linhas.Text("SerieP");
    std::string numeroP = linhas.Text("NumeroP");
    double pago = Amount(linhas, "ValorTotal");
    const LineSide side = PaidSide(tipodocP);

    DocumentRows grupos = reader.TakeGroups(linhas.Field("ID").Integer("ID"));
    for (; !grupos.Eof(); grupos.MoveNext(), ++numeroLinha) {
      double totalDocumento = Amount(grupos.Field(kDocumentTotal), "ValorTotal");

      XmlNode line = payment.NewChild("Line", "");
      AddElement(line, "LineNumber", std::to_string(numeroLinha));
      XmlNode origem = line.NewChild("SourceDocumentID", "");
      AddElement(origem, "OriginatingON", tipodocP + " " + serieP + "/" + numeroP);
      AddElement(origem, "InvoiceDate", FormatDate(grupos.Field(kGroupData).Date("data")));

      double desconto = Amount(grupos.Field(kGroupDesconto), "ValorDesconto");
      AddElement(
          line, "SettlementAmount",
          FormatNumber(std::fabs(RoundHalfEven(desconto * PaidShare(pago, totalDocumento), 2)), 0));

      documentos::AddLineAmount(
          line, side,
          GroupAmount(pago, Amount(grupos.Field(kGroupLiquido), "ValorLiquido"), totalDocumento));

      double iva = grupos.Field(kGroupIva).Number("iva");
      documentos::AddLineVat(line, ctx, iva);
      std::string codigo = grupos.Field(kGroupCodMencao).Text();
      if (!codigo.empty()) {
        std::string isencao = grupos.Field(kGroupIsencao).Text();
        AddElement(line, "TaxExemptionReason", Utf8Left(isencao, 60));
        if (!ctx.V103()) {
          if (Trim(codigo).empty()) codigo = CodMencaoFor(ctx, isencao);
          AddElement(line, "TaxExemptionCode", codigo);
        }
      }
    }
  }
}

// A receipt's lines are those that pay a document; their rate groups and
// uncoded lines come along.
SectionRead PaymentsRead(const RunContext&) {
  SectionRead read;
  read.columns =
      "documentoslinhas.ID, documentoslinhas.Referencia, documentoslinhas.Quant, "
      "documentoslinhas.Preco, documentoslinhas.ValorDesconto, documentoslinhas.ValorTotal, "
      "documentoslinhas.ValorLiquido, substring(documentoslinhas.Descricao,1,60) as Descricao, "
      "documentoslinhas.Iva, documentoslinhas.IsencaoIva, documentoslinhas.CodigoSelo, "
      "documentoslinhas.ValorSelo, documentoslinhas.NumeroP, documentoslinhas.TipoDocP, "
      "documentoslinhas.SerieP";
  read.filter = "documentoslinhas.tipodocp<>''";
  read.retencaoFilter = "round(documentoslinhas.valorretencao,2)<>0";
  read.receipts = true;
  return read;
}

}  // namespace

const documentos::SectionKind kPayments{kPaymentsStep, "Payments", SourceSection::kPayments,
                                        &PaymentsRead};

void WritePayments(RunContext& ctx, XmlNode sourceDocuments) {
  using namespace documentos;
  OpenedSection section = OpenSection(ctx, sourceDocuments, kPayments);
  Recordset& rs = section.documents;
  XmlNode payments = section.element;
  const CustomerRule customerRule = CustomerRuleOf(kPayments.section);

  SectionReader reader(ctx, section.sql, kPayments.read(ctx));
  ctx.summary.receipts = AddSectionControl(section, SumPaymentLines(reader));

  long long progresso = 1;
  for (; !rs.Eof(); rs.MoveNext()) {
    ctx.progress.ShowDetailProgress(++progresso);
    XmlNode payment = payments.NewChild("Payment", "");
    std::string data = DocumentDate(rs);
    AddElement(payment, "PaymentRefNo", DocumentNumber(rs));
    AddElement(payment, "ATCUD", ctx.AtcudText(rs.Field("ATCUD"), DocumentNumber(rs)));
    AddElement(payment, "Period", Period(rs));
    AddElement(payment, "TransactionDate", data);
    AddElement(payment, "PaymentType", ctx.SerieIvaCaixa(rs.Text("serie")) == 1 ? "RC" : "RG");
    AddDocumentStatus(payment, rs, "PaymentStatus", "PaymentStatusDate", "SourcePayment");

    XmlNode metodo = payment.NewChild("PaymentMethod", "");
    AddElement(metodo, "PaymentMechanism", PaymentMechanism(rs.Text("ModoPag")));
    double total = Amount(rs, "ValorTotal");
    AddElement(metodo, "PaymentAmount", FormatNumber(total > 0 ? total : 0, 2));
    AddElement(metodo, "PaymentDate", data);
    AddEntryAndCustomer(payment, rs, DocumentCustomerId(ctx, customerRule, rs));

    if (!ctx.V103()) CheckReceiptReasons(ctx, reader, rs);
    AddPaymentLines(ctx, reader, payment, rs);
    AddDocumentTotals(payment, rs, false);
    AddRetencoes(payment, reader, rs);
  }
  rs.Close();
}

}  // namespace saftpt
