#include "staging/record_writer.hpp"

#include "staging/column_widths.hpp"

namespace korvun {
namespace {

// Rows of a block: enough that round trips no longer count, few enough that
// a refused block costs little to store line by line.
constexpr int kBlockRows = 128;

void Bind(DbStatement& insert, int parameter, const ColumnValue& value, std::string_view raw) {
  switch (value.kind) {
    case ColumnValue::Kind::kNull: insert.SetNull(parameter); return;
    case ColumnValue::Kind::kInt: insert.SetInt(parameter, value.i); return;
    case ColumnValue::Kind::kDouble: insert.SetDouble(parameter, value.d); return;
    case ColumnValue::Kind::kText: insert.SetTextView(parameter, raw); return;
  }
}

}  // namespace

RecordWriter::RecordWriter(DbConnection& db, const StagingTable& table, std::vector<size_t> columns,
                           bool inBlocks, ImportErrorLog& log, CsvImportResult& result,
                           std::function<void(long long, long long)> afterRecord)
    : table_(table),
      columns_(std::move(columns)),
      log_(log),
      result_(result),
      afterRecord_(std::move(afterRecord)) {
  // The insert names every written column in table order: a column's place
  // is its parameter.
  insert_ = db.Prepare(InsertSql(table_));
  for (int i = 0; i < insert_->ParameterCount(); ++i) insert_->SetNull(i);

  if (inBlocks) blockShape_ = MakeInsertBlock(table_, TextColumnWidths(db, table_), kBlockRows);
  if (blockShape_.rows > 0) {
    block_ = db.Prepare(blockShape_.sql);
    for (int i = 0; i < block_->ParameterCount(); ++i) block_->SetNull(i);
  }
}

void RecordWriter::Accepted(const LineBatch& batch, size_t line) {
  if (!block_) {
    StoreNow(batch, line);
    return;
  }
  order_.push_back(static_cast<int>(pending_.Lines()));
  pending_.Append(batch, line);
  if (static_cast<int>(pending_.Lines()) == blockShape_.rows) Flush();
}

void RecordWriter::Dropped() {
  if (order_.empty()) {
    Counted();
  } else {
    order_.push_back(-1);
  }
}

void RecordWriter::Finish() { Flush(); }

void RecordWriter::Flush() {
  if (order_.empty()) return;
  bool stored = false;
  if (block_ && static_cast<int>(pending_.Lines()) == blockShape_.rows) {
    const size_t width = table_.columns.size();
    try {
      for (size_t row = 0; row < pending_.Lines(); ++row)
        for (size_t e = 0; e < columns_.size(); ++e)
          Bind(*block_, static_cast<int>(row * width + columns_[e]), pending_.Value(row, e), pending_.Raw(row, e));
      block_->Execute();
      stored = true;
    } catch (const DbError&) {
      // Some line of the block is refused; line by line finds which.
    }
  }
  for (int place : order_) {
    if (place < 0) {
      Counted();
    } else if (!stored) {
      StoreNow(pending_, static_cast<size_t>(place));
    } else {
      ++result_.stored;
      Counted();
    }
  }
  pending_.Clear();
  order_.clear();
}

void RecordWriter::StoreNow(const LineBatch& batch, size_t line) {
  try {
    for (size_t e = 0; e < columns_.size(); ++e)
      Bind(*insert_, static_cast<int>(columns_[e]), batch.Value(line, e), batch.Raw(line, e));
    insert_->Execute();
  } catch (const DbError& e) {
    // The record is lost, the import goes on; the log says why.
    log_.Failure(e.what());
    ++result_.failed;
    return;
  }
  ++result_.stored;
  Counted();
}

void RecordWriter::Counted() {
  ++result_.handled;
  if (afterRecord_) afterRecord_(result_.handled, result_.lines);
}

}  // namespace korvun
