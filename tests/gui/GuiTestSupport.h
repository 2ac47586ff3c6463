// Helpers of the window tests: scripted message boxes, a shell that only
// records, answering modal dialogs from a timer, and the window's screenshots.
#ifndef SAFTPT_TESTS_GUI_GUITESTSUPPORT_H_
#define SAFTPT_TESTS_GUI_GUITESTSUPPORT_H_

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/UiPorts.h"
#include "gui/GuiDialogs.h"

class QWidget;

namespace saftpt::test {

// Every message as "kind: text" (kinds: inform[title], warn, error, confirm,
// problems);
// questions are answered from `answers` (No when it runs out).
class ScriptedDialogs : public gui::GuiDialogs {
 public:
  void Inform(const std::string& text, const std::string& title) override {
    log.push_back("inform[" + title + "]: " + text);
  }
  void Warn(const std::string& text) override { log.push_back("warn: " + text); }
  void ShowError(const std::string& text) override { log.push_back("error: " + text); }
  bool Confirm(const std::string& question) override {
    log.push_back("confirm: " + question);
    if (answers.empty()) return false;
    bool a = answers.front();
    answers.pop_front();
    return a;
  }
  std::string AskSaveFile(const gui::SaveQuestion& question) override {
    ++fileQuestions;
    asked = question;
    return saveAs;
  }
  void ShowProblems(const VerificacaoDoFicheiro& check) override {
    log.push_back("problems: " + check.Texto());
  }

  std::vector<std::string> log;
  std::deque<bool> answers;
  std::string saveAs;  // empty: the user cancels
  int fileQuestions = 0;
  gui::SaveQuestion asked;  // the last save dialog's
};

class RecordingShell : public Shell {
 public:
  void OpenFolder(const std::string& path) override { opened.push_back("folder " + path); }
  void OpenUrl(const std::string& url) override { opened.push_back("url " + url); }
  std::vector<std::string> opened;
};

// Runs `action` on the first modal widget of the class named to appear
// (polled from the event loop), once. Fails the test if none shows up within
// 10 s, or if it is still open after the action (it is then closed).
void WhenModal(const std::string& className, std::function<void(QWidget*)> action);

// Drops the answers still waiting for a dialog (at the end of a test, where
// they would otherwise answer the next test's dialogs); returns how many.
int DiscardPendingModals();

// Saves a picture of the widget into the test build folder (for review).
void SaveScreenshot(QWidget* widget, const std::string& name);

// A fresh empty folder under the system's temporary folder.
std::string TempFolder();
std::string ReadFile(const std::string& path);

}  // namespace saftpt::test

#endif  // SAFTPT_TESTS_GUI_GUITESTSUPPORT_H_
