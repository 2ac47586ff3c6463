// `saftpt reasons`: the exemption reasons in force for a period, as the
// export and its correction dialog will take them, and the file they came
// from.
#include <iostream>

#include "cli/Arguments.h"
#include "cli/Command.h"
#include "cli/Commands.h"
#include "saft/ValueFormat.h"

namespace saftpt::cli {

namespace {

class ReasonsCommand : public Command {
 public:
  ReasonsCommand()
      : Command("reasons",
                "Mostra os motivos de isenção de IVA em vigor num período e o ficheiro de onde "
                "vêm",
                ExitStatus::kProblemsFound) {}

 private:
  void AddOptions(CLI::App& cmd) override {
    AddSettingsOption(cmd);
    cmd.add_option("--date", date_, "Primeiro dia do período AAAA-MM-DD (por omissão hoje)");
    cmd.footer(
        "Estado de saída: 0 motivos escritos, 1 tabela de motivos em falta ou inválida, "
        "2 argumentos inválidos.");
  }

  ExitStatus Run() override {
    DateTime start = date_.empty() ? DateTime::Today()
                                   : ReadDateOption(date_, "--date", ExitStatus::kBadArguments);
    ExemptionTable table = ReadExemptionTable();
    std::cout << "Tabela: " << table.Path() << "\n"
              << "Motivos em vigor num período que começa em " << FormatDate(start) << ":\n"
              << "código  aceite  oferecido  texto\n";
    for (const MotivoEntry& e : table.InForce(start)) {
      std::cout << e.codigo << "     " << (e.Accepted() ? "sim" : "não") << "     "
                << (e.dialogo ? "sim" : "não") << "        " << e.texto << "\n";
    }
    std::cout << std::flush;
    return ExitStatus::kOk;
  }

  std::string date_;
};

}  // namespace

CLI::App* AddReasonsCommand(CLI::App& app, int& status) {
  return Command::Register(std::make_shared<ReasonsCommand>(), app, status);
}

}  // namespace saftpt::cli
