// A billing database with an office and three series, a settings file
// pointing at it, and the export window opened on it.
#ifndef SAFTPT_TESTS_GUI_WINDOWFIXTURE_H_
#define SAFTPT_TESTS_GUI_WINDOWFIXTURE_H_

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <memory>
#include <string>

#include "GuiTestSupport.h"
#include "TestDatabase.h"
#include "gui/ExportWindow.h"

namespace saftpt::test {

class WindowTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    if (kind_.name() != SchemaKind{}.name()) CreateDatabase(kind_);
    Exec(
        "INSERT INTO configescritorio (ID, nome, morada, Localidade, Codpostal, NumContribuinte,"
        " EspacoFiscal, Iva, OC, OC1, IvaCaixa, ClienteIndiferenciado) VALUES (1,"
        " 'Sociedade de Advogados Teste', 'Rua Augusta, 10', 'Lisboa', '1100-053 Lisboa',"
        " '501234567', 'Continente', 23, 0, 0, 0, '0');"
        "INSERT INTO series (serie, descricao, seriegeral) VALUES ('B', 'Porto', 0),"
        " ('A', 'Geral', 1), ('tmp', 'Por gravar', 0);");
    folder_ = TempFolder();
    settings_ = WriteSettingsFile(folder_);
  }

  // Opens the window as the program does; fails the test when the load fails.
  gui::ExportWindow& Open(const DateTime& today, bool restricao = false) {
    gui::StartOptions o;
    o.settingsPath = settings_;
    o.showRestrictions = restricao;
    o.today = today;
    window_ = std::make_unique<gui::ExportWindow>(o, dialogs_, shell_);
    loaded_ = window_->Load();
    EXPECT_TRUE(loaded_) << (dialogs_.log.empty() ? "" : dialogs_.log.back());
    return *window_;
  }

  template <typename T>
  T* Child(const char* name) {
    T* w = window_->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }

  static DateTime Date(const QDateEdit* d) {
    return DateTime::Date(d->date().year(), d->date().month(), d->date().day());
  }

  SchemaKind kind_;  // set by a derived fixture before SetUp
  std::string folder_;
  std::string settings_;
  ScriptedDialogs dialogs_;
  RecordingShell shell_;
  std::unique_ptr<gui::ExportWindow> window_;
  bool loaded_ = false;
};

}  // namespace saftpt::test

#endif  // SAFTPT_TESTS_GUI_WINDOWFIXTURE_H_
