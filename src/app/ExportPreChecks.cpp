#include "app/ExportPreChecks.h"

namespace saftpt {

std::string CheckDatabaseUpdated(Database& db) {
  if (db.HasColumn("tipoisencaoiva", "CodMencao")) return "";
  return "Deve correr o utilitário ZAZorezed para atualizar a Base de Dados.";
}

std::string CheckSeriesSelected(bool seriesSelected) {
  return seriesSelected ? "" : "Seleccione uma série, p.f.";
}

std::string CheckPeriod(const DateTime& start, const DateTime& end) {
  if (start.DateOnly() <= end.DateOnly()) return "";
  // The wording is the one users know, although the check is the reverse.
  return "A data Inicial não pode ser inferior à data final";
}

std::string CheckBeforeExport(Database& db, bool seriesSelected, const DateTime& start,
                              const DateTime& end) {
  std::string problem = CheckDatabaseUpdated(db);
  if (problem.empty()) problem = CheckSeriesSelected(seriesSelected);
  if (problem.empty()) problem = CheckPeriod(start, end);
  return problem;
}

}  // namespace saftpt
