#include "app/ExportPreChecks.h"

namespace saftpt {

std::optional<std::string> CheckDatabaseUpdated(Database& db) {
  if (db.HasColumn("tipoisencaoiva", "CodMencao")) return std::nullopt;
  return "Deve correr o utilitário ZAZorezed para atualizar a Base de Dados.";
}

std::optional<std::string> CheckSeriesSelected(bool seriesSelected) {
  if (seriesSelected) return std::nullopt;
  return "Seleccione uma série, p.f.";
}

std::optional<std::string> CheckPeriod(const DateTime& start, const DateTime& end) {
  if (start.DateOnly() <= end.DateOnly()) return std::nullopt;
  // The wording is the one users know, although the check is the reverse.
  return "A data Inicial não pode ser inferior à data final";
}

std::optional<std::string> CheckBeforeExport(Database& db, bool seriesSelected,
                                             const DateTime& start, const DateTime& end) {
  std::optional<std::string> problem = CheckDatabaseUpdated(db);
  if (!problem) problem = CheckSeriesSelected(seriesSelected);
  if (!problem) problem = CheckPeriod(start, end);
  return problem;
}

}  // namespace saftpt
