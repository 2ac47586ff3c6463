// The whole-file exports that the byte-for-byte tests compare by their
// SHA-256 with the hashes recorded in the tests.
#ifndef SAFTPT_TESTS_DB_HASHEDEXPORT_H_
#define SAFTPT_TESTS_DB_HASHEDEXPORT_H_

#include <cstdint>
#include <string>

#include "db/Database.h"
#include "saft/RunContext.h"

namespace saftpt::test {

struct HashedExport {
  std::string sha;
  uint64_t statements = 0;  // sent by the build and the save
};

// The options of a whole year's export with receipts, made on 2026-12-15.
ExportOptions YearOptions(int year, int versao, const std::string& outputPath);

// Exports one year of the office in `db` with fixed options (receipts
// included, made on 2026-12-15) and returns the file's SHA-256. A file whose
// hash is not `expected` (when one is given) is kept as tests/golden/hashes/NAME.xml.actual, and
// the test's output says so, so that the difference can be looked at.
HashedExport ExportYear(Database& db, int year, int versao, const std::string& name,
                        const std::string& expected);

}  // namespace saftpt::test

#endif  // SAFTPT_TESTS_DB_HASHEDEXPORT_H_
