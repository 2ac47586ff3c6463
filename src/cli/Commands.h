// The subcommands of `saftpt`, each registered on the application.
#ifndef SAFTPT_CLI_COMMANDS_H_
#define SAFTPT_CLI_COMMANDS_H_

#include <CLI/CLI.hpp>

namespace saftpt::cli {

// The help of the --settings option every command that reads the file has.
inline constexpr const char* kAjudaSettings =
    "Ficheiro de configuração (por omissão lexora.ini junto ao programa, se lá estiver, senão "
    "$XDG_CONFIG_HOME/saftpt/lexora.ini, isto é, ~/.config/saftpt/lexora.ini)";

// Each returns the subcommand; its callback stores the exit status in `status`.
CLI::App* AddExportCommand(CLI::App& app, int& status);
CLI::App* AddSettingsCommand(CLI::App& app, int& status);
CLI::App* AddCheckCommand(CLI::App& app, int& status);
CLI::App* AddValidateCommand(CLI::App& app, int& status);
CLI::App* AddSummaryCommand(CLI::App& app, int& status);

}  // namespace saftpt::cli

#endif  // SAFTPT_CLI_COMMANDS_H_
