// Ends the test program when a test that waits for a worker still runs
// after a while: a worker that never stops would otherwise block the join
// until ctest gives up on the whole program.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

namespace korvun::test {

class HangGuard {
 public:
  explicit HangGuard(std::string what, std::chrono::seconds limit = std::chrono::seconds(60))
      : what_(std::move(what)), watch_([this, limit] {
          std::unique_lock<std::mutex> lock(mutex_);
          if (changed_.wait_for(lock, limit, [this] { return done_; })) return;
          std::fprintf(stderr, "hung: %s\n", what_.c_str());
          std::abort();
        }) {}
  ~HangGuard() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    changed_.notify_all();
    watch_.join();
  }

 private:
  std::string what_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool done_ = false;
  std::thread watch_;
};

}  // namespace korvun::test
