#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "../ShippedTable.h"
#include "GuiTestSupport.h"
#include "TestDatabase.h"
#include "gui/ExemptionDialog.h"

namespace saftpt::test {
namespace {

using Log = std::vector<std::string>;

ExemptionCase Case(const std::string& reason, const DateTime& start) {
  ExemptionCase c;
  c.tipodoc = "F";
  c.serie = "A";
  c.numero = "5";
  c.currentReason = reason;
  c.periodStart = start;
  c.offered = ShippedMotivos().Offered(start);
  return c;
}

template <typename T>
T* Child(QWidget* w, const char* name) {
  T* c = w->findChild<T*>(name);
  EXPECT_NE(c, nullptr) << name;
  return c;
}

// Selects the entry that starts with `code` and clicks a button.
void Choose(QWidget* d, const std::string& entry) {
  auto* combo = Child<QComboBox>(d, "reasonBox");
  int index = combo->findText(QString::fromStdString(entry));
  ASSERT_GE(index, 0) << entry;
  combo->setCurrentIndex(index);
}
void Click(QWidget* d, const char* button) {
  Child<QPushButton>(d, button)->click();
}

TEST(ExemptionDialogTexts, ListFollowsThePeriodAndTheCaseIsShown) {
  ScriptedDialogs dialogs;
  gui::ExemptionDialog d(dialogs);
  EXPECT_EQ(d.windowTitle(), "Validação dos Motivos de Isenção");

  d.FillCase(Case("Isento por lei", DateTime::Date(2022, 12, 31)));
  auto* combo = Child<QComboBox>(&d, "reasonBox");
  EXPECT_EQ(combo->count(), 18);
  EXPECT_EQ(combo->itemText(0), "M01 - Artigo 16.º n.º 6 do CIVA (ou similar)");
  EXPECT_EQ(combo->currentIndex(), -1);  // nothing chosen for the user
  EXPECT_EQ(Child<QLabel>(&d, "documentLabel")->text(), "Documento: F 5/A");
  EXPECT_EQ(Child<QLabel>(&d, "currentReasonLabel")->text(), "Isento por lei");
  EXPECT_TRUE(Child<QPushButton>(&d, "updateAllButton")->isEnabled());
  combo->setCurrentIndex(6);
  SaveScreenshot(&d, "exemptionDialog");

  d.FillCase(Case("  ", DateTime::Date(2023, 1, 1)));
  EXPECT_EQ(combo->count(), 29);
  EXPECT_EQ(combo->itemText(28).left(3), "M99");
  EXPECT_FALSE(Child<QPushButton>(&d, "updateAllButton")->isEnabled());
}

class ExemptionDialogTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    Exec(
        "INSERT INTO documentos (IDDoc, tipodoc, serie, numero, Data) VALUES"
        " (1, 'F', 'A', 5, '2024-02-10'), (2, 'F', 'A', 6, '2017-01-01'),"
        " (3, 'F', 'A', 7, '2016-12-31');"
        "INSERT INTO documentoslinhas (IDDoc, tipodoc, Serie, numero, Iva, IsencaoIva, CodMencao)"
        " VALUES (1, 'F', 'A', 5, 0, 'Isento d''IVA', ''), (1, 'F', 'A', 5, 23, 'Isento d''IVA', "
        "''),"
        " (1, 'F', 'A', 5, 0, 'Outro', ''), (2, 'F', 'A', 6, 0, 'Isento d''IVA', ''),"
        " (3, 'F', 'A', 7, 0, 'Isento d''IVA', '');");
    case_ = Case("Isento d'IVA", DateTime::Date(2024, 2, 1));
  }

  bool Run(std::function<void(QWidget*)> user) {
    gui::ExemptionDialog dialog(dialogs_);
    ExemptionFixer fixer(db_, case_);
    WhenModal("saftpt::gui::ExemptionDialog", user);
    return dialog.Resolve(case_, fixer);
  }

  // "numero:code:text" of every line, in order.
  std::vector<std::string> Lines() {
    std::vector<std::string> out;
    Recordset rs =
        db_.Execute("select numero, CodMencao, IsencaoIva from documentoslinhas order by ID");
    for (; !rs.Eof(); rs.MoveNext())
      out.push_back(rs.Text("numero") + ":" + rs.Text("CodMencao") + ":" + rs.Text("IsencaoIva"));
    return out;
  }

  ExemptionCase case_;
  ScriptedDialogs dialogs_;
};

TEST_F(ExemptionDialogTest, UpdateDocumentWritesCodeAndTextOnThatDocument) {
  dialogs_.answers = {true};
  EXPECT_TRUE(Run([](QWidget* d) {
    Choose(d, "M07 - Isento Artigo 9.º do CIVA");
    Click(d, "updateDocumentButton");
  }));
  EXPECT_EQ(dialogs_.log, Log{"confirm: Confirma a atualização?"});
  EXPECT_EQ(Lines(), (Log{"5:M07:Isento Artigo 9.º do CIVA", "5:M07:Isento Artigo 9.º do CIVA",
                          "5::Outro", "6::Isento d'IVA", "7::Isento d'IVA"}));
}

TEST_F(ExemptionDialogTest, UpdateAllTouchesDocumentsFrom2017On) {
  dialogs_.answers = {true};
  EXPECT_TRUE(Run([](QWidget* d) {
    Choose(d, "M99 - Não sujeito ou não tributado - Outras situações de não liquidação do imposto");
    Click(d, "updateAllButton");
  }));
  const std::string m99 =
      "M99:Não sujeito ou não tributado - Outras situações de não liquidação do imposto";
  EXPECT_EQ(Lines(), (Log{"5:" + m99, "5:" + m99, "5::Outro", "6:" + m99, "7::Isento d'IVA"}));
}

TEST_F(ExemptionDialogTest, NoKeepsTheDialogOpenWithTheChoice) {
  dialogs_.answers = {false, true};
  int indexAfterNo = -2;
  bool openAfterNo = false;
  EXPECT_TRUE(Run([&](QWidget* d) {
    Choose(d, "M07 - Isento Artigo 9.º do CIVA");
    int chosen = Child<QComboBox>(d, "reasonBox")->currentIndex();
    Click(d, "updateDocumentButton");
    openAfterNo = d->isVisible();
    indexAfterNo = Child<QComboBox>(d, "reasonBox")->currentIndex() - chosen;
    Click(d, "updateDocumentButton");
  }));
  EXPECT_TRUE(openAfterNo);
  EXPECT_EQ(indexAfterNo, 0);
  EXPECT_EQ(dialogs_.log,
            (Log{"confirm: Confirma a atualização?", "confirm: Confirma a atualização?"}));
  EXPECT_EQ(Lines()[0], "5:M07:Isento Artigo 9.º do CIVA");
}

TEST_F(ExemptionDialogTest, NoChoiceIsRefusedAndCancelWritesNothing) {
  bool openAfterRefusal = false;
  EXPECT_FALSE(Run([&](QWidget* d) {
    Click(d, "updateDocumentButton");
    Click(d, "updateAllButton");
    openAfterRefusal = d->isVisible();
    Click(d, "cancelButton");
  }));
  EXPECT_TRUE(openAfterRefusal);
  EXPECT_EQ(dialogs_.log, (Log{"warn: Tem de indicar um motivo de isenção válido.",
                               "warn: Tem de indicar um motivo de isenção válido."}));
  EXPECT_EQ(Lines()[0], "5::Isento d'IVA");
}

TEST_F(ExemptionDialogTest, CloseBoxCancelsEvenAfterAnEarlierUpdate) {
  gui::ExemptionDialog dialog(dialogs_);
  ExemptionFixer fixer(db_, case_);
  dialogs_.answers = {true};
  WhenModal("saftpt::gui::ExemptionDialog", [](QWidget* d) {
    Choose(d, "M07 - Isento Artigo 9.º do CIVA");
    Click(d, "updateDocumentButton");
  });
  EXPECT_TRUE(dialog.Resolve(case_, fixer));
  WhenModal("saftpt::gui::ExemptionDialog", [](QWidget* d) { d->close(); });
  EXPECT_FALSE(dialog.Resolve(case_, fixer));
}

TEST_F(ExemptionDialogTest, FailingUpdateIsShownAndTheDialogStaysOpen) {
  Exec("ALTER TABLE documentoslinhas DROP COLUMN CodMencao");
  dialogs_.answers = {true, true};
  bool openAfterFailure = false;
  EXPECT_FALSE(Run([&](QWidget* d) {
    Choose(d, "M07 - Isento Artigo 9.º do CIVA");
    Click(d, "updateDocumentButton");
    Click(d, "updateAllButton");
    openAfterFailure = d->isVisible();
    Click(d, "cancelButton");
  }));
  EXPECT_TRUE(openAfterFailure);
  ASSERT_EQ(dialogs_.log.size(), 4u);
  EXPECT_EQ(dialogs_.log[1].rfind("error: ", 0), 0u) << dialogs_.log[1];
  EXPECT_NE(dialogs_.log[1].find("CodMencao"), std::string::npos) << dialogs_.log[1];
  EXPECT_EQ(dialogs_.log[3].rfind("error: ", 0), 0u) << dialogs_.log[3];
  Recordset rs =
      db_.Execute("select count(*) as n from documentoslinhas where IsencaoIva='Isento d''IVA'");
  EXPECT_EQ(rs.Text("n"), "4");
}

}  // namespace
}  // namespace saftpt::test
