// One consistent view of the billing database for all the statements of a
// run (an export, the consistency report), while the office keeps invoicing.
//
// Transactional tables are read in one read-only transaction with a
// consistent snapshot. A run that reads ahead has a second connection start
// its snapshot at the same moment, while a third session holds READ locks on
// the tables for that moment only: the statements queued ahead then run on
// the second (Database::ReadAheadOn), the run's own on the first. A user who
// may not lock tables reads on one connection, in the same snapshot.
//
// When any table read is not transactional (MyISAM), a
// second session holds READ locks on the tables for the run's duration, so
// the billing program's writes wait and then go through; the statements
// themselves run unlocked on the run's connection, as LOCK TABLES would refuse
// every statement that names a table twice. A user who may not lock tables
// reads as before, and the view says so in Warning().
#ifndef SAFTPT_DB_READVIEW_H_
#define SAFTPT_DB_READVIEW_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "db/Database.h"

namespace saftpt {

// The billing tables an export and the consistency report read.
const std::vector<std::string>& BillingTables();

class ReadView {
 public:
  enum class Kind { kSnapshot, kLocked, kNone };
  // Whether the statements queued ahead get a second connection in a snapshot.
  enum class Readers { kOne, kTwo };

  // Starts the view on `db` for statements that read `tables`. Throws Error
  // when the database fails (a lost connection...).
  ReadView(Database& db, const std::vector<std::string>& tables, Readers readers = Readers::kOne);
  // A view not ended by End() ends here: the transaction is rolled back and
  // the locking session closed, which releases its locks.
  ~ReadView();
  ReadView(const ReadView&) = delete;
  ReadView& operator=(const ReadView&) = delete;

  // Ends the transaction or releases the locks. Throws Error on failure.
  void End();

  Kind GetKind() const { return kind_; }
  // "" or the warning the run shows when its reads may not be consistent.
  const std::string& Warning() const { return warning_; }
  // Statements the view itself sent on the run's connection.
  uint64_t StatementCount() const { return statements_; }
  // Whether statements queued ahead run on a second connection.
  bool HasReader() const { return reader_ != nullptr; }

  // The connection that the exemption dialog's corrections are written and
  // read back through: a snapshot does not see them, so a second connection
  // (autocommit) of the same settings; the run's own otherwise. A locked
  // view would keep that write waiting on its own locks: it gives them up
  // first (the user is then asked before the billing program's writes go
  // on), and the run reads on as before, with the warning.
  Database& Corrections();

 private:
  // Runs a statement of the view on the run's connection.
  void Send(const std::string& sql);
  // Starts the snapshot, with the reader's at the same moment when it can.
  void StartSnapshot(const std::vector<std::string>& present, Readers readers);
  // The reader's transaction ends and its connection closes.
  void EndReader();
  void SetWarning(const std::vector<std::string>& tables);
  // Reads on without locks, and says so.
  void GiveUpLocks();

  Database& db_;
  Kind kind_ = Kind::kNone;
  bool ended_ = false;
  uint64_t statements_ = 0;
  std::string warning_;
  std::vector<std::string> unsafe_;  // the tables read that are not transactional
  std::unique_ptr<Database> locks_;
  std::unique_ptr<Database> reader_;
  std::unique_ptr<Database> corrections_;
};

}  // namespace saftpt

#endif  // SAFTPT_DB_READVIEW_H_
