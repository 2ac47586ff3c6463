// Placeholder: replaced by the real implementation.
#include "cli/Commands.h"

namespace saftpt::cli {

CLI::App* AddSettingsCommand(CLI::App& app, int& status) {
  auto* cmd = app.add_subcommand("settings", "");
  cmd->callback([&status] { status = 1; });
  return cmd;
}

}  // namespace saftpt::cli
