// `saftpt summary`: the VAT and withholding summary of an audit file, as a
// table or as comma-separated values.
#include <iostream>

#include "audit/TaxSummary.h"
#include "cli/Command.h"
#include "cli/Commands.h"

namespace saftpt::cli {

namespace {

class SummaryCommand : public Command {
 public:
  SummaryCommand()
      : Command("summary", "Resumo do IVA e das retenções na fonte de um ficheiro SAF-T (PT)",
                ExitStatus::kFailed) {}

 private:
  void AddOptions(CLI::App& cmd) override {
    AddFileArgument(cmd, file_, "Ficheiro SAF-T (PT)");
    cmd.add_flag("--csv", csv_,
                 "Valores separados por vírgulas (imposto,regiao,codigo,taxa,base,valor)");
    cmd.footer("Estado de saída: 0 resumo escrito, 2 ficheiro ilegível.");
  }

  ExitStatus Run() override {
    ResumoIva summary = ComputeResumoIva(file_);
    std::cout << (csv_ ? ResumoIvaCsv(summary) : ResumoIvaTexto(summary)) << std::flush;
    return ExitStatus::kOk;
  }

  std::string file_;
  bool csv_ = false;
};

}  // namespace

CLI::App* AddSummaryCommand(CLI::App& app, int& status) {
  return Command::Register(std::make_shared<SummaryCommand>(), app, status);
}

}  // namespace saftpt::cli
