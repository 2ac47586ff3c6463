// The builder's two progress bars drawn on one line of standard error, when it
// is a terminal: "[###...] 5/6 Invoices [#####.....] 1234/20000".
#ifndef SAFTPT_CLI_TERMINALPROGRESS_H_
#define SAFTPT_CLI_TERMINALPROGRESS_H_

#include <chrono>
#include <string>

#include "saft/ProgressSink.h"

namespace saftpt::cli {

// One progress line, cut to `width` characters. A position beyond its total
// fills the bar; a total of 0 leaves it empty.
std::string ProgressLine(long long posicao, long long total, const std::string& mensagem,
                         long long detalhe, long long totalDetalhe, size_t width);

class TerminalProgress : public ProgressSink {
 public:
  // Draws on `fd` only when it is a terminal.
  explicit TerminalProgress(int fd = 2);
  ~TerminalProgress() override;
  TerminalProgress(const TerminalProgress&) = delete;
  TerminalProgress& operator=(const TerminalProgress&) = delete;

  void StartProgress(long long n) override;
  void StartDetailProgress(long long n) override;
  void ShowProgress(long long n, const std::string& mensagem) override;
  void ShowDetailProgress(long long n) override;

  // Clears the line, so that a message or a question can be written; the
  // next step draws it again.
  void Clear();

 private:
  void Draw(bool sempre);

  int fd_;
  bool ativo_;
  bool visivel_ = false;
  long long total_ = 0, posicao_ = 0;
  long long totalDetalhe_ = 0, detalhe_ = 0;
  std::string mensagem_;
  std::chrono::steady_clock::time_point ultimo_{};
};

}  // namespace saftpt::cli

#endif  // SAFTPT_CLI_TERMINALPROGRESS_H_
