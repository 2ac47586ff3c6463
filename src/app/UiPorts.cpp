// The desktop's "open": on Windows the shell's own; elsewhere xdg-open
// started in a process of its own, never through a shell, so a path holding
// quotes or blanks reaches it unchanged.
#include "app/UiPorts.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "base/WidePath.h"
#else
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace saftpt {

namespace {

#ifdef _WIN32

void OpenDetached(const std::string& alvo) {
  ::ShellExecuteW(nullptr, L"open", WidePath(alvo).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

#else

void OpenDetached(const std::string& alvo) {
  // The argument vector is built before fork: the children only call
  // async-signal-safe functions and exec.
  std::string programa = "xdg-open";
  char* argv[] = {programa.data(), const_cast<char*>(alvo.c_str()), nullptr};
  pid_t filho = fork();
  if (filho < 0) return;
  if (filho == 0) {
    // The grandchild is adopted by init, so nobody has to wait for it.
    if (fork() == 0) {
      setsid();
      int nulo = open("/dev/null", O_RDWR);
      if (nulo >= 0) {
        dup2(nulo, 0);
        dup2(nulo, 1);
        dup2(nulo, 2);
        if (nulo > 2) close(nulo);
      }
      execvp(argv[0], argv);
      _exit(127);
    }
    _exit(0);
  }
  int estado = 0;
  while (waitpid(filho, &estado, 0) < 0 && errno == EINTR) {
  }
}

#endif

}  // namespace

void DesktopShell::OpenFolder(const std::string& path) {
  OpenDetached(path);
}
void DesktopShell::OpenUrl(const std::string& url) {
  OpenDetached(url);
}

}  // namespace saftpt
