// `saftpt validate`: checks an existing audit file against the tax
// authority's schema and control totals.
#include <iostream>

#include "app/SchemaValidation.h"
#include "cli/Commands.h"
#include "config/Error.h"

namespace saftpt::cli {

namespace {

constexpr int kExitValido = 0;
constexpr int kExitInvalido = 1;
constexpr int kExitFalhou = 2;

struct ValidateArgs {
  std::string file;
  std::string xsd;
};

void Mostra(std::ostream& out, const ValidationProblem& p) {
  out << "  ";
  if (p.line > 0) out << "Linha " << p.line;
  if (!p.element.empty()) out << (p.line > 0 ? ", " : "") << p.element;
  out << ": " << p.message << "\n";
  if (!p.source.empty()) out << "    XML: " << p.source << "\n";
}

int Valida(const ValidateArgs& a) {
  std::string xsd = a.xsd.empty() ? SchemaPorOmissao() : a.xsd;
  ValidationReport r;
  try {
    r = ValidaFicheiroSaft(a.file, xsd);
  } catch (const Error& e) {
    std::cerr << e.description() << std::endl;
    return kExitFalhou;
  } catch (const std::exception& e) {
    std::cerr << e.what() << std::endl;
    return kExitFalhou;
  }
  if (!r.valid()) {
    std::cout << r.Erro1006() << "\n\n";
    std::cout << "Erros (" << r.errors.size() + r.omitted << "):\n";
    for (const ValidationProblem& p : r.errors) Mostra(std::cout, p);
    if (r.omitted > 0) std::cout << "  ... e mais " << r.omitted << " erros.\n";
  }
  if (!r.warnings.empty()) {
    std::cout << "Avisos (" << r.warnings.size() << "):\n";
    for (const ValidationProblem& p : r.warnings) Mostra(std::cout, p);
  }
  if (r.valid()) {
    std::cout << "Ficheiro válido." << std::endl;
    return kExitValido;
  }
  std::cout << "Ficheiro inválido." << std::endl;
  return kExitInvalido;
}

}  // namespace

CLI::App* AddValidateCommand(CLI::App& app, int& status) {
  auto args = std::make_shared<ValidateArgs>();
  auto* cmd = app.add_subcommand(
      "validate", "Valida um ficheiro SAF-T (PT) com o esquema da AT e os totais de controlo");
  // The help's formatter is the program's; only this command has positionals.
  cmd->get_formatter()->label("Positionals", "Argumentos");
  cmd->add_option("ficheiro", args->file, "Ficheiro SAF-T (PT) a validar")->required();
  cmd->add_option("--xsd", args->xsd,
                  "Esquema a usar (por omissão SAFTPT1.04_01.xsd junto ao programa)");
  cmd->footer(
      "Estado de saída: 0 válido (mesmo com avisos), 1 inválido, 2 ficheiro ou esquema "
      "ilegível.");
  cmd->callback([args, &status] { status = Valida(*args); });
  return cmd;
}

}  // namespace saftpt::cli
