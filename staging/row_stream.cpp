#include "staging/row_stream.hpp"

namespace korvun {
namespace {

constexpr size_t kBatchesAhead = 4;

}  // namespace

RowStream::RowStream(DbConnection& db, const std::string& sql, size_t rowsPerBatch)
    : q_(db.Prepare(sql)), rowsPerBatch_(rowsPerBatch ? rowsPerBatch : 1), ready_(kBatchesAhead) {
  q_->Execute();
  if (q_->NewRowCopies()) {
    thread_ = std::thread([this] { FetchAll(); });
  } else {
    row_ = q_.get();
  }
}

RowStream::~RowStream() {
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

void RowStream::FetchAll() {
  try {
    for (bool more = true; more;) {
      std::unique_ptr<DbRowCopies> batch = q_->NewRowCopies();
      while (batch->Kept() < rowsPerBatch_ && (more = q_->Fetch())) batch->Keep();
      if (batch->Kept() > 0 && !ready_.Push(std::move(batch))) return;
    }
  } catch (...) {
    ready_.Finish(std::current_exception());
    return;
  }
  ready_.Finish();
}

bool RowStream::Next() {
  if (!thread_.joinable()) return q_->Fetch();
  if (!batch_ || next_ == batch_->Kept()) {
    batch_.reset();
    if (!ready_.Pop(&batch_)) return false;
    next_ = 0;
  }
  batch_->Show(next_++);
  row_ = batch_.get();
  return true;
}

}  // namespace korvun
