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

std::string clsSAFT::DocumentosFacturas() const {
  return "select * from documentos where (tipodoc IN ('F','FA','FR','FS','ND','NC')   AND "
         "Serie<>'tmp' and data>='" +
         FormataData(options_.start) + "' and data<='" + FimDoPeriodo() + "') " +
         RestricaoDocumentos();
}

void clsSAFT::AddInvoices(XmlNode node) {
  using namespace documentos;
  progress_.MostraProgresso(6, "Invoices");
  const std::string documentos = DocumentosFacturas();
  Recordset rs = db_.Execute(documentos + " order by Data,tipodoc,numero");
  progress_.IniciaProgressoDetalhe(static_cast<long long>(rs.recordCount()));
  XmlNode sales = node.NewChild("SalesInvoices", "");

  long long entradas = 0;
  for (; !rs.eof(); rs.moveNext()) {
    std::string tipodoc = rs.text("tipodoc");
    if (LadoCredito(tipodoc) || tipodoc == "NC") ++entradas;
  }

  // Cannot change during a run.
  bool certificada = Certificada();
  // 1.04_01 also wants the zero-amount lines that carry a VAT rate.
  LeituraDaSeccao leitura;
  leitura.colunas = ColunasDasLinhas(versao);
  leitura.filtro = versao == 3 ? "documentoslinhas.valorliquido<>0"
                               : "documentoslinhas.valorliquido<>0 or "
                                 "(documentoslinhas.valorliquido=0 and documentoslinhas.iva<>0)";
  leitura.filtroRetencoes = "documentoslinhas.valorretencao>0";
  leitura.motivos = true;
  LeSeccao(documentos, leitura);
  TotaisDaSeccao totais = SomaDasLinhas();
  AddControlo(sales, entradas, totais.Debito(), totais.Credito());
  NumeroFacturas = entradas;
  TotalCreditos = totais.Credito();
  TotalDebitos = totais.Debito();

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

    AddValor(invoice, "CustomerID",
             CustomerIDDocumento(rs.field("CodCliente"), rs.text("NContribuinteCliente")));

    // Validated first, so the lines are read with any correction made.
    ValidaMotivosIsencaoIva(rs);
    AddInvoiceLines(invoice, rs);
    AddTotais(invoice, rs, true);
    AddRetencoesDoDocumento(invoice, rs);
  }
  rs.close();
}

}  // namespace saftpt
