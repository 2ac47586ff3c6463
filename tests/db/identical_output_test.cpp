// The exported files do not change by a single byte: the demo office and a
// generated benchmark office, on every kind of billing tables, both versions,
// compared by their SHA-256 with the files this program wrote when every
// look-up was still its own statement.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

#include "../../bench/BenchData.h"
#include "TestDatabase.h"
#include "config/OfficeConfig.h"
#include "saft/ExemptionReasons.h"
#include "saft/ProgressSink.h"
#include "saft/clsSAFT.h"

namespace saftpt::test {
namespace {

std::string Sha256(const std::string& path) {
  std::string out;
  if (FILE* p = popen(("sha256sum '" + path + "'").c_str(), "r")) {
    char buf[256];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    pclose(p);
  }
  return out.substr(0, out.find(' '));
}

// Exports one year with fixed options and returns the file's SHA-256 and the
// statements the export sent.
struct Exportado {
  std::string sha;
  uint64_t statements = 0;
};

Exportado Exporta(Database& db, int year, int versao, const std::string& tag) {
  ConfiguracaoEscritorio office;
  CarregaConfiguracao(db, office);
  ExportOptions options;
  options.fiscalYear = std::to_string(year);
  options.start = DateTime::Date(year, 1, 1);
  options.end = DateTime::Date(year, 12, 31);
  options.versao = versao;
  options.receipts = true;
  options.today = DateTime::Date(2026, 12, 15);
  options.outputPath = std::filesystem::temp_directory_path().string() + "/saftpt_identical_" +
                       std::to_string(getpid()) + "_" + tag + ".xml";
  NoProgress progress;
  CancelingResolver resolver;
  clsSAFT saft(db, office, options, progress, resolver);
  uint64_t before = db.StatementCount();
  saft.Init();
  saft.Gravar();
  Exportado e;
  e.statements = db.StatementCount() - before;
  e.sha = Sha256(options.outputPath);
  std::filesystem::remove(options.outputPath);
  return e;
}

SchemaKind Kind(bool d, bool dt, bool u) {
  SchemaKind k;
  k.doubleAmounts = d;
  k.datetimeDates = dt;
  k.utf8mb4 = u;
  return k;
}

class IdenticalOutputTest : public DbTest {
 protected:
  void LoadBench(int documents) {
    bench::BenchSize size;
    size.documents = documents;
    size.customers = std::max(10, documents / 10);
    bench::GenerateBenchData(size, [this](const std::string& sql) { db_.ExecuteUpdate(sql); });
  }
};

// The amounts' and dates' column types never show in the file; the tables'
// character set does (the names the demo keeps only in utf8mb4).
const std::map<std::string, std::string> kDemo = {
    {"latin1_2025_3", "b564a56fb01f1e1aab80410498bf2883c3e7e9fc07384c0213f45a19520ae7bd"},
    {"latin1_2025_4", "c22282db247a26704077e8b7ff7fa3b65729847fd8a01efb13139203571b7fcc"},
    {"latin1_2026_3", "e8450468f33580e36b0a8ca56dca5cb666feac1bbc60ca96dbffa50fd0565a13"},
    {"latin1_2026_4", "35f624f201b3ea762aec5a80fdd6d7b07805a4ae6449863cdc68f7808a61a60c"},
    {"utf8mb4_2025_3", "53acb83c0df4a2f76ef37e5591da59ff544bdf70b0e81d7c27e6cd2db2286318"},
    {"utf8mb4_2025_4", "9e98387d716dd348809bc9d26423c13a3f2cf0b932e7529df21fbaae62e4aac9"},
    {"utf8mb4_2026_3", "28973e1980ca695110e0924c7ba959539bce990f98b2ecc0f1085ea175456fc7"},
    {"utf8mb4_2026_4", "fabfafd87c1910d3b4f16a44b087f17ccde34549f346b31394132e3c8381e409"},
};

TEST_F(IdenticalOutputTest, DemoOfficeOnEveryKindOfTables) {
  for (const SchemaKind& kind :
       {Kind(false, false, false), Kind(true, false, false), Kind(false, true, false),
        Kind(false, false, true), Kind(true, true, true)}) {
    CreateDatabase(kind);
    ExecFile("db/demo.sql");
    for (int year : {2025, 2026}) {
      for (int versao : {3, 4}) {
        const std::string key = std::string(kind.utf8mb4 ? "utf8mb4" : "latin1") + "_" +
                                std::to_string(year) + "_" + std::to_string(versao);
        SCOPED_TRACE(kind.name() + " " + key);
        EXPECT_EQ(Exporta(db_, year, versao, key).sha, kDemo.at(key));
      }
    }
  }
}

// 400 documents of the benchmark's generator (seed 42), year 2025.
const std::map<std::string, std::string> kBench = {
    {"3", "7e0399a20b3943f413c52e489851bb8abcdb175c52a651922896c44f15c5f605"},
    {"4", "b84470a3d6e576638765e29ed2b175194c2928cb228b6793b10cf5ee3051856f"},
};

TEST_F(IdenticalOutputTest, GeneratedOfficeOnEveryKindOfTables) {
  for (const SchemaKind& kind : {Kind(false, false, false), Kind(true, true, true)}) {
    CreateDatabase(kind);
    LoadBench(400);
    for (int versao : {3, 4}) {
      SCOPED_TRACE(kind.name() + " versao " + std::to_string(versao));
      EXPECT_EQ(Exporta(db_, 2025, versao, kind.name()).sha, kBench.at(std::to_string(versao)));
    }
  }
}

// A remote billing server costs a round trip per statement: an export sends
// the same number of them whatever the number of documents and lines.
TEST_F(IdenticalOutputTest, StatementsDoNotGrowWithTheOffice) {
  CreateDatabase();
  LoadBench(200);
  Exportado small = Exporta(db_, 2025, 4, "small");
  CreateDatabase();
  LoadBench(800);
  Exportado large = Exporta(db_, 2025, 4, "large");
  EXPECT_NE(small.sha, large.sha);
  EXPECT_EQ(small.statements, large.statements);
  EXPECT_LE(large.statements, 60u);
}

}  // namespace
}  // namespace saftpt::test
