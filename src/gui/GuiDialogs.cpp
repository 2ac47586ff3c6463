#include "gui/GuiDialogs.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "gui/ProblemsDialog.h"
#include "gui/Widgets.h"

namespace saftpt::gui {

namespace {

void Box(QMessageBox::Icon icon, const std::string& text, const std::string& title) {
  QMessageBox box(icon, Q(title), Q(text), QMessageBox::Ok, MessageOwner());
  box.button(QMessageBox::Ok)->setText("OK");
  box.exec();
}

// The file dialogs' own texts in European Portuguese, whatever Qt's
// catalogues hold: Debian has no European one for Qt 6, and its old qt_pt_PT
// says "&Gravar" and "FIcheiros do tipo:". Called once the accept mode is set.
void LabelInPortuguese(QFileDialog& dialog) {
  const bool save = dialog.acceptMode() == QFileDialog::AcceptSave;
  dialog.setLabelText(QFileDialog::Accept, save ? "Guardar" : "Abrir");
  dialog.setLabelText(QFileDialog::Reject, "Cancelar");
  dialog.setLabelText(QFileDialog::FileName, "Nome do ficheiro:");
  dialog.setLabelText(QFileDialog::FileType, "Ficheiros do tipo:");
  dialog.setLabelText(QFileDialog::LookIn, "Procurar em:");
}

}  // namespace

QWidget* MessageOwner() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return QApplication::activeWindow();
}

void QtDialogs::Inform(const std::string& text, const std::string& title) {
  Box(QMessageBox::Information, text, title);
}

void QtDialogs::Warn(const std::string& text) {
  Box(QMessageBox::NoIcon, text, kTituloAplicacao);
}

void QtDialogs::ShowError(const std::string& text) {
  Box(QMessageBox::Critical, text, kTituloAplicacao);
}

bool QtDialogs::Confirm(const std::string& question) {
  QMessageBox box(QMessageBox::Question, kTituloAplicacao, Q(question),
                  QMessageBox::Yes | QMessageBox::No, MessageOwner());
  box.button(QMessageBox::Yes)->setText("Sim");
  box.button(QMessageBox::No)->setText("Não");
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

std::string QtDialogs::AskSaveFile(const SaveQuestion& question) {
  QFileDialog dialog(MessageOwner(), Q(question.title), QFile::decodeName(question.folder.c_str()));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  LabelInPortuguese(dialog);
  dialog.setNameFilter(Q(question.filter));
  dialog.setDefaultSuffix(Q(question.suffix));
  dialog.selectFile(Q(question.name));
  // The export asks its own overwrite question.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return "";
  return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
}

void QtDialogs::ShowProblems(const VerificacaoDoFicheiro& check) {
  ProblemsDialog dialog(check, MessageOwner());
  dialog.exec();
}

}  // namespace saftpt::gui
