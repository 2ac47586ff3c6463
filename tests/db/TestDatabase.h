// A fresh billing database on the test MariaDB server for each test.
//
// The server comes from scripts/test-db.sh (SAFTPT_TEST_DB_* variables). When
// they are missing the tests fail: they never skip.
#ifndef SAFTPT_TESTS_DB_TESTDATABASE_H_
#define SAFTPT_TESTS_DB_TESTDATABASE_H_

#include <gtest/gtest.h>

#include <string>

#include "db/Database.h"

namespace saftpt::test {

// Column types and character set of the billing tables: offices' databases
// differ, so every test can run on either kind.
struct SchemaKind {
  bool doubleAmounts = false;  // DOUBLE instead of DECIMAL
  bool datetimeDates = false;  // DATETIME instead of DATE
  bool utf8mb4 = false;        // utf8mb4 tables instead of latin1
  bool bitBooleans = false;    // BIT(1) instead of TINYINT(1)
  bool myisam = false;         // MyISAM tables (no transactions) instead of InnoDB
  std::string name() const;
};

// The test server's connection settings (no database named).
ConnectionSettings TestServer();

// The text of a file of the source tree (db/schema.sql...).
std::string ReadSourceFile(const std::string& relative);

class DbTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Creates the test's database with db/schema.sql in the given kind and
  // opens db_ on it. SetUp calls it with the default kind.
  void CreateDatabase(const SchemaKind& kind = SchemaKind{});
  // Runs one or more statements separated by ";" (a script) on the test's
  // database, through an administrative connection.
  void Exec(const std::string& script);
  // Loads a file of the source tree (db/demo.sql...) as a script.
  void ExecFile(const std::string& relative);
  // Settings for opening the test's database with another connection (the
  // command line, a second Database).
  ConnectionSettings Settings() const;
  // Writes a settings file (lexora.ini) pointing at the test's database and
  // returns its path.
  std::string WriteSettingsFile(const std::string& folder) const;

  Database db_;
  std::string name_;
};

}  // namespace saftpt::test

#endif  // SAFTPT_TESTS_DB_TESTDATABASE_H_
