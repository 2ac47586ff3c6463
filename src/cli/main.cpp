// saftpt: exports the billing database's documents as a SAF-T (PT) audit file.
#include <CLI/CLI.hpp>

#include "cli/Commands.h"

int main(int argc, char** argv) {
  CLI::App app{"Exportação SAF-T (PT) da base de dados de faturação", "saftpt"};
  app.require_subcommand(1);
  int status = 0;
  saftpt::cli::AddExportCommand(app, status);
  saftpt::cli::AddSettingsCommand(app, status);
  saftpt::cli::AddCheckCommand(app, status);
  saftpt::cli::AddValidateCommand(app, status);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e);
  }
  return status;
}
