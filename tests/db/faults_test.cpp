// Faults around an export: the connection killed halfway, a server that
// refuses, a missing database or table, a folder that cannot be written, a
// full disk, a broken settings file. Each ends with a clear message, a
// non-zero exit, no file and an existing one untouched; the password is never
// printed.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "../ShippedTable.h"
#include "../TestDoubles.h"
#include "ExportFixture.h"
#include "app/Connection.h"
#include "app/ExportRun.h"
#include "config/OfficeConfig.h"
#include "config/Settings.h"

namespace saftpt::test {
namespace {

namespace fs = std::filesystem;

const char* kAntigo = "<antigo/>\r\n";

class Dialogs : public UserDialogs {
 public:
  void Inform(const std::string& text, const std::string&) override {
    events.push_back("i:" + text);
  }
  void Warn(const std::string& text) override { events.push_back("w:" + text); }
  void ShowError(const std::string& text) override { events.push_back("e:" + text); }
  bool Confirm(const std::string&) override { return true; }
  std::vector<std::string> events;
};

class NoShell : public Shell {
 public:
  void OpenFolder(const std::string&) override {}
  void OpenUrl(const std::string&) override {}
};

class Cancel : public ExemptionResolver {
 public:
  bool Resolve(const ExemptionCase&, ExemptionFixer&) override { return false; }
};

// Kills the export's connection from a second one at the n-th progress step.
class KillAt : public ProgressSink {
 public:
  KillAt(Database& admin, std::string id, long long n) : admin_(admin), id_(id), n_(n) {}
  void StartProgress(long long) override { Step(); }
  void StartDetailProgress(long long) override { Step(); }
  void ShowProgress(long long, const std::string&) override { Step(); }
  void ShowDetailProgress(long long) override { Step(); }
  bool killed = false;

 private:
  void Step() {
    if (++count_ == n_) {
      admin_.ExecuteUpdate("KILL CONNECTION " + id_);
      killed = true;
    }
  }
  Database& admin_;
  std::string id_;
  long long n_, count_ = 0;
};

class FaultsTest : public ExportTest {
 protected:
  void SetUp() override {
    ExportTest::SetUp();
    ExecFile("db/demo.sql");
  }
  CliResult Export(const std::string& ini, const std::string& out, long long maxBytes = 0) {
    return Saftpt({"export", "--settings", ini, "--year", "2025", "--receipts", "--no-input",
                   "--force", "-o", out},
                  maxBytes);
  }
  // A settings file like the test's, with one key's line replaced.
  std::string SettingsWith(const std::string& key, const std::string& line) {
    std::string text = FileText(ini_), out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
      out += (l.rfind(key + "=", 0) == 0 ? line + "\r" : l) + "\n";
    std::string path = (dir_ / ("alterado_" + key + ".ini")).string();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << out;
    return path;
  }
  // The run failed cleanly: its own message, no signal, the old file kept.
  void Falhou(const CliResult& r, const std::string& parte) {
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find(parte), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(FileText(xml_), kAntigo);
    EXPECT_EQ(OutputFiles(), std::vector<std::string>{"saft.xml"});
  }
};

TEST_F(FaultsTest, ConnectionKilledAtAnyStepFailsWithoutAFile) {
  Database admin;
  admin.Open(Settings());
  for (long long passo : {1, 2, 4, 8, 30, 100, 250}) {
    SCOPED_TRACE(passo);
    std::ofstream(xml_, std::ios::binary | std::ios::trunc) << kAntigo;
    db_.Close();
    db_.Open(Settings());
    ConfiguracaoEscritorio office;
    LoadOfficeConfig(db_, office);
    std::string id = db_.Execute("SELECT CONNECTION_ID()").Field(size_t{0}).Text();
    KillAt progress(admin, id, passo);
    Dialogs dialogs;
    NoShell shell;
    Cancel resolver;
    ExportRequest req;
    req.options.fiscalYear = "2025";
    req.options.start = DateTime::Date(2025, 1, 1);
    req.options.end = DateTime::Date(2025, 12, 31);
    req.options.today = DateTime::Date(2026, 1, 15);
    req.options.receipts = true;
    req.options.outputPath = xml_;
    req.options.motivos = ShippedMotivos();
    ExportRun run(db_, office, dialogs, shell, progress, resolver);
    ExportResult res = run.Run(req);
    ASSERT_TRUE(progress.killed) << "the export has fewer steps";
    EXPECT_FALSE(res.written);
    ASSERT_FALSE(dialogs.events.empty());
    EXPECT_EQ(dialogs.events.back().rfind("e:", 0), 0u) << dialogs.events.back();
    EXPECT_GT(dialogs.events.back().size(), 2u);
    EXPECT_EQ(FileText(xml_), kAntigo);
    EXPECT_EQ(OutputFiles(), std::vector<std::string>{"saft.xml"});
  }
}

TEST_F(FaultsTest, UnreachableServerWrongPasswordAndMissingDatabase) {
  std::ofstream(xml_, std::ios::binary) << kAntigo;
  // A port nobody listens on: bound, then closed.
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  ASSERT_EQ(getsockname(s, reinterpret_cast<sockaddr*>(&a), &len), 0);
  std::string porta = std::to_string(ntohs(a.sin_port));
  close(s);
  CliResult r = Export(SettingsWith("porta", "porta=" + porta), xml_);
  Falhou(r, "Can't connect");
  EXPECT_EQ(r.err.find(Settings().password), std::string::npos);

  // The password given is never shown, neither as typed nor scrambled.
  const std::string segredo = "Segr3do-Conhecido-42";
  r = Export(SettingsWith("password", "password=" + Scramble(segredo)), xml_);
  Falhou(r, "Access denied");
  for (const std::string& t : {segredo, Scramble(segredo), Settings().password}) {
    EXPECT_EQ(r.err.find(t), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find(t), std::string::npos);
  }

  r = Export(SettingsWith("basedados", "basedados=nao_existe_xyz"), xml_);
  Falhou(r, "nao_existe_xyz");
}

TEST_F(FaultsTest, MissingTableOrColumnIsNamed) {
  std::ofstream(xml_, std::ios::binary) << kAntigo;
  Exec("ALTER TABLE documentos DROP COLUMN ModoPag");
  Falhou(Export(ini_, xml_), "ModoPag");
  Exec("DROP TABLE honorarios");
  Falhou(Export(ini_, xml_), "honorarios");
}

TEST_F(FaultsTest, UnwritableFolderAndFullDisk) {
  // A path through a regular file can never be created, even by root.
  std::string ficheiro = (dir_ / "out" / "ficheiro.txt").string();
  std::ofstream(ficheiro) << "x";
  CliResult r = Export(ini_, ficheiro + "/saft.xml");
  EXPECT_EQ(r.signal, 0);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(ficheiro), std::string::npos) << r.err;
  EXPECT_EQ(FileText(ficheiro), "x");
  fs::remove(ficheiro);

  // A disk that fills after 64 KiB: the demo's year is far larger.
  std::ofstream(xml_, std::ios::binary) << kAntigo;
  r = Export(ini_, xml_, 64 * 1024);
  Falhou(r, "saft.xml");
  // And with room, the same export is written.
  r = Export(ini_, xml_);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_GT(fs::file_size(xml_), 64u * 1024);
}

TEST_F(FaultsTest, BrokenSettingsFiles) {
  std::ofstream(xml_, std::ios::binary) << kAntigo;
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919) & 0xff);
  const std::vector<std::pair<std::string, std::string>> casos = {
      {"falta.ini", ""},  // never written
      {"vazio.ini", ""},
      {"lixo.ini", junk},
      {"porta.ini", FileText(SettingsWith("porta", "porta=abc"))},
      {"porta_grande.ini", FileText(SettingsWith("porta", "porta=99999999999999999999"))},
      {"cifra.ini", FileText(SettingsWith("password", "password=12x45678"))},
      {"cifra_fora.ini", FileText(SettingsWith("username", "username=99999999"))},
      {"sem_seccao.ini", "servidor=127.0.0.1\n"},
  };
  for (const auto& [nome, texto] : casos) {
    SCOPED_TRACE(nome);
    fs::path p = dir_ / nome;
    if (nome != "falta.ini") std::ofstream(p, std::ios::binary) << texto;
    CliResult r = Export(p.string(), xml_);
    Falhou(r, "");
    EXPECT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.find(Settings().password), std::string::npos);
  }
}

// A settings file that is missing is named as such, not left to the driver's
// message about a local socket; one without the [bd] keys says where to look.
TEST_F(FaultsTest, MissingOrEmptySettingsFileIsNamed) {
  Database other;
  std::string dir = ::testing::TempDir();
  std::string erro = ErrorOf([&] { OpenConnectionFromFile(other, dir + "/nao-existe.ini"); });
  EXPECT_NE(erro.find("nao-existe.ini não existe"), std::string::npos) << erro;
  std::string vazio = dir + "/vazio.ini";
  std::ofstream(vazio).close();
  erro = ErrorOf([&] { OpenConnectionFromFile(other, vazio); });
  EXPECT_NE(erro.find("secção [bd]"), std::string::npos) << erro;
  EXPECT_NE(erro.find("vazio.ini"), std::string::npos) << erro;
}

}  // namespace
}  // namespace saftpt::test
