// Pieces shared by the source-document writers.
#include "saft/DocumentCommon.h"

#include <cmath>

#include "config/Error.h"
#include "config/Utf8.h"
#include "saft/TaxTable.h"
#include "saft/ValueFormat.h"

namespace saftpt::documentos {

double Amount(const Value& v, std::string_view what) {
  return v.isNull() ? 0 : v.number(what);
}

double Amount(const Recordset& rs, std::string_view column) {
  return Amount(rs.field(column), column);
}

double Amount(const DocumentRows& rs, std::string_view column) {
  return Amount(rs.field(column), column);
}

std::string DocumentNumber(const Recordset& rs) {
  return rs.text("tipodoc") + " " + rs.text("serie") + "/" + rs.text("numero");
}

bool IsCancelled(const Recordset& rs) {
  return rs.field("Anulado").boolean("Anulado");
}

std::string Period(const Recordset& rs) {
  return std::to_string(rs.field("Data").date("Data").month);
}

std::string SystemEntryDate(const Recordset& rs) {
  // A zero date ("0000-00-00 00:00:00") is a document never edited.
  Value editada = rs.field("DataEdicao");
  if (!editada.isNull() && DateTime::Parse(editada.text()))
    return FormataDataHora(editada.date("DataEdicao"));
  return FormataDataHora(rs.field("Data").date("Data"));
}

std::string DocumentDate(const Recordset& rs) {
  return FormataData(rs.field("Data").date("Data"));
}

LineSide SideOfLine(std::string_view tipodoc, double liquido) {
  if (tipodoc == "NC") return LineSide::kDebit;
  if (tipodoc == "F" || tipodoc == "FA" || tipodoc == "FR" || tipodoc == "FS" || tipodoc == "ND" ||
      tipodoc == "OR")
    return liquido >= 0 ? LineSide::kCredit : LineSide::kDebit;
  return LineSide::kNone;
}

LineSide AddLineAmount(XmlNode line, std::string_view tipodoc, double liquido) {
  LineSide lado = SideOfLine(tipodoc, liquido);
  if (lado != LineSide::kNone)
    AddValor(line, lado == LineSide::kCredit ? "CreditAmount" : "DebitAmount",
             FormataNumero(std::fabs(liquido), 2));
  return lado;
}

void SectionTotals::Add(LineSide lado, double montante) {
  if (lado == LineSide::kNone) return;
  // The cents written for the amount.
  long long centimos = std::llround(ArredondaNumero(std::fabs(montante), 2) * 100);
  (lado == LineSide::kCredit ? credit_ : debit_) += centimos;
}

void AddSectionControl(XmlNode section, long long entries, double debit, double credit) {
  AddValor(section, "NumberOfEntries", FormataNumero(static_cast<double>(entries), 0));
  AddValor(section, "TotalDebit", FormataNumero(debit, 2));
  AddValor(section, "TotalCredit", FormataNumero(credit, 2));
}

std::string SectionSql(const RunContext& ctx, const SectionKind& kind) {
  return std::string("select * from documentos where (") + kind.documents +
         " AND Serie<>'tmp' and data>='" + ctx.PeriodStart() + "' and data<='" + ctx.PeriodEnd() +
         "') " + ctx.DocumentRestriction();
}

OpenedSection OpenSection(RunContext& ctx, XmlNode parent, const SectionKind& kind) {
  ctx.ShowStep(kind.step);
  OpenedSection s;
  s.sql = SectionSql(ctx, kind);
  s.documents = ctx.db.Execute(s.sql + " order by Data,tipodoc,numero");
  ctx.progress.IniciaProgressoDetalhe(static_cast<long long>(s.documents.recordCount()));
  s.element = parent.NewChild(kind.element, "");
  for (; !s.documents.eof(); s.documents.moveNext())
    if (kind.isEntry(s.documents.text("tipodoc"))) ++s.entries;
  s.documents.moveFirst();
  return s;
}

void AddDocumentHead(const RunContext& ctx, XmlNode document, const Recordset& rs,
                     const DocumentHeadTags& tags, bool withAtcud, bool signs) {
  AddValor(document, tags.number, DocumentNumber(rs));
  if (withAtcud) AddValor(document, "ATCUD", ctx.AtcudText(rs.field("ATCUD"), DocumentNumber(rs)));
  AddDocumentStatus(document, rs, tags.status, tags.statusDate, "SourceBilling");
  AddHash(document, rs, signs);
  AddValor(document, "Period", Period(rs));
  AddValor(document, tags.date, DocumentDate(rs));
}

void AddEntryAndCustomer(XmlNode document, const Recordset& rs, const std::string& customerId) {
  AddValor(document, "SourceID", "DESCONHECIDO");
  AddValor(document, "SystemEntryDate", SystemEntryDate(rs));
  AddValor(document, "CustomerID", customerId);
}

void AddDocumentStatus(XmlNode parent, const Recordset& rs, std::string_view statusTag,
                       std::string_view dateTag, std::string_view sourceTag) {
  XmlNode estado = parent.NewChild("DocumentStatus", "");
  bool anulado = IsCancelled(rs);
  AddValor(estado, statusTag, anulado ? "A" : "N");
  AddValor(estado, dateTag, DocumentDate(rs) + "T00:00:00");
  if (anulado) AddValor(estado, "Reason", Utf8Left(rs.text("Motivo"), 50));
  AddValor(estado, "SourceID", "DESCONHECIDO");
  AddValor(estado, sourceTag, "P");
}

void AddHash(XmlNode parent, const Recordset& rs, bool signs) {
  bool assinado = signs && !rs.text("Assinatura").empty();
  AddValor(parent, "Hash", assinado ? rs.text("Assinatura") : "0");
  AddValor(parent, "HashControl", assinado ? rs.text("VersaoChavePrivada") : "0");
}

void AddDocumentTotals(XmlNode parent, const Recordset& rs, bool grossWithRetencao) {
  XmlNode totais = parent.NewChild("DocumentTotals", "");
  double iva = Amount(rs, "ValorIva");
  double selo = Amount(rs, "ValorSelo");
  double liquido = Amount(rs, "ValorLiquido");
  double desconto = Amount(rs, "ValorDesconto");
  double total = Amount(rs, "ValorTotal");
  double bruto = grossWithRetencao ? total + Amount(rs, "ValorRetencao") : total;
  AddValor(totais, "TaxPayable", FormataNumero(std::fabs(iva + selo), 2));
  AddValor(totais, "NetTotal", FormataNumero(std::fabs(liquido) - std::fabs(desconto), 2));
  AddValor(totais, "GrossTotal", FormataNumero(std::fabs(bruto), 2));
}

void AddRetencoes(XmlNode parent, double irc, double irs) {
  auto escreve = [&](const char* tipo, double valor) {
    if (valor <= 0) return;
    XmlNode retencao = parent.NewChild("WithholdingTax", "");
    AddValor(retencao, "WithholdingTaxType", tipo);
    AddValor(retencao, "WithholdingTaxAmount", FormataNumero(valor, 2));
  };
  escreve("IRC", irc);
  escreve("IRS", irs);
}

std::string LineColumns(int versao) {
  return std::string(
             "documentoslinhas.ID, documentoslinhas.Referencia, documentoslinhas.Quant, "
             "documentoslinhas.Preco, documentoslinhas.ValorDesconto, "
             "documentoslinhas.ValorLiquido, substring(documentoslinhas.Descricao,1,60) as "
             "Descricao, documentoslinhas.Iva, documentoslinhas.IsencaoIva, "
             "documentoslinhas.CodigoSelo, documentoslinhas.ValorSelo") +
         (versao == 3 ? "" : ", documentoslinhas.CodMencao");
}

void AddLineVat(XmlNode line, const RunContext& ctx, double iva) {
  XmlNode tax = line.NewChild("Tax", "");
  AddValor(tax, "TaxType", "IVA");
  AddValor(tax, "TaxCountryRegion", TaxRegion(ctx, iva));
  AddValor(tax, "TaxCode", TaxCode(ctx, iva));
  AddValor(tax, "TaxPercentage", iva == 0 ? "0" : FormataNumero(iva, 2));
}

double LineTaxRate(const Value& taxa, const Recordset& documento) {
  try {
    return taxa.number("documentoslinhas.Iva");
  } catch (const Error& e) {
    throw Error(e.number(), "Documento " + DocumentNumber(documento) + ": " + e.description());
  }
}

}  // namespace saftpt::documentos
