// The checks an export makes before it asks for a file, in the window's
// order, and their messages. The window makes them first so that the user is
// not asked for a file in vain; the export run makes them again; `saftpt
// check` shares the period's.
#ifndef SAFTPT_APP_EXPORTPRECHECKS_H_
#define SAFTPT_APP_EXPORTPRECHECKS_H_

#include <optional>
#include <string>

#include "base/DateTime.h"
#include "db/Database.h"

namespace saftpt {

// Each returns the message to show, or nothing when the check passes.

// A database without tipoisencaoiva.CodMencao has not been updated.
std::optional<std::string> CheckDatabaseUpdated(Database& db);
// The window's series list must have a selection.
std::optional<std::string> CheckSeriesSelected(bool seriesSelected);
// The period must not end before it starts (days only).
std::optional<std::string> CheckPeriod(const DateTime& start, const DateTime& end);

// The three, in that order: the first problem's message, or nothing.
std::optional<std::string> CheckBeforeExport(Database& db, bool seriesSelected,
                                             const DateTime& start, const DateTime& end);

}  // namespace saftpt

#endif  // SAFTPT_APP_EXPORTPRECHECKS_H_
