// Which operation of a run fails: every file operation and database call
// counts, one after another, and the one numbered failAt fails (none when 0).
// The workers of a run count too, under the plan's lock; the figures are
// read once the run has ended.
#pragma once

#include <mutex>
#include <string>

namespace korvun::testing {

struct FaultPlan {
  long failAt = 0;
  long fileOps = 0;  // counted so far
  long dbCalls = 0;
  std::string failed;  // the operation that failed, for the test's message

  // True when this operation is the one to fail.
  bool Next(const char* what, bool database) {
    std::lock_guard<std::mutex> lock(mutex_);
    (database ? dbCalls : fileOps)++;
    if (fileOps + dbCalls != failAt) return false;
    failed = what;
    return true;
  }
  void Reset(long at) {
    std::lock_guard<std::mutex> lock(mutex_);
    fileOps = dbCalls = 0;
    failed.clear();
    failAt = at;
  }

 private:
  std::mutex mutex_;
};

}  // namespace korvun::testing
