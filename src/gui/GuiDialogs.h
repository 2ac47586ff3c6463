// The window's message boxes, its save dialogs and the list of a file's
// problems, behind an interface so the tests can answer them.
#ifndef SAFTPT_GUI_GUIDIALOGS_H_
#define SAFTPT_GUI_GUIDIALOGS_H_

#include <string>

#include "app/UiPorts.h"
#include "audit/ExportCheck.h"

class QWidget;

namespace saftpt::gui {

// The caption of every message box but "Ficheiro exportado".
inline constexpr const char* kTituloAplicacao = "Exportação SAF-T PT";

// Warn(): OK only, no icon (the program's plain notices and the consistency
// report); ShowError(): the critical icon; Inform(): the information icon under
// the given title; Confirm(): the question icon, "Sim" and "Não".
// What a save dialog asks: its caption, the folder it opens in, the name it
// proposes, the files it lists ("Xml (*.xml)") and the suffix added to a
// name typed without one.
struct SaveQuestion {
  std::string title;
  std::string folder;
  std::string name;
  std::string filter;
  std::string suffix;
};

class GuiDialogs : public UserDialogs {
 public:
  // Asks where to save a file; empty when the user cancels.
  virtual std::string AskSaveFile(const SaveQuestion& question) = 0;
  // The problems of a file that the check rejects, and its warnings.
  virtual void ShowProblems(const VerificacaoDoFicheiro& check) = 0;
};

// The real thing: Qt message boxes in Portuguese over the active window.
class QtDialogs : public GuiDialogs {
 public:
  void Inform(const std::string& text, const std::string& title) override;
  void Warn(const std::string& text) override;
  void ShowError(const std::string& text) override;
  bool Confirm(const std::string& question) override;
  std::string AskSaveFile(const SaveQuestion& question) override;
  void ShowProblems(const VerificacaoDoFicheiro& check) override;
};

// The window the boxes belong to: the modal dialog on top, else the active
// window (null before any is shown).
QWidget* MessageOwner();

}  // namespace saftpt::gui

#endif  // SAFTPT_GUI_GUIDIALOGS_H_
