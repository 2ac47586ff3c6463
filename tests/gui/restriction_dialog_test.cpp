#include <gtest/gtest.h>

#include <algorithm>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "GuiTestSupport.h"
#include "TestDatabase.h"
#include "WindowFixture.h"
#include "gui/RestrictionDialog.h"

namespace saftpt::test {
namespace {

using Log = std::vector<std::string>;

class RestrictionDialogTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    Exec(
        "INSERT INTO seriedocumento (documento, serie) VALUES ('NC','A'), ('F','B'), ('F','A'),"
        " ('R','C'), ('F','A')");
    dialog_ = std::make_unique<gui::RestrictionDialog>(db_, list_, dialogs_);
    dialog_->Load();
  }

  template <typename T>
  T* Child(const char* name) {
    T* w = dialog_->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }

  static std::vector<std::string> Items(const QComboBox* c) {
    std::vector<std::string> out;
    for (int i = 0; i < c->count(); ++i) out.push_back(c->itemText(i).toStdString());
    return out;
  }
  std::vector<std::string> Rows() {
    std::vector<std::string> out;
    auto* l = Child<QListWidget>("restrictionList");
    for (int i = 0; i < l->count(); ++i) out.push_back(l->item(i)->text().toStdString());
    return out;
  }
  std::string Count() { return Child<QLabel>("itemCountLabel")->text().toStdString(); }

  void Add(const char* type, const char* series, const char* first, const char* last) {
    Child<QComboBox>("tipoDocBox")->setEditText(type);
    Child<QComboBox>("serieBox")->setEditText(series);
    Child<QLineEdit>("numeroInicialEdit")->setText(first);
    Child<QLineEdit>("numeroFinalEdit")->setText(last);
    Child<QPushButton>("addButton")->click();
  }

  Restricoes list_;
  ScriptedDialogs dialogs_;
  std::unique_ptr<gui::RestrictionDialog> dialog_;
};

TEST_F(RestrictionDialogTest, TypesAndTheSeriesOfTheChosenType) {
  EXPECT_EQ(dialog_->windowTitle(), "Restrição de Documentos");
  QComboBox* types = Child<QComboBox>("tipoDocBox");
  QComboBox* series = Child<QComboBox>("serieBox");
  EXPECT_EQ(Items(types), (Log{"F", "NC", "R"}));
  EXPECT_EQ(types->currentText(), "F");
  // The series come in the server's order (the statement orders by type).
  Log found = Items(series);
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, (Log{"A", "B"}));
  EXPECT_EQ(series->currentIndex(), 0);
  EXPECT_EQ(Child<QLineEdit>("numeroInicialEdit")->text(), "0");
  EXPECT_EQ(Child<QLineEdit>("numeroFinalEdit")->text(), "99999");
  EXPECT_EQ(Count(), "Items: 0");

  types->setCurrentIndex(2);
  EXPECT_EQ(Items(series), Log{"C"});
  // A typed type with a quote is looked up safely and finds nothing.
  types->setEditText("F' or '1'='1");
  EXPECT_EQ(Items(series), Log{});
  EXPECT_EQ(dialogs_.log, Log{});
}

TEST_F(RestrictionDialogTest, AddAndRemoveKeepListAndRowsInStep) {
  Add("F", "A", "1", "99999");
  Add("NC", "A", "5", "3");  // a first number above the last is accepted
  Add("R", "C", " 7 ", "-2");
  EXPECT_EQ(Rows(), (Log{"F A de 1 até 99999", "NC A de 5 até 3", "R C de 7 até -2"}));
  EXPECT_EQ(Count(), "Items: 3");
  ASSERT_EQ(list_.size(), 3u);
  EXPECT_EQ(list_[2].tipodoc, "R");
  EXPECT_EQ(list_[2].numeroInicial, 7);
  EXPECT_EQ(list_[2].numeroFinal, -2);

  // Nothing selected: nothing removed.
  Child<QListWidget>("restrictionList")->clearSelection();
  Child<QPushButton>("removeButton")->click();
  EXPECT_EQ(list_.size(), 3u);

  Child<QListWidget>("restrictionList")->item(1)->setSelected(true);
  Child<QPushButton>("removeButton")->click();
  EXPECT_EQ(Rows(), (Log{"F A de 1 até 99999", "R C de 7 até -2"}));
  ASSERT_EQ(list_.size(), 2u);
  EXPECT_EQ(list_[0].tipodoc, "F");
  EXPECT_EQ(list_[1].tipodoc, "R");
  EXPECT_EQ(Count(), "Items: 2");
  EXPECT_EQ(dialogs_.log, Log{});
}

TEST_F(RestrictionDialogTest, InvalidNumbersAddNothing) {
  Add("F", "A", "12a", "10");
  Add("F", "A", "1", "dez");
  Add("F", "A", "1", "2147483648");
  Add("F", "A", "1.5", "2");
  EXPECT_EQ(dialogs_.log, (Log{"warn: Número Inicial Inválido", "warn: Número Final Inválido",
                               "warn: Número Final Inválido", "warn: Número Inicial Inválido"}));
  EXPECT_TRUE(list_.empty());
  EXPECT_EQ(Rows(), Log{});
  EXPECT_EQ(Count(), "Items: 0");
}

// Through the window: the list outlives the dialog and comes back in order.
TEST_F(WindowTest, RestrictionsAreKeptForTheProgramsLife) {
  Exec("INSERT INTO seriedocumento (documento, serie) VALUES ('F','A'), ('FR','B')");
  gui::ExportWindow& w = Open(DateTime::Date(2025, 3, 15), true);
  auto add = [](QWidget* d, const char* type, const char* first) {
    d->findChild<QComboBox*>("tipoDocBox")->setEditText(type);
    d->findChild<QLineEdit*>("numeroInicialEdit")->setText(first);
    d->findChild<QPushButton*>("addButton")->click();
  };
  WhenModal("saftpt::gui::RestrictionDialog", [&](QWidget* d) {
    add(d, "F", "1");
    add(d, "FR", "2");
    d->close();
  });
  Child<QPushButton>("restrictionsButton")->click();
  ASSERT_EQ(w.restricoes().size(), 2u);

  std::vector<std::string> rows;
  std::string count;
  WhenModal("saftpt::gui::RestrictionDialog", [&](QWidget* d) {
    auto* l = d->findChild<QListWidget*>("restrictionList");
    for (int i = 0; i < l->count(); ++i) rows.push_back(l->item(i)->text().toStdString());
    count = d->findChild<QLabel*>("itemCountLabel")->text().toStdString();
    SaveScreenshot(d, "frmRestricaoDocumentos");
    d->close();
  });
  Child<QPushButton>("restrictionsButton")->click();
  EXPECT_EQ(rows, (Log{"F A de 1 até 99999", "FR B de 2 até 99999"}));
  EXPECT_EQ(count, "Items: 2");
  EXPECT_EQ(w.restricoes()[1].serie, "B");
}

}  // namespace
}  // namespace saftpt::test
