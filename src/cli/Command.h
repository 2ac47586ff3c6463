// What every verb of `saftpt` shares: how it is registered, the settings
// option, the connection, and how a failure ends it.
#ifndef SAFTPT_CLI_COMMAND_H_
#define SAFTPT_CLI_COMMAND_H_

#include <CLI/CLI.hpp>
#include <memory>
#include <string>

#include "base/Error.h"
#include "db/Database.h"
#include "saft/ExemptionTable.h"

namespace saftpt::cli {

// The exit statuses, named for what they mean. A number means one thing in
// each verb; the footer of each verb's help says which of these it uses.
enum class ExitStatus : int {
  kOk = 0,
  kProblemsFound = 1,  // check: possible errors; validate: an invalid file; reasons: a broken table
  kNotWritten = 1,     // export: nothing written; settings: not saved
  kBadArguments = 2,   // export, settings
  kFailed = 2,         // check, validate, summary: no connection, an unreadable file
  kRejected = 3,       // export: written, but the AT's rules reject it
};

// The failure that ends a verb with a status of its own choosing (bad
// arguments...): its message goes to standard error, `Status()` is the
// program's exit status. Any other Error ends a verb with the verb's failure
// status.
class CommandFailure : public Error {
 public:
  CommandFailure(std::string message, ExitStatus status)
      : Error(Error::kCommand, std::move(message)), status_(status) {}
  ExitStatus Status() const { return status_; }

 private:
  ExitStatus status_;
};

class Command {
 public:
  virtual ~Command() = default;
  Command(const Command&) = delete;
  Command& operator=(const Command&) = delete;

  // Adds `command` to `app`; when it runs, its exit status goes into `status`.
  static CLI::App* Register(std::shared_ptr<Command> command, CLI::App& app, int& status);

 protected:
  // `failure` is the status of a verb ended by an error or an exception.
  Command(std::string name, std::string description, ExitStatus failure);

  virtual void AddOptions(CLI::App& cmd) = 0;
  virtual ExitStatus Run() = 0;

  // --settings, and the file it names or the default one.
  void AddSettingsOption(CLI::App& cmd);
  std::string SettingsFile() const;
  // --from and --to, the period's dates as typed.
  static void AddPeriodOptions(CLI::App& cmd, std::string& from, std::string& to);
  // The required positional FILE.
  static void AddFileArgument(CLI::App& cmd, std::string& file, const std::string& help);

  // The table of exemption reasons found from the settings file; a missing
  // file or a broken row ends the verb, before the database is opened.
  ExemptionTable ReadExemptionTable() const;
  // Opens the database the settings file names; a failure ends the verb.
  void Connect(Database& db, const std::string& settingsFile) const;
  // Ends the verb with `message` and the verb's failure status.
  [[noreturn]] void Fail(const std::string& message) const;

 private:
  // Run(), with every failure shown on standard error.
  ExitStatus RunAndReport();

  std::string name_;
  std::string description_;
  ExitStatus failure_;
  std::string settings_;
};

}  // namespace saftpt::cli

#endif  // SAFTPT_CLI_COMMAND_H_
