#include "app/SeriesLists.h"

namespace saftpt {

namespace {

// The first column of every row of `sql`.
std::vector<std::string> FirstColumn(Database& db, const std::string& sql) {
  std::vector<std::string> values;
  Recordset rs = db.Execute(sql);
  for (; !rs.Eof(); rs.MoveNext()) values.push_back(rs.Field(size_t{0}).Text());
  rs.Close();
  return values;
}

}  // namespace

std::vector<std::string> ReadSeries(Database& db) {
  return FirstColumn(
      db, "select serie, descricao, seriegeral from series where serie<>'tmp' order by serie");
}

std::vector<std::string> ReadTiposDoc(Database& db) {
  return FirstColumn(db, "select distinct documento from seriedocumento order by documento");
}

std::vector<std::string> ReadSeriesOfTipoDoc(Database& db, const std::string& tipodoc) {
  return FirstColumn(db, "select distinct serie from seriedocumento where documento='" +
                             db.Escape(tipodoc) + "' order by documento");
}

}  // namespace saftpt
