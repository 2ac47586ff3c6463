// Pieces shared by the source-document writers.
#include "saft/DocumentCommon.h"

#include <cmath>

#include "config/Error.h"
#include "config/Utf8.h"
#include "saft/ValueFormat.h"
#include "saft/clsSAFT.h"

namespace saftpt::documentos {

double Montante(const Value& v, std::string_view what) {
  return v.isNull() ? 0 : v.number(what);
}

double Montante(const Recordset& rs, std::string_view column) {
  return Montante(rs.field(column), column);
}

double Montante(const Linhas& rs, std::string_view column) {
  return Montante(rs.field(column), column);
}

std::string NumeroDocumento(const Recordset& rs) {
  return rs.text("tipodoc") + " " + rs.text("serie") + "/" + rs.text("numero");
}

bool Anulado(const Recordset& rs) {
  return rs.field("Anulado").boolean("Anulado");
}

std::string Periodo(const Recordset& rs) {
  return std::to_string(rs.field("Data").date("Data").month);
}

std::string DataEntrada(const Recordset& rs) {
  // A zero date ("0000-00-00 00:00:00") is a document never edited.
  Value editada = rs.field("DataEdicao");
  if (!editada.isNull() && DateTime::Parse(editada.text()))
    return FormataDataHora(editada.date("DataEdicao"));
  return FormataDataHora(rs.field("Data").date("Data"));
}

LadoLinha LadoDaLinha(std::string_view tipodoc, double liquido) {
  if (tipodoc == "NC") return LadoLinha::kDebito;
  if (tipodoc == "F" || tipodoc == "FA" || tipodoc == "FR" || tipodoc == "FS" || tipodoc == "ND" ||
      tipodoc == "OR")
    return liquido >= 0 ? LadoLinha::kCredito : LadoLinha::kDebito;
  return LadoLinha::kNenhum;
}

LadoLinha AddMontanteLinha(XmlNode line, std::string_view tipodoc, double liquido) {
  LadoLinha lado = LadoDaLinha(tipodoc, liquido);
  if (lado != LadoLinha::kNenhum)
    AddValor(line, lado == LadoLinha::kCredito ? "CreditAmount" : "DebitAmount",
             FormataNumero(std::fabs(liquido), 2));
  return lado;
}

void TotaisDaSeccao::Soma(LadoLinha lado, double montante) {
  if (lado == LadoLinha::kNenhum) return;
  // The cents written for the amount.
  long long centimos = std::llround(ArredondaNumero(std::fabs(montante), 2) * 100);
  (lado == LadoLinha::kCredito ? credito_ : debito_) += centimos;
}

void AddControlo(XmlNode seccao, long long entradas, double debito, double credito) {
  AddValor(seccao, "NumberOfEntries", FormataNumero(static_cast<double>(entradas), 0));
  AddValor(seccao, "TotalDebit", FormataNumero(debito, 2));
  AddValor(seccao, "TotalCredit", FormataNumero(credito, 2));
}

void AddEstado(XmlNode parent, const Recordset& rs, std::string_view statusTag,
               std::string_view dateTag, std::string_view sourceTag) {
  XmlNode estado = parent.NewChild("DocumentStatus", "");
  bool anulado = Anulado(rs);
  AddValor(estado, statusTag, anulado ? "A" : "N");
  AddValor(estado, dateTag, FormataData(rs.field("Data").date("Data")) + "T00:00:00");
  if (anulado) AddValor(estado, "Reason", Utf8Left(rs.text("Motivo"), 50));
  AddValor(estado, "SourceID", "DESCONHECIDO");
  AddValor(estado, sourceTag, "P");
}

void AddTotais(XmlNode parent, const Recordset& rs, bool grossComRetencao) {
  XmlNode totais = parent.NewChild("DocumentTotals", "");
  double iva = Montante(rs, "ValorIva");
  double selo = Montante(rs, "ValorSelo");
  double liquido = Montante(rs, "ValorLiquido");
  double desconto = Montante(rs, "ValorDesconto");
  double total = Montante(rs, "ValorTotal");
  double bruto = grossComRetencao ? total + Montante(rs, "ValorRetencao") : total;
  AddValor(totais, "TaxPayable", FormataNumero(std::fabs(iva + selo), 2));
  AddValor(totais, "NetTotal", FormataNumero(std::fabs(liquido) - std::fabs(desconto), 2));
  AddValor(totais, "GrossTotal", FormataNumero(std::fabs(bruto), 2));
}

void EscreveRetencoes(XmlNode parent, double irc, double irs) {
  auto escreve = [&](const char* tipo, double valor) {
    if (valor <= 0) return;
    XmlNode retencao = parent.NewChild("WithholdingTax", "");
    AddValor(retencao, "WithholdingTaxType", tipo);
    AddValor(retencao, "WithholdingTaxAmount", FormataNumero(valor, 2));
  };
  escreve("IRC", irc);
  escreve("IRS", irs);
}

std::string ColunasDasLinhas(int versao) {
  return std::string(
             "documentoslinhas.ID, documentoslinhas.Referencia, documentoslinhas.Quant, "
             "documentoslinhas.Preco, documentoslinhas.ValorDesconto, "
             "documentoslinhas.ValorLiquido, substring(documentoslinhas.Descricao,1,60) as "
             "Descricao, documentoslinhas.Iva, documentoslinhas.IsencaoIva, "
             "documentoslinhas.CodigoSelo, documentoslinhas.ValorSelo") +
         (versao == 3 ? "" : ", documentoslinhas.CodMencao");
}

void AddImpostoIva(XmlNode line, const clsSAFT& saft, double iva) {
  XmlNode tax = line.NewChild("Tax", "");
  AddValor(tax, "TaxType", "IVA");
  AddValor(tax, "TaxCountryRegion", saft.RegiaoDaTaxa(iva));
  AddValor(tax, "TaxCode", saft.GetTaxCode(iva));
  AddValor(tax, "TaxPercentage", iva == 0 ? "0" : FormataNumero(iva, 2));
}

double TaxaDaLinha(const Value& taxa, const Recordset& documento) {
  try {
    return taxa.number("documentoslinhas.Iva");
  } catch (const Error& e) {
    throw Error(e.number(), "Documento " + NumeroDocumento(documento) + ": " + e.description());
  }
}

}  // namespace saftpt::documentos
