// The database layer against a real server: rows, values, single-value
// queries, text encodings and failures.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "../TestDoubles.h"
#include "TestDatabase.h"
#include "app/Connection.h"
#include "base/Error.h"
#include "config/IniFile.h"
#include "config/Settings.h"
#include "db/ReadView.h"

namespace saftpt::test {
namespace {

TEST(Value, NumericTextsAsTheServerSendsThem) {
  for (const char* yes : {"0", "-12", "+3", " 12.50 ", "1.", ".5", "1e3", "-2.5E-2", "007"})
    EXPECT_TRUE(Value(yes).IsNumeric()) << yes;
  for (const char* no : {"", " ", "-", ".", "1.2.3", "12a", "1e", "e3", "1,5", "inf", "nan"})
    EXPECT_FALSE(Value(no).IsNumeric()) << no;
  EXPECT_FALSE(Value::Null().IsNumeric());
  EXPECT_DOUBLE_EQ(Value(" 12.50 ").Number(), 12.5);
  EXPECT_DOUBLE_EQ(Value("-2.5E-2").Number(), -0.025);
  EXPECT_DOUBLE_EQ(Value("+3").Number(), 3);
}

TEST(Value, WholeNumbersRoundHalvesToEven) {
  EXPECT_EQ(Value("2.5").Integer(), 2);
  EXPECT_EQ(Value("3.5").Integer(), 4);
  EXPECT_EQ(Value("-2.5").Integer(), -2);
  EXPECT_EQ(Value("2.51").Integer(), 3);
  EXPECT_EQ(Value("1e3").Integer(), 1000);
  EXPECT_EQ(Value("9007199254740993").Integer(), 9007199254740993LL);  // beyond a double
  EXPECT_THROW(Value("1e30").Integer(), Error);
}

TEST(Value, BooleansAndDates) {
  EXPECT_FALSE(Value::Null().Boolean());
  EXPECT_FALSE(Value("0").Boolean());
  EXPECT_FALSE(Value("0.00").Boolean());
  EXPECT_TRUE(Value("1").Boolean());
  EXPECT_TRUE(Value("-1").Boolean());
  EXPECT_THROW(Value("sim").Boolean(), Error);
  EXPECT_EQ(Value("2024-02-29").Date(), DateTime::Date(2024, 2, 29));
  EXPECT_EQ(Value("2024-02-29 13:14:15").Date().minute, 14);
  EXPECT_THROW(Value("0000-00-00").Date(), Error);
}

TEST(Value, ConversionFailuresNameTheValue) {
  try {
    Value::Null().Number("Iva");
    FAIL() << "a Null converted to a number";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), Error::kData);
    EXPECT_NE(e.Description().find("\"Iva\""), std::string::npos) << e.Description();
  }
  try {
    Value("abc").Integer("numero");
    FAIL() << "a text converted to a number";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), Error::kData);
    EXPECT_NE(e.Description().find("\"abc\""), std::string::npos) << e.Description();
    EXPECT_NE(e.Description().find("\"numero\""), std::string::npos) << e.Description();
  }
  EXPECT_THROW(Value::Null().Date("Data"), Error);
  EXPECT_THROW(Value("ontem").Date("Data"), Error);
}

class DatabaseTest : public DbTest {};

TEST_F(DatabaseTest, RecordsetReadsFieldsByNameInAnyCaseAndByPosition) {
  Exec(
      "INSERT INTO series (serie, descricao, seriegeral) VALUES ('A', 'Geral', 1), "
      "('B', NULL, 0), ('C', 'Terceira', NULL)");
  Recordset rs = db_.Execute("select serie, descricao, seriegeral from series order by serie");
  EXPECT_EQ(rs.RecordCount(), 3u);
  ASSERT_EQ(rs.FieldCount(), 3u);
  EXPECT_EQ(rs.FieldName(1), "descricao");
  EXPECT_TRUE(rs.HasField("SERIE"));
  EXPECT_FALSE(rs.HasField("serie2"));
  ASSERT_FALSE(rs.Eof());
  EXPECT_EQ(rs.Text("SERIE"), "A");
  EXPECT_EQ(rs["Descricao"].Text(), "Geral");
  EXPECT_EQ(rs.Field(2).Integer(), 1);
  rs.MoveNext();
  EXPECT_TRUE(rs.IsNull("descricao"));
  EXPECT_EQ(rs.Text("descricao"), "");
  EXPECT_FALSE(rs.IsNull("seriegeral"));
  rs.MoveNext();
  EXPECT_EQ(rs.Text("serie"), "C");
  EXPECT_FALSE(rs["seriegeral"].Boolean());
  rs.MoveNext();
  EXPECT_TRUE(rs.Eof());
  rs.MoveNext();  // past the end stays at the end
  EXPECT_TRUE(rs.Eof());
  EXPECT_THROW(rs.Field("serie"), Error);
  rs.MoveFirst();
  ASSERT_FALSE(rs.Eof());
  EXPECT_EQ(rs.Text("serie"), "A");
  // A name is found by its text, whatever the address it was found at before.
  std::string nome = "serie";
  EXPECT_EQ(rs.Text(nome), "A");
  nome.replace(0, nome.size(), "SERIE");
  EXPECT_EQ(rs.Text(nome), "A");
  nome.replace(0, nome.size(), "seriX");
  EXPECT_FALSE(rs.HasField(nome));
  nome.replace(0, nome.size(), "descricao");
  EXPECT_EQ(rs.Text(nome), "Geral");
}

TEST_F(DatabaseTest, FirstColumnOfARepeatedNameWinsAndUnknownNamesThrow) {
  Exec(
      "INSERT INTO documentos (tipodoc, serie, numero, ValorTotal) VALUES ('RC', 'A', 1, 10);"
      "INSERT INTO documentoslinhas (IDDoc, tipodoc, Serie, numero, ValorTotal) "
      "VALUES (1, 'RC', 'A', 1, 7.25)");
  Recordset rs = db_.Execute(
      "select d.ValorTotal, l.ValorTotal from documentos d inner join documentoslinhas l "
      "on l.IDDoc = d.IDDoc");
  ASSERT_FALSE(rs.Eof());
  EXPECT_DOUBLE_EQ(rs["valortotal"].Number(), 10);
  EXPECT_DOUBLE_EQ(rs.Field(1).Number(), 7.25);
  try {
    rs.Field("ValorIva");
    FAIL() << "unknown column read";
  } catch (const Error& e) {
    EXPECT_NE(e.Description().find("ValorIva"), std::string::npos) << e.Description();
  }
}

TEST_F(DatabaseTest, StatementsRunWhileRowsAreOpen) {
  Exec("INSERT INTO series (serie, descricao) VALUES ('A', 'a'), ('B', 'b')");
  Recordset rs = db_.Execute("select serie from series order by serie");
  int seen = 0;
  for (; !rs.Eof(); rs.MoveNext()) {
    ++seen;
    EXPECT_EQ(db_.ExecuteUpdate("update series set descricao = 'x' where serie = '" +
                                db_.Escape(rs.Text("serie")) + "'"),
              1u);
    EXPECT_EQ(db_.CountRows("count(*)", "series", ""), 2);
  }
  EXPECT_EQ(seen, 2);
  EXPECT_EQ(db_.CountRows("count(*)", "series", "descricao = 'x'"), 2);
}

// Past the buffer, the rows go through a scratch file: read back, twice,
// they are the rows the client library holds in memory.
TEST_F(DatabaseTest, RowsInAScratchFileReadAsInMemory) {
  const std::string sql =
      "with recursive n(i) as (select 0 union all select i + 1 from n where i < 199) select "
      "a.i * 150 + b.i as k, repeat('x', b.i % 61), if(b.i % 7 = 0, null, a.i), '' from n a, n b "
      "where b.i < 150 order by k";
  Recordset memory = db_.Execute(sql);
  Recordset file = db_.Execute(sql, RowStore::kTempFile);
  EXPECT_EQ(file.RecordCount(), 30000u);
  for (int pass = 0; pass < 2; ++pass) {
    memory.MoveFirst();
    file.MoveFirst();
    size_t rows = 0;
    for (; !memory.Eof(); memory.MoveNext(), file.MoveNext(), ++rows) {
      ASSERT_FALSE(file.Eof());
      for (size_t c = 0; c < 4; ++c) {
        ASSERT_EQ(file.Field(c).IsNull(), memory.Field(c).IsNull()) << rows;
        ASSERT_EQ(file.Field(c).Text(), memory.Field(c).Text()) << rows;
      }
    }
    EXPECT_TRUE(file.Eof());
    EXPECT_EQ(rows, 30000u);
  }
}

// What is read ahead is taken as if run then, its failure included; the
// run's own statements go on meanwhile, and a write drops what it may have
// made stale.
TEST_F(DatabaseTest, StatementsReadAheadAreTakenAsIfRunThen) {
  Exec("INSERT INTO series (serie, descricao) VALUES ('A', 'a')");
  const std::string sql = "select descricao from series";
  db_.QueueAhead(sql);
  db_.QueueAhead("select * from sem_tabela");
  EXPECT_EQ(db_.CountRows("count(*)", "series", ""), 1);
  EXPECT_EQ(db_.Execute(sql, RowStore::kTempFile).Text("descricao"), "a");
  EXPECT_THROW(db_.Execute("select * from sem_tabela", RowStore::kTempFile), Error);
  db_.QueueAhead(sql);
  db_.ExecuteUpdate("update series set descricao = 'b'");
  EXPECT_EQ(db_.Execute(sql, RowStore::kTempFile).Text("descricao"), "b");
}

// A view that reads ahead starts a second connection in the same snapshot:
// what the office saves after the view began is in neither, the statements
// queued ahead run there and the run's own here. A user who may not lock
// tables reads on one connection.
TEST_F(DatabaseTest, ViewReadsAheadOnASecondConnectionOfTheSameSnapshot) {
  Exec("INSERT INTO series (serie, descricao) VALUES ('A', 'a')");
  const std::string sql = "select count(*) as n, connection_id() as id from series";
  const long long own = db_.Execute(sql).Field("id").Integer();
  {
    ReadView view(db_, BillingTables(), ReadView::Readers::kTwo);
    ASSERT_TRUE(view.HasReader());
    Exec("INSERT INTO series (serie, descricao) VALUES ('B', 'b')");
    // A statement not started when taken runs here: the reader is given a
    // moment to start it.
    long long id = own;
    for (int i = 0; i < 50 && id == own; ++i) {
      db_.QueueAhead(sql);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      Recordset ahead = db_.Execute(sql, RowStore::kTempFile);
      EXPECT_EQ(ahead.Field("n").Integer(), 1);
      id = ahead.Field("id").Integer();
    }
    EXPECT_NE(id, own);
    EXPECT_EQ(db_.Execute(sql).Field("n").Integer(), 1);
    EXPECT_EQ(db_.Execute(sql).Field("id").Integer(), own);
    view.End();
  }
  db_.QueueAhead(sql);
  Recordset after = db_.Execute(sql, RowStore::kTempFile);
  EXPECT_EQ(after.Field("n").Integer(), 2);
  EXPECT_EQ(after.Field("id").Integer(), own);

  Exec(
      "CREATE OR REPLACE USER saftpt_sem_lock@localhost IDENTIFIED BY 'x';"
      "GRANT SELECT ON `" +
      name_ + "`.* TO saftpt_sem_lock@localhost");
  ConnectionSettings semLock = Settings();
  semLock.user = "saftpt_sem_lock";
  semLock.password = "x";
  Database other;
  other.Open(semLock);
  ReadView view(other, BillingTables(), ReadView::Readers::kTwo);
  EXPECT_FALSE(view.HasReader());
  EXPECT_EQ(view.GetKind(), ReadView::Kind::kSnapshot);
  EXPECT_EQ(view.Warning(), "");
  view.End();
  Exec("DROP USER saftpt_sem_lock@localhost");
}

TEST_F(DatabaseTest, StatementWithoutRowsGivesAnEmptyRecordset) {
  Recordset rs = db_.Execute("set @a = 1");
  EXPECT_TRUE(rs.Eof());
  EXPECT_EQ(rs.RecordCount(), 0u);
  EXPECT_EQ(rs.FieldCount(), 0u);
  uint64_t before = db_.StatementCount();
  db_.Execute("select 1");
  db_.ExecuteUpdate("set @b = 2");
  EXPECT_EQ(db_.StatementCount(), before + 2);
}

TEST_F(DatabaseTest, ExisteCampoIgnoresCase) {
  EXPECT_TRUE(db_.HasColumn("TipoIsencaoIva", "codmencao"));
  EXPECT_TRUE(db_.HasColumn("tipoisencaoiva", "CodMencao"));
  EXPECT_TRUE(db_.HasColumn("CONFIGESCRITORIO", "oc1"));
  EXPECT_FALSE(db_.HasColumn("tipoisencaoiva", "CodMencao2"));
  EXPECT_FALSE(db_.HasColumn("semtabela", "CodMencao"));
  // A column of another table does not count.
  EXPECT_FALSE(db_.HasColumn("series", "CodMencao"));
  Exec("ALTER TABLE configescritorio DROP COLUMN OC1");
  EXPECT_FALSE(db_.HasColumn("configescritorio", "OC1"));
}

TEST_F(DatabaseTest, SingleValueQueries) {
  EXPECT_EQ(db_.CountRows("count(*)", "series", ""), 0);
  Exec("INSERT INTO series (serie) VALUES ('A'), ('B'), ('tmp')");
  EXPECT_EQ(db_.CountRows("count(*)", "series", ""), 3);
  EXPECT_EQ(db_.CountRows("count(*)", "series", "serie <> 'tmp'"), 2);
  // No row at all, and a sum over no rows (Null).
  EXPECT_EQ(db_.CountRows("serie", "series", "serie = 'Z'"), 0);
  EXPECT_EQ(db_.CountRows("sum(ValorTotal)", "documentos", ""), 0);
  Exec(
      "INSERT INTO documentos (tipodoc, serie, numero, ValorTotal) VALUES "
      "('F', 'A', 1, 10.25), ('F', 'A', 2, 5.50), ('F', 'A', 3, NULL)");
  EXPECT_EQ(db_.CountRows("ValorTotal", "documentos", "numero = 3"), 0);
  EXPECT_EQ(db_.CountRows("sum(ValorTotal)", "documentos", "numero = 1"), 10);

  // The session groups without ONLY_FULL_GROUP_BY, and in memory up to 64 MB.
  Recordset session = db_.Execute(
      "select @@SESSION.sql_mode like '%ONLY_FULL_GROUP_BY%', @@SESSION.tmp_table_size, "
      "@@SESSION.max_heap_table_size");
  EXPECT_EQ(session.Field(size_t{0}).Integer(), 0);
  EXPECT_GE(session.Field(1).Integer(), 64LL << 20);
  EXPECT_GE(session.Field(2).Integer(), 64LL << 20);
}

TEST_F(DatabaseTest, ObtemValorFallsBackOnNoRowAndOnNull) {
  Value v = db_.ReadValue("nome", "configescritorio", "", Value(""));
  EXPECT_FALSE(v.IsNull());
  EXPECT_EQ(v.Text(), "");
  EXPECT_EQ(db_.ReadValue("nome", "configescritorio", "ID=1", Value("x")).Text(), "x");
  EXPECT_TRUE(db_.ReadValue("nome", "configescritorio", "", Value::Null()).IsNull());
  Exec("INSERT INTO configescritorio (ID, nome, ClienteIndiferenciado) VALUES (1, NULL, '0')");
  EXPECT_EQ(db_.ReadValue("nome", "configescritorio", "ID=1", Value("x")).Text(), "x");
  Value found = db_.ReadValue("ClienteIndiferenciado", "configescritorio", "ID=1", Value("x"));
  EXPECT_EQ(found.Text(), "0");
}

TEST_F(DatabaseTest, BadStatementCarriesTheServerNumberAndMessage) {
  try {
    db_.Execute("select * from naoexiste");
    FAIL() << "a bad statement ran";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), 1146);  // ER_NO_SUCH_TABLE
    EXPECT_NE(e.Description().find("naoexiste"), std::string::npos) << e.Description();
  }
  try {
    db_.CountRows("count(*)", "series", "semcoluna = 1");
    FAIL() << "a bad condition ran";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), 1054);  // ER_BAD_FIELD_ERROR
  }
  // The connection still works afterwards.
  EXPECT_EQ(db_.CountRows("count(*)", "series", ""), 0);
}

TEST_F(DatabaseTest, WrongPasswordAndClosedConnection) {
  ConnectionSettings s = Settings();
  s.password += "-errada";
  Database other;
  try {
    other.Open(s);
    FAIL() << "opened with a wrong password";
  } catch (const Error& e) {
    EXPECT_EQ(e.Number(), 1045);  // ER_ACCESS_DENIED_ERROR
    EXPECT_NE(e.Description().find("Access denied"), std::string::npos) << e.Description();
  }
  EXPECT_FALSE(other.IsOpen());
  EXPECT_THROW(other.Execute("select 1"), Error);
  s = Settings();
  s.port = "porta";
  EXPECT_THROW(other.Open(s), Error);
  s.port = "1";  // nobody listens there
  EXPECT_THROW(other.Open(s), Error);
}

TEST_F(DatabaseTest, EscapeRoundTripsQuotesAndBackslashes) {
  const std::string tricky = "O'Neil \\ \"aspas\" \\' ; -- fim";
  db_.ExecuteUpdate("INSERT INTO series (serie, descricao) VALUES ('A', '" + db_.Escape(tricky) +
                    "')");
  EXPECT_EQ(db_.ReadValue("descricao", "series", "serie='A'", Value("")).Text(), tricky);
  EXPECT_EQ(db_.CountRows("count(*)", "series", "descricao = '" + db_.Escape(tricky) + "'"), 1);
  EXPECT_EQ(db_.Number("12"), "12");
  EXPECT_EQ(db_.Number("-3.50"), "-3.50");
  EXPECT_EQ(db_.Number("1 or 1=1"), "'1 or 1=1'");
  EXPECT_EQ(db_.Number("1'"), "'1\\''");
  EXPECT_EQ(db_.Number(""), "''");
  EXPECT_EQ(db_.Number("."), "'.'");
  EXPECT_EQ(db_.CountRows("count(*)", "series", "seriegeral = " + db_.Number("1 or 1=1")), 0);
}

TEST_F(DatabaseTest, OpensFromTheSettingsFile) {
  char folder[] = "/tmp/saftpt-connection-XXXXXX";
  ASSERT_NE(::mkdtemp(folder), nullptr);
  std::string path = WriteSettingsFile(folder);
  Database other;
  EXPECT_EQ(ErrorOf([&] { OpenConnectionFromFile(other, path); }), "");
  EXPECT_EQ(other.CountRows("count(*)", "series", ""), 0);

  // A wrong password: an Error with the server's own message.
  WriteIni(path, "bd", "password", Scramble("errada"));
  Database denied;
  std::string erro = ErrorOf([&] { OpenConnectionFromFile(denied, path); });
  EXPECT_NE(erro.find("Access denied"), std::string::npos) << erro;
  EXPECT_FALSE(denied.IsOpen());

  // Scrambled credentials that give no character: an Error, not a crash.
  WriteIni(path, "bd", "username", "99999999");
  EXPECT_NE(ErrorOf([&] { OpenConnectionFromFile(denied, path); }), "");

  std::filesystem::remove_all(folder);
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// `saftpt settings` writes a file the connection opens from, readable by its
// owner only, and never shows the credentials.
TEST_F(DatabaseTest, SettingsCommandWritesAWorkingFile) {
  char folder[] = "/tmp/saftpt-settings-cli-XXXXXX";
  ASSERT_NE(::mkdtemp(folder), nullptr);
  const std::string dir = folder;
  const std::string ini = dir + "/lexora.ini";
  std::ofstream(ini) << "; do produto\n[bd]\nsaftrecibos=1\n";
  ASSERT_EQ(::chmod(ini.c_str(), 0644), 0);
  ConnectionSettings s = Settings();
  const std::string command = "printf '%s\\n' '" + s.password + "' | " + SAFTPT_CLI +
                              " settings --settings " + ini + " --server " + s.server + " --port " +
                              s.port + " --database " + s.database + " --user " + s.user + " >" +
                              dir + "/out 2>" + dir + "/err";
  ASSERT_EQ(std::system(command.c_str()), 0) << FileText(dir + "/err");
  const std::string shown = FileText(dir + "/out") + FileText(dir + "/err");
  EXPECT_EQ(shown.find(s.password), std::string::npos) << shown;
  EXPECT_EQ(shown.find(Scramble(s.password)), std::string::npos) << shown;
  struct stat st {};
  ASSERT_EQ(::stat(ini.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  std::string text = FileText(ini);
  EXPECT_EQ(text.rfind("; do produto\n[bd]\nsaftrecibos=1\nservidor=", 0), 0u) << text;
  EXPECT_EQ(text.find(s.password), std::string::npos);
  std::string recibos;
  EXPECT_TRUE(ReadIni(ini, "bd", "saftrecibos", recibos));
  EXPECT_EQ(recibos, "1");

  Database other;
  EXPECT_EQ(ErrorOf([&] { OpenConnectionFromFile(other, ini); }), "");

  // No password line at all: nothing is written.
  const std::string again = std::string(SAFTPT_CLI) + " settings --settings " + ini +
                            " --server outro --database x --user y </dev/null 2>/dev/null";
  EXPECT_NE(std::system(again.c_str()), 0);
  EXPECT_EQ(FileText(ini), text);
  std::filesystem::remove_all(dir);
}

// Amounts, dates and texts arrive alike whatever the tables' types.
class DatabaseKindTest : public DbTest, public ::testing::WithParamInterface<SchemaKind> {};

TEST_P(DatabaseKindTest, AmountsDatesAndTextsArriveAlike) {
  CreateDatabase(GetParam());
  Exec(
      "INSERT INTO clientes (CodCliente, Nome, Morada) VALUES "
      "('1', 'Jo\u00e3o Ara\u00fajo & Filhos', 'Pra\u00e7a \u20ac 5\u00ba');"
      "INSERT INTO documentos (tipodoc, serie, numero, Data, DataEdicao, ValorTotal, ValorIva) "
      "VALUES ('F', 'A', 1, '2024-02-29', '2024-03-01 09:08:07', 1234.56, 0.1)");
  Recordset c = db_.Execute("select Nome, Morada from clientes");
  ASSERT_FALSE(c.Eof());
  EXPECT_EQ(c.Text("Nome"), "Jo\u00e3o Ara\u00fajo & Filhos");
  EXPECT_EQ(c.Text("Morada"), "Pra\u00e7a \u20ac 5\u00ba");
  Recordset d = db_.Execute("select Data, DataEdicao, ValorTotal, ValorIva from documentos");
  ASSERT_FALSE(d.Eof());
  EXPECT_EQ(d["Data"].Date(), DateTime::Date(2024, 2, 29));
  DateTime edited = d["DataEdicao"].Date();
  EXPECT_EQ(edited, (DateTime{2024, 3, 1, 9, 8, 7}));
  EXPECT_DOUBLE_EQ(d["ValorTotal"].Number(), 1234.56);
  EXPECT_DOUBLE_EQ(d["ValorIva"].Number(), 0.1);
  EXPECT_TRUE(d["ValorTotal"].IsNumeric());
  EXPECT_EQ(db_.CountRows("count(*)", "clientes", "Nome like 'Jo\u00e3o%'"), 1);
}

INSTANTIATE_TEST_SUITE_P(Kinds, DatabaseKindTest,
                         ::testing::Values(SchemaKind{false, false, false},
                                           SchemaKind{true, true, false},
                                           SchemaKind{false, true, true},
                                           SchemaKind{true, false, true}),
                         [](const auto& info) { return info.param.name(); });

}  // namespace
}  // namespace saftpt::test
