// `saftpt validate`: checks an existing audit file against the tax
// authority's schema and control totals, then its numbering, ATCUD and
// signatures.
#include <iostream>

#include "audit/FileAudit.h"
#include "audit/SchemaValidation.h"
#include "cli/Arguments.h"
#include "cli/Command.h"
#include "cli/Commands.h"

namespace saftpt::cli {

namespace {

void Show(std::ostream& out, const ValidationProblem& p) {
  out << "  ";
  if (p.line > 0) out << "Linha " << p.line;
  if (!p.element.empty()) out << (p.line > 0 ? ", " : "") << p.element;
  out << ": " << p.message << "\n";
  if (!p.source.empty()) out << "    XML: " << p.source << "\n";
}

class ValidateCommand : public Command {
 public:
  ValidateCommand()
      : Command("validate",
                "Valida um ficheiro SAF-T (PT): esquema da AT, totais de controlo, numeração, "
                "ATCUD e assinaturas",
                ExitStatus::kFailed) {}

 private:
  void AddOptions(CLI::App& cmd) override {
    AddFileArgument(cmd, file_, "Ficheiro SAF-T (PT) a validar");
    cmd.add_option("--xsd", xsd_,
                   "Esquema a usar (por omissão SAFTPT1.04_01.xsd junto ao programa ou em "
                   "/usr/share/saftpt)");
    cmd.add_option("--public-key", publicKeys_,
                   "Chave pública PEM para verificar as assinaturas (Hash); VERSAO=FICHEIRO "
                   "para a versão da chave (HashControl); repetível")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->type_name("[VERSAO=]FICHEIRO");
    cmd.footer(
        "Estado de saída: 0 válido (mesmo com avisos), 1 inválido, 2 ficheiro ou esquema "
        "ilegível.");
  }

  ExitStatus Run() override {
    std::string xsd = xsd_.empty() ? DefaultSchemaPath() : xsd_;
    AuditOptions audit;
    AddPublicKeys(audit, publicKeys_, ExitStatus::kFailed);
    FileAudit numbering(audit);
    ValidationReport r = ValidateSaftFile(file_, xsd, numbering.Taker());
    AuditReport found = numbering.Finish();

    if (!r.Valid()) {
      std::cout << r.Erro1006() << "\n\n";
      std::cout << "Erros (" << r.errors.size() + r.omitted << "):\n";
      for (const ValidationProblem& p : r.errors) Show(std::cout, p);
      if (r.omitted > 0) std::cout << "  ... e mais " << r.omitted << " erros.\n";
    }
    if (!r.warnings.empty()) {
      std::cout << "Avisos (" << r.warnings.size() << "):\n";
      for (const ValidationProblem& p : r.warnings) Show(std::cout, p);
    }
    if (!found.findings.empty()) {
      std::cout << "Numeração, ATCUD e assinaturas (" << found.ErrorCount() << " erros, "
                << found.WarningCount() << " avisos):\n";
      for (const AuditFinding& f : found.findings)
        std::cout << "  " << (f.gravidade == Gravidade::kErro ? "Erro: " : "Aviso: ") << f.message
                  << "\n";
    }
    if (r.Valid() && found.Valid()) {
      std::cout << "Ficheiro válido." << std::endl;
      return ExitStatus::kOk;
    }
    std::cout << "Ficheiro inválido." << std::endl;
    return ExitStatus::kProblemsFound;
  }

  std::string file_;
  std::string xsd_;
  std::vector<std::string> publicKeys_;  // "FILE" or "VERSION=FILE"
};

}  // namespace

CLI::App* AddValidateCommand(CLI::App& app, int& status) {
  return Command::Register(std::make_shared<ValidateCommand>(), app, status);
}

}  // namespace saftpt::cli
