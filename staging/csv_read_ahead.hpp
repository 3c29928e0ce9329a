// The data lines of a CSV file as the importer takes them: split, trimmed
// and converted for their columns, a batch at a time. A large file is read
// on a thread of its own, so that reading and converting the next lines
// overlaps the database's work on the last ones; the database, the error
// log and every callback stay on the caller's thread.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/handoff_queue.hpp"
#include "platform/env.hpp"
#include "staging/csv_text.hpp"
#include "staging/staging_tables.hpp"

namespace korvun {

// A trimmed CSV value as its column takes it.
struct ColumnValue {
  enum class Kind : uint8_t { kNull, kInt, kDouble, kText };
  Kind kind = Kind::kNull;
  int32_t i = 0;
  double d = 0;  // also an integer too large for its column, which the database refuses
};
ColumnValue ConvertColumnValue(ColumnKind kind, std::string_view trimmed);

// Consecutive data lines (blank ones left out), each with one value per
// map entry.
class LineBatch {
 public:
  size_t Lines() const { return lines_; }
  std::string_view Raw(size_t line, size_t entry) const;
  const ColumnValue& Value(size_t line, size_t entry) const { return values_[line * entries_ + entry]; }

  // Lines taken from other batches, for lines kept back a while.
  void Append(const LineBatch& from, size_t line);
  void Clear();

 private:
  friend class CsvReadAhead;
  size_t entries_ = 0;
  size_t lines_ = 0;
  std::string text_;           // the trimmed values, back to back
  std::vector<uint32_t> ends_;  // where each value ends in text_
  std::vector<ColumnValue> values_;
};

// One map entry: the 1-based field it reads and its column's kind.
struct ReadAheadEntry {
  size_t field;
  ColumnKind kind;
};

// What it holds does not depend on the file's size: the reader's block,
// the batch being filled, kBatchesAhead batches waiting and the one taken.
class CsvReadAhead {
 public:
  // A batch ends at this many lines, or once its values reach this many
  // bytes, whichever comes first: wide lines make shorter batches.
  static constexpr size_t kBatchLines = 2048;
  static constexpr size_t kBatchTextBytes = size_t{512} << 10;
  static constexpr size_t kBatchesAhead = 4;

  // Opens the file (std::runtime_error when it cannot). `onThread`: read on
  // a thread of its own, which env starts.
  CsvReadAhead(Env& env, const std::string& path, size_t blockSize, std::vector<ReadAheadEntry> entries,
               bool onThread);
  ~CsvReadAhead();
  CsvReadAhead(const CsvReadAhead&) = delete;
  CsvReadAhead& operator=(const CsvReadAhead&) = delete;

  // The next batch; false after the last line. A failure of the reading is
  // thrown here, where the lines before it have been taken.
  bool Next(LineBatch* batch);

 private:
  bool Fill(LineBatch& batch);  // false when no line was left
  void ReadAll();               // the thread's work

  CsvLineReader reader_;
  const std::vector<ReadAheadEntry> entries_;
  std::vector<std::string_view> fields_;
  bool headerSkipped_ = false;
  std::exception_ptr pendingFailure_;  // after the lines before it

  HandoffQueue<LineBatch> ready_;
  std::unique_ptr<WorkerThread> worker_;  // none when read on the caller's thread
};

}  // namespace korvun
