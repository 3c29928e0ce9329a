// What the staging code needs of a SQL database: attach, one transaction,
// statements with named parameters prepared once and executed many times,
// forward-only results. The Firebird client implements it; tests may wrap it
// to inject failures.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace korvun {

// Every database failure, with the server's message text.
class DbError : public std::runtime_error {
 public:
  explicit DbError(const std::string& message, long engineCode = 0)
      : std::runtime_error(message), engineCode_(engineCode) {}
  // The engine's first error code, 0 when the failure is not the engine's.
  long engineCode() const { return engineCode_; }

 private:
  long engineCode_;
};

// The columns of a current row, by position (DbStatement::ColumnIndex).
class DbRow {
 public:
  virtual ~DbRow() = default;
  // Position of a column by name, for the reads below.
  virtual int ColumnIndex(const std::string& column) const = 0;
  virtual bool IsNullAt(int column) const = 0;
  virtual std::string AsTextAt(int column) const = 0;
  virtual int64_t AsIntAt(int column) const = 0;
  virtual double AsDoubleAt(int column) const = 0;
};

class DbStatement : public DbRow {
 public:
  // Parameters, by the 0-based position of their marker in the statement.
  virtual int ParameterCount() const = 0;
  // Position of the first parameter named ":name" (compared without regard
  // to case), or -1.
  virtual int ParameterIndex(const std::string& name) const = 0;
  virtual void SetNull(int index) = 0;
  virtual void SetInt(int index, int32_t value) = 0;
  virtual void SetDouble(int index, double value) = 0;
  // Text in ISO 8859-1; cut to the column's width.
  virtual void SetText(int index, const std::string& value) = 0;
  // The same without a string of its own, for callers that hold a view into
  // a larger buffer.
  virtual void SetTextView(int index, std::string_view value) { SetText(index, std::string(value)); }

  // Runs the statement with the current parameters. A select opens its
  // result; Fetch then moves through it.
  virtual void Execute() = 0;
  // Next row of an open result; false at the end (the result is then closed).
  virtual bool Fetch() = 0;
  virtual void CloseResult() = 0;

  // Columns of the current row, by name (compared without regard to case).
  virtual bool IsNull(const std::string& column) const = 0;
  // An integer as its decimal digits, a null value as the empty text.
  virtual std::string AsText(const std::string& column) const = 0;
  virtual int64_t AsInt(const std::string& column) const = 0;
  virtual double AsDouble(const std::string& column) const = 0;

  // The same by position, for reading many rows: ColumnIndex once, then the
  // reads below in every row; a column that is not there fails when read.
  // By default they go by name, so a statement that wraps another needs
  // nothing more; the client reads by position.
  int ColumnIndex(const std::string& column) const override {
    for (size_t i = 0; i < names_.size(); ++i)
      if (names_[i] == column) return static_cast<int>(i);
    names_.push_back(column);
    return static_cast<int>(names_.size()) - 1;
  }
  bool IsNullAt(int column) const override { return IsNull(names_.at(static_cast<size_t>(column))); }
  std::string AsTextAt(int column) const override { return AsText(names_.at(static_cast<size_t>(column))); }
  int64_t AsIntAt(int column) const override { return AsInt(names_.at(static_cast<size_t>(column))); }
  double AsDoubleAt(int column) const override { return AsDouble(names_.at(static_cast<size_t>(column))); }

  // True when the statement may be fetched and read on another thread than
  // the one that opened it (one thread at a time); by default the opening
  // thread reads it.
  virtual bool ReadableOnAnyThread() const { return false; }

 private:
  mutable std::vector<std::string> names_;  // of the default ColumnIndex
};

// Whether a statement that meets a lock of another attachment waits for it
// to go or fails at once.
enum class LockWait { kWait, kNoWait };

class DbConnection {
 public:
  virtual ~DbConnection() = default;
  // Starts a transaction with the server's defaults, or one that does not
  // wait for locks (for changes to the tables, which another attachment
  // may hold for as long as it likes).
  void StartTransaction() { StartTransaction(LockWait::kWait); }
  virtual void StartTransaction(LockWait wait) = 0;
  virtual void ExecuteImmediate(const std::string& sql) = 0;
  // Statement text with ":NAME" parameter markers.
  virtual std::unique_ptr<DbStatement> Prepare(const std::string& sql) = 0;
  virtual void CommitRetaining() = 0;
  virtual void Commit() = 0;
  virtual void Rollback() = 0;
  virtual void Detach() = 0;
  // True when every call is a round trip to a server, so that work is worth
  // gathering into fewer calls.
  virtual bool Remote() const { return false; }
  // A second attachment to the same database, for reading on another thread
  // while this one is busy (the engine takes one call of an attachment at a
  // time); null where there is none.
  virtual std::unique_ptr<DbConnection> AttachAgain() { return nullptr; }
};

}  // namespace korvun
