// What the subcommands read from their arguments and the user's locale.
#ifndef SAFTPT_CLI_ARGUMENTS_H_
#define SAFTPT_CLI_ARGUMENTS_H_

#include <optional>
#include <string>

#include "config/DateTime.h"

namespace saftpt::cli {

// A date written AAAA-MM-DD, or nothing.
std::optional<DateTime> LeData(const std::string& texto);
// "Data inválida em --from: ..." for an option's bad date.
std::string MensagemDataInvalida(const std::string& opcao, const std::string& texto);

// The user's decimal separator (for summaries and reports). The program
// itself keeps the "C" numeric locale: amounts in the file and numbers read
// from the database use a point.
char SeparadorDecimal();

}  // namespace saftpt::cli

#endif  // SAFTPT_CLI_ARGUMENTS_H_
