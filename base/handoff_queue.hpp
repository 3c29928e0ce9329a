// Batches handed from a producing thread to the consuming one, a few at a
// time: the producer waits while the consumer is that far behind, so memory
// stays bounded; a failure of the producer reaches the consumer after the
// batches before it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>

namespace korvun {

template <typename T>
class HandoffQueue {
 public:
  explicit HandoffQueue(size_t capacity) : capacity_(capacity) {}

  // Producer: false when the consumer has stopped and wants no more.
  bool Push(T batch) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return stopped_ || ready_.size() < capacity_; });
    if (stopped_) return false;
    ready_.push_back(std::move(batch));
    changed_.notify_all();
    return true;
  }

  // Producer: no batch follows; `failure` is thrown to the consumer after
  // the batches before it.
  void Finish(std::exception_ptr failure = nullptr) {
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
    failure_ = failure;
    changed_.notify_all();
  }

  // Consumer: the next batch; false after the last.
  bool Pop(T* batch) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !ready_.empty() || finished_; });
    if (ready_.empty()) {
      if (failure_) std::rethrow_exception(failure_);
      return false;
    }
    *batch = std::move(ready_.front());
    ready_.pop_front();
    changed_.notify_all();
    return true;
  }

  // Consumer: done early; a waiting producer returns.
  void Stop() {
    std::lock_guard<std::mutex> lock(mutex_);
    stopped_ = true;
    changed_.notify_all();
  }


 private:
  const size_t capacity_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<T> ready_;
  bool finished_ = false;
  bool stopped_ = false;
  std::exception_ptr failure_;
};

}  // namespace korvun
