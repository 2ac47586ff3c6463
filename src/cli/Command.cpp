#include "cli/Command.h"

#include <iostream>

#include "app/Connection.h"
#include "base/Error.h"
#include "config/SettingsLocation.h"

namespace saftpt::cli {

namespace {

// The help of --settings, the same in every verb that reads the file.
constexpr const char* kSettingsHelp =
    "Ficheiro de configuração (por omissão lexora.ini junto ao programa, se lá estiver, senão "
    "$XDG_CONFIG_HOME/saftpt/lexora.ini, isto é, ~/.config/saftpt/lexora.ini)";

}  // namespace

Command::Command(std::string name, std::string description, ExitStatus failure)
    : name_(std::move(name)), description_(std::move(description)), failure_(failure) {}

CLI::App* Command::Register(std::shared_ptr<Command> command, CLI::App& app, int& status) {
  CLI::App* cmd = app.add_subcommand(command->name_, command->description_);
  command->AddOptions(*cmd);
  cmd->callback([command, &status] { status = static_cast<int>(command->RunAndReport()); });
  return cmd;
}

ExitStatus Command::RunAndReport() {
  try {
    return Run();
  } catch (const CommandFailure& f) {
    std::cerr << f.Description() << std::endl;
    return f.Status();
  } catch (const std::exception& e) {
    // Not swallowed: every other Error (its what() is its Description()), and
    // what a library throws outside the family (no memory, a file system
    // error), ends the verb with its failure status, the text shown.
    std::cerr << e.what() << std::endl;
  }
  return failure_;
}

void Command::AddSettingsOption(CLI::App& cmd) {
  cmd.add_option("--settings", settings_, kSettingsHelp);
}

std::string Command::SettingsFile() const {
  return FindSettingsFile(settings_);
}

void Command::AddPeriodOptions(CLI::App& cmd, std::string& from, std::string& to) {
  cmd.add_option("--from", from,
                 "Data inicial AAAA-MM-DD (por omissão o primeiro dia do mês anterior)");
  cmd.add_option("--to", to, "Data final AAAA-MM-DD (por omissão o último dia do mês anterior)");
}

void Command::AddFileArgument(CLI::App& cmd, std::string& file, const std::string& help) {
  // The help's formatter is the program's; only these verbs have positionals.
  cmd.get_formatter()->label("Positionals", "Argumentos");
  cmd.add_option("ficheiro", file, help)->required();
}

ExemptionTable Command::ReadExemptionTable() const {
  return ExemptionTable::Read(FindExemptionTable(SettingsFile()));
}

void Command::Connect(Database& db, const std::string& settingsFile) const {
  OpenConnectionFromFile(db, settingsFile);
}

void Command::Fail(const std::string& message) const {
  throw CommandFailure(message, failure_);
}

}  // namespace saftpt::cli
