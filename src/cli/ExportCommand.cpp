// `saftpt export`: the window's export from the command line, with the
// window's defaults (previous month, 1.04_01, receipts from the settings).
#include <iostream>

#include "app/ExportRun.h"
#include "app/WindowDefaults.h"
#include "audit/ExportCheck.h"
#include "base/Error.h"
#include "cli/Arguments.h"
#include "cli/Command.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/TerminalDialogs.h"
#include "cli/TerminalProgress.h"
#include "config/IniFile.h"
#include "config/OfficeConfig.h"
#include "config/Settings.h"
#include "saft/Restrictions.h"

namespace saftpt::cli {

namespace {

// Nothing to open for a terminal user.
class NoShell : public Shell {
 public:
  void OpenFolder(const std::string&) override {}
  void OpenUrl(const std::string&) override {}
};

class ExportCommand : public Command {
 public:
  ExportCommand()
      : Command("export", "Exporta o ficheiro SAF-T (PT) de um período", ExitStatus::kNotWritten) {}

 private:
  void AddOptions(CLI::App& cmd) override {
    cmd.add_option("-o,--output", output_, "Ficheiro XML a gravar")->required();
    AddSettingsOption(cmd);
    cmd.add_option("--year", year_,
                   "Exercício (FiscalYear); sozinho exporta de 1 de janeiro a 31 de dezembro");
    AddPeriodOptions(cmd, from_, to_);
    cmd.add_option("--schema", schema_, "Versão do ficheiro: 1.03_01 ou 1.04_01")
        ->default_str("1.04_01");
    auto* receipts = cmd.add_flag("--receipts", receipts_, "Envia os recibos");
    auto* noReceipts = cmd.add_flag("--no-receipts", noReceipts_, "Não envia os recibos");
    receipts->excludes(noReceipts);
    cmd.add_option("--comment", comment_, "Comentário (HeaderComment)");
    cmd.add_option("--restrict", restrictions_,
                   "Restrição de documentos TIPO:SÉRIE:INICIAL-FINAL (repetível)")
        ->expected(1)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->type_name("TIPO:SÉRIE:N-M");
    cmd.add_flag("--force", force_, "Substitui um ficheiro existente sem perguntar");
    cmd.add_flag("--no-input", noInput_, "Nunca pergunta nada no terminal");
    auto* validate = cmd.add_flag("--validate", validate_,
                                  "Verifica o ficheiro gravado com as regras da AT (por omissão)");
    auto* noValidate =
        cmd.add_flag("--no-validate", noValidate_, "Não verifica o ficheiro gravado");
    validate->excludes(noValidate);
    cmd.add_option("--xsd", xsd_,
                   "Esquema da verificação (por omissão SAFTPT1.04_01.xsd junto ao programa ou "
                   "em /usr/share/saftpt)");
    cmd.add_option("--public-key", publicKeys_,
                   "Chave pública (PEM) que verifica as assinaturas; VERSÃO=FICHEIRO para a "
                   "versão de HashControl (repetível)")
        ->type_name("[VERSÃO=]FICHEIRO");
    cmd.footer(
        "Estado de saída: 0 gravado (e conforme às regras da AT, salvo com --no-validate), "
        "1 nada gravado, 2 argumentos inválidos, 3 gravado mas rejeitado pelas regras da AT "
        "(os problemas no erro padrão).");
  }

  ExitStatus Run() override {
    ExportOptions options = ReadOptions(DateTime::Today());
    AuditOptions audit;
    AddPublicKeys(audit, publicKeys_, ExitStatus::kBadArguments);

    std::string settingsFile = SettingsFile();
    options.motivos = ReadExemptionTable();
    // Without --public-key, the keys the settings file names check the signatures.
    if (publicKeys_.empty()) ReadPublicKeysFromSettings(settingsFile, audit);
    if (receipts_) {
      options.receipts = true;
    } else if (!noReceipts_) {
      std::string receipts;
      options.receipts = ReadIni(settingsFile, "bd", "saftrecibos", receipts) && receipts == "1";
    }

    Database db;
    Connect(db, settingsFile);
    ConfiguracaoEscritorio office;
    LoadOfficeConfig(db, office);

    TerminalProgress progress;
    Terminal terminal{std::cin, std::cout, std::cerr, !noInput_ && IsTerminal(0) && IsTerminal(2),
                      &progress};
    TerminalDialogs dialogs(terminal, force_,
                            "Já existe um ficheiro com esse nome: não foi substituído "
                            "(use --force para o substituir).");
    TerminalExemptionResolver resolver(terminal);
    NoShell shell;

    ExportRequest request;
    request.options = options;
    request.decimalSeparator = DecimalSeparator();
    ExportRun run(db, office, dialogs, shell, progress, resolver);
    ExportResult result = run.Run(request);
    progress.Clear();
    if (!result.written) return ExitStatus::kNotWritten;
    if (!result.warning.empty()) std::cerr << result.warning << std::endl;
    if (noValidate_) return ExitStatus::kOk;
    return CheckWrittenFile(options.schema, audit);
  }

  // The options of the run from the arguments; a bad one ends the verb.
  ExportOptions ReadOptions(const DateTime& today) const {
    ExportOptions o;
    o.today = today;
    if (!year_.empty()) {
      int year = 0;
      if (!ValidFiscalYear(year_, year)) BadArgument("Exercicio inválido");
      o.start = DateTime::Date(year, 1, 1);
      o.end = DateTime::Date(year, 12, 31);
    } else {
      PeriodoInicial period = DefaultExportPeriod(today);
      o.start = period.inicio;
      o.end = period.fim;
    }
    if (!from_.empty()) o.start = ReadDateOption(from_, "--from", ExitStatus::kBadArguments);
    if (!to_.empty()) o.end = ReadDateOption(to_, "--to", ExitStatus::kBadArguments);
    o.fiscalYear = year_.empty() ? std::to_string(o.start.year) : year_;

    if (schema_ == "1.03_01") {
      o.schema = SchemaVersion::kV103;
    } else if (schema_ == "1.04_01") {
      o.schema = SchemaVersion::kV104;
    } else {
      BadArgument("Versão do ficheiro inválida: \"" + schema_ + "\" (use 1.03_01 ou 1.04_01).");
    }
    o.comment = comment_;
    o.outputPath = output_;
    for (const std::string& r : restrictions_) {
      try {
        o.restrictions.push_back(ParseRestricao(r));
      } catch (const Error& e) {  // not swallowed: a bad argument, saying why
        BadArgument("Restrição \"" + r + "\" inválida: " + e.Description());
      }
    }
    return o;
  }

  [[noreturn]] static void BadArgument(const std::string& message) {
    throw CommandFailure(message, ExitStatus::kBadArguments);
  }

  // The written file checked as `saftpt validate` does.
  ExitStatus CheckWrittenFile(SchemaVersion schema, const AuditOptions& audit) const {
    VerificacaoDoFicheiro check = CheckExportedFile(output_, schema, xsd_, audit);
    if (check.Passes() || !check.verificado) {
      std::cout << check.Texto() << std::endl;
      return ExitStatus::kOk;
    }
    std::cerr << check.Texto() << std::endl;
    return ExitStatus::kRejected;
  }

  std::string output_;
  std::string year_;
  std::string from_;
  std::string to_;
  std::string schema_ = "1.04_01";
  std::string comment_;
  std::string xsd_;
  std::vector<std::string> publicKeys_;
  std::vector<std::string> restrictions_;
  bool receipts_ = false;
  bool noReceipts_ = false;
  bool force_ = false;
  bool noInput_ = false;
  bool validate_ = false;  // the default; still accepted
  bool noValidate_ = false;
};

}  // namespace

CLI::App* AddExportCommand(CLI::App& app, int& status) {
  return Command::Register(std::make_shared<ExportCommand>(), app, status);
}

}  // namespace saftpt::cli
