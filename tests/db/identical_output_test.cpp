// The exported files do not change by a single byte: the demo office and a
// generated benchmark office, on every kind of billing tables, both versions,
// compared by their SHA-256 with the files this program wrote when every
// look-up was still its own statement.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "../../bench/BenchData.h"
#include "HashedExport.h"
#include "TestDatabase.h"

namespace saftpt::test {
namespace {

SchemaKind Kind(bool d, bool dt, bool u, bool b = false) {
  SchemaKind k;
  k.doubleAmounts = d;
  k.datetimeDates = dt;
  k.utf8mb4 = u;
  k.bitBooleans = b;
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
    {"latin1_2025_3", "38656f9f84687d91ded76285670dec6fe664ebbd9c1fd3fa30b9ca0f751ec626"},
    {"latin1_2025_4", "0ae70c44299752a1afd06eff2904a6c016838b07e265dea2255ba5f8daa57ce3"},
    {"latin1_2026_3", "60379f022e32307e005687023a734d9b18d0c3c2152c6d2530038e3715a94106"},
    {"latin1_2026_4", "ba38f1992e5c8b692f9f7ced186adee138cc8e52d632cbd8fe8d98592e6d8cd2"},
    {"utf8mb4_2025_3", "ce74684cecc6bced58cac72f5567734644192e9505ea64efe093c1ce1d80032c"},
    {"utf8mb4_2025_4", "71925c3104c2c4ba318ddecd1d3dccee75caf2760ccd39ae26f5461509564681"},
    {"utf8mb4_2026_3", "af88b410b6d661d7f2b3ae73786ca3ef02514ad9b96a9b7e5fb9571bf694fa9b"},
    {"utf8mb4_2026_4", "156bfb0c6cf762d9bd640d20b2afbcaeb2271bbe61e8ca7be9dc01549c517d13"},
};

TEST_F(IdenticalOutputTest, DemoOfficeOnEveryKindOfTables) {
  for (const SchemaKind& kind :
       {Kind(false, false, false), Kind(true, false, false), Kind(false, true, false),
        Kind(false, false, true), Kind(true, true, true), Kind(false, false, false, true)}) {
    CreateDatabase(kind);
    ExecFile("db/demo.sql");
    for (int year : {2025, 2026}) {
      for (int versao : {3, 4}) {
        const std::string key = std::string(kind.utf8mb4 ? "utf8mb4" : "latin1") + "_" +
                                std::to_string(year) + "_" + std::to_string(versao);
        SCOPED_TRACE(kind.name() + " " + key);
        EXPECT_EQ(ExportYear(db_, year, versao, "demo_" + key, kDemo.at(key)).sha, kDemo.at(key));
      }
    }
  }
}

// 400 documents of the benchmark's generator (seed 42), year 2025.
const std::map<std::string, std::string> kBench = {
    {"3", "bac8f21f5c7ae4482643b981fd63bebcbd0771b7ac5903ca07f894a02e167766"},
    {"4", "b0d55106061bb260db646480818bbd0d85bb8c04a20080543cf68b474b0f81f8"},
};

TEST_F(IdenticalOutputTest, GeneratedOfficeOnEveryKindOfTables) {
  for (const SchemaKind& kind : {Kind(false, false, false), Kind(true, true, true, true)}) {
    CreateDatabase(kind);
    LoadBench(400);
    for (int versao : {3, 4}) {
      SCOPED_TRACE(kind.name() + " versao " + std::to_string(versao));
      const std::string& expected = kBench.at(std::to_string(versao));
      EXPECT_EQ(ExportYear(db_, 2025, versao, "bench_" + kind.name() + "_" + std::to_string(versao),
                           expected)
                    .sha,
                expected);
    }
  }
}

// A remote billing server costs a round trip per statement: an export sends
// the same number of them whatever the number of documents and lines.
TEST_F(IdenticalOutputTest, StatementsDoNotGrowWithTheOffice) {
  CreateDatabase();
  LoadBench(200);
  HashedExport small = ExportYear(db_, 2025, 4, "small", "");
  CreateDatabase();
  LoadBench(800);
  HashedExport large = ExportYear(db_, 2025, 4, "large", "");
  EXPECT_NE(small.sha, large.sha);
  EXPECT_EQ(small.statements, large.statements);
  EXPECT_LE(large.statements, 60u);
}

}  // namespace
}  // namespace saftpt::test
