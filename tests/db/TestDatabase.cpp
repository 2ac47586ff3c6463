#include "TestDatabase.h"

#include <mysql.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "base/Error.h"
#include "config/Settings.h"

namespace saftpt::test {

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (size_t pos = 0; (pos = text.find(from, pos)) != std::string::npos; pos += to.size())
    text.replace(pos, from.size(), to);
  return text;
}

// Runs a script with multi-statements on a connection of its own.
void RunScript(const std::string& database, const std::string& script) {
  ConnectionSettings s = TestServer();
  MYSQL* m = mysql_init(nullptr);
  mysql_options(m, MYSQL_SET_CHARSET_NAME, "utf8mb4");
  unsigned int port = static_cast<unsigned int>(std::stoul(s.port));
  if (!mysql_real_connect(m, s.server.c_str(), s.user.c_str(), s.password.c_str(),
                          database.empty() ? nullptr : database.c_str(), port, nullptr,
                          CLIENT_MULTI_STATEMENTS)) {
    std::string msg = mysql_error(m);
    mysql_close(m);
    throw std::runtime_error("test database: " + msg);
  }
  std::string failure;
  if (mysql_real_query(m, script.data(), script.size()) != 0) {
    failure = mysql_error(m);
  } else {
    do {
      MYSQL_RES* r = mysql_store_result(m);
      if (r) mysql_free_result(r);
      int next = mysql_next_result(m);
      if (next > 0) {
        failure = mysql_error(m);
        break;
      }
      if (next < 0) break;
    } while (true);
  }
  mysql_close(m);
  if (!failure.empty()) throw std::runtime_error("test database script: " + failure);
}

}  // namespace

std::string SchemaKind::name() const {
  std::string n = doubleAmounts ? "double" : "decimal";
  n += datetimeDates ? "_datetime" : "_date";
  n += utf8mb4 ? "_utf8mb4" : "_latin1";
  if (bitBooleans) n += "_bit";
  if (myisam) n += "_myisam";
  return n;
}

ConnectionSettings TestServer() {
  ConnectionSettings s;
  s.server = Env("SAFTPT_TEST_DB_HOST");
  s.port = Env("SAFTPT_TEST_DB_PORT");
  s.user = Env("SAFTPT_TEST_DB_USER");
  s.password = Env("SAFTPT_TEST_DB_PASSWORD");
  if (s.server.empty() || s.port.empty() || s.user.empty())
    throw std::runtime_error(
        "no test database: start one with eval \"$(scripts/test-db.sh start)\"");
  return s;
}

std::string ReadSourceFile(const std::string& relative) {
  std::ifstream in(std::string(SAFTPT_SOURCE_DIR) + "/" + relative, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + relative);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void DbTest::SetUp() {
  CreateDatabase();
}

void DbTest::TearDown() {
  db_.Close();
  if (!name_.empty()) {
    try {
      RunScript("", "DROP DATABASE IF EXISTS `" + name_ + "`");
    } catch (...) {
    }
  }
}

void DbTest::CreateDatabase(const SchemaKind& kind) {
  static std::atomic<int> counter{0};
  db_.Close();
  if (!name_.empty()) RunScript("", "DROP DATABASE IF EXISTS `" + name_ + "`");
  name_ = "saftpt_t" + std::to_string(getpid()) + "_" + std::to_string(++counter);
  RunScript(
      "", "CREATE DATABASE `" + name_ + "` CHARACTER SET " + (kind.utf8mb4 ? "utf8mb4" : "latin1"));
  std::string schema = ReadSourceFile("db/schema.sql");
  if (kind.doubleAmounts) {
    schema = Replace(schema, "DECIMAL(15,2)", "DOUBLE");
    schema = Replace(schema, "DECIMAL(15,6)", "DOUBLE");
  }
  if (kind.datetimeDates) schema = Replace(schema, " DATE NULL", " DATETIME NULL");
  if (kind.utf8mb4) schema = Replace(schema, "CHARSET=latin1", "CHARSET=utf8mb4");
  if (kind.bitBooleans) schema = Replace(schema, "TINYINT(1)", "BIT(1)");
  if (kind.myisam) schema = "SET SESSION default_storage_engine=MyISAM;\n" + schema;
  RunScript(name_, schema);
  db_.Open(Settings());
}

void DbTest::Exec(const std::string& script) {
  RunScript(name_, script);
}

void DbTest::ExecFile(const std::string& relative) {
  RunScript(name_, ReadSourceFile(relative));
}

ConnectionSettings DbTest::Settings() const {
  ConnectionSettings s = TestServer();
  s.database = name_;
  return s;
}

std::string DbTest::WriteSettingsFile(const std::string& folder) const {
  ConnectionSettings s = Settings();
  std::string path = folder + "/lexora.ini";
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "[bd]\r\nservidor=" << s.server << "\r\nporta=" << s.port << "\r\nbasedados=" << s.database
      << "\r\nusername=" << Scramble(s.user) << "\r\npassword=" << Scramble(s.password) << "\r\n";
  return path;
}

}  // namespace saftpt::test
