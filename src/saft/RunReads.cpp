// Rows of many documents read in one statement and handed out per document.
#include "saft/RunReads.h"

#include "config/Error.h"

namespace saftpt {

namespace {

std::shared_ptr<const std::vector<std::string>> Nomes(const Recordset& rs, size_t from) {
  auto names = std::make_shared<std::vector<std::string>>();
  for (size_t i = from; i < rs.fieldCount(); ++i) names->push_back(AsciiLower(rs.fieldName(i)));
  return names;
}

}  // namespace

Linhas Linhas::De(Recordset& rs) {
  Linhas l;
  l.names_ = Nomes(rs, 0);
  for (; !rs.eof(); rs.moveNext()) {
    std::vector<Value> row;
    row.reserve(rs.fieldCount());
    for (size_t i = 0; i < rs.fieldCount(); ++i) row.push_back(rs.field(i));
    l.rows_.push_back(std::move(row));
  }
  return l;
}

Value Linhas::field(std::string_view name) const {
  std::string lower = AsciiLower(name);
  for (size_t i = 0; i < names_->size(); ++i)
    if ((*names_)[i] == lower) return rows_[pos_][i];
  throw Error(Error::kData, "Coluna desconhecida: " + std::string(name));
}

LinhasPorDocumento::LinhasPorDocumento(Recordset rs, size_t primeira)
    : rs_(std::move(rs)), names_(Nomes(rs_, primeira)), primeira_(primeira), aberto_(true) {}

std::vector<Value> LinhasPorDocumento::LeLinha() const {
  std::vector<Value> row;
  row.reserve(names_->size());
  for (size_t i = primeira_; i < rs_.fieldCount(); ++i) row.push_back(rs_.field(i));
  return row;
}

void LinhasPorDocumento::ParaCadaLinha(const std::function<void(const Recordset&)>& visita) {
  if (!aberto_) return;
  for (rs_.moveFirst(); !rs_.eof(); rs_.moveNext())
    if (!rs_.field(size_t{1}).isNull()) visita(rs_);
  rs_.moveFirst();
}

std::optional<Linhas> LinhasPorDocumento::Retira(long long iddoc) {
  if (!aberto_) return std::nullopt;
  Linhas l;
  l.names_ = names_;
  auto it = pendentes_.find(iddoc);
  if (it != pendentes_.end()) {
    l.rows_ = std::move(it->second);
    pendentes_.erase(it);
    return l;
  }
  bool achado = false;
  for (; !rs_.eof(); rs_.moveNext()) {
    long long id = rs_.field(size_t{0}).integer();
    if (achado && id != iddoc) break;
    auto& destino = id == iddoc ? l.rows_ : pendentes_[id];
    if (id == iddoc) achado = true;
    if (!rs_.field(size_t{1}).isNull()) destino.push_back(LeLinha());
  }
  if (!achado) return std::nullopt;
  return l;
}

}  // namespace saftpt
