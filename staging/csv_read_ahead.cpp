#include "staging/csv_read_ahead.hpp"

#include <limits>
#include <utility>

#include "base/strings.hpp"
#include "staging/value_conversion.hpp"

namespace korvun {
ColumnValue ConvertColumnValue(ColumnKind kind, std::string_view value) {
  ColumnValue v;
  if (value == "Null") return v;
  switch (kind) {
    case ColumnKind::kText:
      v.kind = ColumnValue::Kind::kText;
      break;
    case ColumnKind::kInteger:
      if (const auto number = IntegerColumnValue(value)) {
        if (*number >= std::numeric_limits<int32_t>::min() && *number <= std::numeric_limits<int32_t>::max()) {
          v.kind = ColumnValue::Kind::kInt;
          v.i = static_cast<int32_t>(*number);
        } else {
          v.kind = ColumnValue::Kind::kDouble;
          v.d = *number;
        }
      }
      break;
    case ColumnKind::kFloat:
      if (const auto number = FloatColumnValue(value)) {
        v.kind = ColumnValue::Kind::kDouble;
        v.d = *number;
      }
      break;
  }
  return v;
}

std::string_view LineBatch::Raw(size_t line, size_t entry) const {
  const size_t i = line * entries_ + entry;
  const size_t begin = i == 0 ? 0 : ends_[i - 1];
  return std::string_view(text_).substr(begin, ends_[i] - begin);
}

void LineBatch::Append(const LineBatch& from, size_t line) {
  entries_ = from.entries_;
  for (size_t e = 0; e < entries_; ++e) {
    text_.append(from.Raw(line, e));
    ends_.push_back(static_cast<uint32_t>(text_.size()));
    values_.push_back(from.Value(line, e));
  }
  ++lines_;
}

void LineBatch::Clear() {
  lines_ = 0;
  text_.clear();
  ends_.clear();
  values_.clear();
}

CsvReadAhead::CsvReadAhead(Env& env, const std::string& path, size_t blockSize,
                           std::vector<ReadAheadEntry> entries, bool onThread)
    : reader_(env, path, blockSize), entries_(std::move(entries)), ready_(kBatchesAhead) {
  if (onThread) worker_ = env.StartThread([this] { ReadAll(); });
}

CsvReadAhead::~CsvReadAhead() {
  if (!worker_) return;
  ready_.Stop();
  worker_.reset();
}

bool CsvReadAhead::Fill(LineBatch& b) {
  b.Clear();
  b.entries_ = entries_.size();
  if (pendingFailure_) std::rethrow_exception(std::exchange(pendingFailure_, nullptr));
  std::string_view line;
  try {
    if (!headerSkipped_) {
      headerSkipped_ = true;
      if (!reader_.Next(&line)) return false;
    }
    while (b.lines_ < kBatchLines && b.text_.size() < kBatchTextBytes && reader_.Next(&line)) {
      if (TrimControl(line).empty()) continue;
      SplitFields(line, &fields_);
      for (const ReadAheadEntry& e : entries_) {
        const std::string_view value =
            e.field <= fields_.size() ? TrimControl(fields_[e.field - 1]) : std::string_view();
        b.text_.append(value);
        b.ends_.push_back(static_cast<uint32_t>(b.text_.size()));
        b.values_.push_back(ConvertColumnValue(e.kind, value));
      }
      ++b.lines_;
    }
  } catch (...) {
    // The lines read before a failure are imported first, as line by line.
    if (b.lines_ == 0) throw;
    pendingFailure_ = std::current_exception();
  }
  return b.lines_ > 0;
}

void CsvReadAhead::ReadAll() {
  try {
    for (;;) {
      LineBatch batch;
      if (!Fill(batch)) break;
      if (!ready_.Push(std::move(batch))) return;
    }
  } catch (...) {
    ready_.Finish(std::current_exception());
    return;
  }
  ready_.Finish();
}

bool CsvReadAhead::Next(LineBatch* batch) {
  if (!worker_) return Fill(*batch);
  return ready_.Pop(batch);
}

}  // namespace korvun
