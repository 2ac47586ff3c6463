// The statements of a section's reads and the handing out of their rows.
#include "saft/SectionReads.h"

#include <algorithm>
#include <set>

#include "base/Error.h"
#include "base/Utf8.h"
#include "db/RoundedSum.h"

namespace saftpt {

namespace {

std::shared_ptr<const ColumnNames> Names(const Recordset& rs, size_t from) {
  auto names = std::make_shared<ColumnNames>();
  for (size_t i = from; i < rs.FieldCount(); ++i) names->Add(rs.FieldName(i));
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
// line (it must have a reason and, in 1.04_01, a code). These lines are among
// those every section writes.
constexpr const char* kReasonColumns =
    ", trim(documentoslinhas.isencaoiva) as saft_isencao, documentoslinhas.CodMencao as "
    "saft_codmencao, (documentoslinhas.valoriva = 0 and length(trim(documentoslinhas.isencaoiva))"
    ">0) as saft_verificado, documentoslinhas.iva = 0 as saft_taxazero, "
    "(documentoslinhas.valorliquido<>0 and ((documentoslinhas.valoriva = 0 and "
    "length(trim(documentoslinhas.isencaoiva))>0) or documentoslinhas.iva = 0)) as saft_motivo";

// What makes two of a document's reasons the same one.
std::string ReasonKey(const LineReason& m) {
  std::string codigo = m.codMencao.Text();
  while (!codigo.empty() && codigo.back() == ' ') codigo.pop_back();
  return Utf8Upper(m.texto) + '\n' + (m.codMencao.IsNull() ? "\x01" : Utf8Upper(codigo)) + '\n' +
         (m.checkText ? '1' : '0') + (m.zeroRate ? '1' : '0');
}

}  // namespace

Value DocumentRows::Field(std::string_view name) const {
  if (std::optional<size_t> i = names_->Find(name)) return rows_[pos_][*i];
  throw Error(Error::kData, "Coluna desconhecida: " + std::string(name));
}

DocumentRows DocumentRows::TakeWhere(std::string_view flag) {
  DocumentRows kept;
  kept.names_ = names_;
  size_t column = names_->Count();
  for (size_t i = 0; i < names_->Count(); ++i)
    if (IsLowerOf(names_->Lower(i), flag)) column = i;
  if (column == names_->Count())
    throw Error(Error::kData, "Coluna desconhecida: " + std::string(flag));
  for (std::vector<Value>& row : rows_)
    if (row[column].Boolean(flag)) kept.rows_.push_back(std::move(row));
  rows_.clear();
  pos_ = 0;
  return kept;
}

RowsByDocument::RowsByDocument(Recordset rs, size_t first, bool byFirstColumn)
    : rs_(std::move(rs)),
      names_(Names(rs_, first)),
      first_(first),
      byFirstColumn_(byFirstColumn),
      open_(true) {}

std::vector<Value> RowsByDocument::ReadRow() const {
  std::vector<Value> row;
  row.reserve(names_->Count());
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
  } else {
    bool found = false;
    for (; !rs_.Eof(); rs_.MoveNext()) {
      long long id = rs_.Field(size_t{0}).Integer();
      if (found && id != iddoc) break;
      auto& target = id == iddoc ? l.rows_ : pending_[id];
      if (id == iddoc) found = true;
      if (!rs_.Field(size_t{1}).IsNull()) target.push_back(ReadRow());
    }
  }
  if (byFirstColumn_ && l.rows_.size() > 1) {
    // Each ID read once; the rows usually come in order already.
    std::vector<std::pair<long long, size_t>> ids;
    for (size_t i = 0; i < l.rows_.size(); ++i) ids.emplace_back(l.rows_[i][0].Integer(), i);
    if (!std::is_sorted(ids.begin(), ids.end())) {
      std::stable_sort(ids.begin(), ids.end());
      std::vector<std::vector<Value>> sorted;
      sorted.reserve(ids.size());
      for (const auto& id : ids) sorted.push_back(std::move(l.rows_[id.second]));
      l.rows_ = std::move(sorted);
    }
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

namespace {

// The statements of a section's reads of the documents `documentsSql` selects.
struct SectionStatements {
  std::string lines;
  std::string groups;   // "" when not read
  std::string uncoded;  // "" when not read
};

SectionStatements StatementsOf(const RunContext& ctx, const std::string& documentsSql,
                               const SectionRead& read) {
  SectionStatements s;
  const std::string origem = " from (" + documentsSql + ") documentos ";

  // In the order the documents are written, so the lines pair with them as
  // they are read. The document's type and status come along for the
  // section's totals; what the exemption check and the withholding read of
  // the lines comes along too, and the withholding lines that are not
  // written.
  std::string colunas =
      ", documentos.tipodoc as saft_tipodoc, documentos.Anulado as saft_anulado, (" + read.filter +
      ") as saft_escrita";
  std::string juncao = "(" + read.filter + ")";
  if (read.reasons) colunas += kReasonColumns;
  if (!read.retencaoFilter.empty()) {
    colunas += ", (" + read.retencaoFilter +
               ") as saft_retida, documentoslinhas.ValorRetencao as saft_valorretencao";
    if (ctx.settings.hasTipoRetencao)
      colunas +=
          ", documentoslinhas.TipoRetencao='IRC' as saft_irc, documentoslinhas.TipoRetencao='IRS' "
          "as saft_irs";
    juncao = "(" + juncao + " or (" + read.retencaoFilter + "))";
  }
  s.lines = "select documentos.IDDoc as saft_doc, " + read.columns + colunas + origem +
            "left join documentoslinhas on" + LineOfDocument("documentoslinhas") + "and " + juncao +
            " order by " + kDocumentOrder;
  if (!read.receipts) return s;

  const std::string recibo = "inner join documentoslinhas pl on" + LineOfDocument("pl");
  const std::string pago = LineOf("l", "pl.TipoDocP", "pl.SerieP", "pl.NumeroP");
  const std::string ordem = std::string(kDocumentOrder) + ",pl.ID";
  // One row per VAT rate of each settled document, as the receipt's lines
  // are written; a line settling nothing still has its row. The receipt's
  // status and the line's amount and paid type come along for the section's
  // totals.
  s.groups =
      "select pl.ID as saft_linha, max(l.ID) as saft_marca, l.iva, "
      "Sum(l.ValorIva) as ValorIva, sum(l.ValorLiquido) as ValorLiquido, "
      "sum(l.ValorTotal) as ValorTotal, sum(l.ValorDesconto) as ValorDesconto, "
      "sum(l.ValorRetencao) as ValorRetencao, d.data, d.ValorTotal, l.IsencaoIva, "
      "l.codmencao, max(documentos.Anulado) as saft_anulado, max(pl.ValorTotal) as "
      "saft_pago, max(pl.TipoDocP) as saft_tipodocp" +
      origem + recibo +
      "and pl.tipodocp<>'' left join (documentoslinhas l inner join documentos d "
      "on l.IDDoc = d.IDDoc) on" +
      pago + "and l.valorliquido<>0 group by " + ordem + ",l.Iva order by " + ordem + ",l.Iva";
  // The uncoded zero-rated lines of the documents the receipts pay.
  if (!ctx.V103())
    s.uncoded =
        "select distinct documentos.IDDoc, l.ID, l.tipodoc, l.serie, l.numero, l.isencaoiva" +
        origem + recibo + "inner join documentoslinhas l on" + pago +
        "where (l.codmencao is null or length(l.codmencao)=0) and l.valorliquido>0 and l.iva=0 "
        "order by documentos.IDDoc, l.ID";
  return s;
}

}  // namespace

void QueueSectionReads(RunContext& ctx, const std::string& documentsSql, const SectionRead& read) {
  const SectionStatements s = StatementsOf(ctx, documentsSql, read);
  for (const std::string* sql : {&s.lines, &s.groups, &s.uncoded})
    if (!sql->empty()) ctx.db.QueueAhead(*sql);
}

void SectionReader::ReadFrom(Database& db, const std::string& documentsSql) {
  const SectionStatements s = StatementsOf(ctx_, documentsSql, read_);
  current_ = CurrentDocument();
  Recordset linhas = db.Execute(s.lines, RowStore::kTempFile);
  if (!read_.retencaoFilter.empty())
    for (size_t i = 0; i < linhas.FieldCount(); ++i)
      if (linhas.FieldName(i) == "saft_valorretencao") retencaoExact_ = linhas.HoldsExactNumbers(i);
  lines_ = RowsByDocument(std::move(linhas), 1, true);

  groups_ = RowsByDocument();
  if (!s.groups.empty()) groups_ = RowsByDocument(db.Execute(s.groups, RowStore::kTempFile), 2);
  uncoded_.clear();
  if (s.uncoded.empty()) return;
  for (Recordset rs = db.Execute(s.uncoded, RowStore::kTempFile); !rs.Eof(); rs.MoveNext())
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

void SectionReader::ForEachLine(const std::function<void(const Recordset&)>& visit) {
  lines_.ForEachRow([&visit](const Recordset& linha) {
    if (linha.Field("saft_escrita").Boolean("saft_escrita")) visit(linha);
  });
}

SectionReader::CurrentDocument& SectionReader::Current(const Recordset& document) {
  Reread(document);
  const long long id = document.Field("IDDoc").Integer("IDDoc");
  if (current_.iddoc == id) return current_;
  current_ = CurrentDocument();
  current_.iddoc = id;
  current_.rows = lines_.Take(id);
  DocumentRows& rows = current_.rows;
  // The reasons the exemption check looks at, each once: texts compared as
  // the tables compare them, without regard to case.
  if (read_.reasons) {
    std::set<std::string> vistos;
    for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) {
      if (!rows.Field("saft_motivo").Boolean("saft_motivo")) continue;
      LineReason m{rows.Text("saft_isencao"), rows.Field("saft_codmencao"),
                   rows.Field("saft_verificado").Boolean(), rows.Field("saft_taxazero").Boolean()};
      if (vistos.insert(ReasonKey(m)).second) current_.reasons.push_back(std::move(m));
    }
  }
  // As the sums of the document's withholding lines, IRC and IRS apart,
  // rounded to cents by the server.
  if (!read_.retencaoFilter.empty()) {
    RoundedSum irc(retencaoExact_), irs(retencaoExact_);
    bool any = false;
    for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext()) {
      if (!rows.Field("saft_retida").Boolean("saft_retida")) continue;
      any = true;
      const Value valor = rows.Field("saft_valorretencao");
      if (!ctx_.settings.hasTipoRetencao)
        irs.Add(valor, "ValorRetencao");
      else if (rows.Field("saft_irc").Boolean())
        irc.Add(valor, "ValorRetencao");
      else if (rows.Field("saft_irs").Boolean())
        irs.Add(valor, "ValorRetencao");
    }
    if (any)
      current_.retencoes = std::make_pair(irc.Result().value_or(0), irs.Result().value_or(0));
  }
  rows.MoveFirst();
  return current_;
}

DocumentRows SectionReader::TakeLines(const Recordset& document) {
  return Current(document).rows.TakeWhere("saft_escrita");
}

DocumentRows SectionReader::TakeGroups(long long receiptLineId) {
  return groups_.Take(receiptLineId);
}

std::optional<std::pair<double, double>> SectionReader::Retencoes(const Recordset& document) {
  return Current(document).retencoes;
}

std::vector<LineReason> SectionReader::Reasons(const Recordset& document) {
  return Current(document).reasons;
}

std::vector<UncodedLine> SectionReader::Uncoded(const Recordset& receipt) {
  Reread(receipt);
  auto it = uncoded_.find(receipt.Field("IDDoc").Integer("IDDoc"));
  return it == uncoded_.end() ? std::vector<UncodedLine>() : it->second;
}

}  // namespace saftpt
