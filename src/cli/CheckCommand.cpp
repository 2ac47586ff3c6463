// `saftpt check`: the consistency report ("Verificar Erros") of a period on
// standard output.
#include <iostream>
#include <optional>
#include <tuple>

#include "app/ConsistencyReport.h"
#include "app/WindowDefaults.h"
#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "config/Connection.h"
#include "config/Error.h"
#include "config/Settings.h"

namespace saftpt::cli {

namespace {

constexpr int kExitSemErros = 0;
constexpr int kExitComErros = 1;
constexpr int kExitFalhou = 2;

struct CheckArgs {
  std::string settings;
  std::string from;
  std::string to;
};

// The report's lines end in "\r\n", as in the message boxes; a terminal
// wants "\n".
std::string ParaTerminal(const std::string& texto) {
  std::string out;
  out.reserve(texto.size());
  for (size_t i = 0; i < texto.size(); ++i) {
    if (texto[i] == '\r' && i + 1 < texto.size() && texto[i + 1] == '\n') continue;
    out += texto[i];
  }
  return out;
}

int Verifica(const CheckArgs& a) {
  PeriodoInicial periodo = PeriodoPorOmissao(DateTime::Today());
  DateTime inicio = periodo.inicio;
  DateTime fim = periodo.fim;
  for (auto [texto, opcao, data] :
       {std::tuple{&a.from, "--from", &inicio}, std::tuple{&a.to, "--to", &fim}}) {
    if (texto->empty()) continue;
    std::optional<DateTime> d = LeData(*texto);
    if (!d) {
      std::cerr << MensagemDataInvalida(opcao, *texto) << std::endl;
      return kExitFalhou;
    }
    *data = *d;
  }
  if (inicio > fim) {
    std::cerr << "A data Inicial não pode ser inferior à data final" << std::endl;
    return kExitFalhou;
  }

  try {
    std::string ini = FicheiroDeConfiguracao(a.settings);
    Database db;
    std::string erroLigacao;
    if (!AbreLigacaoIni(db, ini, erroLigacao)) {
      std::cerr << erroLigacao << std::endl;
      return kExitFalhou;
    }
    RelatorioConsistencia r = VerificaErros(db, inicio, fim, SeparadorDecimal());
    std::cout << ParaTerminal(r.recibos) << "\n\n"
              << ParaTerminal(r.faturas) << "\n\n"
              << ParaTerminal(r.numeracao) << std::endl;
    return r.encontrouErros() ? kExitComErros : kExitSemErros;
  } catch (const Error& e) {
    std::cerr << e.description() << std::endl;
  } catch (const std::exception& e) {
    std::cerr << e.what() << std::endl;
  }
  return kExitFalhou;
}

}  // namespace

CLI::App* AddCheckCommand(CLI::App& app, int& status) {
  auto args = std::make_shared<CheckArgs>();
  auto* cmd = app.add_subcommand(
      "check",
      "Verifica erros nos valores dos recibos, nas faturas pagas a mais e na numeração "
      "(Verificar Erros)");
  cmd->add_option("--settings", args->settings, kAjudaSettings);
  cmd->add_option("--from", args->from,
                  "Data inicial AAAA-MM-DD (por omissão o primeiro dia do mês anterior)");
  cmd->add_option("--to", args->to,
                  "Data final AAAA-MM-DD (por omissão o último dia do mês anterior)");
  cmd->footer(
      "Estado de saída: 0 sem erros detetados, 1 com possíveis erros, 2 falha (ligação, "
      "argumentos ou consulta).");
  cmd->callback([args, &status] { status = Verifica(*args); });
  return cmd;
}

}  // namespace saftpt::cli
