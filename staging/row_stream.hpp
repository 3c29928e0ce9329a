// The rows of a select, read a batch at a time into values of the caller's
// type: on a thread of its own a few batches ahead of the caller, so that
// the engine's work on the next rows and their reading overlap the caller's
// work on the rows before, or on the caller's thread when the caller has
// used up a batch. The thread ends when the stream is destroyed; a stream
// holds a few batches at most. A statement that the client cannot read on
// another thread (a wrapper in tests that does not say otherwise) is always
// read on the caller's thread.
//
// Streams of one connection may share a lock that each holds for a whole
// batch: the client would otherwise let two threads take turns at every
// single row, each turn a sleep and a wake-up.
#pragma once

#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "base/handoff_queue.hpp"
#include "platform/env.hpp"
#include "staging/db_client.hpp"

namespace korvun {

// Where a stream's rows are fetched: on the caller's thread, or ahead on a
// thread that `threads` starts.
struct Fetching {
  static Fetching OnCaller() { return {}; }
  static Fetching Ahead(Env& threads) { return {&threads}; }
  Env* threads = nullptr;  // null: on the caller's thread
};

template <typename Row>
class RowStream {
 public:
  static constexpr size_t kRowsPerBatch = 1024;
  // Batches read ahead at most, besides the one being used and the one
  // being filled.
  static constexpr size_t kBatchesAhead = 4;

  // Reads the current row of the statement; runs on the reading thread.
  using Reader = std::function<Row(const DbRow&)>;

  // Opens the prepared statement, its parameters set, here, so that its
  // failures are thrown to the caller before a thread starts. `turns`: the
  // lock the connection's streams share, or null.
  RowStream(std::unique_ptr<DbStatement> q, Reader read, Fetching fetching = Fetching::OnCaller(),
            size_t rowsPerBatch = kRowsPerBatch, std::mutex* turns = nullptr)
      : q_(std::move(q)),
        read_(std::move(read)),
        rowsPerBatch_(rowsPerBatch ? rowsPerBatch : 1),
        turns_(turns),
        ready_(kBatchesAhead) {
    {
      Turn turn(turns_);
      q_->Execute();
    }
    if (fetching.threads && q_->ReadableOnAnyThread())
      worker_ = fetching.threads->StartThread([this] { FetchAll(); });
  }
  // Stops the thread and closes the result.
  ~RowStream() {
    if (worker_) {
      ready_.Stop();
      worker_.reset();
    }
    try {
      Turn turn(turns_);
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
    if (next_ == batch_.size()) {
      held_ -= batch_.size();
      batch_.clear();
      next_ = 0;
      if (worker_) {
        if (!ready_.Pop(&batch_)) return false;
      } else {
        if (!more_ || !Fill(batch_)) return false;
        Hold(batch_.size());
      }
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
  struct Turn {
    explicit Turn(std::mutex* m) : m_(m) {
      if (m_) m_->lock();
    }
    ~Turn() {
      if (m_) m_->unlock();
    }
    std::mutex* m_;
  };

  // Reads up to a batch of rows; false when there was none.
  bool Fill(std::vector<Row>& batch) {
    Turn turn(turns_);
    batch.reserve(rowsPerBatch_);
    while (batch.size() < rowsPerBatch_ && (more_ = q_->Fetch())) batch.push_back(read_(*q_));
    return !batch.empty();
  }
  void FetchAll() {
    try {
      for (;;) {
        std::vector<Row> batch;
        if (!more_ || !Fill(batch)) break;
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
  std::mutex* const turns_;
  bool more_ = true;        // rows may follow; used by the reading thread only
  std::vector<Row> batch_;  // being used
  size_t next_ = 0;         // in batch_, after the current row
  HandoffQueue<std::vector<Row>> ready_;
  std::atomic<size_t> held_{0}, mostHeld_{0};
  std::unique_ptr<WorkerThread> worker_;  // none when read on the caller's thread
};

// Prepares `sql`, sets its parameters to the texts in order and opens it;
// `makeReader` makes the reader of its rows from its columns.
template <typename Row, typename MakeReader>
std::unique_ptr<RowStream<Row>> OpenRows(DbConnection& db, const std::string& sql,
                                         const std::vector<std::string>& parameters,
                                         MakeReader makeReader, Fetching fetching,
                                         size_t rowsPerBatch = RowStream<Row>::kRowsPerBatch,
                                         std::mutex* turns = nullptr) {
  auto q = db.Prepare(sql);
  for (int i = 0; i < q->ParameterCount(); ++i) q->SetText(i, parameters.at(static_cast<size_t>(i)));
  typename RowStream<Row>::Reader read = makeReader(static_cast<const DbRow&>(*q));
  return std::make_unique<RowStream<Row>>(std::move(q), std::move(read), fetching, rowsPerBatch, turns);
}

}  // namespace korvun
