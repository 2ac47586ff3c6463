// The lists the window offers: the series of the export and, for the document
// restrictions, the document types and the series of each.
#ifndef SAFTPT_APP_SERIESLISTS_H_
#define SAFTPT_APP_SERIESLISTS_H_

#include <string>
#include <vector>

#include "db/Database.h"

namespace saftpt {

// The series of table "series" in order, without the drafts' series "tmp".
std::vector<std::string> ReadSeries(Database& db);

// The document types of table "seriedocumento", in order.
std::vector<std::string> ReadTiposDoc(Database& db);
// The series table "seriedocumento" gives `tipodoc`.
std::vector<std::string> ReadSeriesOfTipoDoc(Database& db, const std::string& tipodoc);

}  // namespace saftpt

#endif  // SAFTPT_APP_SERIESLISTS_H_
