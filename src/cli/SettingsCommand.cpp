// `saftpt settings`: writes the connection keys of the settings file, with the
// user name and password scrambled as the host product keeps them.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>

#include "base/Error.h"
#include "base/Utf8Path.h"
#include "cli/Command.h"
#include "cli/Commands.h"
#include "cli/Console.h"
#include "config/Settings.h"
#include "db/ConnectionTls.h"

namespace saftpt::cli {

namespace {

// One line of standard input; on a terminal it is typed without echo.
bool ReadPassword(std::string& password) {
  EchoOff noEcho(0);
  if (noEcho.Active()) {
    std::cerr << "Palavra-passe: " << std::flush;
    bool read = static_cast<bool>(std::getline(std::cin, password));
    noEcho.Restore();
    std::cerr << std::endl;
    if (!read) return false;
  } else if (!std::getline(std::cin, password)) {
    return false;
  }
  if (!password.empty() && password.back() == '\r') password.pop_back();
  return true;
}

class SettingsCommand : public Command {
 public:
  SettingsCommand()
      : Command("settings",
                "Grava a ligação à base de dados no ficheiro de configuração (a palavra-passe é "
                "lida da entrada padrão)",
                ExitStatus::kNotWritten) {
    connection_.port = "3306";
  }

 private:
  void AddOptions(CLI::App& cmd) override {
    AddSettingsOption(cmd);
    cmd.add_option("--server", connection_.server, "Servidor da base de dados")->required();
    cmd.add_option("--port", connection_.port, "Porta do servidor")->default_str("3306");
    cmd.add_option("--database", connection_.database, "Nome da base de dados")->required();
    cmd.add_option("--user", connection_.user, "Utilizador da base de dados")->required();
    cmd.add_option("--tls", tls_,
                   "Ligação cifrada: 1 (verifica o certificado do servidor; o valor de um "
                   "ficheiro novo), preferir (quando o servidor a oferece, sem verificação) "
                   "ou 0")
        ->check(CLI::IsMember({"0", "1", "preferir"}));
    cmd.add_option("--tls-ca", tlsCa_,
                   "Ficheiro (PEM) da autoridade de certificação do servidor (por omissão, as "
                   "do sistema)");
  }

  // The TLS keys: those given, else the file's own (a new file verifies the
  // server's certificate).
  void TakeTls(const std::string& settingsFile) {
    if (std::ifstream(settingsFile)) {
      try {
        ConnectionSettings existing = ReadConnectionSettings(settingsFile);
        connection_.tls = existing.tls;
        connection_.tlsCa = existing.tlsCa;
      } catch (const Error&) {
        // Not hidden: a broken key is what this verb is run to mend; it is
        // replaced by what is written now.
      }
    } else {
      connection_.tls = TlsMode::kVerify;
    }
    if (tls_) ParseTlsMode(*tls_, connection_.tls);
    if (tlsCa_)
      connection_.tlsCa =
          tlsCa_->empty() ? "" : Utf8Text(std::filesystem::absolute(Utf8Path(*tlsCa_)));
  }

  ExitStatus Run() override {
    std::string settingsFile = SettingsFile();
    TakeTls(settingsFile);
    if (std::optional<std::string> problem = FindConnectionProblem(settingsFile, connection_))
      throw CommandFailure(*problem, ExitStatus::kBadArguments);
    if (!ReadPassword(connection_.password))
      throw CommandFailure(
          "Não foi indicada a palavra-passe: escreva-a numa linha da entrada padrão.",
          ExitStatus::kBadArguments);
    SaveConnectionSettings(settingsFile, connection_);
    std::cout << "Configuração da ligação gravada em " << settingsFile << "." << std::endl;
    return ExitStatus::kOk;
  }

  ConnectionSettings connection_;
  std::optional<std::string> tls_, tlsCa_;
};

}  // namespace

CLI::App* AddSettingsCommand(CLI::App& app, int& status) {
  return Command::Register(std::make_shared<SettingsCommand>(), app, status);
}

}  // namespace saftpt::cli
