// `saftpt summary`: the VAT and withholding summary of an audit file, as a
// table or as comma-separated values.
#include <iostream>

#include "app/TaxSummary.h"
#include "cli/Commands.h"
#include "config/Error.h"

namespace saftpt::cli {

namespace {

constexpr int kExitLido = 0;
constexpr int kExitFalhou = 2;

struct SummaryArgs {
  std::string file;
  bool csv = false;
};

int Resume(const SummaryArgs& a) {
  try {
    ResumoIva resumo = CalculaResumoIva(a.file);
    std::cout << (a.csv ? ResumoIvaCsv(resumo) : ResumoIvaTexto(resumo)) << std::flush;
    return kExitLido;
  } catch (const Error& e) {
    std::cerr << e.description() << std::endl;
  } catch (const std::exception& e) {
    std::cerr << e.what() << std::endl;
  }
  return kExitFalhou;
}

}  // namespace

CLI::App* AddSummaryCommand(CLI::App& app, int& status) {
  auto args = std::make_shared<SummaryArgs>();
  auto* cmd = app.add_subcommand(
      "summary", "Resumo do IVA e das retenções na fonte de um ficheiro SAF-T (PT)");
  cmd->get_formatter()->label("Positionals", "Argumentos");
  cmd->add_option("ficheiro", args->file, "Ficheiro SAF-T (PT)")->required();
  cmd->add_flag("--csv", args->csv,
                "Valores separados por vírgulas (imposto,regiao,codigo,taxa,base,valor)");
  cmd->footer("Estado de saída: 0 resumo escrito, 2 ficheiro ilegível.");
  cmd->callback([args, &status] { status = Resume(*args); });
  return cmd;
}

}  // namespace saftpt::cli
