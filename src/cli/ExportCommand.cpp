// Placeholder: replaced by the real implementation.
#include "cli/Commands.h"

namespace saftpt::cli {

CLI::App* AddExportCommand(CLI::App& app, int& status) {
  auto* cmd = app.add_subcommand("export", "");
  cmd->callback([&status] { status = 1; });
  return cmd;
}

}  // namespace saftpt::cli
