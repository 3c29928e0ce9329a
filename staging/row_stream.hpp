// The rows of a select, fetched on a thread of its own while the caller
// works on the rows before: the engine's work on the next rows overlaps the
// caller's. The thread only fetches and copies the rows (DbRowCopies); the
// caller reads them, and keeps the callbacks. A statement that copies no
// rows (a wrapper in tests) is read on the caller's thread as it fetches.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <thread>

#include "base/handoff_queue.hpp"
#include "staging/db_client.hpp"

namespace korvun {

class RowStream {
 public:
  static constexpr size_t kRowsPerBatch = 1024;

  // Prepares and opens the statement here, so that its failures are thrown
  // to the caller before the thread starts.
  RowStream(DbConnection& db, const std::string& sql, size_t rowsPerBatch = kRowsPerBatch);
  // Stops the thread and closes the result.
  ~RowStream();
  RowStream(const RowStream&) = delete;
  RowStream& operator=(const RowStream&) = delete;

  // Where the result's columns are (DbRow::ColumnIndex), before any row.
  const DbRow& Columns() const { return *q_; }
  // Moves to the next row; false after the last. A failure of the fetching
  // is thrown here, after the rows before it.
  bool Next();
  // The current row.
  const DbRow& Row() const { return *row_; }

 private:
  void FetchAll();  // the thread's work

  std::unique_ptr<DbStatement> q_;
  const size_t rowsPerBatch_;
  const DbRow* row_ = nullptr;
  std::unique_ptr<DbRowCopies> batch_;  // being read
  size_t next_ = 0;                     // in batch_
  HandoffQueue<std::unique_ptr<DbRowCopies>> ready_;
  std::thread thread_;  // none when the statement copies no rows
};

}  // namespace korvun
