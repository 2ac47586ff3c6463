#include "HashedExport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "../ShippedTable.h"
#include "../TestDoubles.h"
#include "config/OfficeConfig.h"
#include "saft/AuditFileBuilder.h"
#include "saft/ExemptionReasons.h"
#include "saft/ProgressSink.h"

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

}  // namespace

ExportOptions YearOptions(int year, int versao, const std::string& outputPath) {
  ExportOptions options;
  options.fiscalYear = std::to_string(year);
  options.start = DateTime::Date(year, 1, 1);
  options.end = DateTime::Date(year, 12, 31);
  options.schema = versao == 3 ? SchemaVersion::kV103 : SchemaVersion::kV104;
  options.receipts = true;
  options.today = DateTime::Date(2026, 12, 15);
  options.outputPath = outputPath;
  options.motivos = ShippedMotivos();
  return options;
}

HashedExport ExportYear(Database& db, int year, int versao, const std::string& name,
                        const std::string& expected) {
  ConfiguracaoEscritorio office;
  LoadOfficeConfig(db, office);
  const ExportOptions options =
      YearOptions(year, versao,
                  std::filesystem::temp_directory_path().string() + "/saftpt_hashed_" +
                      std::to_string(getpid()) + "_" + name + ".xml");
  NoProgress progress;
  CancelingResolver resolver;
  AuditFileBuilder builder(db, office, options, progress, resolver);
  uint64_t before = db.StatementCount();
  builder.Build();
  builder.Save();
  HashedExport e;
  e.statements = db.StatementCount() - before;
  e.sha = Sha256(options.outputPath);
  if (!expected.empty() && e.sha != expected) {
    const std::filesystem::path kept = std::filesystem::path(SAFTPT_SOURCE_DIR) / "tests" /
                                       "golden" / "hashes" / (name + ".xml.actual");
    std::filesystem::create_directories(kept.parent_path());
    std::filesystem::copy_file(options.outputPath, kept,
                               std::filesystem::copy_options::overwrite_existing);
    std::cout << "[ hashed   ] " << name << " differs: the file is kept as " << kept.string()
              << "\n";
  }
  std::filesystem::remove(options.outputPath);
  return e;
}

}  // namespace saftpt::test
