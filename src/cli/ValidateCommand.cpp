// `saftpt validate`: checks an existing audit file against the tax
// authority's schema and control totals, then its numbering, ATCUD and
// signatures.
#include <iostream>

#include "app/FileAudit.h"
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
  std::vector<std::string> publicKeys;  // "FILE" or "VERSION=FILE"
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
  AuditOptions auditoria;
  for (const std::string& chave : a.publicKeys) {
    std::string erro;
    if (!AddChavePublica(auditoria, chave, erro)) {
      std::cerr << erro << std::endl;
      return kExitFalhou;
    }
  }
  ValidationReport r;
  AuditReport audit;
  try {
    r = ValidaFicheiroSaft(a.file, xsd);
    // A file that is not XML has its one error already.
    if (r.valid() || !r.errors.empty()) audit = AuditaFicheiro(a.file, auditoria);
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
  if (!audit.findings.empty()) {
    std::cout << "Numeração, ATCUD e assinaturas (" << audit.erros() << " erros, " << audit.avisos()
              << " avisos):\n";
    for (const AuditFinding& f : audit.findings)
      std::cout << "  " << (f.gravidade == Gravidade::kErro ? "Erro: " : "Aviso: ") << f.message
                << "\n";
  }
  if (r.valid() && audit.valid()) {
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
      "validate",
      "Valida um ficheiro SAF-T (PT): esquema da AT, totais de controlo, numeração, ATCUD e "
      "assinaturas");
  // The help's formatter is the program's; only this command has positionals.
  cmd->get_formatter()->label("Positionals", "Argumentos");
  cmd->add_option("ficheiro", args->file, "Ficheiro SAF-T (PT) a validar")->required();
  cmd->add_option(
      "--xsd", args->xsd,
      "Esquema a usar (por omissão SAFTPT1.04_01.xsd junto ao programa ou em /usr/share/saftpt)");
  cmd->add_option("--public-key", args->publicKeys,
                  "Chave pública PEM para verificar as assinaturas (Hash); VERSAO=FICHEIRO "
                  "para a versão da chave (HashControl); repetível")
      ->expected(1)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
      ->type_name("[VERSAO=]FICHEIRO");
  cmd->footer(
      "Estado de saída: 0 válido (mesmo com avisos), 1 inválido, 2 ficheiro ou esquema "
      "ilegível.");
  cmd->callback([args, &status] { status = Valida(*args); });
  return cmd;
}

}  // namespace saftpt::cli
