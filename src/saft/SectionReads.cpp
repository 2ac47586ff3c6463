// The statements of a section's reads and the handing out of their rows.
#include "saft/SectionReads.h"

#include "base/Error.h"

namespace saftpt {

namespace {

std::shared_ptr<const std::vector<std::string>> Names(const Recordset& rs, size_t from) {
  auto names = std::make_shared<std::vector<std::string>>();
  for (size_t i = from; i < rs.FieldCount(); ++i) names->push_back(AsciiLower(rs.FieldName(i)));
  return names;
}

// A line belongs to the document of its type, series and number, as the
// billing program ties them (a number used twice ties the lines of both).
std::string LineOf(const std::string& linha, const std::string& tipodoc, const std::string& serie,
                   const std::string& numero) {
  return " " + linha + ".tipodoc=" + tipodoc + " and " + linha + ".Serie=" + serie + " and " +
         linha + ".numero=" + numero + " ";
}

std::string LineOfDocument(const std::string& linha) {
  return LineOf(linha, "documentos.tipodoc", "documentos.serie", "documentos.numero");
}

// The order the documents are written in.
constexpr const char* kDocumentOrder =
    "documentos.Data,documentos.tipodoc,documentos.numero,documentos.IDDoc";

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

}  // namespace

Value DocumentRows::Field(std::string_view name) const {
  for (size_t i = 0; i < names_->size(); ++i)
    if (IsLowerOf((*names_)[i], name)) return rows_[pos_][i];
  throw Error(Error::kData, "Coluna desconhecida: " + std::string(name));
}

RowsByDocument::RowsByDocument(Recordset rs, size_t first)
    : rs_(std::move(rs)), names_(Names(rs_, first)), first_(first), open_(true) {}

std::vector<Value> RowsByDocument::ReadRow() const {
  std::vector<Value> row;
  row.reserve(names_->size());
  for (size_t i = first_; i < rs_.FieldCount(); ++i) row.push_back(rs_.Field(i));
  return row;
}

void RowsByDocument::ForEachRow(const std::function<void(const Recordset&)>& visit) {
  if (!open_) return;
  for (rs_.MoveFirst(); !rs_.Eof(); rs_.MoveNext())
    if (!rs_.Field(size_t{1}).IsNull()) visit(rs_);
  rs_.MoveFirst();
}

DocumentRows RowsByDocument::Take(long long iddoc) {
  DocumentRows l;
  if (!open_) return l;
  l.names_ = names_;
  auto it = pending_.find(iddoc);
  if (it != pending_.end()) {
    l.rows_ = std::move(it->second);
    pending_.erase(it);
    return l;
  }
  bool found = false;
  for (; !rs_.Eof(); rs_.MoveNext()) {
    long long id = rs_.Field(size_t{0}).Integer();
    if (found && id != iddoc) break;
    auto& target = id == iddoc ? l.rows_ : pending_[id];
    if (id == iddoc) found = true;
    if (!rs_.Field(size_t{1}).IsNull()) target.push_back(ReadRow());
  }
  return l;
}

SectionReader::SectionReader(RunContext& ctx, const std::string& documentsSql,
                             const SectionRead& read)
    : ctx_(ctx), read_(read) {
  ReadFrom(ctx.db, documentsSql);
  // Corrections written on another connection are not in what the run reads:
  // each document is then read again, alone, through that connection.
  stale_ = ctx.corrected && ctx.CorrectsElsewhere();
}

void SectionReader::ReadFrom(Database& db, const std::string& documentsSql) {
  const std::string origem = " from (" + documentsSql + ") documentos ";

  // In the order the documents are written, so the lines pair with them as
  // they are read. The document's type and status come along for the
  // section's totals.
  lines_ = RowsByDocument(db.Execute(
      "select documentos.IDDoc as saft_doc, " + read_.columns +
          ", documentos.tipodoc as saft_tipodoc, documentos.Anulado as saft_anulado" + origem +
          "left join documentoslinhas on" + LineOfDocument("documentoslinhas") + "and (" +
          read_.filter + ") order by " + kDocumentOrder + ",documentoslinhas.ID",
      RowStore::kTempFile));

  // The reasons and the withholding sums come in the documents' order too,
  // one row without a mark for a document without any.
  reasons_ = RowsByDocument();
  if (read_.reasons)
    reasons_ = RowsByDocument(
        db.Execute("select documentos.IDDoc, max(documentoslinhas.tipodoc) as saft_marca, " +
                       std::string(kReasonColumns) + origem + "left join documentoslinhas on" +
                       LineOfDocument("documentoslinhas") + "and " + kReasonFilter +
                       " group by documentos.IDDoc, " + kReasonColumns + " order by " +
                       kDocumentOrder + ", min(documentoslinhas.ID)",
                   RowStore::kTempFile),
        2);

  retencoes_ = RowsByDocument();
  if (!read_.retencaoFilter.empty()) {
    const std::string soma = ctx_.settings.hasTipoRetencao
                                 ? "round(sum(if(documentoslinhas.TipoRetencao='IRC',"
                                   "documentoslinhas.ValorRetencao,null)),2), "
                                   "round(sum(if(documentoslinhas.TipoRetencao='IRS',"
                                   "documentoslinhas.ValorRetencao,null)),2)"
                                 : "null, round(sum(documentoslinhas.ValorRetencao),2)";
    retencoes_ = RowsByDocument(
        db.Execute("select documentos.IDDoc, max(documentoslinhas.tipodoc) as saft_marca, " + soma +
                       origem + "left join documentoslinhas on" +
                       LineOfDocument("documentoslinhas") + "and " + read_.retencaoFilter +
                       " group by documentos.IDDoc order by " + kDocumentOrder,
                   RowStore::kTempFile),
        2);
  }

  if (read_.receipts) ReadReceiptGroups(db, origem);
}

// A receipt's rate groups of the documents it pays and their uncoded
// zero-rated lines.
void SectionReader::ReadReceiptGroups(Database& db, const std::string& origem) {
  const std::string recibo = "inner join documentoslinhas pl on" + LineOfDocument("pl");
  const std::string pago = LineOf("l", "pl.TipoDocP", "pl.SerieP", "pl.NumeroP");
  const std::string ordem = std::string(kDocumentOrder) + ",pl.ID";

  // One row per VAT rate of each settled document, as the receipt's lines
  // are written; a line settling nothing still has its row. The receipt's
  // status and the line's amount and paid type come along for the section's
  // totals.
  groups_ = RowsByDocument(
      db.Execute("select pl.ID as saft_linha, max(l.ID) as saft_marca, l.iva, "
                 "Sum(l.ValorIva) as ValorIva, sum(l.ValorLiquido) as ValorLiquido, "
                 "sum(l.ValorTotal) as ValorTotal, sum(l.ValorDesconto) as ValorDesconto, "
                 "sum(l.ValorRetencao) as ValorRetencao, d.data, d.ValorTotal, l.IsencaoIva, "
                 "l.codmencao, max(documentos.Anulado) as saft_anulado, max(pl.ValorTotal) as "
                 "saft_pago, max(pl.TipoDocP) as saft_tipodocp" +
                     origem + recibo +
                     "and pl.tipodocp<>'' left join (documentoslinhas l inner join documentos d "
                     "on l.IDDoc = d.IDDoc) on" +
                     pago + "and l.valorliquido<>0 group by " + ordem + ",l.Iva order by " + ordem +
                     ",l.Iva",
                 RowStore::kTempFile),
      2);

  uncoded_.clear();
  if (ctx_.V103()) return;
  Recordset rs = db.Execute(
      "select distinct documentos.IDDoc, l.ID, l.tipodoc, l.serie, l.numero, l.isencaoiva" +
      origem + recibo + "inner join documentoslinhas l on" + pago +
      "where (l.codmencao is null or length(l.codmencao)=0) and l.valorliquido>0 and l.iva=0 "
      "order by documentos.IDDoc, l.ID");
  for (; !rs.Eof(); rs.MoveNext())
    uncoded_[rs.Field(size_t{0}).Integer()].push_back(
        {rs.Field(2).Text(), rs.Field(3).Text(), rs.Field(4).Text(), rs.Field(5).Text()});
}

void SectionReader::Reread(const Recordset& document) {
  const long long id = document.Field("IDDoc").Integer("IDDoc");
  if (!stale_ && (!onlyDocument_ || *onlyDocument_ == id)) return;
  // A document, once saved, changes only by these corrections (and by its
  // cancellation, which its section's totals read before): read through
  // their connection, it is the run's view of it plus the user's choices.
  ReadFrom(ctx_.Corrections(), "select * from documentos where IDDoc=" + std::to_string(id));
  stale_ = false;
  onlyDocument_ = id;
}

DocumentRows SectionReader::TakeLines(const Recordset& document) {
  Reread(document);
  return lines_.Take(document.Field("IDDoc").Integer("IDDoc"));
}

DocumentRows SectionReader::TakeGroups(long long receiptLineId) {
  return groups_.Take(receiptLineId);
}

std::optional<std::pair<double, double>> SectionReader::Retencoes(const Recordset& document) {
  DocumentRows somas = retencoes_.Take(document.Field("IDDoc").Integer("IDDoc"));
  if (somas.Eof()) return std::nullopt;
  auto valor = [](const Value& v) { return v.IsNull() ? 0 : v.Number("ValorRetencao"); };
  return std::make_pair(valor(somas.Field(size_t{0})), valor(somas.Field(1)));
}

std::vector<LineReason> SectionReader::Reasons(const Recordset& document) {
  Reread(document);
  std::vector<LineReason> motivos;
  for (DocumentRows rs = reasons_.Take(document.Field("IDDoc").Integer("IDDoc")); !rs.Eof();
       rs.MoveNext())
    motivos.push_back(
        {rs.Field(size_t{0}).Text(), rs.Field(1), rs.Field(2).Boolean(), rs.Field(3).Boolean()});
  return motivos;
}

std::vector<UncodedLine> SectionReader::Uncoded(const Recordset& receipt) {
  Reread(receipt);
  auto it = uncoded_.find(receipt.Field("IDDoc").Integer("IDDoc"));
  return it == uncoded_.end() ? std::vector<UncodedLine>() : it->second;
}

}  // namespace saftpt
