// The workers of the staging code, driven directly through a platform that
// counts its threads: a failure on the worker reaches the caller after what
// came before it, and a reader destroyed early, while its worker is still
// busy, stops the worker and waits for it.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include "staging/csv_read_ahead.hpp"
#include "staging/row_stream.hpp"
#include "staging_test_support.hpp"
#include "support/hang_guard.hpp"
#include "tests/support/statement_without_parameters.hpp"
#include "tests/hardening/fault_env.hpp"

namespace korvun {
namespace {

using testing::FaultEnv;
using testing::FaultPlan;

// What the statement below did, kept after the stream destroyed it.
struct FetchLog {
  std::atomic<int> fetches{0}, fetchesAfterClose{0};
  std::atomic<bool> closed{false};
};

// Rows numbered from 1 that another thread may fetch; fetching row `failAt`
// fails, as a lost connection does, and each fetch takes `fetchTime`.
class NumberedRows : public testing::StatementWithoutParameters {
 public:
  NumberedRows(FetchLog& log, int rows, int failAt, std::chrono::microseconds fetchTime = {})
      : log_(log), rows_(rows), failAt_(failAt), fetchTime_(fetchTime) {}
  bool Fetch() override {
    std::this_thread::sleep_for(fetchTime_);
    if (log_.closed) ++log_.fetchesAfterClose;
    const int row = ++log_.fetches;
    if (row == failAt_) throw DbError("Verbindung zum Server verloren");
    return row <= rows_;
  }
  void CloseResult() override { log_.closed = true; }
  bool IsNull(const std::string&) const override { return false; }
  std::string AsText(const std::string&) const override { return {}; }
  int64_t AsInt(const std::string&) const override { return log_.fetches; }
  int64_t AsIntAt(int) const override { return log_.fetches; }
  double AsDouble(const std::string&) const override { return 0; }
  bool ReadableOnAnyThread() const override { return true; }

 private:
  FetchLog& log_;
  const int rows_, failAt_;
  const std::chrono::microseconds fetchTime_;
};

using Numbers = RowStream<int>;
constexpr size_t kRowsPerBatch = 100;

std::unique_ptr<Numbers> OpenNumbers(FetchLog& log, int rows, int failAt, Fetching fetching,
                                     std::chrono::microseconds fetchTime = {}) {
  return std::make_unique<Numbers>(std::make_unique<NumberedRows>(log, rows, failAt, fetchTime),
                                   [](const DbRow& row) { return static_cast<int>(row.AsIntAt(0)); },
                                   fetching, kRowsPerBatch);
}

TEST(RowStreamWorker, FailureFollowsTheRowsBeforeIt) {
  test::HangGuard guard("row stream failure");
  FaultPlan plan;
  FaultEnv env(&Env::Default(), plan);
  for (const bool onWorker : {false, true}) {
    SCOPED_TRACE(onWorker ? "on the worker" : "on the caller's thread");
    FetchLog log;
    auto rows = OpenNumbers(log, 5000, 3001, onWorker ? Fetching::Ahead(env) : Fetching::OnCaller());
    int taken = 0;
    try {
      while (rows->Next()) EXPECT_EQ(rows->Current(), ++taken);
      ADD_FAILURE() << "the failed fetch was not reported";
    } catch (const DbError& e) {
      EXPECT_STREQ(e.what(), "Verbindung zum Server verloren");
    }
    EXPECT_EQ(taken, 3000);
    EXPECT_EQ(env.threadsStarted.load(), onWorker ? 1 : 0);
  }
  EXPECT_EQ(env.threadsRunning.load(), 0);
}

// Destroyed before its first row or after a few: the worker fetched a few
// batches at most, ended before the result was closed, and is gone.
TEST(RowStreamWorker, DestroyedEarlyStopsTheWorker) {
  test::HangGuard guard("row stream destroyed early");
  FaultPlan plan;
  FaultEnv env(&Env::Default(), plan);
  for (const int taken : {0, 10}) {
    SCOPED_TRACE(taken);
    FetchLog log;
    auto rows = OpenNumbers(log, 100000, 0, Fetching::Ahead(env), std::chrono::microseconds(100));
    for (int i = 0; i < taken; ++i) ASSERT_TRUE(rows->Next());
    rows.reset();
    EXPECT_LE(log.fetches.load(), static_cast<int>((Numbers::kBatchesAhead + 3) * kRowsPerBatch));
    EXPECT_TRUE(log.closed.load());
    EXPECT_EQ(log.fetchesAfterClose.load(), 0);
    EXPECT_EQ(env.threadsRunning.load(), 0);
  }
  EXPECT_EQ(env.threadsStarted.load(), 2);
}

class CsvReadAheadWorker : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string csv = "NR;TEXT\r\n";
    for (int i = 1; i <= 60000; ++i) csv += std::to_string(i) + ";Zeile\r\n";
    test::WriteFile(path_, csv);
  }
  CsvReadAhead Open(bool onThread) {
    return CsvReadAhead(env_, path_, 4096, {{1, ColumnKind::kInteger}}, onThread);
  }

  test::TempDir dir_;
  const std::string path_ = dir_.File("zeilen.csv");
  FaultPlan plan_;
  FaultEnv env_{&Env::Default(), plan_};
};

// The file is opened, then its 20th read fails.
TEST_F(CsvReadAheadWorker, ReadFailureFollowsTheLinesBeforeIt) {
  test::HangGuard guard("read-ahead failure");
  int lines[2] = {0, 0};
  for (const bool onThread : {false, true}) {
    SCOPED_TRACE(onThread ? "on the worker" : "on the caller's thread");
    plan_.Reset(21);
    CsvReadAhead reader = Open(onThread);
    LineBatch batch;
    int& taken = lines[onThread];
    try {
      while (reader.Next(&batch))
        for (size_t line = 0; line < batch.Lines(); ++line) EXPECT_EQ(batch.Value(line, 0).i, ++taken);
      ADD_FAILURE() << "the failed read was not reported";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()), "Die Datei " + path_ + " kann nicht gelesen werden.");
    }
    EXPECT_EQ(plan_.failed, "read");
  }
  EXPECT_GT(lines[0], 2048);
  EXPECT_EQ(lines[1], lines[0]);
  EXPECT_EQ(env_.threadsStarted.load(), 1);
  EXPECT_EQ(env_.threadsRunning.load(), 0);
}

// Destroyed before its first batch or after one: the worker read a few
// batches at most and is gone.
TEST_F(CsvReadAheadWorker, DestroyedEarlyStopsTheWorker) {
  test::HangGuard guard("read-ahead destroyed early");
  plan_.Reset(0);
  {
    CsvReadAhead whole = Open(false);
    LineBatch batch;
    while (whole.Next(&batch)) {
    }
  }
  const long wholeFile = plan_.fileOps;
  for (const int taken : {0, 1}) {
    SCOPED_TRACE(taken);
    plan_.Reset(0);
    {
      CsvReadAhead reader = Open(true);
      LineBatch batch;
      for (int i = 0; i < taken; ++i) ASSERT_TRUE(reader.Next(&batch));
    }
    EXPECT_LT(plan_.fileOps, wholeFile / 2);
    EXPECT_EQ(env_.threadsRunning.load(), 0);
  }
}

}  // namespace
}  // namespace korvun
