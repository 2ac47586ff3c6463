// What the export run needs from a front end: message boxes and the shell's
// "open". The command line answers on a terminal, the window with Qt, the
// tests with scripted fakes.
#ifndef SAFTPT_APP_UIPORTS_H_
#define SAFTPT_APP_UIPORTS_H_

#include <string>

namespace saftpt {

class UserDialogs {
 public:
  virtual ~UserDialogs() = default;
  virtual void Inform(const std::string& text, const std::string& title) = 0;
  virtual void Warn(const std::string& text) = 0;
  virtual void ShowError(const std::string& text) = 0;
  // A Yes/No question; true for Yes.
  virtual bool Confirm(const std::string& question) = 0;
  // The summary of a finished export, shown before "Ficheiro exportado" (the
  // window's "Resumo:" box, the terminal's standard output).
  virtual void ShowSummary(const std::string& /*summary*/) {}
};

// The desktop's "open", after the file is written: it never throws, as a
// desktop that cannot open the folder or the portal does not fail the export.
class Shell {
 public:
  virtual ~Shell() = default;
  virtual void OpenFolder(const std::string& path) = 0;
  virtual void OpenUrl(const std::string& url) = 0;
};

// The desktop's "open" (xdg-open), started detached; failures are ignored, as
// the file is already written.
class DesktopShell : public Shell {
 public:
  void OpenFolder(const std::string& path) override;
  void OpenUrl(const std::string& url) override;
};

}  // namespace saftpt

#endif  // SAFTPT_APP_UIPORTS_H_
