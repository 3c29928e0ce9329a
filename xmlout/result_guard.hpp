// Closes a query's result on every way out of a block.
#pragma once

#include "staging/db_client.hpp"

namespace korvun {

class ResultGuard {
 public:
  explicit ResultGuard(DbStatement& q) : q_(q) {}
  ~ResultGuard() {
    try {
      q_.CloseResult();
    } catch (...) {
      // Closing after a failure must not hide the failure itself.
    }
  }
  ResultGuard(const ResultGuard&) = delete;
  ResultGuard& operator=(const ResultGuard&) = delete;

 private:
  DbStatement& q_;
};

}  // namespace korvun
