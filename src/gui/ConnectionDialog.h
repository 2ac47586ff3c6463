// "Ligação à base de dados": the connection keys of the settings file. Shown
// when the window finds no settings file or cannot connect with it, and from
// the window's "Ligação…" button. "Testar ligação" shows the server's answer
// and whether the connection is encrypted; "Gravar" writes the keys as
// `saftpt settings` does.
//
// "Ligação cifrada (TLS)" ticked is tls=1 (the server's certificate verified
// against the CA file chosen, else the system's CA store); it starts ticked
// for a new file. Unticked keeps a file's tls=0, else writes tls=preferir.
#ifndef SAFTPT_GUI_CONNECTIONDIALOG_H_
#define SAFTPT_GUI_CONNECTIONDIALOG_H_

#include <QDialog>
#include <string>

#include "db/Database.h"
#include "gui/GuiDialogs.h"

class QCheckBox;
class QLabel;
class QLineEdit;

namespace saftpt::gui {

class ConnectionDialog : public QDialog {
  Q_OBJECT

 public:
  // `problema`: why the dialog is shown (the file missing, the server's
  // refusal); empty when the user asked for it. The fields start with the
  // file's values when it has them.
  ConnectionDialog(const std::string& settingsPath, const std::string& problema,
                   UserDialogs& dialogs, QWidget* parent = nullptr);

  ConnectionSettings Ligacao() const;
  // "Testar ligação": connects with the fields and shows the answer.
  void TestConnection();
  // "Gravar": writes the settings file and closes the dialog (accepted); a
  // failure is shown and the dialog stays.
  void Save();

 private:
  // "Escolher…": a CA file (PEM) for the verification.
  void ChooseCa();

  std::string settingsPath_;
  TlsMode untickedTls_ = TlsMode::kPrefer;
  UserDialogs& dialogs_;
  QLineEdit* serverEdit_;
  QLineEdit* portEdit_;
  QLineEdit* databaseEdit_;
  QLineEdit* userEdit_;
  QLineEdit* passwordEdit_;
  QCheckBox* tlsCheck_;
  QLineEdit* caEdit_;
  QLabel* answerLabel_;
};

}  // namespace saftpt::gui

#endif  // SAFTPT_GUI_CONNECTIONDIALOG_H_
