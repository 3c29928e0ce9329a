// Which operation of a run fails: every file operation and database call
// counts, one after another, and the one numbered failAt fails (none when 0).
#pragma once

#include <string>

namespace korvun::testing {

struct FaultPlan {
  long failAt = 0;
  long fileOps = 0;  // counted so far
  long dbCalls = 0;
  std::string failed;  // the operation that failed, for the test's message

  // True when this operation is the one to fail.
  bool Next(const char* what, bool database) {
    (database ? dbCalls : fileOps)++;
    if (fileOps + dbCalls != failAt) return false;
    failed = what;
    return true;
  }
  void Reset(long at) {
    *this = FaultPlan();
    failAt = at;
  }
};

}  // namespace korvun::testing
