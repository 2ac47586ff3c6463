// "SalesInvoices": invoices, invoice-receipts, simplified invoices, debit and
// credit notes of the period, with the section's control totals.
#include <cmath>

#include "config/Utf8.h"
#include "saft/DocumentCommon.h"
#include "saft/RunReads.h"
#include "saft/ValueFormat.h"
#include "saft/clsSAFT.h"

namespace saftpt {

namespace {

bool LadoCredito(const std::string& tipodoc) {
  return tipodoc == "F" || tipodoc == "FA" || tipodoc == "FR" || tipodoc == "FS" || tipodoc == "ND";
}

// The file's invoice type; "FA" documents are reported as invoice-receipts.
const char* TipoFactura(const std::string& tipodoc) {
  if (tipodoc == "F") return "FT";
  if (tipodoc == "FR" || tipodoc == "FA") return "FR";
  if (tipodoc == "FS") return "FS";
  if (tipodoc == "ND") return "ND";
  if (tipodoc == "NC") return "NC";
  return nullptr;
}

}  // namespace

// Read once per run: neither can change during an export.
bool clsSAFT::Certificada() {
  auto& certificada = Leituras().certificada;
  if (!certificada)
    certificada = db_.ObtemValor("OC", "configescritorio", "", Value("0")).integer("OC") != 0;
  return *certificada;
}

int clsSAFT::SerieIvaCaixa(const std::string& Serie) {
  auto& series = Leituras().serieIvaCaixa;
  auto it = series.find(Serie);
  if (it != series.end()) return it->second;
  int valor = 0;
  try {
    Recordset rs =
        db_.Execute("select IvaCaixa from series where serie='" + db_.Escape(Serie) + "'");
    valor = !rs.eof() && rs.field("Ivacaixa").boolean("IvaCaixa") ? 1 : 0;
  } catch (const std::exception&) {
    // A missing series or column is a series without cash-basis VAT.
    valor = 0;
  }
  series[Serie] = valor;
  return valor;
}

int clsSAFT::EmpresaIvaCaixa() {
  try {
    Recordset rs = db_.Execute("select IvaCaixa from configescritorio");
    return !rs.eof() && rs.field("Ivacaixa").boolean("IvaCaixa") ? 1 : 0;
  } catch (const std::exception&) {
    return 0;
  }
}

void clsSAFT::AddInvoices(XmlNode node) {
  using namespace documentos;
  progress_.MostraProgresso(6, "Invoices");
  std::string restricao = WhereRestricoesDocumentos("documentos");
  if (!restricao.empty()) restricao = " and " + restricao;
  std::string inicio = FormataData(options_.start);
  std::string fim = FimDoPeriodo();

  const std::string documentos =
      "select * from documentos where (tipodoc IN ('F','FA','FR','FS','ND','NC')   AND "
      "Serie<>'tmp' and data>='" +
      inicio + "' and data<='" + fim + "') " + restricao;
  Recordset rs = db_.Execute(documentos + " order by Data,tipodoc,numero");
  progress_.IniciaProgressoDetalhe(static_cast<long long>(rs.recordCount()));
  XmlNode sales = node.NewChild("SalesInvoices", "");

  long long entradas = 0;
  double credito = 0;
  double debito = 0;
  for (; !rs.eof(); rs.moveNext()) {
    std::string tipodoc = rs.text("tipodoc");
    bool nc = tipodoc == "NC";
    if (!LadoCredito(tipodoc) && !nc) continue;
    ++entradas;
    if (ContaNosTotais(rs) && rs.field("valorliquido").isNumeric()) {
      double v = std::fabs(Montante(rs, "valorliquido")) - std::fabs(Montante(rs, "valordesconto"));
      (nc ? debito : credito) += v;
    }
  }

  // The credit side is the sum of the lines, each rounded to cents.
  Recordset soma = db_.Execute(
      "select Sum(Round(documentoslinhas.ValorLiquido,2)) as Total from documentoslinhas inner "
      "join documentos ON  (documentos.IDDoc=documentoslinhas.IDDoc)  where "
      "documentoslinhas.ValorLiquido>=0 AND Anulado=0 AND documentos.TipoDoc IN "
      "('F','FR','FS','FA','ND')  AND documentoslinhas.Serie<>'tmp' and data>='" +
      inicio + "' and data<='" + fim + "'" + restricao);
  if (!soma.eof() && soma.field("Total").isNumeric()) credito = soma.field("Total").number("Total");
  soma.close();

  // Negative lines and lines settling "FA" documents go to the debit side,
  // besides the credit notes.
  Recordset linhas = db_.Execute(
      "select documentoslinhas.* from documentoslinhas inner join documentos  ON "
      "(documentos.IDDoc=documentoslinhas.IDDoc)  where Anulado=0 AND "
      "((documentoslinhas.tipodocP = 'FA' OR documentoslinhas.ValorLiquido<0) AND "
      "documentoslinhas.Serie<>'tmp' AND documentoslinhas.TipoDoc<>'R' AND "
      "documentoslinhas.TipoDoc<>'NC' AND documentoslinhas.TipoDoc<>'RC'  and "
      "documentos.data>='" +
      inicio + "' and documentos.data<='" + fim + "') " + restricao +
      " order by documentos.Data,documentos.tipodoc,documentos.numero");
  for (; !linhas.eof(); linhas.moveNext()) debito += std::fabs(Montante(linhas, "valorliquido"));
  linhas.close();

  AddValor(sales, "NumberOfEntries", FormataNumero(static_cast<double>(entradas), 0));
  AddValor(sales, "TotalDebit", FormataNumero(debito, 2));
  AddValor(sales, "TotalCredit", FormataNumero(credito, 2));
  NumeroFacturas = entradas;
  TotalCreditos = credito;
  TotalDebitos = debito;

  // Neither can change during a run.
  bool certificada = Certificada();
  if (!Leituras().temTipoRetencao)
    Leituras().temTipoRetencao = db_.ExisteCampo("documentoslinhas", "TipoRetencao");
  bool temTipoRetencao = *Leituras().temTipoRetencao;
  // 1.04_01 also wants the zero-amount lines that carry a VAT rate.
  LeSeccao(
      documentos,
      std::string(
          "documentoslinhas.ID, documentoslinhas.Referencia, documentoslinhas.Quant, "
          "documentoslinhas.Preco, documentoslinhas.ValorDesconto, documentoslinhas.ValorLiquido, "
          "substring(documentoslinhas.Descricao,1,60) as Descricao, documentoslinhas.Iva, "
          "documentoslinhas.IsencaoIva, documentoslinhas.CodigoSelo, documentoslinhas.ValorSelo") +
          (versao == 3 ? "" : ", documentoslinhas.CodMencao"),
      versao == 3 ? "documentoslinhas.valorliquido<>0"
                  : "documentoslinhas.valorliquido<>0 or (documentoslinhas.valorliquido=0 "
                    "and documentoslinhas.iva<>0)",
      "documentoslinhas.valorretencao>0", true);

  long long progresso = 1;
  for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
    progress_.MostraProgressoDetalhe(++progresso);
    XmlNode invoice = sales.NewChild("Invoice", "");
    std::string tipodoc = rs.text("tipodoc");
    AddValor(invoice, "InvoiceNo", NumeroDocumento(rs));
    if (versao >= 4) AddValor(invoice, "ATCUD", AtcudTexto(rs.field("ATCUD"), NumeroDocumento(rs)));
    AddEstado(invoice, rs, "InvoiceStatus", "InvoiceStatusDate", "SourceBilling");
    bool assinado = certificada && !rs.text("Assinatura").empty();
    AddValor(invoice, "Hash", assinado ? rs.text("Assinatura") : "0");
    AddValor(invoice, "HashControl", assinado ? rs.text("VersaoChavePrivada") : "0");
    AddValor(invoice, "Period", Periodo(rs));
    AddValor(invoice, "InvoiceDate", FormataData(rs.field("Data").date("Data")));
    if (const char* tipo = TipoFactura(tipodoc)) AddValor(invoice, "InvoiceType", tipo);
    XmlNode regimes = invoice.NewChild("SpecialRegimes", "");
    AddValor(regimes, "SelfBillingIndicator", "0");
    AddValor(regimes, "CashVATSchemeIndicator", std::to_string(SerieIvaCaixa(rs.text("serie"))));
    AddValor(regimes, "ThirdPartiesBillingIndicator", "0");
    AddValor(invoice, "SourceID", "DESCONHECIDO");
    AddValor(invoice, "SystemEntryDate", DataEntrada(rs));

    AddValor(invoice, "CustomerID", CustomerIDDocumento(rs));

    // Validated first, so the lines are read with any correction made.
    ValidaMotivosIsencaoIva(rs);
    AddInvoiceLines(invoice, rs);
    AddTotais(invoice, rs, true);
    const auto& somas = Leituras().retencoes;
    if (somas) {
      auto it = somas->find(rs.field("IDDoc").integer("IDDoc"));
      if (it != somas->end()) EscreveRetencoes(invoice, it->second.first, it->second.second);
    } else {
      AddRetencoes(invoice, db_, rs, "valorretencao>0", temTipoRetencao);
    }
  }
  rs.close();
}

}  // namespace saftpt
