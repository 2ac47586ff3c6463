// `saftpt settings`: writes the connection keys of the settings file, with the
// user name and password scrambled as the host product keeps them.
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <charconv>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

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

// EscreveIni reports through a plain function; its messages are kept here.
std::vector<std::string>& Avisos() {
  static std::vector<std::string> avisos;
  return avisos;
}

void GuardaAviso(const std::string& texto) {
  Avisos().push_back(texto);
}

bool PortaValida(const std::string& porta) {
  unsigned int n = 0;
  auto res = std::from_chars(porta.data(), porta.data() + porta.size(), n);
  return res.ec == std::errc() && res.ptr == porta.data() + porta.size() && n >= 1 && n <= 65535;
}

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

// The file holds the credentials: only its owner may read it, also when it
// existed before.
bool ProtegeFicheiro(const std::string& caminho) {
  int fd = ::open(caminho.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  bool ok = ::fchmod(fd, 0600) == 0;
  return ::close(fd) == 0 && ok;
}

int Grava(const SettingsArgs& a) {
  if (!PortaValida(a.port)) {
    std::cerr << "Porta inválida: \"" << a.port << "\" (um número de 1 a 65535)." << std::endl;
    return kExitArgumentos;
  }
  for (const std::string* valor : {&a.server, &a.database, &a.settings}) {
    if (valor->find_first_of("\r\n") != std::string::npos) {
      std::cerr << "Os valores não podem ter mudanças de linha." << std::endl;
      return kExitArgumentos;
    }
  }
  std::string senha;
  if (!LePalavraPasse(senha)) {
    std::cerr << "Não foi indicada a palavra-passe: escreva-a numa linha da entrada padrão."
              << std::endl;
    return kExitArgumentos;
  }
  try {
    std::string utilizador = Encripta(a.user);
    std::string palavraPasse = Encripta(senha);
    std::string ini = FicheiroDeConfiguracao(a.settings);
    if (!ProtegeFicheiro(ini)) {
      std::cerr << "Não foi possível criar o ficheiro de configuração " << ini << "." << std::endl;
      return kExitFalhou;
    }
    Avisos().clear();
    EscreveIni(ini, "bd", "servidor", a.server, &GuardaAviso);
    EscreveIni(ini, "bd", "porta", a.port, &GuardaAviso);
    EscreveIni(ini, "bd", "basedados", a.database, &GuardaAviso);
    EscreveIni(ini, "bd", "username", utilizador, &GuardaAviso);
    EscreveIni(ini, "bd", "password", palavraPasse, &GuardaAviso);
    if (!Avisos().empty()) {
      for (const std::string& aviso : Avisos()) std::cerr << aviso << std::endl;
      return kExitFalhou;
    }
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
  cmd->add_option("--settings", args->settings,
                  "Ficheiro de configuração (por omissão lexora.ini junto ao programa)");
  cmd->add_option("--server", args->server, "Servidor da base de dados")->required();
  cmd->add_option("--port", args->port, "Porta do servidor")->default_str("3306");
  cmd->add_option("--database", args->database, "Nome da base de dados")->required();
  cmd->add_option("--user", args->user, "Utilizador da base de dados")->required();
  cmd->callback([args, &status] { status = Grava(*args); });
  return cmd;
}

}  // namespace saftpt::cli
