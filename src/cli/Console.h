// The terminal, on POSIX systems and on Windows: whether a descriptor is one,
// its width, typing without echo, and for the whole run on Windows the
// console's UTF-8 code pages and its typed text read as UTF-8.
#ifndef SAFTPT_CLI_CONSOLE_H_
#define SAFTPT_CLI_CONSOLE_H_

#include <cstddef>
#include <memory>
#include <streambuf>

namespace saftpt::cli {

bool IsTerminal(int fd);

// Columns of the terminal on `fd`; 80 when it cannot be told.
size_t TerminalWidth(int fd);

// While it lives, what is typed on the terminal `fd` is not shown.
class EchoOff {
 public:
  explicit EchoOff(int fd);
  ~EchoOff() { Restore(); }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;

  // False when `fd` is no terminal (nothing was changed).
  bool Active() const { return active_; }
  void Restore();

 private:
  int fd_;
  bool active_ = false;
  unsigned long saved_ = 0;  // the terminal's or the console's mode
  std::unique_ptr<char[]> savedTermios_;
};

// Set up once in main for the run: on Windows the console shows and reads
// UTF-8 (restored at the end), standard output is written byte for byte as on
// Linux, and text typed at the console reaches std::cin as UTF-8. Nothing on
// POSIX systems.
class ConsoleSession {
 public:
  ConsoleSession();
  ~ConsoleSession();
  ConsoleSession(const ConsoleSession&) = delete;
  ConsoleSession& operator=(const ConsoleSession&) = delete;

 private:
  unsigned outputCodePage_ = 0;
  unsigned inputCodePage_ = 0;
  std::unique_ptr<std::streambuf> input_;
  std::streambuf* previousInput_ = nullptr;
};

}  // namespace saftpt::cli

#endif  // SAFTPT_CLI_CONSOLE_H_
