// What the verbs read from their arguments and the user's locale.
#ifndef SAFTPT_CLI_ARGUMENTS_H_
#define SAFTPT_CLI_ARGUMENTS_H_

#include <string>
#include <vector>

#include "audit/FileAudit.h"
#include "base/DateTime.h"
#include "cli/Command.h"

namespace saftpt::cli {

// The date `text` of `option`, written AAAA-MM-DD; anything else ends the
// verb with "Data inválida em --from: ..." and `status`.
DateTime ReadDateOption(const std::string& text, const std::string& option, ExitStatus status);

// The --public-key values, "FILE" or "VERSION=FILE"; a bad one ends the verb
// with its reason and `status`.
void AddPublicKeys(AuditOptions& audit, const std::vector<std::string>& keys, ExitStatus status);

// The user's decimal separator (for summaries and reports). The program
// itself keeps the "C" numeric locale: amounts in the file and numbers read
// from the database use a point.
char DecimalSeparator();

}  // namespace saftpt::cli

#endif  // SAFTPT_CLI_ARGUMENTS_H_
