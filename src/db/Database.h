// The one connection to the office's billing database (MariaDB Connector/C
// underneath; it talks to MySQL and MariaDB servers), the rows a statement
// returns, and the small single-value queries the builders use.
//
// Every text travels as UTF-8: the connection asks the server for utf8mb4, so
// latin1 and utf8 tables arrive alike.
#ifndef SAFTPT_DB_DATABASE_H_
#define SAFTPT_DB_DATABASE_H_

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/DateTime.h"
#include "db/ColumnNames.h"

struct st_mysql;
struct st_mysql_res;

namespace saftpt {

// One field value: Null or a text as the server sent it.
class Value {
 public:
  Value() = default;
  explicit Value(std::string text) : text_(std::move(text)), null_(false) {}
  static Value Null() { return Value(); }

  bool IsNull() const { return null_; }
  // The text; Null gives "" (a Null joined with an empty string).
  const std::string& Text() const { return text_; }
  // Whether the text reads as a number (a Null does not).
  bool IsNumeric() const;
  // The value as a double. Throws Error for Null or a text that is no number;
  // `what` names the value in that message.
  double Number(std::string_view what = "") const;
  // A whole number (the double rounded halves to even). Throws like Number().
  long long Integer(std::string_view what = "") const;
  // True when the value is a non-zero number; Null and 0 are false. A text that
  // is no number throws.
  bool Boolean(std::string_view what = "") const;
  // The value as a date. Throws Error for Null or a text that is no date.
  DateTime Date(std::string_view what = "") const;

 private:
  std::string text_;
  bool null_ = true;
};

class ReadAhead;
class RowFile;

// Where a statement's rows are held on the client side, so that they can be
// rewound: in memory, or, for rows that grow with the office (a section's
// documents and lines), in a scratch file, read as they stream from the
// server, so that memory stays the same whatever the office's size.
enum class RowStore { kMemory, kTempFile };

// Rows of one statement, positioned on the first row. The result can be
// rewound with MoveFirst().
class Recordset {
 public:
  Recordset();
  Recordset(Recordset&&) noexcept;
  Recordset& operator=(Recordset&&) noexcept;
  ~Recordset();

  bool Eof() const;
  void MoveNext();
  void MoveFirst();
  // Number of rows of the result (what the execution reports).
  uint64_t RecordCount() const;

  size_t FieldCount() const;
  const std::string& FieldName(size_t index) const;
  // Whether the result has a column of that name (without regard to case).
  bool HasField(std::string_view name) const;

  // Field of the current row by name (without regard to case; the first
  // column of that name wins) or by position. An unknown name throws Error.
  // A BIT column's value is given as its number ("0", "1"), like TINYINT's.
  Value operator[](std::string_view name) const { return Field(name); }
  Value Field(std::string_view name) const;
  Value Field(size_t index) const;
  // Whether the column holds exact numbers (DECIMAL or an integer type),
  // which the server adds exactly.
  bool HoldsExactNumbers(size_t index) const;
  // Shortcuts: Field(name).Text() and Field(name).IsNull().
  std::string Text(std::string_view name) const;
  bool IsNull(std::string_view name) const;

  void Close();

 private:
  friend class Database;
  size_t IndexOf(std::string_view name) const;
  void Fetch();

  st_mysql_res* res_ = nullptr;    // RowStore::kMemory
  std::unique_ptr<RowFile> file_;  // RowStore::kTempFile
  std::vector<std::string> names_;
  ColumnNames columns_;
  std::vector<bool> bits_;   // BIT columns: the server sends their raw bytes
  std::vector<bool> exact_;  // DECIMAL and integer columns
  char** row_ = nullptr;
  unsigned long* lengths_ = nullptr;
  std::string statement_;  // for messages
};

// Whether the connection is encrypted: never, always with the server's
// certificate verified, or when the server offers it (no verification: what
// settings files from before the choice existed get).
enum class TlsMode { kNever, kVerify, kPrefer };

struct ConnectionSettings {
  std::string server;
  std::string port;  // empty means "3306"
  std::string database;
  std::string user;
  std::string password;
  TlsMode tls = TlsMode::kPrefer;
  std::string tlsCa;  // CA file (PEM) for kVerify; empty: the system's CA store
};

class Database {
 public:
  Database();
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Opens the connection (utf8mb4, a session sql_mode without
  // ONLY_FULL_GROUP_BY). Throws Error with the server's or client's number and
  // message on failure.
  void Open(const ConnectionSettings& settings);
  bool IsOpen() const { return conn_ != nullptr; }
  void Close();
  // The TLS protocol of the open connection ("TLSv1.3"), or "" when it is
  // not encrypted.
  std::string TlsVersion() const;
  // The settings it was opened with, for a second connection to the same
  // database.
  const ConnectionSettings& Settings() const { return settings_; }

  // Runs a statement that returns rows. One queued with QueueAhead, and not
  // taken yet, gives the rows it read (RowStore::kTempFile).
  Recordset Execute(const std::string& sql, RowStore store = RowStore::kMemory);
  // Has the server answer `sql` ahead of its Execute (db/ReadAhead.h), while
  // the run goes on; statements the run sends meanwhile wait their turn.
  void QueueAhead(const std::string& sql);
  // Statements queued ahead run on `reader`, a second connection that reads
  // the same view of the office (db/ReadView.h), so that the server answers
  // them while this one answers the run's own; null: on this connection
  // again. What was queued and not taken is dropped first. The reader stays
  // its owner's.
  void ReadAheadOn(Database* reader);
  // While held, statements queued ahead wait (on a reader, they go on): the
  // run's own statements have this connection (OwnStatementsFirst).
  void HoldForOwnStatements(bool held);
  // Runs a statement that changes rows; returns the number of rows changed.
  // What was read ahead and not taken yet is dropped: it may be stale.
  uint64_t ExecuteUpdate(const std::string& sql);

  // The text escaped for use between single quotes in a statement, with the
  // connection's own escaping (quotes, backslashes, NUL...).
  std::string Escape(std::string_view text) const;
  // A number for a statement: the text itself when it is a plain number,
  // otherwise the escaped text between quotes, so stored data can never change
  // a statement's meaning.
  std::string Number(std::string_view text) const;

  // Statements sent on this connection so far, those read ahead on its
  // reader included.
  uint64_t StatementCount() const { return statements_; }

  // Every column of the database's tables as "table.column", in lower case,
  // from one read of the catalogue.
  std::set<std::string> ColumnNames();
  // Whether the table has the column (a read of the catalogue).
  bool HasColumn(std::string_view table, std::string_view column);

  // Single-value queries. They run "select " + expression + " as total from "
  // + table, with " where " + condition when the condition is not empty.
  long long CountRows(std::string_view expression, std::string_view table,
                      std::string_view condition);
  // The column "total" of the first row, or `fallback` when there is no row
  // or the value is Null.
  Value ReadValue(std::string_view expression, std::string_view table, std::string_view condition,
                  const Value& fallback);

 private:
  [[noreturn]] void Fail(const std::string& sql) const;
  // The column "total" of the first row; Null when there is no row.
  Value SingleValue(std::string_view expression, std::string_view table,
                    std::string_view condition);

  class Turn;
  // Execute and ExecuteUpdate, with the connection held.
  Recordset ExecuteHeld(const std::string& sql, RowStore store);
  uint64_t ExecuteUpdateHeld(const std::string& sql);

  st_mysql* conn_ = nullptr;
  mutable std::mutex connection_;  // held by whichever thread is using conn_
  // The run's own statements go before those read ahead: the statements
  // waiting for the connection, and the turn they give back.
  mutable std::atomic<int> waiting_ = 0;
  mutable std::condition_variable_any turn_;
  std::unique_ptr<ReadAhead> readAhead_;
  Database* reader_ = nullptr;
  bool heldForOwnStatements_ = false;
  std::atomic<uint64_t> statements_ = 0;
  ConnectionSettings settings_;
};

// Keeps a connection for the run's own statements while it lives: those
// queued ahead meanwhile run on its reader, or wait.
class OwnStatementsFirst {
 public:
  explicit OwnStatementsFirst(Database& db) : db_(db) { db_.HoldForOwnStatements(true); }
  ~OwnStatementsFirst() { db_.HoldForOwnStatements(false); }
  OwnStatementsFirst(const OwnStatementsFirst&) = delete;
  OwnStatementsFirst& operator=(const OwnStatementsFirst&) = delete;

 private:
  Database& db_;
};

// Lower-case of an ASCII text (names of tables and columns).
std::string AsciiLower(std::string_view text);
// Whether `lower` is AsciiLower(text), without building it.
bool IsLowerOf(std::string_view lower, std::string_view text);

}  // namespace saftpt

#endif  // SAFTPT_DB_DATABASE_H_
