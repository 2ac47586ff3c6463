// The export run's dialogs on a terminal: messages on the standard streams,
// questions answered on standard input, and the exemption-reason correction
// as a numbered menu. Without someone to answer, nothing is asked.
#ifndef SAFTPT_CLI_TERMINALDIALOGS_H_
#define SAFTPT_CLI_TERMINALDIALOGS_H_

#include <iosfwd>
#include <string>

#include "app/UiPorts.h"
#include "saft/ExemptionReasons.h"

namespace saftpt::cli {

class TerminalProgress;

// Where the dialogs talk and whether they may ask.
struct Terminal {
  std::istream& in;
  std::ostream& out;  // results: the summary, "Ficheiro exportado"
  std::ostream& err;  // warnings, errors, questions
  bool interactive = false;
  TerminalProgress* progress = nullptr;  // cleared before anything is written
};

// Reads a yes/no answer ("s"/"sim" or "n"/"não"; an empty answer is No).
// Returns false at the end of the input.
bool AskYesNo(Terminal& t, const std::string& question);

class TerminalDialogs : public UserDialogs {
 public:
  // `assumeYes` answers every question with Yes (--force); otherwise a
  // question that nobody can answer is No, and `semResposta` tells why.
  TerminalDialogs(Terminal& t, bool assumeYes, std::string semResposta)
      : t_(t), assumeYes_(assumeYes), semResposta_(std::move(semResposta)) {}

  void Inform(const std::string& text, const std::string& title) override;
  void Warn(const std::string& text) override;
  void ShowError(const std::string& text) override;
  bool Confirm(const std::string& question) override;
  void ShowSummary(const std::string& summary) override;

 private:
  Terminal& t_;
  bool assumeYes_;
  std::string semResposta_;
};

class TerminalExemptionResolver : public ExemptionResolver {
 public:
  explicit TerminalExemptionResolver(Terminal& t) : t_(t) {}
  bool Resolve(const ExemptionCase& c, ExemptionFixer& fixer) override;

 private:
  Terminal& t_;
};

}  // namespace saftpt::cli

#endif  // SAFTPT_CLI_TERMINALDIALOGS_H_
