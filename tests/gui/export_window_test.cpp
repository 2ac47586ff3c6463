#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QMessageBox>
#include <filesystem>

#include "BuildInfo.h"
#include "TlsServer.h"
#include "WindowFixture.h"
#include "config/IniFile.h"
#include "config/Settings.h"
#include "gui/ConnectionDialog.h"

namespace saftpt::test {
namespace {

using Log = std::vector<std::string>;

std::string Version() {
  return std::to_string(SAFTPT_VERSION_MAJOR) + "." + std::to_string(SAFTPT_VERSION_MINOR) + "." +
         std::to_string(SAFTPT_VERSION_PATCH);
}

// The connection dialog's fields and buttons, by name.
QLineEdit* Field(QWidget* dialog, const char* name) {
  QLineEdit* f = dialog->findChild<QLineEdit*>(name);
  EXPECT_NE(f, nullptr) << name;
  return f;
}
std::string LabelText(QWidget* dialog, const char* name) {
  QLabel* l = dialog->findChild<QLabel*>(name);
  EXPECT_NE(l, nullptr) << name;
  return l ? l->text().toStdString() : "";
}
void Press(QWidget* dialog, const char* name) {
  QPushButton* b = dialog->findChild<QPushButton*>(name);
  ASSERT_NE(b, nullptr) << name;
  b->click();
}
constexpr const char* kConnectionDialog = "saftpt::gui::ConnectionDialog";

void LeaveBox(QWidget* box, Qt::FocusReason reason = Qt::TabFocusReason) {
  QFocusEvent out(QEvent::FocusOut, reason);
  QApplication::sendEvent(box, &out);
}

TEST_F(WindowTest, LoadFillsTheWindowFromTodayAndTheDatabase) {
  gui::ExportWindow& w = Open(DateTime::Date(2025, 3, 15));
  EXPECT_EQ(w.windowTitle().toStdString(),
            "Exportação SAF-T PT " + Version() + " [ Sociedade de Advogados Teste ] ");
  EXPECT_EQ(Child<QLineEdit>("fiscalYearEdit")->text(), "2025");
  EXPECT_EQ(Date(Child<QDateEdit>("periodStart")), DateTime::Date(2025, 2, 1));
  EXPECT_EQ(Date(Child<QDateEdit>("periodEnd")), DateTime::Date(2025, 2, 28));
  EXPECT_EQ(Child<QComboBox>("versionBox")->currentText(), "1.04_1");

  // Every series but "tmp", in order, all selected.
  QListWidget* list = Child<QListWidget>("seriesList");
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(0)->text(), "A");
  EXPECT_EQ(list->item(1)->text(), "B");
  EXPECT_EQ(list->selectedItems().size(), 2);

  EXPECT_FALSE(Child<QPushButton>("restrictionsButton")->isVisibleTo(&w));
  EXPECT_FALSE(Child<QCheckBox>("recibosCheck")->isChecked());
  EXPECT_TRUE(Child<QPlainTextEdit>("summaryText")->toPlainText().isEmpty());
  EXPECT_EQ(dialogs_.log, Log{});
  SaveScreenshot(&w, "frmExportacaoSAFT");
}

TEST_F(WindowTest, JanuaryStartsOnThePreviousYearsDecember) {
  Open(DateTime::Date(2026, 1, 10));
  EXPECT_EQ(Child<QLineEdit>("fiscalYearEdit")->text(), "2025");
  EXPECT_EQ(Date(Child<QDateEdit>("periodStart")), DateTime::Date(2025, 12, 1));
  EXPECT_EQ(Date(Child<QDateEdit>("periodEnd")), DateTime::Date(2025, 12, 31));
}

TEST_F(WindowTest, VersionByTheDayTheLawTookEffectAndTheRestrictionSwitch) {
  Open(DateTime::Date(2017, 6, 30));
  EXPECT_EQ(Child<QComboBox>("versionBox")->currentIndex(), 0);
  gui::ExportWindow& w = Open(DateTime::Date(2017, 7, 1), true);
  EXPECT_EQ(Child<QComboBox>("versionBox")->currentIndex(), 1);
  EXPECT_TRUE(Child<QPushButton>("restrictionsButton")->isVisibleTo(&w));
}

TEST_F(WindowTest, ReceiptsSwitchIsReadAtLoadAndWrittenAtEveryClick) {
  WriteIni(settings_, "bd", "saftrecibos", "1");
  Open(DateTime::Date(2025, 3, 15));
  QCheckBox* box = Child<QCheckBox>("recibosCheck");
  EXPECT_TRUE(box->isChecked());

  auto stored = [this] {
    std::string v;
    ReadIni(settings_, "bd", "saftrecibos", v);
    return v;
  };
  box->click();
  EXPECT_EQ(stored(), "0");
  box->click();
  EXPECT_EQ(stored(), "1");
  box->click();
  EXPECT_EQ(stored(), "0");
  // The connection keys are kept as they were.
  EXPECT_EQ(ReadConnectionSettings(settings_).database, Settings().database);

  // A settings file that cannot be written is told, and the box still follows
  // the click.
  std::filesystem::remove(settings_);
  std::filesystem::create_directory(settings_);
  std::string warning;
  WhenModal("QMessageBox", [&warning](QWidget* w) {
    auto* m = static_cast<QMessageBox*>(w);
    EXPECT_EQ(m->icon(), QMessageBox::Warning);
    warning = m->windowTitle().toStdString() + ": " + m->text().toStdString();
    m->accept();
  });
  box->click();
  EXPECT_EQ(warning.rfind("AVISO: Ficheiro " + settings_ + " não existe ou inválido", 0), 0u)
      << warning;
  EXPECT_TRUE(box->isChecked());
  std::filesystem::remove(settings_);
  WriteSettingsFile(folder_);

  // Any other stored value leaves the box as designed (not ticked).
  WriteIni(settings_, "bd", "saftrecibos", "sim");
  Open(DateTime::Date(2025, 3, 15));
  EXPECT_FALSE(Child<QCheckBox>("recibosCheck")->isChecked());
}

TEST_F(WindowTest, FiscalYearIsCheckedWhenTheBoxIsLeft) {
  Open(DateTime::Date(2025, 3, 15));
  QLineEdit* year = Child<QLineEdit>("fiscalYearEdit");
  QDateEdit* start = Child<QDateEdit>("periodStart");
  QDateEdit* end = Child<QDateEdit>("periodEnd");

  for (const char* bad : {"1990", "2040", "abc", ""}) {
    year->setText(bad);
    LeaveBox(year);
    EXPECT_EQ(dialogs_.log, Log{"warn: Exercicio inválido"}) << bad;
    EXPECT_EQ(Date(start), DateTime::Date(2025, 2, 1)) << bad;
    dialogs_.log.clear();
  }
  year->setText("1991");
  LeaveBox(year);
  EXPECT_EQ(Date(start), DateTime::Date(1991, 1, 1));
  EXPECT_EQ(Date(end), DateTime::Date(1991, 12, 31));
  year->setText("2039");
  LeaveBox(year);
  EXPECT_EQ(Date(start), DateTime::Date(2039, 1, 1));
  EXPECT_EQ(Date(end), DateTime::Date(2039, 12, 31));
  EXPECT_EQ(dialogs_.log, Log{});

  // Switching to another program is not leaving the box.
  year->setText("1990");
  LeaveBox(year, Qt::ActiveWindowFocusReason);
  EXPECT_EQ(dialogs_.log, Log{});
}

TEST_F(WindowTest, LoadFailuresAreShownAndEndTheProgram) {
  gui::StartOptions o;
  o.settingsPath = settings_;
  o.today = DateTime::Date(2025, 3, 15);
  Exec("DELETE FROM configescritorio");
  EXPECT_FALSE(gui::ExportWindow(o, dialogs_, shell_).Load());
  ASSERT_EQ(dialogs_.log.size(), 1u);
  EXPECT_EQ(dialogs_.log[0].rfind("error: ", 0), 0u) << dialogs_.log[0];

  // A connection refused asks for the connection with the server's own
  // message; cancelled, the program ends without another box.
  dialogs_.log.clear();
  WriteIni(settings_, "bd", "basedados", "nao_existe_saftpt");
  std::string problema;
  WhenModal(kConnectionDialog, [&problema](QWidget* d) {
    problema = LabelText(d, "problemLabel");
    EXPECT_EQ(Field(d, "databaseEdit")->text(), "nao_existe_saftpt");
    Press(d, "cancelButton");
  });
  EXPECT_FALSE(gui::ExportWindow(o, dialogs_, shell_).Load());
  EXPECT_NE(problema.find("nao_existe_saftpt"), std::string::npos) << problema;
  EXPECT_EQ(dialogs_.log, Log{});
}

// A first run: no settings file, then a wrong password, then the right one.
TEST_F(WindowTest, FirstRunAsksForTheConnectionUntilItWorks) {
  std::filesystem::remove(settings_);
  const ConnectionSettings good = Settings();
  std::vector<std::string> problemas, respostas;
  WhenModal(kConnectionDialog, [&](QWidget* d) {
    problemas.push_back(LabelText(d, "problemLabel"));
    EXPECT_EQ(Field(d, "portEdit")->text(), "3306");
    // A new file verifies the server's certificate; the test server has no TLS.
    QCheckBox* tls = d->findChild<QCheckBox*>("tlsCheck");
    ASSERT_NE(tls, nullptr);
    EXPECT_TRUE(tls->isChecked());
    tls->setChecked(false);
    Field(d, "serverEdit")->setText(QString::fromStdString(good.server));
    Field(d, "portEdit")->setText(QString::fromStdString(good.port));
    Field(d, "databaseEdit")->setText(QString::fromStdString(good.database));
    Field(d, "userEdit")->setText(QString::fromStdString(good.user));
    Field(d, "passwordEdit")->setText("errada");
    Press(d, "testButton");
    respostas.push_back(LabelText(d, "answerLabel"));
    // Saved, the settings still do not connect: the dialog again, with the
    // file's values.
    WhenModal(kConnectionDialog, [&](QWidget* again) {
      problemas.push_back(LabelText(again, "problemLabel"));
      EXPECT_EQ(Field(again, "databaseEdit")->text().toStdString(), good.database);
      EXPECT_EQ(Field(again, "passwordEdit")->text(), "errada");
      Field(again, "passwordEdit")->setText(QString::fromStdString(good.password));
      Press(again, "testButton");
      respostas.push_back(LabelText(again, "answerLabel"));
      Press(again, "saveButton");
    });
    Press(d, "saveButton");
  });
  gui::StartOptions o;
  o.settingsPath = settings_;
  o.today = DateTime::Date(2025, 3, 15);
  window_ = std::make_unique<gui::ExportWindow>(o, dialogs_, shell_);
  ASSERT_TRUE(window_->Load()) << (dialogs_.log.empty() ? "" : dialogs_.log.back());

  ASSERT_EQ(problemas.size(), 2u);
  EXPECT_NE(problemas[0].find(settings_ + " não existe"), std::string::npos) << problemas[0];
  EXPECT_NE(problemas[1].find("Access denied"), std::string::npos) << problemas[1];
  ASSERT_EQ(respostas.size(), 2u);
  EXPECT_NE(respostas[0].find("Access denied"), std::string::npos) << respostas[0];
  EXPECT_EQ(respostas[1].rfind("Ligação estabelecida: servidor ", 0), 0u) << respostas[1];
  EXPECT_NE(respostas[1].find("\nLigação não cifrada."), std::string::npos) << respostas[1];
  EXPECT_EQ(dialogs_.log, Log{});

  // Written as `saftpt settings` writes it.
  struct stat st {};
  ASSERT_EQ(::stat(settings_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  std::string user;
  ASSERT_TRUE(ReadIni(settings_, "bd", "username", user));
  EXPECT_EQ(user, Scramble(good.user));
  EXPECT_EQ(ReadConnectionSettings(settings_).password, good.password);
  EXPECT_EQ(Child<QListWidget>("seriesList")->count(), 2);
  EXPECT_NE(window_->windowTitle().toStdString().find("Sociedade de Advogados Teste"),
            std::string::npos);
}

// On a server that takes only TLS, with its CA chosen, the answer names the
// protocol, and "Gravar" keeps the verification and the CA file.
TEST_F(WindowTest, ConnectionDialogSaysTheConnectionIsEncrypted) {
  TlsServer server;
  ConnectionSettings s = server.Settings();
  gui::ConnectionDialog d(folder_ + "/tls.ini", "", dialogs_);
  for (auto [field, text] : {std::pair{"serverEdit", s.server},
                             {"portEdit", s.port},
                             {"databaseEdit", s.database},
                             {"userEdit", s.user},
                             {"passwordEdit", s.password},
                             {"caEdit", server.Ca()}})
    Field(&d, field)->setText(QString::fromStdString(text));
  Press(&d, "testButton");
  const std::string resposta = LabelText(&d, "answerLabel");
  EXPECT_NE(resposta.find("\nLigação cifrada: TLSv1."), std::string::npos) << resposta;
  Press(&d, "saveButton");
  EXPECT_EQ(ReadConnectionSettings(folder_ + "/tls.ini").tls, TlsMode::kVerify);
  EXPECT_EQ(ReadConnectionSettings(folder_ + "/tls.ini").tlsCa, server.Ca());
}

// "Ligação…": saved settings that connect are taken; ones that do not are
// asked again, and cancelled, the window keeps the connection it had.
TEST_F(WindowTest, ConnectionButtonKeepsAWorkingConnection) {
  Open(DateTime::Date(2025, 3, 15));
  WhenModal(kConnectionDialog, [this](QWidget* d) {
    EXPECT_EQ(LabelText(d, "problemLabel"), "");
    EXPECT_EQ(Field(d, "databaseEdit")->text().toStdString(), name_);
    Press(d, "saveButton");
  });
  Child<QPushButton>("connectionButton")->click();
  EXPECT_EQ(dialogs_.log, Log{});

  std::string problema;
  WhenModal(kConnectionDialog, [&problema](QWidget* d) {
    Field(d, "databaseEdit")->setText("nao_existe_saftpt");
    WhenModal(kConnectionDialog, [&problema](QWidget* again) {
      problema = LabelText(again, "problemLabel");
      Press(again, "cancelButton");
    });
    Press(d, "saveButton");
  });
  Child<QPushButton>("connectionButton")->click();
  EXPECT_NE(problema.find("nao_existe_saftpt"), std::string::npos) << problema;
  Child<QPushButton>("checkErrorsButton")->click();
  EXPECT_EQ(dialogs_.log, (Log{"warn: Não foram detetados erros em recibos",
                               "warn: Não foram detetados erros em Faturas",
                               "warn: Não foram detetados erros de numeração"}));
}

TEST_F(WindowTest, ExportStopsAtTheChecksBeforeAskingForTheFile) {
  Open(DateTime::Date(2025, 3, 15));
  dialogs_.saveAs = folder_ + "/nunca.xml";

  Child<QListWidget>("seriesList")->clearSelection();
  Child<QPushButton>("exportButton")->click();
  EXPECT_EQ(dialogs_.log, Log{"warn: Seleccione uma série, p.f."});
  Child<QListWidget>("seriesList")->item(1)->setSelected(true);

  dialogs_.log.clear();
  Child<QDateEdit>("periodStart")->setDate(QDate(2025, 3, 1));
  Child<QPushButton>("exportButton")->click();
  EXPECT_EQ(dialogs_.log, Log{"warn: A data Inicial não pode ser inferior à data final"});

  dialogs_.log.clear();
  Child<QDateEdit>("periodStart")->setDate(QDate(2025, 2, 1));
  Exec("ALTER TABLE tipoisencaoiva DROP COLUMN CodMencao");
  Child<QPushButton>("exportButton")->click();
  EXPECT_EQ(dialogs_.log,
            Log{"warn: Deve correr o utilitário ZAZorezed para atualizar a Base de Dados."});

  EXPECT_EQ(dialogs_.fileQuestions, 0);
  EXPECT_FALSE(std::filesystem::exists(dialogs_.saveAs));
}

TEST_F(WindowTest, CancelledSaveDialogChangesNothing) {
  Open(DateTime::Date(2025, 3, 15));
  Child<QPlainTextEdit>("summaryText")->setPlainText("anterior");
  dialogs_.saveAs = "";
  Child<QPushButton>("exportButton")->click();
  EXPECT_EQ(dialogs_.fileQuestions, 1);
  // No export yet: the user's documents, the office's number and the month.
  EXPECT_EQ(dialogs_.asked.name, "SAFT-PT 501234567 2025-02.xml");
  EXPECT_EQ(dialogs_.asked.title, "Gravar Ficheiro SAFT");
  std::string home = TempFolder(), documents = home + "/Documents";
  QByteArray realHome = qgetenv("HOME");
  qputenv("HOME", home.c_str());
  Child<QPushButton>("exportButton")->click();
  EXPECT_EQ(dialogs_.asked.folder, home);  // no documents folder
  std::filesystem::create_directory(documents);
  Child<QPushButton>("exportButton")->click();
  EXPECT_EQ(dialogs_.asked.folder, documents);
  qputenv("HOME", realHome);
  // A whole year, and any other period.
  Child<QLineEdit>("fiscalYearEdit")->setText("2024");
  LeaveBox(Child<QLineEdit>("fiscalYearEdit"));
  Child<QPushButton>("exportButton")->click();
  EXPECT_EQ(dialogs_.asked.name, "SAFT-PT 501234567 2024.xml");
  Child<QDateEdit>("periodStart")->setDate(QDate(2024, 3, 15));
  Child<QPushButton>("exportButton")->click();
  EXPECT_EQ(dialogs_.asked.name, "SAFT-PT 501234567 2024-03-15 a 2024-12-31.xml");
  EXPECT_EQ(dialogs_.fileQuestions, 5);
  EXPECT_EQ(dialogs_.log, Log{});
  EXPECT_EQ(Child<QPlainTextEdit>("summaryText")->toPlainText(), "anterior");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_),
                          std::filesystem::directory_iterator()),
            1);  // only the settings file
  EXPECT_TRUE(shell_.opened.empty());
}

TEST_F(WindowTest, ConsistencyReportShowsThreePlainBoxes) {
  Open(DateTime::Date(2025, 3, 15));
  Child<QPushButton>("checkErrorsButton")->click();
  EXPECT_EQ(dialogs_.log, (Log{"warn: Não foram detetados erros em recibos",
                               "warn: Não foram detetados erros em Faturas",
                               "warn: Não foram detetados erros de numeração"}));
}

TEST_F(WindowTest, ConsistencyReportListsFindingsOfThePeriod) {
  // A document of 100.00 (net 81.30) paid 50.00 by a receipt that declares
  // 40.66 net instead of 40.65, and overpaid 101.01 by two receipts.
  Exec(
      "INSERT INTO documentos (IDDoc, tipodoc, serie, numero, Data, ValorTotal, ValorLiquido)"
      " VALUES (1, 'F', 'A', 1, '2025-02-03', 100, 81.30),"
      " (2, 'R', 'A', 1, '2025-02-10', 50, 40.66), (3, 'R', 'A', 2, '2025-02-11', 51.01, 0);"
      "INSERT INTO documentoslinhas (IDDoc, tipodoc, Serie, numero, ValorTotal, ValorLiquido,"
      " IDDocP, TipoDocP) VALUES (2, 'R', 'A', 1, 50, 40.66, 1, 'F'),"
      " (3, 'R', 'A', 2, 51.01, 41.47, 1, 'F');");
  Open(DateTime::Date(2025, 3, 15));
  Child<QPushButton>("checkErrorsButton")->click();
  ASSERT_EQ(dialogs_.log.size(), 3u);
  EXPECT_EQ(dialogs_.log[0], "warn: Possíveis erros em valores de recibos:\r\n\r\n2|1|40,66|40,65");
  EXPECT_EQ(dialogs_.log[1].rfind("warn: Possíveis erros em Faturas:", 0), 0u) << dialogs_.log[1];
  EXPECT_NE(dialogs_.log[1].find("1 paga pelos documentos:"), std::string::npos);
  EXPECT_NE(dialogs_.log[1].find("Valor Pago: 101,01"), std::string::npos) << dialogs_.log[1];
  EXPECT_EQ(dialogs_.log[2],
            "warn: Possíveis erros de numeração:\r\n\r\nF A/1 sem ATCUD\r\nR A/1 sem ATCUD"
            "\r\nR A/2 sem ATCUD");
}

TEST_F(WindowTest, ConsistencyReportFailureIsShownAsAnError) {
  Open(DateTime::Date(2025, 3, 15));
  Exec("DROP TABLE documentoslinhas");
  Child<QPushButton>("checkErrorsButton")->click();
  ASSERT_EQ(dialogs_.log.size(), 1u);
  EXPECT_EQ(dialogs_.log[0].rfind("error: ", 0), 0u);
  EXPECT_NE(dialogs_.log[0].find("documentoslinhas"), std::string::npos) << dialogs_.log[0];
}

}  // namespace
}  // namespace saftpt::test
