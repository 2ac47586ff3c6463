#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QMessageBox>
#include <filesystem>

#include "BuildInfo.h"
#include "WindowFixture.h"
#include "config/Settings.h"

namespace saftpt::test {
namespace {

using Log = std::vector<std::string>;

std::string Version() {
  return std::to_string(SAFTPT_VERSION_MAJOR) + "." + std::to_string(SAFTPT_VERSION_MINOR) + "." +
         std::to_string(SAFTPT_VERSION_PATCH);
}

void LeaveBox(QWidget* box, Qt::FocusReason reason = Qt::TabFocusReason) {
  QFocusEvent out(QEvent::FocusOut, reason);
  QApplication::sendEvent(box, &out);
}

TEST_F(WindowTest, LoadFillsTheWindowFromTodayAndTheDatabase) {
  gui::ExportWindow& w = Open(DateTime::Date(2025, 3, 15));
  EXPECT_EQ(w.windowTitle().toStdString(),
            "Exportação SAF-T PT " + Version() + " [ Sociedade de Advogados Teste ] ");
  EXPECT_EQ(Child<QLineEdit>("txtExercicio")->text(), "2025");
  EXPECT_EQ(Date(Child<QDateEdit>("DTDataInicial")), DateTime::Date(2025, 2, 1));
  EXPECT_EQ(Date(Child<QDateEdit>("DTDataFinal")), DateTime::Date(2025, 2, 28));
  EXPECT_EQ(Child<QComboBox>("Combo1")->currentText(), "1.04_1");

  // Every series but "tmp", in order, all selected.
  QListWidget* list = Child<QListWidget>("List1");
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(0)->text(), "A");
  EXPECT_EQ(list->item(1)->text(), "B");
  EXPECT_EQ(list->selectedItems().size(), 2);

  EXPECT_FALSE(Child<QPushButton>("Command4")->isVisibleTo(&w));
  EXPECT_FALSE(Child<QCheckBox>("ChkRecibos")->isChecked());
  EXPECT_TRUE(Child<QPlainTextEdit>("txtResumo")->toPlainText().isEmpty());
  EXPECT_EQ(dialogs_.log, Log{});
  SaveScreenshot(&w, "frmExportacaoSAFT");
}

TEST_F(WindowTest, JanuaryStartsOnThePreviousYearsDecember) {
  Open(DateTime::Date(2026, 1, 10));
  EXPECT_EQ(Child<QLineEdit>("txtExercicio")->text(), "2025");
  EXPECT_EQ(Date(Child<QDateEdit>("DTDataInicial")), DateTime::Date(2025, 12, 1));
  EXPECT_EQ(Date(Child<QDateEdit>("DTDataFinal")), DateTime::Date(2025, 12, 31));
}

TEST_F(WindowTest, VersionByTheDayTheLawTookEffectAndTheRestrictionSwitch) {
  Open(DateTime::Date(2017, 6, 30));
  EXPECT_EQ(Child<QComboBox>("Combo1")->currentIndex(), 0);
  gui::ExportWindow& w = Open(DateTime::Date(2017, 7, 1), true);
  EXPECT_EQ(Child<QComboBox>("Combo1")->currentIndex(), 1);
  EXPECT_TRUE(Child<QPushButton>("Command4")->isVisibleTo(&w));
}

TEST_F(WindowTest, ReceiptsSwitchIsReadAtLoadAndWrittenAtEveryClick) {
  EscreveIni(settings_, "bd", "saftrecibos", "1");
  Open(DateTime::Date(2025, 3, 15));
  QCheckBox* box = Child<QCheckBox>("ChkRecibos");
  EXPECT_TRUE(box->isChecked());

  auto stored = [this] {
    std::string v;
    LeIni(settings_, "bd", "saftrecibos", v);
    return v;
  };
  box->click();
  EXPECT_EQ(stored(), "0");
  box->click();
  EXPECT_EQ(stored(), "1");
  box->click();
  EXPECT_EQ(stored(), "0");
  // The connection keys are kept as they were.
  EXPECT_EQ(LeLigacaoIni(settings_).database, Settings().database);

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
  EscreveIni(settings_, "bd", "saftrecibos", "sim");
  Open(DateTime::Date(2025, 3, 15));
  EXPECT_FALSE(Child<QCheckBox>("ChkRecibos")->isChecked());
}

TEST_F(WindowTest, FiscalYearIsCheckedWhenTheBoxIsLeft) {
  Open(DateTime::Date(2025, 3, 15));
  QLineEdit* year = Child<QLineEdit>("txtExercicio");
  QDateEdit* start = Child<QDateEdit>("DTDataInicial");
  QDateEdit* end = Child<QDateEdit>("DTDataFinal");

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
  gui::OpcoesArranque o;
  o.settingsPath = settings_;
  o.today = DateTime::Date(2025, 3, 15);
  Exec("DELETE FROM configescritorio");
  EXPECT_FALSE(gui::ExportWindow(o, dialogs_, shell_).Load());
  ASSERT_EQ(dialogs_.log.size(), 1u);
  EXPECT_EQ(dialogs_.log[0].rfind("error: ", 0), 0u) << dialogs_.log[0];

  // The server's own message, in a plain box.
  dialogs_.log.clear();
  EscreveIni(settings_, "bd", "basedados", "nao_existe_saftpt");
  EXPECT_FALSE(gui::ExportWindow(o, dialogs_, shell_).Load());
  ASSERT_EQ(dialogs_.log.size(), 1u);
  EXPECT_EQ(dialogs_.log[0].rfind("warn: ", 0), 0u) << dialogs_.log[0];
  EXPECT_NE(dialogs_.log[0].find("nao_existe_saftpt"), std::string::npos) << dialogs_.log[0];
}

TEST_F(WindowTest, ExportStopsAtTheChecksBeforeAskingForTheFile) {
  Open(DateTime::Date(2025, 3, 15));
  dialogs_.saveAs = folder_ + "/nunca.xml";

  Child<QListWidget>("List1")->clearSelection();
  Child<QPushButton>("Command2")->click();
  EXPECT_EQ(dialogs_.log, Log{"warn: Seleccione uma série, p.f."});
  Child<QListWidget>("List1")->item(1)->setSelected(true);

  dialogs_.log.clear();
  Child<QDateEdit>("DTDataInicial")->setDate(QDate(2025, 3, 1));
  Child<QPushButton>("Command2")->click();
  EXPECT_EQ(dialogs_.log, Log{"warn: A data Inicial não pode ser inferior à data final"});

  dialogs_.log.clear();
  Child<QDateEdit>("DTDataInicial")->setDate(QDate(2025, 2, 1));
  Exec("ALTER TABLE tipoisencaoiva DROP COLUMN CodMencao");
  Child<QPushButton>("Command2")->click();
  EXPECT_EQ(dialogs_.log,
            Log{"warn: Deve correr o utilitário ZAZorezed para atualizar a Base de Dados."});

  EXPECT_EQ(dialogs_.fileQuestions, 0);
  EXPECT_FALSE(std::filesystem::exists(dialogs_.saveAs));
}

TEST_F(WindowTest, CancelledSaveDialogChangesNothing) {
  Open(DateTime::Date(2025, 3, 15));
  Child<QPlainTextEdit>("txtResumo")->setPlainText("anterior");
  dialogs_.saveAs = "";
  Child<QPushButton>("Command2")->click();
  EXPECT_EQ(dialogs_.fileQuestions, 1);
  EXPECT_EQ(dialogs_.log, Log{});
  EXPECT_EQ(Child<QPlainTextEdit>("txtResumo")->toPlainText(), "anterior");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_),
                          std::filesystem::directory_iterator()),
            1);  // only the settings file
  EXPECT_TRUE(shell_.opened.empty());
}

TEST_F(WindowTest, ConsistencyReportShowsThreePlainBoxes) {
  Open(DateTime::Date(2025, 3, 15));
  Child<QPushButton>("Command5")->click();
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
  Child<QPushButton>("Command5")->click();
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
  Child<QPushButton>("Command5")->click();
  ASSERT_EQ(dialogs_.log.size(), 1u);
  EXPECT_EQ(dialogs_.log[0].rfind("error: ", 0), 0u);
  EXPECT_NE(dialogs_.log[0].find("documentoslinhas"), std::string::npos) << dialogs_.log[0];
}

}  // namespace
}  // namespace saftpt::test
