// "Payments": the receipts of the period, with the section's control totals.
#include <cmath>

#include "config/Utf8.h"
#include "saft/DocumentCommon.h"
#include "saft/RunReads.h"
#include "saft/ValueFormat.h"
#include "saft/clsSAFT.h"

namespace saftpt {

namespace {

// The payment mechanism from the free text the office typed.
const char* MecanismoPagamento(const std::string& modoPag) {
  std::string m = Utf8Upper(modoPag);
  if (m.rfind("TRANSF", 0) == 0) return "TB";
  if (m == "CHEQUE") return "CH";
  if (m.rfind("DIN", 0) == 0) return "NU";
  return "OU";
}

}  // namespace

std::string clsSAFT::DocumentosRecibos() const {
  return "select * from documentos where ((tipodoc = 'R' )  AND Serie<>'tmp'  and CodCliente<>'' "
         "and data>='" +
         FormataData(options_.start) + "' and data<='" + FimDoPeriodo() + "') " +
         RestricaoDocumentos();
}

void clsSAFT::AddPayments(XmlNode node) {
  using namespace documentos;
  progress_.MostraProgresso(7, "Payments");
  const std::string restricao = RestricaoDocumentos();
  const std::string inicio = FormataData(options_.start);
  const std::string fim = FimDoPeriodo();
  const std::string documentos = DocumentosRecibos();
  Recordset rs = db_.Execute(documentos + " order by Data,tipodoc,numero");
  progress_.IniciaProgressoDetalhe(static_cast<long long>(rs.recordCount()));
  XmlNode payments = node.NewChild("Payments", "");
  // Gravar rewrites the totals once the lines are summed.
  payments.Retain();

  long long entradas = 0;
  for (; !rs.eof(); rs.moveNext()) {
    std::string tipodoc = rs.text("tipodoc");
    if (tipodoc == "R" || tipodoc == "RC") ++entradas;
  }

  // Totals in double precision: a year of receipts must add up to the cent.
  double credito = 0;
  Recordset soma = db_.Execute(
      "select "
      "Sum(Round(documentoslinhas.ValorLiquido,2)-Round(documentoslinhas.ValorDesconto,2)) as "
      "Total from documentoslinhas inner join documentos ON  "
      "(documentos.numero=documentoslinhas.numero AND documentos.tipodoc=documentoslinhas.tipodoc "
      "AND documentos.serie=documentoslinhas.serie)  where documentos.tipodoc IN ('R') and "
      "documentoslinhas.TipoDocP<>'NC'  AND documentoslinhas.Serie<>'tmp' and data>='" +
      inicio + "' and data<='" + fim + "'");
  if (!soma.eof() && soma.field("Total").isNumeric()) credito = soma.field("Total").number("Total");
  soma.close();

  // Credit notes deducted in receipts.
  double debito = 0;
  Recordset notas = db_.Execute(
      "select "
      "SUM(Round(ABS(documentoslinhas.ValorLiquido),2)-Round(ABS(documentoslinhas.ValorDesconto),"
      "2)) from documentos INNER JOIN documentoslinhas ON "
      "(documentos.IDDoc=documentoslinhas.IDDoc) where documentoslinhas.tipodoc IN ('R') AND "
      "documentoslinhas.TipoDocP='NC' AND documentoslinhas.Serie<>'tmp'  and CodCliente<>'' and "
      "Ncontribuintecliente<>'' and data>='" +
      inicio + "' and data<='" + fim + "' " + restricao);
  for (; !notas.eof(); notas.moveNext()) {
    Value v = notas.field(size_t{0});
    if (!v.isNull()) debito = std::fabs(v.number("TotalDebit"));
  }
  notas.close();

  PagamentosTotalCredito = ArredondaNumero(credito, 2);
  PagamentosTotalDebito = ArredondaNumero(debito, 2);
  AddControlo(payments, entradas, debito, credito);
  NumeroRecibos = entradas;
  TotalCreditosRecibos += credito;
  TotalDebitosRecibos += debito;

  LeituraDaSeccao leitura;
  leitura.colunas =
      "documentoslinhas.ID, documentoslinhas.Referencia, documentoslinhas.Quant, "
      "documentoslinhas.Preco, documentoslinhas.ValorDesconto, documentoslinhas.ValorTotal, "
      "documentoslinhas.ValorLiquido, substring(documentoslinhas.Descricao,1,60) as Descricao, "
      "documentoslinhas.Iva, documentoslinhas.IsencaoIva, documentoslinhas.CodigoSelo, "
      "documentoslinhas.ValorSelo, documentoslinhas.NumeroP, documentoslinhas.TipoDocP, "
      "documentoslinhas.SerieP";
  leitura.filtro = "documentoslinhas.tipodocp<>''";
  leitura.filtroRetencoes = "round(documentoslinhas.valorretencao,2)<>0";
  leitura.pagamentos = true;
  LeSeccao(documentos, leitura);
  long long progresso = 1;
  for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
    progress_.MostraProgressoDetalhe(++progresso);
    XmlNode payment = payments.NewChild("Payment", "");
    std::string data = FormataData(rs.field("Data").date("Data"));
    AddValor(payment, "PaymentRefNo", NumeroDocumento(rs));
    AddValor(payment, "ATCUD", AtcudTexto(rs.field("ATCUD"), NumeroDocumento(rs)));
    AddValor(payment, "Period", Periodo(rs));
    AddValor(payment, "TransactionDate", data);
    AddValor(payment, "PaymentType", SerieIvaCaixa(rs.text("serie")) == 1 ? "RC" : "RG");
    AddEstado(payment, rs, "PaymentStatus", "PaymentStatusDate", "SourcePayment");

    XmlNode metodo = payment.NewChild("PaymentMethod", "");
    AddValor(metodo, "PaymentMechanism", MecanismoPagamento(rs.text("ModoPag")));
    double total = Montante(rs, "ValorTotal");
    AddValor(metodo, "PaymentAmount", FormataNumero(total > 0 ? total : 0, 2));
    AddValor(metodo, "PaymentDate", data);
    AddValor(payment, "SourceID", "DESCONHECIDO");
    AddValor(payment, "SystemEntryDate", DataEntrada(rs));

    AddValor(payment, "CustomerID", CustomerIDRecibo(rs.field("CodCliente")));

    if (versao >= 4) ValidaMotivosIsencaoIvaPayments(rs);
    AddPaymentLines(payment, rs);
    AddTotais(payment, rs, false);
    AddRetencoesDoDocumento(payment, rs);
  }
  rs.close();
}

}  // namespace saftpt
