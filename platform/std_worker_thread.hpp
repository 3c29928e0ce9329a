// Env::StartThread on every platform: the C++ library's threads (on Windows
// those of the posix-thread MinGW runtime).
#pragma once

#include <functional>
#include <memory>
#include <thread>
#include <utility>

#include "platform/env.hpp"

namespace korvun {

class StdWorkerThread final : public WorkerThread {
 public:
  explicit StdWorkerThread(std::function<void()> work) : thread_(std::move(work)) {}
  ~StdWorkerThread() override { thread_.join(); }

 private:
  std::thread thread_;
};

inline std::unique_ptr<WorkerThread> StartStdWorkerThread(std::function<void()> work) {
  return std::make_unique<StdWorkerThread>(std::move(work));
}

}  // namespace korvun
