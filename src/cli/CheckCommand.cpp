// `saftpt check`: the consistency report ("Verificar Erros") of a period on
// standard output.
#include <iostream>

#include "app/ConsistencyReport.h"
#include "app/ExportPreChecks.h"
#include "app/WindowDefaults.h"
#include "cli/Arguments.h"
#include "cli/Command.h"
#include "cli/Commands.h"

namespace saftpt::cli {

namespace {

// The report's lines end in "\r\n", as in the message boxes; a terminal
// wants "\n".
std::string ForTerminal(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

class CheckCommand : public Command {
 public:
  CheckCommand()
      : Command("check",
                "Verifica erros nos valores dos recibos, nas faturas pagas a mais e na numeração "
                "(Verificar Erros)",
                ExitStatus::kFailed) {}

 private:
  void AddOptions(CLI::App& cmd) override {
    AddSettingsOption(cmd);
    AddPeriodOptions(cmd, from_, to_);
    cmd.footer(
        "Estado de saída: 0 sem erros detetados, 1 com possíveis erros, 2 falha (ligação, "
        "argumentos ou consulta).");
  }

  ExitStatus Run() override {
    PeriodoInicial period = DefaultExportPeriod(DateTime::Today());
    DateTime start = period.inicio;
    DateTime end = period.fim;
    if (!from_.empty()) start = ReadDateOption(from_, "--from", ExitStatus::kFailed);
    if (!to_.empty()) end = ReadDateOption(to_, "--to", ExitStatus::kFailed);
    if (std::optional<std::string> problem = CheckPeriod(start, end)) Fail(*problem);

    Database db;
    Connect(db, SettingsFile());
    RelatorioConsistencia report = CheckConsistency(db, start, end, DecimalSeparator());
    std::cout << ForTerminal(report.recibos) << "\n\n"
              << ForTerminal(report.faturas) << "\n\n"
              << ForTerminal(report.numeracao) << std::endl;
    if (!report.aviso.empty()) std::cerr << report.aviso << std::endl;
    return report.FoundErrors() ? ExitStatus::kProblemsFound : ExitStatus::kOk;
  }

  std::string from_;
  std::string to_;
};

}  // namespace

CLI::App* AddCheckCommand(CLI::App& app, int& status) {
  return Command::Register(std::make_shared<CheckCommand>(), app, status);
}

}  // namespace saftpt::cli
