// The terminal's calls, on POSIX systems and on Windows.
#include "cli/Console.h"

#include <iostream>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "base/WidePath.h"
#else
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cstring>
#endif

namespace saftpt::cli {

#ifdef _WIN32

namespace {

HANDLE ConsoleOf(int fd) {
  return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

bool IsConsole(int fd) {
  DWORD mode = 0;
  return ::GetConsoleMode(ConsoleOf(fd), &mode) != 0;
}

// The console's typed lines, read as UTF-16 and handed on as UTF-8: reading
// bytes from a console loses what the code page cannot hold.
class ConsoleInput : public std::streambuf {
 protected:
  int_type underflow() override {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    wchar_t wide[512];
    DWORD read = 0;
    if (!::ReadConsoleW(ConsoleOf(0), wide, 512, &read, nullptr) || read == 0)
      return traits_type::eof();
    std::wstring text(wide, read);
    if (text.front() == L'\x1A') return traits_type::eof();  // Ctrl+Z
    line_.clear();
    for (char c : NarrowPath(text))
      if (c != '\r') line_ += c;
    if (line_.empty()) return underflow();
    setg(line_.data(), line_.data(), line_.data() + line_.size());
    return traits_type::to_int_type(*gptr());
  }

 private:
  std::string line_;
};

}  // namespace

bool IsTerminal(int fd) {
  return IsConsole(fd);
}

size_t TerminalWidth(int fd) {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (::GetConsoleScreenBufferInfo(ConsoleOf(fd), &info))
    return static_cast<size_t>(info.srWindow.Right - info.srWindow.Left + 1);
  return 80;
}

EchoOff::EchoOff(int fd) : fd_(fd) {
  DWORD mode = 0;
  if (!::GetConsoleMode(ConsoleOf(fd), &mode)) return;
  saved_ = mode;
  active_ = ::SetConsoleMode(ConsoleOf(fd), mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) != 0;
}

void EchoOff::Restore() {
  if (!active_) return;
  ::SetConsoleMode(ConsoleOf(fd_), static_cast<DWORD>(saved_));
  active_ = false;
}

ConsoleSession::ConsoleSession() {
  outputCodePage_ = ::GetConsoleOutputCP();
  inputCodePage_ = ::GetConsoleCP();
  ::SetConsoleOutputCP(CP_UTF8);
  ::SetConsoleCP(CP_UTF8);
  // "\n" stays "\n": the files and reports written to standard output are
  // the same bytes as on Linux.
  std::cout.flush();
  ::_setmode(1, _O_BINARY);
  ::_setmode(2, _O_BINARY);
  if (IsConsole(0)) {
    input_ = std::make_unique<ConsoleInput>();
    previousInput_ = std::cin.rdbuf(input_.get());
  }
}

ConsoleSession::~ConsoleSession() {
  std::cout.flush();
  std::cerr.flush();
  if (previousInput_) std::cin.rdbuf(previousInput_);
  if (outputCodePage_) ::SetConsoleOutputCP(outputCodePage_);
  if (inputCodePage_) ::SetConsoleCP(inputCodePage_);
}

#else

bool IsTerminal(int fd) {
  return ::isatty(fd) == 1;
}

size_t TerminalWidth(int fd) {
  winsize ws{};
  if (::ioctl(fd, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) return ws.ws_col;
  return 80;
}

EchoOff::EchoOff(int fd) : fd_(fd) {
  if (!IsTerminal(fd)) return;
  termios before{};
  if (::tcgetattr(fd, &before) != 0) return;
  savedTermios_ = std::make_unique<char[]>(sizeof before);
  std::memcpy(savedTermios_.get(), &before, sizeof before);
  termios noEcho = before;
  noEcho.c_lflag &= ~static_cast<tcflag_t>(ECHO);
  ::tcsetattr(fd, TCSAFLUSH, &noEcho);
  active_ = true;
}

void EchoOff::Restore() {
  if (!active_) return;
  termios before{};
  std::memcpy(&before, savedTermios_.get(), sizeof before);
  ::tcsetattr(fd_, TCSAFLUSH, &before);
  active_ = false;
}

ConsoleSession::ConsoleSession() = default;
ConsoleSession::~ConsoleSession() = default;

#endif

}  // namespace saftpt::cli
