// The queue between a worker and its consumer, with the producer on a
// thread of its own as in the importer and the import file.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <exception>
#include <stdexcept>
#include <thread>

#include "base/handoff_queue.hpp"
#include "support/hang_guard.hpp"

namespace korvun {
namespace {

// A failure of the producer reaches the consumer after every batch before it.
TEST(HandoffQueue, ProducerFailureFollowsTheBatchesBeforeIt) {
  test::HangGuard guard("producer failure");
  HandoffQueue<int> queue(2);
  std::thread producer([&queue] {
    for (int i = 1; i <= 5; ++i) queue.Push(i);
    queue.Finish(std::make_exception_ptr(std::runtime_error("Lesefehler")));
  });
  int batch = 0, sum = 0;
  try {
    while (queue.Pop(&batch)) sum += batch;
    ADD_FAILURE() << "the failure did not reach the consumer";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Lesefehler");
  }
  EXPECT_EQ(sum, 15);
  producer.join();
}

// A consumer that stops early releases a producer waiting for room, which
// then pushes nothing more.
TEST(HandoffQueue, StopReleasesAWaitingProducer) {
  test::HangGuard guard("producer after stop");
  HandoffQueue<int> queue(1);
  std::atomic<int> pushed{0};
  std::thread producer([&] {
    while (queue.Push(pushed + 1)) ++pushed;
  });
  int batch = 0;
  ASSERT_TRUE(queue.Pop(&batch));
  EXPECT_EQ(batch, 1);
  // The second batch fills the queue again; the producer then waits for room.
  while (pushed < 2) std::this_thread::yield();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  queue.Stop();
  producer.join();
  EXPECT_EQ(pushed.load(), 2);
}

}  // namespace
}  // namespace korvun
