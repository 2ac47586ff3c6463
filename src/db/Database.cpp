// The database connection over MariaDB Connector/C, its rows and values.
#include "db/Database.h"

#include <errmsg.h>
#include <mysql.h>

#include <charconv>
#include <cmath>
#include <limits>

#include "base/Error.h"
#include "db/ConnectionTls.h"
#include "db/ReadAhead.h"
#include "db/RowFile.h"

namespace saftpt {

namespace {

std::string Named(std::string_view what) {
  return what.empty() ? std::string() : " de \"" + std::string(what) + "\"";
}

[[noreturn]] void NullValue(std::string_view what) {
  throw Error(Error::kData, "O valor" + Named(what) + " é nulo.");
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Digits with at most one decimal point, at least one digit.
bool IsDecimal(std::string_view s) {
  bool digit = false;
  bool point = false;
  for (char c : s) {
    if (IsDigit(c)) {
      digit = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digit;
}

// A number as the server writes it: sign, digits, one point, exponent.
bool IsNumberText(std::string_view s) {
  s = TrimBlanks(s);
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) s.remove_prefix(1);
  size_t e = s.find_first_of("eE");
  if (e == std::string_view::npos) return IsDecimal(s);
  std::string_view exponent = s.substr(e + 1);
  if (!exponent.empty() && (exponent.front() == '+' || exponent.front() == '-'))
    exponent.remove_prefix(1);
  if (exponent.empty()) return false;
  for (char c : exponent)
    if (!IsDigit(c)) return false;
  return IsDecimal(s.substr(0, e));
}

// from_chars takes neither blanks nor a leading "+".
std::string_view NumberBody(std::string_view s) {
  s = TrimBlanks(s);
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  return s;
}

}  // namespace

bool IsLowerOf(std::string_view lower, std::string_view text) {
  if (lower.size() != text.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != lower[i]) return false;
  }
  return true;
}

std::string AsciiLower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// ---- Value -----------------------------------------------------------------

bool Value::IsNumeric() const {
  return !null_ && IsNumberText(text_);
}

double Value::Number(std::string_view what) const {
  if (null_) NullValue(what);
  if (!IsNumberText(text_))
    throw Error(Error::kData, "O valor \"" + text_ + "\"" + Named(what) + " não é um número.");
  std::string_view body = NumberBody(text_);
  double result = 0;
  auto res = std::from_chars(body.data(), body.data() + body.size(), result);
  if (res.ec != std::errc() || res.ptr != body.data() + body.size())
    throw Error(Error::kData, "O valor \"" + text_ + "\"" + Named(what) + " não é um número.");
  return result;
}

long long Value::Integer(std::string_view what) const {
  // Most are plain digits, as IDs are: read at once.
  if (!null_ && !text_.empty()) {
    long long plain = 0;
    auto res = std::from_chars(text_.data(), text_.data() + text_.size(), plain);
    if (res.ec == std::errc() && res.ptr == text_.data() + text_.size()) return plain;
  }
  double d = Number(what);
  // Whole numbers are read exactly, beyond the precision of a double.
  std::string_view body = NumberBody(text_);
  long long exact = 0;
  auto res = std::from_chars(body.data(), body.data() + body.size(), exact);
  if (res.ec == std::errc() && res.ptr == body.data() + body.size()) return exact;
  double rounded = std::nearbyint(d);  // halves to even, as CLng does
  if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0))
    throw Error(Error::kData,
                "O valor \"" + text_ + "\"" + Named(what) + " excede o limite de um inteiro.");
  return static_cast<long long>(rounded);
}

bool Value::Boolean(std::string_view what) const {
  if (null_) return false;
  return Number(what) != 0;
}

DateTime Value::Date(std::string_view what) const {
  if (null_) NullValue(what);
  std::optional<DateTime> d = DateTime::Parse(TrimBlanks(text_));
  if (!d) throw Error(Error::kData, "O valor \"" + text_ + "\"" + Named(what) + " não é uma data.");
  return *d;
}

// ---- Recordset -------------------------------------------------------------

Recordset::Recordset() = default;

Recordset::Recordset(Recordset&& other) noexcept {
  *this = std::move(other);
}

Recordset& Recordset::operator=(Recordset&& other) noexcept {
  if (this != &other) {
    Close();
    res_ = other.res_;
    file_ = std::move(other.file_);
    names_ = std::move(other.names_);
    columns_ = std::move(other.columns_);
    bits_ = std::move(other.bits_);
    exact_ = std::move(other.exact_);
    row_ = other.row_;
    lengths_ = other.lengths_;
    statement_ = std::move(other.statement_);
    other.res_ = nullptr;
    other.row_ = nullptr;
    other.lengths_ = nullptr;
    other.names_.clear();
    other.columns_ = ColumnNames();
    other.bits_.clear();
    other.exact_.clear();
  }
  return *this;
}

Recordset::~Recordset() {
  Close();
}

void Recordset::Close() {
  if (res_) mysql_free_result(res_);
  res_ = nullptr;
  file_.reset();
  row_ = nullptr;
  lengths_ = nullptr;
}

void Recordset::Fetch() {
  if (file_) {
    if (!file_->Next(row_, lengths_)) row_ = nullptr;
    return;
  }
  row_ = res_ ? mysql_fetch_row(res_) : nullptr;
  lengths_ = row_ ? mysql_fetch_lengths(res_) : nullptr;
}

bool Recordset::Eof() const {
  return row_ == nullptr;
}

void Recordset::MoveNext() {
  if (row_) Fetch();
}

void Recordset::MoveFirst() {
  if (file_) {
    file_->Rewind();
  } else if (res_) {
    mysql_data_seek(res_, 0);
  } else {
    return;
  }
  Fetch();
}

uint64_t Recordset::RecordCount() const {
  if (file_) return file_->RowCount();
  return res_ ? mysql_num_rows(res_) : 0;
}

size_t Recordset::FieldCount() const {
  return names_.size();
}

const std::string& Recordset::FieldName(size_t index) const {
  if (index >= names_.size())
    throw Error(Error::kData, "A coluna " + std::to_string(index) + " não existe no resultado.");
  return names_[index];
}

bool Recordset::HasField(std::string_view name) const {
  return columns_.Find(name).has_value();
}

size_t Recordset::IndexOf(std::string_view name) const {
  if (std::optional<size_t> i = columns_.Find(name)) return *i;
  throw Error(Error::kData,
              "A coluna \"" + std::string(name) + "\" não existe no resultado da consulta.");
}

Value Recordset::Field(std::string_view name) const {
  return Field(IndexOf(name));
}

Value Recordset::Field(size_t index) const {
  if (index >= names_.size())
    throw Error(Error::kData, "A coluna " + std::to_string(index) + " não existe no resultado.");
  if (!row_) throw Error(Error::kData, "Não há registo atual: o fim dos registos foi atingido.");
  if (!row_[index]) return Value::Null();
  if (bits_[index]) {
    // Big-endian bytes of up to 64 bits.
    unsigned long long n = 0;
    for (unsigned long i = 0; i < lengths_[index]; ++i)
      n = (n << 8) | static_cast<unsigned char>(row_[index][i]);
    return Value(std::to_string(n));
  }
  return Value(std::string(row_[index], lengths_[index]));
}

bool Recordset::HoldsExactNumbers(size_t index) const {
  return index < exact_.size() && exact_[index];
}

std::string Recordset::Text(std::string_view name) const {
  return Field(name).Text();
}

bool Recordset::IsNull(std::string_view name) const {
  return Field(name).IsNull();
}

// ---- Database --------------------------------------------------------------

Database::Database() = default;

Database::~Database() {
  Close();
}

void Database::Close() {
  readAhead_.reset();
  if (conn_) mysql_close(conn_);
  conn_ = nullptr;
}

std::string Database::TlsVersion() const {
  return conn_ ? TlsVersionOf(conn_) : "";
}

void Database::Open(const ConnectionSettings& settings) {
  Close();
  std::string portText = settings.port.empty() ? "3306" : settings.port;
  unsigned int port = 0;
  auto res = std::from_chars(portText.data(), portText.data() + portText.size(), port);
  if (res.ec != std::errc() || res.ptr != portText.data() + portText.size() || port > 65535)
    throw Error(Error::kSettings, "A porta \"" + portText + "\" da base de dados é inválida.");

  MYSQL* m = mysql_init(nullptr);
  if (!m) throw Error(CR_OUT_OF_MEMORY, "Memória insuficiente para abrir a base de dados.");
  mysql_options(m, MYSQL_SET_CHARSET_NAME, "utf8mb4");
  unsigned int timeout = 10;
  mysql_options(m, MYSQL_OPT_CONNECT_TIMEOUT, &timeout);
  my_bool reconnect = 0;  // a silent reconnect would lose the session's sql_mode
  mysql_options(m, MYSQL_OPT_RECONNECT, &reconnect);
  try {
    SetTlsOptions(m, settings);
  } catch (const Error&) {
    mysql_close(m);
    throw;
  }
  if (!mysql_real_connect(
          m, settings.server.c_str(), settings.user.c_str(), settings.password.c_str(),
          settings.database.empty() ? nullptr : settings.database.c_str(), port, nullptr, 0)) {
    Error e = ConnectFailure(m, settings);
    mysql_close(m);
    throw e;
  }
  // Grouped statements select columns they do not group by; MySQL 5.7 and 8
  // refuse that unless the mode is relaxed. A big office's receipts group
  // tens of thousands of rows: with the servers' default 16 MB for a
  // temporary table in memory, theirs goes to disk and takes twice as long,
  // so the session allows 64 MB (never less than the server gives).
  const std::string mode =
      "SET SESSION sql_mode=(SELECT REPLACE(@@SESSION.sql_mode,'ONLY_FULL_GROUP_BY','')), "
      "tmp_table_size=GREATEST(@@SESSION.tmp_table_size, 67108864), "
      "max_heap_table_size=GREATEST(@@SESSION.max_heap_table_size, 67108864)";
  if (mysql_real_query(m, mode.data(), mode.size()) != 0) {
    Error e(static_cast<int>(mysql_errno(m)), mysql_error(m));
    mysql_close(m);
    throw e;
  }
  conn_ = m;
  settings_ = settings;
}

void Database::Fail(const std::string& /*sql*/) const {
  throw Error(static_cast<int>(mysql_errno(conn_)), mysql_error(conn_));
}

namespace {

bool IsExactType(enum_field_types type) {
  switch (type) {
    case MYSQL_TYPE_DECIMAL:
    case MYSQL_TYPE_NEWDECIMAL:
    case MYSQL_TYPE_TINY:
    case MYSQL_TYPE_SHORT:
    case MYSQL_TYPE_INT24:
    case MYSQL_TYPE_LONG:
    case MYSQL_TYPE_LONGLONG:
      return true;
    default:
      return false;
  }
}

[[noreturn]] void NotOpen() {
  throw Error(CR_SERVER_GONE_ERROR, "A ligação à base de dados não está aberta.");
}

}  // namespace

// The connection for one of the run's own statements, ahead of those read
// ahead.
class Database::Turn {
 public:
  explicit Turn(const Database& db) : db_(db) {
    ++db_.waiting_;
    held_ = std::unique_lock<std::mutex>(db_.connection_);
    --db_.waiting_;
  }
  ~Turn() {
    held_.unlock();
    db_.turn_.notify_all();
  }
  Turn(const Turn&) = delete;
  Turn& operator=(const Turn&) = delete;

 private:
  const Database& db_;
  std::unique_lock<std::mutex> held_;
};

Recordset Database::Execute(const std::string& sql, RowStore store) {
  if (!conn_) NotOpen();
  if (readAhead_ && store == RowStore::kTempFile)
    if (std::optional<Recordset> ahead = readAhead_->Take(sql)) return std::move(*ahead);
  Turn turn(*this);
  return ExecuteHeld(sql, store);
}

void Database::QueueAhead(const std::string& sql) {
  if (!conn_) NotOpen();
  if (!readAhead_) {
    if (reader_)
      readAhead_ = std::make_unique<ReadAhead>([this](const std::string& statement) {
        ++statements_;
        return reader_->Execute(statement, RowStore::kTempFile);
      });
    else
      readAhead_ = std::make_unique<ReadAhead>([this](const std::string& statement) {
        std::unique_lock<std::mutex> held(connection_);
        turn_.wait(held, [this] { return waiting_ == 0; });
        return ExecuteHeld(statement, RowStore::kTempFile);
      });
    readAhead_->Hold(heldForOwnStatements_ && !reader_);
  }
  readAhead_->Queue(sql);
}

void Database::ReadAheadOn(Database* reader) {
  readAhead_.reset();  // drops what was not taken, once the statement running is done
  reader_ = reader;
}

void Database::HoldForOwnStatements(bool held) {
  heldForOwnStatements_ = held;
  if (readAhead_) readAhead_->Hold(held && !reader_);
}

Recordset Database::ExecuteHeld(const std::string& sql, RowStore store) {
  ++statements_;
  if (mysql_real_query(conn_, sql.data(), sql.size()) != 0) Fail(sql);
  Recordset rs;
  rs.statement_ = sql;
  MYSQL_RES* res = store == RowStore::kMemory ? mysql_store_result(conn_) : mysql_use_result(conn_);
  if (!res) {
    if (mysql_field_count(conn_) != 0) Fail(sql);
    return rs;  // a statement without rows
  }
  unsigned int count = mysql_num_fields(res);
  MYSQL_FIELD* fields = mysql_fetch_fields(res);
  rs.names_.reserve(count);
  for (unsigned int i = 0; i < count; ++i) {
    rs.names_.emplace_back(fields[i].name, fields[i].name_length);
    rs.columns_.Add(rs.names_.back());
    rs.bits_.push_back(fields[i].type == MYSQL_TYPE_BIT);
    rs.exact_.push_back(IsExactType(fields[i].type));
  }
  if (store == RowStore::kMemory) {
    rs.res_ = res;
  } else {
    // Every row is read before the statement returns: the connection is free
    // for the next statement while these rows are gone through.
    auto file = std::make_unique<RowFile>(count);
    try {
      while (MYSQL_ROW row = mysql_fetch_row(res)) file->Append(row, mysql_fetch_lengths(res));
    } catch (...) {
      // The rest of the rows are read off the connection when it is freed.
      mysql_free_result(res);
      throw;
    }
    const bool failed = mysql_errno(conn_) != 0;
    if (failed) {
      Error e(static_cast<int>(mysql_errno(conn_)), mysql_error(conn_));
      mysql_free_result(res);
      throw e;
    }
    mysql_free_result(res);
    file->Rewind();
    rs.file_ = std::move(file);
  }
  rs.Fetch();
  return rs;
}

uint64_t Database::ExecuteUpdate(const std::string& sql) {
  if (!conn_) NotOpen();
  if (readAhead_) readAhead_->Discard();
  Turn turn(*this);
  return ExecuteUpdateHeld(sql);
}

uint64_t Database::ExecuteUpdateHeld(const std::string& sql) {
  ++statements_;
  if (mysql_real_query(conn_, sql.data(), sql.size()) != 0) Fail(sql);
  MYSQL_RES* res = mysql_store_result(conn_);
  if (res) {
    mysql_free_result(res);
    return 0;
  }
  if (mysql_field_count(conn_) != 0) Fail(sql);
  uint64_t changed = mysql_affected_rows(conn_);
  return changed == static_cast<uint64_t>(-1) ? 0 : changed;
}

std::string Database::Escape(std::string_view text) const {
  std::string out;
  if (conn_) {
    // The connection's character set and modes are read while no statement
    // read ahead changes them.
    Turn turn(*this);
    out.resize(text.size() * 2 + 1);
    unsigned long n = mysql_real_escape_string(conn_, out.data(), text.data(),
                                               static_cast<unsigned long>(text.size()));
    if (n != static_cast<unsigned long>(-1)) {
      out.resize(n);
      return out;
    }
    out.clear();
  }
  // Without a connection: the server's default escaping.
  for (char c : text) {
    switch (c) {
      case '\0':
        out += "\\0";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\x1a':
        out += "\\Z";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\'':
        out += "\\'";
        break;
      case '"':
        out += "\\\"";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string Database::Number(std::string_view text) const {
  std::string_view digits = text;
  if (!digits.empty() && digits.front() == '-') digits.remove_prefix(1);
  bool plain =
      !digits.empty() && IsDigit(digits.front()) && IsDigit(digits.back()) && IsDecimal(digits);
  if (plain) return std::string(text);
  return "'" + Escape(text) + "'";
}

// ---- Single-value queries --------------------------------------------------

std::set<std::string> Database::ColumnNames() {
  // The catalogue is compared here, not in the statement: the collation of its
  // names differs between servers and their case settings.
  Recordset rs = Execute(
      "select table_name, column_name from information_schema.columns "
      "where table_schema=database()");
  std::set<std::string> names;
  for (; !rs.Eof(); rs.MoveNext())
    names.insert(AsciiLower(rs.Field(size_t{0}).Text()) + "." + AsciiLower(rs.Field(1).Text()));
  return names;
}

bool Database::HasColumn(std::string_view table, std::string_view column) {
  return ColumnNames().count(AsciiLower(table) + "." + AsciiLower(column)) > 0;
}

Value Database::SingleValue(std::string_view expression, std::string_view table,
                            std::string_view condition) {
  std::string sql = "select " + std::string(expression) + " as total from " + std::string(table);
  if (!condition.empty()) sql += " where " + std::string(condition);
  Recordset rs = Execute(sql);
  return rs.Eof() ? Value::Null() : rs.Field("total");
}

long long Database::CountRows(std::string_view expression, std::string_view table,
                              std::string_view condition) {
  Value v = SingleValue(expression, table, condition);
  return v.IsNull() ? 0 : v.Integer("total");
}

Value Database::ReadValue(std::string_view expression, std::string_view table,
                          std::string_view condition, const Value& fallback) {
  Value v = SingleValue(expression, table, condition);
  return v.IsNull() ? fallback : v;
}

}  // namespace saftpt
