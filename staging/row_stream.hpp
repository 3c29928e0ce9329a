// The rows of a select, each read into a value of the caller's type: on a
// thread of its own a few batches ahead of the caller, so that the engine's
// work on the next rows and their reading overlap the caller's work on the
// rows before, or on the caller's thread as the caller asks for them. The
// thread ends when the stream is destroyed, and holds at most a few batches.
// A statement that the client cannot read on another thread (a wrapper in
// tests) is always read on the caller's thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "base/handoff_queue.hpp"
#include "staging/db_client.hpp"

namespace korvun {

enum class Fetching { kAhead, kOnCaller };

template <typename Row>
class RowStream {
 public:
  static constexpr size_t kRowsPerBatch = 1024;
  // Batches read ahead at most, besides the one being used and the one
  // being filled.
  static constexpr size_t kBatchesAhead = 4;

  // Reads the current row of the statement; runs on the fetching thread.
  using Reader = std::function<Row(const DbRow&)>;

  // Opens the prepared statement, its parameters set, here, so that its
  // failures are thrown to the caller before a thread starts.
  RowStream(std::unique_ptr<DbStatement> q, Reader read, Fetching fetching = Fetching::kAhead,
            size_t rowsPerBatch = kRowsPerBatch)
      : q_(std::move(q)),
        read_(std::move(read)),
        rowsPerBatch_(rowsPerBatch ? rowsPerBatch : 1),
        ready_(kBatchesAhead) {
    q_->Execute();
    if (fetching == Fetching::kAhead && q_->ReadableOnAnyThread()) thread_ = std::thread([this] { FetchAll(); });
  }
  // Stops the thread and closes the result.
  ~RowStream() {
    if (thread_.joinable()) {
      ready_.Stop();
      thread_.join();
    }
    try {
      q_->CloseResult();
    } catch (...) {
      // Closing after a failure must not hide the failure itself.
    }
  }
  RowStream(const RowStream&) = delete;
  RowStream& operator=(const RowStream&) = delete;

  // Moves to the next row; false after the last. A failure of the fetching
  // or reading is thrown here, after the rows before it.
  bool Next() {
    if (!thread_.joinable()) {
      if (!q_->Fetch()) return false;
      if (batch_.empty()) {
        batch_.push_back(read_(*q_));
      } else {
        batch_[0] = read_(*q_);
      }
      next_ = 1;
      return true;
    }
    if (next_ == batch_.size()) {
      held_ -= batch_.size();
      batch_.clear();
      next_ = 0;
      if (!ready_.Pop(&batch_)) return false;
    }
    ++next_;
    return true;
  }
  // The current row; the caller may move from it.
  Row& Current() { return batch_[next_ - 1]; }

  // The most rows that batches held at one moment: at most kBatchesAhead + 2
  // batches, whatever the result's size.
  size_t MostRowsHeld() const { return mostHeld_; }

 private:
  void FetchAll() {
    try {
      for (bool more = true; more;) {
        std::vector<Row> batch;
        batch.reserve(rowsPerBatch_);
        while (batch.size() < rowsPerBatch_ && (more = q_->Fetch())) batch.push_back(read_(*q_));
        if (batch.empty()) continue;
        Hold(batch.size());
        if (!ready_.Push(std::move(batch))) return;
      }
    } catch (...) {
      ready_.Finish(std::current_exception());
      return;
    }
    ready_.Finish();
  }
  // Counts a batch's rows until the caller is done with it.
  void Hold(size_t rows) {
    const size_t now = held_ += rows;
    size_t most = mostHeld_;
    while (now > most && !mostHeld_.compare_exchange_weak(most, now)) {
    }
  }

  std::unique_ptr<DbStatement> q_;
  const Reader read_;
  const size_t rowsPerBatch_;
  std::vector<Row> batch_;  // being used
  size_t next_ = 0;         // in batch_, after the current row
  HandoffQueue<std::vector<Row>> ready_;
  std::atomic<size_t> held_{0}, mostHeld_{0};
  std::thread thread_;  // none when read on the caller's thread
};

// Prepares `sql`, sets its parameters to the texts in order and opens it;
// `makeReader` makes the reader of its rows from its columns.
template <typename Row, typename MakeReader>
std::unique_ptr<RowStream<Row>> OpenRows(DbConnection& db, const std::string& sql,
                                         const std::vector<std::string>& parameters,
                                         MakeReader makeReader, Fetching fetching,
                                         size_t rowsPerBatch = RowStream<Row>::kRowsPerBatch) {
  auto q = db.Prepare(sql);
  for (int i = 0; i < q->ParameterCount(); ++i) q->SetText(i, parameters.at(static_cast<size_t>(i)));
  typename RowStream<Row>::Reader read = makeReader(static_cast<const DbRow&>(*q));
  return std::make_unique<RowStream<Row>>(std::move(q), std::move(read), fetching, rowsPerBatch);
}

}  // namespace korvun
