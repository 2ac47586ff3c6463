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
    {"latin1_2025_3", "5a0e5695454b1cffb486f6b2026214eeb361306510cd881ed81f249004d0c004"},
    {"latin1_2025_4", "1f34219212f4196dd488c6eeca0e7b63a4ee63dd7c6dccc2c4ddd7b3487925d9"},
    {"latin1_2026_3", "c1b6b414d1e5808c7bc97ba9db3f1131742e805073c018dd3cb75e60529d80f8"},
    {"latin1_2026_4", "7fb97ab469601ec6e9fe0ae5e9c58a826367c000e88780e125d45daf659ebe04"},
    {"utf8mb4_2025_3", "ae2da5620423eda2d335e99f394bc92c9b7a5a3e3cb345c17e9d505d2ed5d382"},
    {"utf8mb4_2025_4", "87e4473e896d169209e788be8f670f10bdd166605bfb693b096a3ac8b44738e7"},
    {"utf8mb4_2026_3", "c01ef07cf80026e0ad68ca6cff3e4b09ee522620c488016bac715b69e052999d"},
    {"utf8mb4_2026_4", "4151016a48675238dc3ac384d073cf9eb94b1019e4b2e976082eb526155c2bbe"},
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
