#include "db/ReadAhead.h"

#include <algorithm>

namespace saftpt {

ReadAhead::ReadAhead(std::function<Recordset(const std::string&)> run) : run_(std::move(run)) {}

ReadAhead::~ReadAhead() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (worker_.joinable()) worker_.join();
}

void ReadAhead::Queue(const std::string& sql) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto job = std::make_shared<Job>();
    job->sql = sql;
    jobs_.push_back(std::move(job));
  }
  if (!worker_.joinable()) worker_ = std::thread([this] { Work(); });
  changed_.notify_all();
}

void ReadAhead::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] {
      return stopping_ || (!held_ && std::any_of(jobs_.begin(), jobs_.end(),
                                                 [](const auto& j) { return !j->done; }));
    });
    if (stopping_) return;
    std::shared_ptr<Job> job =
        *std::find_if(jobs_.begin(), jobs_.end(), [](const auto& j) { return !j->done; });
    running_ = job;
    lock.unlock();
    Recordset rows;
    std::exception_ptr failure;
    try {
      rows = run_(job->sql);
    } catch (...) {
      // Not lost: the failure is thrown where the run takes the rows.
      failure = std::current_exception();
    }
    lock.lock();
    job->rows = std::move(rows);
    job->failure = failure;
    job->done = true;
    running_.reset();
    changed_.notify_all();
  }
}

std::optional<Recordset> ReadAhead::Take(const std::string& sql) {
  std::unique_lock<std::mutex> lock(mutex_);
  auto it = std::find_if(jobs_.begin(), jobs_.end(), [&](const auto& j) { return j->sql == sql; });
  if (it == jobs_.end()) return std::nullopt;
  std::shared_ptr<Job> job = *it;
  if (!job->done && job != running_) {
    // Not started yet: the run sends it itself, on its own connection, ahead
    // of the statements still queued.
    jobs_.erase(it);
    return std::nullopt;
  }
  changed_.wait(lock, [&] { return job->done; });
  jobs_.erase(std::find(jobs_.begin(), jobs_.end(), job));
  if (job->failure) std::rethrow_exception(job->failure);
  return std::move(job->rows);
}

void ReadAhead::Discard() {
  std::unique_lock<std::mutex> lock(mutex_);
  jobs_.clear();
  changed_.wait(lock, [this] { return running_ == nullptr; });
}

void ReadAhead::Hold(bool held) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    held_ = held;
  }
  changed_.notify_all();
}

}  // namespace saftpt
