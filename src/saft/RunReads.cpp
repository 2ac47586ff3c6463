// Rows of many documents read in one statement and handed out per document.
#include "saft/RunReads.h"

#include "base/Error.h"

namespace saftpt {

namespace {

std::shared_ptr<const std::vector<std::string>> Names(const Recordset& rs, size_t from) {
  auto names = std::make_shared<std::vector<std::string>>();
  for (size_t i = from; i < rs.FieldCount(); ++i) names->push_back(AsciiLower(rs.FieldName(i)));
  return names;
}

}  // namespace

Value DocumentRows::Field(std::string_view name) const {
  std::string lower = AsciiLower(name);
  for (size_t i = 0; i < names_->size(); ++i)
    if ((*names_)[i] == lower) return rows_[pos_][i];
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

std::optional<DocumentRows> RowsByDocument::Take(long long iddoc) {
  if (!open_) return std::nullopt;
  DocumentRows l;
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
  if (!found) return std::nullopt;
  return l;
}

}  // namespace saftpt
