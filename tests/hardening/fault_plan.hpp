// Which operation of a run fails: every file operation and database call
// counts, one after another, and the one numbered failAt fails (none when 0).
// The workers of a run count too, under the plan's lock; the figures are
// read once the run has ended.
#pragma once

#include <mutex>
#include <string>
#include <thread>

namespace korvun::testing {

struct FaultPlan {
  long failAt = 0;
  long fileOps = 0;  // counted so far
  long dbCalls = 0;
  std::string failed;  // the operation that failed, for the test's message
  bool failedFile = false;      // ... was a file operation
  bool failedOnWorker = false;  // ... ran on another thread than Reset's

  // True when this operation is the one to fail.
  bool Next(const char* what, bool database) {
    std::lock_guard<std::mutex> lock(mutex_);
    (database ? dbCalls : fileOps)++;
    if (fileOps + dbCalls != failAt) return false;
    failed = what;
    failedFile = !database;
    failedOnWorker = std::this_thread::get_id() != runner_;
    return true;
  }
  void Reset(long at) {
    std::lock_guard<std::mutex> lock(mutex_);
    fileOps = dbCalls = 0;
    failed.clear();
    failedFile = failedOnWorker = false;
    failAt = at;
    runner_ = std::this_thread::get_id();
  }

 private:
  std::mutex mutex_;
  std::thread::id runner_;
};

}  // namespace korvun::testing
