// The real message boxes (icons, captions and the Portuguese buttons), the
// save dialog's own texts in European Portuguese, and the table of a file's problems.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>

#include "GuiTestSupport.h"
#include "gui/GuiDialogs.h"
#include "gui/ProblemsDialog.h"
#include "gui/QtTranslations.h"

namespace saftpt::gui {
namespace {

struct Seen {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  std::string title, text;
  std::vector<std::string> buttons;
};

// Records the next message box and presses the button with `press` as text.
void Answer(Seen& seen, const std::string& press) {
  test::WhenModal("QMessageBox", [&seen, press](QWidget* w) {
    auto* box = static_cast<QMessageBox*>(w);
    seen.icon = box->icon();
    seen.title = box->windowTitle().toStdString();
    seen.text = box->text().toStdString();
    QAbstractButton* target = nullptr;
    for (QAbstractButton* b : box->buttons()) {
      seen.buttons.push_back(b->text().toStdString());
      if (b->text().toStdString() == press) target = b;
    }
    ASSERT_NE(target, nullptr) << press;
    target->click();
  });
}

TEST(QtDialogs, IconsCaptionsAndPortugueseButtons) {
  QtDialogs dialogs;
  Seen no, yes, error, plain, info;
  Answer(no, "Não");
  EXPECT_FALSE(dialogs.Confirm("Confirma a atualização?"));
  EXPECT_EQ(no.icon, QMessageBox::Question);
  EXPECT_EQ(no.title, kTituloAplicacao);
  EXPECT_EQ(no.text, "Confirma a atualização?");
  Answer(yes, "Sim");
  EXPECT_TRUE(dialogs.Confirm("Já existe um ficheiro com esse nome. Deseja sobrepôr?"));

  Answer(error, "OK");
  dialogs.ShowError("Exportação do ficheiro cancelada.");
  EXPECT_EQ(error.icon, QMessageBox::Critical);
  EXPECT_EQ(error.title, kTituloAplicacao);
  EXPECT_EQ(error.buttons, std::vector<std::string>{"OK"});

  Answer(plain, "OK");
  dialogs.Warn("Não foram detetados erros em recibos");
  EXPECT_EQ(plain.icon, QMessageBox::NoIcon);

  Answer(info, "OK");
  dialogs.Inform("Ficheiro exportado", "Exportação ficheiro SAFT-PT");
  EXPECT_EQ(info.icon, QMessageBox::Information);
  EXPECT_EQ(info.title, "Exportação ficheiro SAFT-PT");
}

std::vector<std::string> Texts(const QList<QAbstractButton*>& buttons) {
  std::vector<std::string> texts;
  for (QAbstractButton* b : buttons) texts.push_back(b->text().toStdString());
  return texts;
}

// Debian's qt6-translations-l10n, which scripts/install-deps.sh installs.
TEST(QtDialogs, SaveDialogInPortugueseWhereItIsAsked) {
  QtTranslations translations;
  ASSERT_TRUE(translations.Install()) << "sem as traduções do Qt (qt6-translations-l10n)";
  std::string folder = test::TempFolder();
  std::string label, typeLabel, lookIn, name, shownFolder;
  std::vector<std::string> buttons;
  test::WhenModal("QFileDialog", [&](QWidget* w) {
    auto* dialog = static_cast<QFileDialog*>(w);
    label = dialog->findChild<QLabel*>("fileNameLabel")->text().toStdString();
    typeLabel = dialog->findChild<QLabel*>("fileTypeLabel")->text().toStdString();
    lookIn = dialog->findChild<QLabel*>("lookInLabel")->text().toStdString();
    name = dialog->findChild<QLineEdit*>("fileNameEdit")->text().toStdString();
    shownFolder = dialog->directory().absolutePath().toStdString();
    buttons = Texts(dialog->findChild<QDialogButtonBox*>("buttonBox")->buttons());
    dialog->reject();
  });
  QtDialogs dialogs;
  EXPECT_EQ(dialogs.AskSaveFile({"Gravar Ficheiro SAFT", folder, "SAFT-PT 501234567 2024-02.xml",
                                 "Xml (*.xml)", "xml"}),
            "");
  // The program's own words, not the old catalogue's "&Gravar".
  EXPECT_EQ(label, "Nome do ficheiro:");
  EXPECT_EQ(typeLabel, "Ficheiros do tipo:");
  EXPECT_EQ(lookIn, "Procurar em:");
  EXPECT_EQ(buttons, (std::vector<std::string>{"Guardar", "Cancelar"}));
  EXPECT_EQ(name, "SAFT-PT 501234567 2024-02.xml");
  EXPECT_EQ(shownFolder, folder);

  // A standard button the program leaves to Qt.
  std::vector<std::string> boxButtons;
  test::WhenModal("QMessageBox", [&](QWidget* w) {
    boxButtons = Texts(static_cast<QMessageBox*>(w)->buttons());
    static_cast<QMessageBox*>(w)->reject();
  });
  QMessageBox(QMessageBox::Warning, "AVISO", "?", QMessageBox::Ok | QMessageBox::Cancel).exec();
  EXPECT_EQ(boxButtons, (std::vector<std::string>{"OK", "Cancelar"}));
}

TEST(QtDialogs, ProblemsOfTheFileInATableToCopy) {
  VerificacaoDoFicheiro check;
  check.verificado = true;
  check.problemas = {{"F A/2", "", "documento sem linhas", "F A/2: documento sem linhas"},
                     {"FT A/1", "1", "taxa 0 % sem motivo de isenção", ""}};
  check.avisos = {"Falta o documento F A/3"};
  std::vector<std::string> rows;
  test::WhenModal("saftpt::gui::ProblemsDialog", [&](QWidget* w) {
    EXPECT_EQ(w->windowTitle().toStdString(), kTituloAplicacao);
    const QAbstractItemModel& m = *w->findChild<QTableView*>("problemsTable")->model();
    for (int r = 0; r < m.rowCount(); ++r)
      rows.push_back(m.index(r, 0).data().toString().toStdString() + "|" +
                     m.index(r, 1).data().toString().toStdString() + "|" +
                     m.index(r, 2).data().toString().toStdString());
    w->findChild<QPushButton*>("copyButton")->click();
    w->findChild<QPushButton*>("okButton")->click();
  });
  QtDialogs().ShowProblems(check);
  EXPECT_EQ(rows, (std::vector<std::string>{"F A/2||documento sem linhas",
                                            "FT A/1|1|taxa 0 % sem motivo de isenção",
                                            "||Aviso: Falta o documento F A/3"}));
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
            "Documento\tLinha\tProblema\nF A/2\t\tdocumento sem linhas\n"
            "FT A/1\t1\ttaxa 0 % sem motivo de isenção\n\t\tAviso: Falta o documento F A/3\n");
}

}  // namespace
}  // namespace saftpt::gui
