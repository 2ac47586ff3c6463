// The statements of a section's reads and the handing out of their rows.
#include "saft/SectionReads.h"

#include <optional>

namespace saftpt {

namespace {

// Lines are tied to their document by type, series and number, as the
// per-document statements select them.
constexpr const char* kLineOfDocument =
    " documentoslinhas.tipodoc=documentos.tipodoc and documentoslinhas.Serie=documentos.serie "
    "and documentoslinhas.numero=documentos.numero";

// Lines with a net value whose reason is looked at: a line without VAT naming
// a reason (its text must be one the authority accepts), and every zero-rated
// line (it must have a reason and, in 1.04_01, a code).
constexpr const char* kReasonColumns =
    "trim(documentoslinhas.isencaoiva), documentoslinhas.CodMencao, "
    "(documentoslinhas.valoriva = 0 and length(trim(documentoslinhas.isencaoiva))>0), "
    "documentoslinhas.iva = 0";
constexpr const char* kReasonFilter =
    "documentoslinhas.valorliquido<>0 and ((documentoslinhas.valoriva = 0 and "
    "length(trim(documentoslinhas.isencaoiva))>0) or documentoslinhas.iva = 0)";

// A receipt's rate groups of the documents it pays and their uncoded
// zero-rated lines; `origem` is the section's documents and `recibo` joins
// their lines.
void ReadReceiptGroups(RunContext& ctx, Database& db, const std::string& origem,
                       const std::string& recibo) {
  RunReads& l = ctx.reads;
  l.groups = RowsByDocument();
  l.uncoded.reset();
  const std::string ordem =
      "documentos.Data,documentos.tipodoc,documentos.numero,documentos.IDDoc,pl.ID";

  // One row per VAT rate of each settled document, as the receipt's lines
  // are written; a line settling nothing still has its row.
  l.groups = RowsByDocument(
      db.Execute("select pl.ID as saft_linha, max(l.ID) as saft_marca, l.iva, "
                 "Sum(l.ValorIva) as ValorIva, sum(l.ValorLiquido) as ValorLiquido, "
                 "sum(l.ValorTotal) as ValorTotal, sum(l.ValorDesconto) as ValorDesconto, "
                 "sum(l.ValorRetencao) as ValorRetencao, d.data, d.ValorTotal, l.IsencaoIva, "
                 "l.codmencao" +
                 origem + recibo +
                 "and pl.tipodocp<>'' left join (documentoslinhas l inner join documentos d "
                 "on l.IDDoc = d.IDDoc) on l.tipodoc=pl.TipoDocP and l.serie=pl.SerieP and "
                 "l.numero=pl.NumeroP and l.valorliquido<>0 group by " +
                 ordem + ",l.Iva order by " + ordem + ",l.Iva"),
      2);

  if (ctx.V103()) return;
  auto& uncoded = l.uncoded.emplace();
  Recordset rs = db.Execute(
      "select distinct documentos.IDDoc, l.ID, l.tipodoc, l.serie, l.numero, l.isencaoiva" +
      origem + recibo +
      "inner join documentoslinhas l on l.iddoc=pl.iddocp where (l.codmencao is null or "
      "length(l.codmencao)=0) and l.valorliquido>0 and l.iva=0 order by documentos.IDDoc, l.ID");
  for (; !rs.Eof(); rs.MoveNext())
    uncoded[rs.Field(size_t{0}).Integer()].push_back(
        {rs.Field(2).Text(), rs.Field(3).Text(), rs.Field(4).Text(), rs.Field(5).Text()});
}

// The section's reads through `db`.
void ReadSectionFrom(RunContext& ctx, Database& db, const std::string& documentsSql,
                     const SectionRead& read) {
  RunReads& l = ctx.reads;
  l.section = read;
  l.correctionsAtRead = l.corrections;
  l.onlyDocument.reset();
  l.lines = RowsByDocument();
  l.reasons.reset();
  l.retencoes.reset();
  const std::string origem = " from (" + documentsSql + ") documentos ";

  // In the order the documents are written, so the lines pair with them as
  // they are read. The document's type and status come along for the
  // section's totals.
  l.lines = RowsByDocument(db.Execute(
      "select documentos.IDDoc as saft_doc, " + read.columns +
      ", documentos.tipodoc as saft_tipodoc, documentos.Anulado as saft_anulado" + origem +
      "left join documentoslinhas on" + kLineOfDocument + " and (" + read.filter +
      ") order by documentos.Data,documentos.tipodoc,documentos.numero,documentos.IDDoc,"
      "documentoslinhas.ID"));

  Recordset rs;
  if (read.reasons) {
    auto& lidos = l.reasons.emplace();
    rs = db.Execute("select distinct documentos.IDDoc, " + std::string(kReasonColumns) + origem +
                    "inner join documentoslinhas on" + kLineOfDocument + " where " + kReasonFilter);
    for (; !rs.Eof(); rs.MoveNext())
      lidos[rs.Field(size_t{0}).Integer()].push_back(
          {rs.Field(1).Text(), rs.Field(2), rs.Field(3).Boolean(), rs.Field(4).Boolean()});
  }

  if (!read.retencaoFilter.empty()) {
    // Without the TipoRetencao column everything withheld is IRS.
    if (!l.hasTipoRetencao) l.hasTipoRetencao = db.HasColumn("documentoslinhas", "TipoRetencao");
    const std::string soma = *l.hasTipoRetencao
                                 ? "round(sum(if(documentoslinhas.TipoRetencao='IRC',"
                                   "documentoslinhas.ValorRetencao,null)),2), "
                                   "round(sum(if(documentoslinhas.TipoRetencao='IRS',"
                                   "documentoslinhas.ValorRetencao,null)),2)"
                                 : "null, round(sum(documentoslinhas.ValorRetencao),2)";
    auto& somas = l.retencoes.emplace();
    rs = db.Execute("select documentos.IDDoc, " + soma + origem + "inner join documentoslinhas on" +
                    kLineOfDocument + " where " + read.retencaoFilter +
                    " group by documentos.IDDoc");
    auto valor = [](const Value& v) { return v.IsNull() ? 0 : v.Number("ValorRetencao"); };
    for (; !rs.Eof(); rs.MoveNext())
      somas[rs.Field(size_t{0}).Integer()] = {valor(rs.Field(1)), valor(rs.Field(2))};
  }

  if (read.receipts)
    ReadReceiptGroups(ctx, db, origem,
                      "inner join documentoslinhas pl on pl.tipodoc=documentos.tipodoc and "
                      "pl.Serie=documentos.serie and pl.numero=documentos.numero ");
}

}  // namespace

void ReadSection(RunContext& ctx, const std::string& documentsSql, const SectionRead& read) {
  ReadSectionFrom(ctx, ctx.db, documentsSql, read);
  // Corrections written on another connection are not in what the run reads:
  // each document is then read again, alone, through that connection.
  if (ctx.reads.corrections > 0 && ctx.CorrectsElsewhere()) ctx.reads.correctionsAtRead = -1;
}

void RereadDocument(RunContext& ctx, const Recordset& document) {
  RunReads& l = ctx.reads;
  const long long id = document.Field("IDDoc").Integer("IDDoc");
  if (l.correctionsAtRead == l.corrections && (!l.onlyDocument || *l.onlyDocument == id)) return;
  const SectionRead read = l.section;
  // A document, once saved, changes only by these corrections (and by its
  // cancellation, which its section's totals read before): read through
  // their connection, it is the run's view of it plus the user's choices.
  ReadSectionFrom(ctx, ctx.Corrections(),
                  "select * from documentos where IDDoc=" + std::to_string(id), read);
  l.onlyDocument = id;
}

documentos::SectionTotals SumSectionLines(RunContext& ctx) {
  using namespace documentos;
  SectionTotals totais;
  // Cancelled documents are written but left out of the totals.
  ctx.reads.lines.ForEachRow([&totais](const Recordset& linha) {
    if (linha.Field("saft_anulado").Boolean("Anulado")) return;
    const DocumentKind* kind = FindDocumentKind(linha.Text("saft_tipodoc"));
    if (!kind) return;
    double liquido = Amount(linha, "ValorLiquido");
    totais.Add(SideOfLine(*kind, liquido), liquido);
  });
  return totais;
}

DocumentRows TakeLines(RunContext& ctx, const Recordset& document) {
  RereadDocument(ctx, document);
  std::optional<DocumentRows> linhas =
      ctx.reads.lines.Take(document.Field("IDDoc").Integer("IDDoc"));
  return linhas ? *linhas : DocumentRows();
}

DocumentRows TakeGroups(RunContext& ctx, long long receiptLineId) {
  std::optional<DocumentRows> grupos = ctx.reads.groups.Take(receiptLineId);
  return grupos ? *grupos : DocumentRows();
}

void AddDocumentRetencoes(RunContext& ctx, XmlNode parent, const Recordset& document) {
  const auto& somas = ctx.reads.retencoes;
  if (!somas) return;
  auto it = somas->find(document.Field("IDDoc").Integer("IDDoc"));
  if (it != somas->end()) documentos::AddRetencoes(parent, it->second.first, it->second.second);
}

}  // namespace saftpt
