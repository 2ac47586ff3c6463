// Faults during an export from the window (the database's, a broken table of
// exemption reasons): each is shown in a box, nothing is written, and the same
// window goes on working.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "WindowFixture.h"

namespace saftpt::test {
namespace {

namespace fs = std::filesystem;

TEST_F(WindowTest, DatabaseFaultsDuringAnExportAreShownAndTheWindowStaysUsable) {
  Open(DateTime::Date(2025, 3, 15));
  dialogs_.saveAs = folder_ + "/saft.xml";

  // The office's table of exemption reasons is broken: the message names its
  // line, before the database is read or a file asked for.
  const std::string tabela = folder_ + "/motivos-isencao.csv";
  std::ofstream(tabela) << "codigo,texto,desde,ate,aceite,dialogo\nX07,Isento,,,1,1\n";
  dialogs_.log.clear();
  Child<QPushButton>("exportButton")->click();
  EXPECT_EQ(dialogs_.log,
            std::vector<std::string>{"error: " + tabela +
                                     ", linha 2: código «X07» inválido (M e dois algarismos)"});
  fs::remove(tabela);

  // A table the export reads is missing.
  Exec("RENAME TABLE honorarios TO honorarios_antiga");
  dialogs_.log.clear();
  Child<QPushButton>("exportButton")->click();
  ASSERT_FALSE(dialogs_.log.empty());
  EXPECT_EQ(dialogs_.log.back().rfind("error: ", 0), 0u) << dialogs_.log.back();
  EXPECT_NE(dialogs_.log.back().find("honorarios"), std::string::npos) << dialogs_.log.back();
  EXPECT_FALSE(fs::exists(dialogs_.saveAs));

  // Put back, the same window exports.
  Exec("RENAME TABLE honorarios_antiga TO honorarios");
  dialogs_.log.clear();
  Child<QPushButton>("exportButton")->click();
  EXPECT_TRUE(fs::exists(dialogs_.saveAs)) << (dialogs_.log.empty() ? "" : dialogs_.log.back());
  fs::remove(dialogs_.saveAs);

  // The window's connection killed by the server.
  Recordset ligacoes = db_.Execute("SELECT id FROM information_schema.processlist WHERE db='" +
                                   name_ + "' AND id<>CONNECTION_ID()");
  ASSERT_FALSE(ligacoes.Eof());
  for (; !ligacoes.Eof(); ligacoes.MoveNext())
    db_.ExecuteUpdate("KILL CONNECTION " + ligacoes.Field(size_t{0}).Text());
  dialogs_.log.clear();
  Child<QPushButton>("exportButton")->click();
  ASSERT_FALSE(dialogs_.log.empty());
  EXPECT_EQ(dialogs_.log.back().rfind("error: ", 0), 0u) << dialogs_.log.back();
  EXPECT_FALSE(fs::exists(dialogs_.saveAs));
  EXPECT_TRUE(window_->isEnabled());
}

}  // namespace
}  // namespace saftpt::test
