// The snapshot or the locks of a run's view, and where its corrections go.
#include "db/ReadView.h"

#include <mysqld_error.h>

#include <map>

#include "base/Error.h"

namespace saftpt {

namespace {

// Which of `tables` the database holds in an engine without transactions,
// in the order given; `present` gets those it holds at all. The catalogue is
// compared here, as its collation differs between servers.
std::vector<std::string> NonTransactional(Database& db, const std::vector<std::string>& tables,
                                          std::vector<std::string>& present) {
  Recordset rs = db.Execute(
      "select t.table_name, e.transactions from information_schema.tables t inner join "
      "information_schema.engines e on e.engine=t.engine where t.table_schema=database()");
  std::map<std::string, bool> transactional;
  for (; !rs.Eof(); rs.MoveNext())
    transactional[AsciiLower(rs.Field(size_t{0}).Text())] = AsciiLower(rs.Field(1).Text()) == "yes";
  std::vector<std::string> found;
  for (const std::string& t : tables) {
    auto it = transactional.find(AsciiLower(t));
    if (it == transactional.end()) continue;
    present.push_back(t);
    if (!it->second) found.push_back(t);
  }
  return found;
}

// How long the locking session waits for its locks before the run lets go of
// its tables and tries again.
constexpr int kLockWaitSeconds = 2;
// How long the snapshots' alignment waits for a writer before the run reads
// on one connection: meanwhile the office's next writes wait behind it.
constexpr int kAlignWaitSeconds = 1;

bool IsAccessDenied(const Error& e) {
  return e.Number() == ER_DBACCESS_DENIED_ERROR || e.Number() == ER_TABLEACCESS_DENIED_ERROR ||
         e.Number() == ER_SPECIFIC_ACCESS_DENIED_ERROR;
}

// How a snapshot starts, on the run's connection and on its reader.
constexpr const char* kIsolation = "SET SESSION TRANSACTION ISOLATION LEVEL REPEATABLE READ";
constexpr const char* kSnapshot = "START TRANSACTION WITH CONSISTENT SNAPSHOT, READ ONLY";

// A session of its own for LOCK TABLES, waiting at most `seconds` for them.
std::unique_ptr<Database> LockingSession(const ConnectionSettings& settings, int seconds) {
  auto session = std::make_unique<Database>();
  session->Open(settings);
  session->ExecuteUpdate("SET SESSION lock_wait_timeout=" + std::to_string(seconds));
  return session;
}

// "t1 READ, t2 READ...", for LOCK TABLES.
std::string ReadLocks(const std::vector<std::string>& tables) {
  std::string lock;
  for (const std::string& t : tables) lock += (lock.empty() ? "" : ", ") + t + " READ";
  return lock;
}

}  // namespace

const std::vector<std::string>& BillingTables() {
  static const std::vector<std::string> kTables = {
      "configescritorio", "clientes",   "series",         "seriedocumento", "iva",
      "impostoselo",      "honorarios", "tipoisencaoiva", "documentos",     "documentoslinhas"};
  return kTables;
}

ReadView::ReadView(Database& db, const std::vector<std::string>& tables, Readers readers)
    : db_(db) {
  std::vector<std::string> present;
  ++statements_;
  unsafe_ = NonTransactional(db_, tables, present);
  if (unsafe_.empty()) {
    StartSnapshot(present, readers);
    return;
  }
  // The run's connection opens every table before the locks are taken, in a
  // transaction that keeps them open to it: a billing program's LOCK TABLES
  // … WRITE waiting behind the locks would otherwise keep each of the run's
  // statements waiting in turn, and the run would never end.
  std::string from;
  for (const std::string& t : present) from += (from.empty() ? "" : ", ") + t;
  kind_ = Kind::kLocked;
  try {
    // A writer that comes between the two waits for the tables the run holds
    // open, and the locks wait behind that writer: a wait the server cannot
    // see as a deadlock, as the run holds them while it waits for the locks.
    // So the locks wait a moment only; then the run lets go, the writer goes
    // through, and the run tries again.
    locks_ = LockingSession(db_.Settings(), kLockWaitSeconds);
    for (;;) {
      Send("START TRANSACTION");
      Send("SELECT 1 FROM " + from + " LIMIT 0");
      try {
        locks_->ExecuteUpdate("LOCK TABLES " + ReadLocks(present));
        break;
      } catch (const Error& e) {
        if (e.Number() != ER_LOCK_WAIT_TIMEOUT) throw;
        Send("COMMIT");
      }
    }
  } catch (const Error& e) {
    if (!IsAccessDenied(e)) throw;
    GiveUpLocks();
  }
}

void ReadView::StartSnapshot(const std::vector<std::string>& present, Readers readers) {
  std::unique_ptr<Database> locks;
  if (readers == Readers::kTwo && !present.empty()) {
    try {
      locks = LockingSession(db_.Settings(), kAlignWaitSeconds);
      locks->ExecuteUpdate("LOCK TABLES " + ReadLocks(present));
      reader_ = std::make_unique<Database>();
      reader_->Open(db_.Settings());
    } catch (const Error&) {
      // The second connection only makes the run faster: a user who may not
      // lock tables, a writer holding them longer than a moment, or a server
      // with no connection to spare leaves the run reading on its own.
      reader_.reset();
      locks.reset();
    }
  }
  // While the locks are held no write to the tables can end, so both
  // snapshots see the office at one moment.
  Send(kIsolation);
  Send(kSnapshot);
  kind_ = Kind::kSnapshot;
  if (!reader_) return;
  try {
    reader_->ExecuteUpdate(kIsolation);
    reader_->ExecuteUpdate(kSnapshot);
    locks->ExecuteUpdate("UNLOCK TABLES");
  } catch (const Error&) {
    // As above: the run reads on its own connection, in its snapshot; the
    // locks go with their session.
    reader_.reset();
    return;
  }
  db_.ReadAheadOn(reader_.get());
}

void ReadView::EndReader() {
  if (!reader_) return;
  // Waits for the statements the reader is answering; its read-only
  // transaction ends with its connection.
  db_.ReadAheadOn(nullptr);
  reader_.reset();
}

ReadView::~ReadView() {
  EndReader();
  if (ended_ || kind_ == Kind::kNone) return;
  locks_.reset();  // the session's end releases its locks
  try {
    Send("ROLLBACK");
  } catch (const Error&) {
    // The connection is gone, and its transaction with it: the run is ending
    // on that failure's own message.
  }
}

void ReadView::End() {
  if (ended_) return;
  ended_ = true;
  EndReader();
  if (locks_) locks_->ExecuteUpdate("UNLOCK TABLES");
  locks_.reset();
  if (kind_ != Kind::kNone) Send("COMMIT");
}

void ReadView::GiveUpLocks() {
  locks_.reset();
  Send("COMMIT");
  kind_ = Kind::kNone;
  SetWarning(unsafe_);
}

Database& ReadView::Corrections() {
  if (kind_ == Kind::kLocked) GiveUpLocks();
  if (kind_ != Kind::kSnapshot) return db_;
  if (!corrections_) {
    corrections_ = std::make_unique<Database>();
    corrections_->Open(db_.Settings());
  }
  return *corrections_;
}

void ReadView::Send(const std::string& sql) {
  ++statements_;
  db_.ExecuteUpdate(sql);
}

void ReadView::SetWarning(const std::vector<std::string>& tables) {
  std::string names;
  for (const std::string& t : tables) names += (names.empty() ? "" : ", ") + t;
  warning_ = "Aviso: as tabelas " + names +
             " não permitem uma leitura consistente; exporte quando ninguém estiver a faturar.";
}

}  // namespace saftpt
