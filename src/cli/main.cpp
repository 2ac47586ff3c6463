// saftpt: exports the billing database's documents as a SAF-T (PT) audit file.
#include <CLI/CLI.hpp>

#include "app/Version.h"
#include "cli/Command.h"
#include "cli/Commands.h"
#include "cli/Console.h"

int main(int argc, char** argv) {
  saftpt::cli::ConsoleSession console;
  CLI::App app{"Exportação SAF-T (PT) da base de dados de faturação", "saftpt"};
  app.option_defaults()->group("Opções");
  app.set_help_flag("-h,--help", "Mostra esta ajuda");
  app.set_version_flag("--version", saftpt::VersionText("saftpt"),
                       "Mostra a versão e os dados do certificado do software");
  app.require_subcommand(1);
  auto formatter = app.get_formatter();
  formatter->label("Usage", "Utilização");
  formatter->label("OPTIONS", "OPÇÕES");
  formatter->label("SUBCOMMAND", "COMANDO");
  formatter->label("REQUIRED", "OBRIGATÓRIO");
  formatter->label("Excludes", "Exclui");
  app.failure_message([](const CLI::App*, const CLI::Error& e) {
    return std::string(e.what()) + "\nUse --help para mais informações.\n";
  });
  int status = 0;
  saftpt::cli::AddExportCommand(app, status);
  saftpt::cli::AddSettingsCommand(app, status);
  saftpt::cli::AddCheckCommand(app, status);
  saftpt::cli::AddValidateCommand(app, status);
  saftpt::cli::AddSummaryCommand(app, status);
  saftpt::cli::AddReasonsCommand(app, status);
  for (CLI::App* sub : app.get_subcommands({})) {
    sub->group("Comandos");
    if (CLI::Option* help = sub->get_help_ptr()) help->group("Opções");
  }
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    // Help asked for is a success; every other parse error is a bad argument.
    int code = app.exit(e);
    return static_cast<int>(code == 0 ? saftpt::cli::ExitStatus::kOk
                                      : saftpt::cli::ExitStatus::kBadArguments);
  }
  return status;
}
