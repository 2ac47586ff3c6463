// Pieces shared by the source-document writers.
#include "saft/DocumentCommon.h"

#include <cmath>

#include "base/Error.h"
#include "base/Utf8.h"
#include "saft/TaxTable.h"
#include "saft/ValueFormat.h"

namespace saftpt::documentos {

double Amount(const Value& v, std::string_view what) {
  return v.IsNull() ? 0 : v.Number(what);
}

double Amount(const Recordset& rs, std::string_view column) {
  return Amount(rs.Field(column), column);
}

double Amount(const DocumentRows& rs, std::string_view column) {
  return Amount(rs.Field(column), column);
}

std::string DocumentNumber(const Recordset& rs) {
  return rs.Text("tipodoc") + " " + rs.Text("serie") + "/" + rs.Text("numero");
}

bool IsCancelled(const Recordset& rs) {
  return rs.Field("Anulado").Boolean("Anulado");
}

std::string Period(const Recordset& rs) {
  return std::to_string(rs.Field("Data").Date("Data").month);
}

std::string SystemEntryDate(const Recordset& rs) {
  // A zero date ("0000-00-00 00:00:00") is a document never edited.
  Value editada = rs.Field("DataEdicao");
  if (!editada.IsNull() && DateTime::Parse(editada.Text()))
    return FormatDateTime(editada.Date("DataEdicao"));
  return FormatDateTime(rs.Field("Data").Date("Data"));
}

std::string DocumentDate(const Recordset& rs) {
  return FormatDate(rs.Field("Data").Date("Data"));
}

void AddLineAmount(XmlNode line, LineSide side, double amount) {
  if (side != LineSide::kNone)
    AddElement(line, side == LineSide::kCredit ? "CreditAmount" : "DebitAmount",
               FormatNumber(std::fabs(amount), 2));
}

void SectionTotals::Add(LineSide lado, double montante) {
  if (lado == LineSide::kNone) return;
  // The cents written for the amount.
  long long centimos = std::llround(RoundHalfAway(std::fabs(montante), 2) * 100);
  (lado == LineSide::kCredit ? credit_ : debit_) += centimos;
}

SectionTotals SumSectionLines(SectionReader& reader) {
  SectionTotals totais;
  reader.ForEachLine([&totais](const Recordset& linha) {
    if (linha.Field("saft_anulado").Boolean("Anulado")) return;
    const DocumentKind* kind = FindDocumentKind(linha.Text("saft_tipodoc"));
    if (!kind) return;
    double liquido = Amount(linha, "ValorLiquido");
    totais.Add(SideOfLine(*kind, liquido), liquido);
  });
  return totais;
}

SectionSummary AddSectionControl(const OpenedSection& section, const SectionTotals& totals) {
  AddElement(section.element, "NumberOfEntries",
             FormatNumber(static_cast<double>(section.entries), 0));
  AddElement(section.element, "TotalDebit", FormatNumber(totals.Debit(), 2));
  AddElement(section.element, "TotalCredit", FormatNumber(totals.Credit(), 2));
  return {section.entries, totals.Credit(), totals.Debit()};
}

namespace {

// The order the documents of a section are written in.
constexpr const char* kSectionOrder = " order by Data,tipodoc,numero";

}  // namespace

std::string SectionSql(const RunContext& ctx, const SectionKind& kind) {
  return ctx.DocumentsOfPeriod(KindsCondition(kind.section), true);
}

void QueueSection(RunContext& ctx, const SectionKind& kind) {
  const std::string sql = SectionSql(ctx, kind);
  ctx.db.QueueAhead(sql + kSectionOrder);
  QueueSectionReads(ctx, sql, kind.read(ctx));
}

OpenedSection OpenSection(RunContext& ctx, XmlNode parent, const SectionKind& kind) {
  ctx.ShowStep(kind.step);
  OpenedSection s;
  s.sql = SectionSql(ctx, kind);
  s.documents = ctx.db.Execute(s.sql + kSectionOrder, RowStore::kTempFile);
  ctx.progress.StartDetailProgress(static_cast<long long>(s.documents.RecordCount()));
  s.element = parent.NewChild(kind.element, "");
  for (; !s.documents.Eof(); s.documents.MoveNext())
    if (FindDocumentKind(s.documents.Text("tipodoc"))) ++s.entries;
  s.documents.MoveFirst();
  return s;
}

void AddDocumentHead(const RunContext& ctx, XmlNode document, const Recordset& rs,
                     const DocumentHeadTags& tags, bool withAtcud, bool signs) {
  AddElement(document, tags.number, DocumentNumber(rs));
  if (withAtcud)
    AddElement(document, "ATCUD", ctx.AtcudText(rs.Field("ATCUD"), DocumentNumber(rs)));
  AddDocumentStatus(document, rs, tags.status, tags.statusDate, "SourceBilling");
  AddHash(document, rs, signs);
  AddElement(document, "Period", Period(rs));
  AddElement(document, tags.date, DocumentDate(rs));
}

void AddEntryAndCustomer(XmlNode document, const Recordset& rs, const std::string& customerId) {
  AddElement(document, "SourceID", "DESCONHECIDO");
  AddElement(document, "SystemEntryDate", SystemEntryDate(rs));
  AddElement(document, "CustomerID", customerId);
}

void AddDocumentStatus(XmlNode parent, const Recordset& rs, std::string_view statusTag,
                       std::string_view dateTag, std::string_view sourceTag) {
  XmlNode estado = parent.NewChild("DocumentStatus", "");
  bool anulado = IsCancelled(rs);
  AddElement(estado, statusTag, anulado ? "A" : "N");
  AddElement(estado, dateTag, DocumentDate(rs) + "T00:00:00");
  if (anulado) AddElement(estado, "Reason", Utf8Left(rs.Text("Motivo"), 50));
  AddElement(estado, "SourceID", "DESCONHECIDO");
  AddElement(estado, sourceTag, "P");
}

void AddHash(XmlNode parent, const Recordset& rs, bool signs) {
  bool assinado = signs && !rs.Text("Assinatura").empty();
  AddElement(parent, "Hash", assinado ? rs.Text("Assinatura") : "0");
  AddElement(parent, "HashControl", assinado ? rs.Text("VersaoChavePrivada") : "0");
}

void AddDocumentTotals(XmlNode parent, const Recordset& rs, bool grossWithRetencao) {
  XmlNode totais = parent.NewChild("DocumentTotals", "");
  double iva = Amount(rs, "ValorIva");
  double selo = Amount(rs, "ValorSelo");
  double liquido = Amount(rs, "ValorLiquido");
  double desconto = Amount(rs, "ValorDesconto");
  double total = Amount(rs, "ValorTotal");
  double bruto = grossWithRetencao ? total + Amount(rs, "ValorRetencao") : total;
  AddElement(totais, "TaxPayable", FormatNumber(std::fabs(iva + selo), 2));
  AddElement(totais, "NetTotal", FormatNumber(std::fabs(liquido) - std::fabs(desconto), 2));
  AddElement(totais, "GrossTotal", FormatNumber(std::fabs(bruto), 2));
}

void AddRetencoes(XmlNode parent, SectionReader& reader, const Recordset& document) {
  const auto somas = reader.Retencoes(document);
  if (!somas) return;
  auto add = [&](const char* tipo, double valor) {
    if (valor <= 0) return;
    XmlNode retencao = parent.NewChild("WithholdingTax", "");
    AddElement(retencao, "WithholdingTaxType", tipo);
    AddElement(retencao, "WithholdingTaxAmount", FormatNumber(valor, 2));
  };
  add("IRC", somas->first);
  add("IRS", somas->second);
}

std::string LineColumns(SchemaVersion schema) {
  return std::string(
             "documentoslinhas.ID, documentoslinhas.Referencia, documentoslinhas.Quant, "
             "documentoslinhas.Preco, documentoslinhas.ValorDesconto, "
             "documentoslinhas.ValorLiquido, substring(documentoslinhas.Descricao,1,60) as "
             "Descricao, documentoslinhas.Iva, documentoslinhas.IsencaoIva, "
             "documentoslinhas.CodigoSelo, documentoslinhas.ValorSelo") +
         (schema == SchemaVersion::kV103 ? "" : ", documentoslinhas.CodMencao");
}

void AddLineVat(XmlNode line, const RunContext& ctx, double iva) {
  XmlNode tax = line.NewChild("Tax", "");
  AddElement(tax, "TaxType", "IVA");
  AddElement(tax, "TaxCountryRegion", TaxRegion(ctx, iva));
  AddElement(tax, "TaxCode", TaxCode(ctx, iva));
  AddElement(tax, "TaxPercentage", iva == 0 ? "0" : FormatNumber(iva, 2));
}

double LineTaxRate(const Value& taxa, const Recordset& documento) {
  try {
    return taxa.Number("documentoslinhas.Iva");
  } catch (const Error& e) {
    // The same failure goes on, naming the document the user must correct.
    throw Error(e.Number(), "Documento " + DocumentNumber(documento) + ": " + e.Description());
  }
}

}  // namespace saftpt::documentos
