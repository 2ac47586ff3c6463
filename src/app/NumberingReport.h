// The third list of the consistency report ("Numeração"): for each document
// type and series of the billing database, the numbers missing between the
// last number before the period and the last one in it, numbers used twice,
// dates going back as the numbers go up, and documents without ATCUD from
// 2023-02-01 on. The drafts' series "tmp" is left out.
#ifndef SAFTPT_APP_NUMBERINGREPORT_H_
#define SAFTPT_APP_NUMBERINGREPORT_H_

#include <string>
#include <vector>

#include "audit/NumberingRules.h"
#include "base/DateTime.h"
#include "db/Database.h"

namespace saftpt {

// The findings, each naming the document as the audit file does ("F A/13").
// A failing query throws Error with the database's message.
std::vector<AuditFinding> NumeracaoDaBase(Database& db, const DateTime& start, const DateTime& end);

// The same as the message box's text; `encontrou` says whether there is any.
std::string CheckNumeracao(Database& db, const DateTime& start, const DateTime& end,
                           bool& encontrou);

}  // namespace saftpt

#endif  // SAFTPT_APP_NUMBERINGREPORT_H_
