// Statements run ahead of their use on one connection: while the run writes
// what it has read, the server already answers the statements the run will
// send next. They run one at a time, in the order queued, in a thread of
// their own, their rows streamed into scratch files (db/RowFile.h); the run
// takes each result when it gets to it. The connection is the run's own or a
// second one in the same view of the office (db/ReadView.h), so each
// statement reads what it would have read if sent when taken.
#ifndef SAFTPT_DB_READAHEAD_H_
#define SAFTPT_DB_READAHEAD_H_

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "db/Database.h"

namespace saftpt {

class ReadAhead {
 public:
  // `run` runs one statement on the connection, holding it meanwhile.
  explicit ReadAhead(std::function<Recordset(const std::string&)> run);
  // Drops what was not taken; waits for the statement the server is answering.
  ~ReadAhead();
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  void Queue(const std::string& sql);
  // The rows of `sql` when it was queued and not taken yet, waiting for them
  // if need be; its failure is thrown here, as if it were run now. One not
  // started yet is taken off the queue: the run sends it itself.
  std::optional<Recordset> Take(const std::string& sql);
  // Drops every statement not taken (a write on the connection may have
  // changed what they read); waits for the one the server is answering.
  void Discard();
  // While held, no statement queued is started: the run's own statements
  // have the connection.
  void Hold(bool held);

 private:
  struct Job {
    std::string sql;
    bool done = false;
    Recordset rows;
    std::exception_ptr failure;
  };
  void Work();

  std::function<Recordset(const std::string&)> run_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::shared_ptr<Job>> jobs_;  // queued, running or done, not taken
  std::shared_ptr<Job> running_;
  bool held_ = false;
  bool stopping_ = false;
  std::thread worker_;  // started by the first Queue
};

}  // namespace saftpt

#endif  // SAFTPT_DB_READAHEAD_H_
