// `saftpt settings`: writes the connection keys of the settings file, with the
// user name and password scrambled as the host product keeps them.
#include <termios.h>
#include <unistd.h>

#include <iostream>
#include <memory>
#include <string>

#include "app/WindowDefaults.h"
#include "cli/Commands.h"
#include "config/Error.h"
#include "config/Settings.h"

namespace saftpt::cli {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFalhou = 1;
constexpr int kExitArgumentos = 2;

struct SettingsArgs {
  std::string settings;
  std::string server;
  std::string port = "3306";
  std::string database;
  std::string user;
};

// One line of standard input; on a terminal it is typed without echo.
bool LePalavraPasse(std::string& senha) {
  bool terminal = isatty(STDIN_FILENO) == 1;
  termios antes{};
  if (terminal && tcgetattr(STDIN_FILENO, &antes) == 0) {
    std::cerr << "Palavra-passe: " << std::flush;
    termios sem = antes;
    sem.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &sem);
    bool lida = static_cast<bool>(std::getline(std::cin, senha));
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &antes);
    std::cerr << std::endl;
    if (!lida) return false;
  } else if (!std::getline(std::cin, senha)) {
    return false;
  }
  if (!senha.empty() && senha.back() == '\r') senha.pop_back();
  return true;
}

int Grava(const SettingsArgs& a) {
  ConnectionSettings ligacao;
  ligacao.server = a.server;
  ligacao.port = a.port;
  ligacao.database = a.database;
  ligacao.user = a.user;
  std::string ini = FicheiroDeConfiguracao(a.settings);
  if (std::string problema = ProblemaNaLigacao(ini, ligacao); !problema.empty()) {
    std::cerr << problema << std::endl;
    return kExitArgumentos;
  }
  if (!LePalavraPasse(ligacao.password)) {
    std::cerr << "Não foi indicada a palavra-passe: escreva-a numa linha da entrada padrão."
              << std::endl;
    return kExitArgumentos;
  }
  try {
    GravaLigacao(ini, ligacao);
    std::cout << "Configuração da ligação gravada em " << ini << "." << std::endl;
    return kExitOk;
  } catch (const Error& e) {
    std::cerr << e.description() << std::endl;
  } catch (const std::exception& e) {
    std::cerr << e.what() << std::endl;
  }
  return kExitFalhou;
}

}  // namespace

CLI::App* AddSettingsCommand(CLI::App& app, int& status) {
  auto args = std::make_shared<SettingsArgs>();
  auto* cmd = app.add_subcommand(
      "settings",
      "Grava a ligação à base de dados no ficheiro de configuração (a palavra-passe é lida da "
      "entrada padrão)");
  cmd->add_option("--settings", args->settings, kAjudaSettings);
  cmd->add_option("--server", args->server, "Servidor da base de dados")->required();
  cmd->add_option("--port", args->port, "Porta do servidor")->default_str("3306");
  cmd->add_option("--database", args->database, "Nome da base de dados")->required();
  cmd->add_option("--user", args->user, "Utilizador da base de dados")->required();
  cmd->callback([args, &status] { status = Grava(*args); });
  return cmd;
}

}  // namespace saftpt::cli
