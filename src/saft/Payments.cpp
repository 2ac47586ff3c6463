// The receipts' elements and their lines, one per VAT rate of each document
// they settle.
#include "saft/SourceDocuments.h"

#include <cmath>

#include "base/Utf8.h"
#include "saft/Customers.h"
#include "saft/DocumentCommon.h"
#include "saft/ExemptionCheck.h"
#include "saft/OfficeSettings.h"
#include "saft/SectionReads.h"
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

// For every document the receipt settles, one line per VAT rate of that
// document, scaled by the share of it that was paid.
void AddPaymentLines(RunContext& ctx, XmlNode payment, const Recordset& rsDoc) {
  using documentos::Amount;
  DocumentRows linhas = TakeLines(ctx, rsDoc);
  // A cancelled receipt is written but its lines do not count in the totals
  // that Save puts in the section.
  bool somaTotais = !documentos::IsCancelled(rsDoc);

  long long numeroLinha = 1;
  for (; !linhas.Eof(); linhas.MoveNext()) {
    std::string tipodocP = linhas.Text("TipoDocP");
    std::string serieP = linhas.Text("SerieP");
    std::string numeroP = linhas.Text("NumeroP");
    double pago = Amount(linhas, "ValorTotal");
    bool debito = tipodocP == "FA" || tipodocP == "NC";

    DocumentRows grupos = TakeGroups(ctx, linhas.Field("ID").Integer("ID"));
    for (; !grupos.Eof(); grupos.MoveNext(), ++numeroLinha) {
      double parte = PaidShare(pago, Amount(grupos.Field(kDocumentTotal), "ValorTotal"));

      XmlNode line = payment.NewChild("Line", "");
      AddElement(line, "LineNumber", std::to_string(numeroLinha));
      XmlNode origem = line.NewChild("SourceDocumentID", "");
      AddElement(origem, "OriginatingON", tipodocP + " " + serieP + "/" + numeroP);
      AddElement(origem, "InvoiceDate", FormatDate(grupos.Field(kGroupData).Date("data")));

      double desconto = Amount(grupos.Field(kGroupDesconto), "ValorDesconto");
      AddElement(line, "SettlementAmount",
                 FormatNumber(std::fabs(RoundHalfEven(desconto * parte, 2)), 0));

      double valor =
          std::fabs(std::fabs(Amount(grupos.Field(kGroupLiquido), "ValorLiquido")) * parte);
      AddElement(line, debito ? "DebitAmount" : "CreditAmount", FormatNumber(valor, 2));
      if (somaTotais)
        (debito ? ctx.paymentTotals.linesDebit : ctx.paymentTotals.linesCredit) +=
            RoundHalfAway(valor, 2);

      double iva = grupos.Field(kGroupIva).Number("iva");
      documentos::AddLineVat(line, ctx, iva);
      std::string codigo = grupos.Field(kGroupCodMencao).Text();
      if (!codigo.empty()) {
        std::string isencao = grupos.Field(kGroupIsencao).Text();
        AddElement(line, "TaxExemptionReason", Utf8Left(isencao, 60));
        if (ctx.options.versao >= 4) {
          if (Trim(codigo).empty()) codigo = CodMencaoFor(ctx, isencao);
          AddElement(line, "TaxExemptionCode", codigo);
        }
      }
    }
  }
}

}  // namespace

const documentos::SectionKind kPayments{
    kPaymentsStep, "Payments", "tipodoc = 'R' and CodCliente<>''",
    [](std::string_view tipodoc) { return tipodoc == "R" || tipodoc == "RC"; }};

void WritePayments(RunContext& ctx, XmlNode sourceDocuments) {
  using namespace documentos;
  const std::string restricao = ctx.DocumentRestriction();
  const std::string inicio = ctx.PeriodStart();
  const std::string fim = ctx.PeriodEnd();
  OpenedSection section = OpenSection(ctx, sourceDocuments, kPayments);
  Recordset& rs = section.documents;
  XmlNode payments = section.element;
  // Save rewrites the totals once the lines are summed.
  payments.Retain();

  // Totals in double precision: a year of receipts must add up to the cent.
  double credito = 0;
  Recordset soma = ctx.db.Execute(
      "select "
      "Sum(Round(documentoslinhas.ValorLiquido,2)-Round(documentoslinhas.ValorDesconto,2)) as "
      "Total from documentoslinhas inner join documentos ON  "
      "(documentos.numero=documentoslinhas.numero AND documentos.tipodoc=documentoslinhas.tipodoc "
      "AND documentos.serie=documentoslinhas.serie)  where documentos.tipodoc IN ('R') and "
      "documentoslinhas.TipoDocP<>'NC'  AND documentoslinhas.Serie<>'tmp' and data>='" +
      inicio + "' and data<='" + fim + "'");
  if (!soma.Eof() && soma.Field("Total").IsNumeric()) credito = soma.Field("Total").Number("Total");
  soma.Close();

  // Credit notes deducted in receipts.
  double debito = 0;
  Recordset notas = ctx.db.Execute(
      "select "
      "SUM(Round(ABS(documentoslinhas.ValorLiquido),2)-Round(ABS(documentoslinhas.ValorDesconto),"
      "2)) from documentos INNER JOIN documentoslinhas ON "
      "(documentos.IDDoc=documentoslinhas.IDDoc) where documentoslinhas.tipodoc IN ('R') AND "
      "documentoslinhas.TipoDocP='NC' AND documentoslinhas.Serie<>'tmp'  and CodCliente<>'' and "
      "Ncontribuintecliente<>'' and data>='" +
      inicio + "' and data<='" + fim + "' " + restricao);
  for (; !notas.Eof(); notas.MoveNext()) {
    Value v = notas.Field(size_t{0});
    if (!v.IsNull()) debito = std::fabs(v.Number("TotalDebit"));
  }
  notas.Close();

  ctx.paymentTotals.writtenCredit = RoundHalfAway(credito, 2);
  ctx.paymentTotals.writtenDebit = RoundHalfAway(debito, 2);
  AddSectionControl(payments, section.entries, debito, credito);
  ctx.summary.receipts = {section.entries, credito, debito};

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
  ReadSection(ctx, section.sql, read);
  long long progresso = 1;
  for (; !rs.Eof(); rs.MoveNext()) {
    ctx.progress.ShowDetailProgress(++progresso);
    XmlNode payment = payments.NewChild("Payment", "");
    std::string data = DocumentDate(rs);
    AddElement(payment, "PaymentRefNo", DocumentNumber(rs));
    AddElement(payment, "ATCUD", ctx.AtcudText(rs.Field("ATCUD"), DocumentNumber(rs)));
    AddElement(payment, "Period", Period(rs));
    AddElement(payment, "TransactionDate", data);
    AddElement(payment, "PaymentType", SerieIvaCaixa(ctx, rs.Text("serie")) == 1 ? "RC" : "RG");
    AddDocumentStatus(payment, rs, "PaymentStatus", "PaymentStatusDate", "SourcePayment");

    XmlNode metodo = payment.NewChild("PaymentMethod", "");
    AddElement(metodo, "PaymentMechanism", PaymentMechanism(rs.Text("ModoPag")));
    double total = Amount(rs, "ValorTotal");
    AddElement(metodo, "PaymentAmount", FormatNumber(total > 0 ? total : 0, 2));
    AddElement(metodo, "PaymentDate", data);
    AddEntryAndCustomer(payment, rs, ReceiptCustomerId(ctx, rs.Field("CodCliente")));

    if (ctx.options.versao >= 4) CheckReceiptReasons(ctx, rs);
    AddPaymentLines(ctx, payment, rs);
    AddDocumentTotals(payment, rs, false);
    AddDocumentRetencoes(ctx, payment, rs);
  }
  rs.Close();
}

}  // namespace saftpt
