// The verbs of `saftpt`, each registered on the application.
#ifndef SAFTPT_CLI_COMMANDS_H_
#define SAFTPT_CLI_COMMANDS_H_

#include <CLI/CLI.hpp>

namespace saftpt::cli {

// Each returns the subcommand; when it runs, its exit status goes into `status`.
CLI::App* AddExportCommand(CLI::App& app, int& status);
CLI::App* AddSettingsCommand(CLI::App& app, int& status);
CLI::App* AddCheckCommand(CLI::App& app, int& status);
CLI::App* AddValidateCommand(CLI::App& app, int& status);
CLI::App* AddSummaryCommand(CLI::App& app, int& status);
CLI::App* AddReasonsCommand(CLI::App& app, int& status);

}  // namespace saftpt::cli

#endif  // SAFTPT_CLI_COMMANDS_H_
