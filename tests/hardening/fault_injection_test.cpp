// Every file operation and database call of one small export fails in turn,
// until a run passes with no fault left; the transactions are fetched on a
// worker, so some of the faults meet it there. A second walk reads the CSV
// files on the import's worker as well, so that its reads fail there. Each
// run must end with a result code and its message, keep the previous import
// file, leave no temporary file and leave the staging database usable.
#include <gtest/gtest.h>

#include <iostream>

#include "tests/hardening/export_scene.hpp"
#include "tests/hardening/fault_db.hpp"
#include "tests/hardening/fault_env.hpp"

namespace korvun::testing {
namespace {

// The sanitizer build, several times slower, fails every third operation.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kStride = 3;
#else
constexpr long kStride = 1;
#endif

// Whether the import reads every CSV file ahead on its worker.
class FaultInjection : public ::testing::TestWithParam<bool> {};

TEST_P(FaultInjection, EveryFileOperationAndDatabaseCallFailsInTurn) {
  const bool readAheadOnWorker = GetParam();
  ExportScene scene("faults", 1);
  if (readAheadOnWorker) scene.importReadAheadLines = 0;
  const auto ui = MakeSilentUi();
  FaultPlan plan;
  FaultEnv env(&Env::Default(), plan);
  const StagingConnectionWrap wrap = [&plan](std::unique_ptr<DbConnection> db) {
    return std::make_unique<FaultConnection>(std::move(db), plan);
  };

  ASSERT_EQ(scene.Run(env, *ui, wrap), 0) << scene.Message(-40);
  ASSERT_TRUE(scene.XmlComplete());
  ASSERT_GT(env.threadsStarted.load(), 0);
  const long fileOps = plan.fileOps, dbCalls = plan.dbCalls;
  const std::string whole = scene.ReadXml();

  long injected = 0, endedWithCode = 0, fileFaultsOnWorkers = 0;
  for (long n = 1;; n += kStride) {
    plan.Reset(n);
    const std::string previous = scene.ReadXml();
    const int32_t code = scene.Run(env, *ui, wrap);
    if (plan.failed.empty()) {
      EXPECT_EQ(code, 0) << "no fault left, yet " << scene.Message(code);
      break;
    }
    ++injected;
    if (plan.failedFile && plan.failedOnWorker) ++fileFaultsOnWorkers;
    // A refused second attachment only slows the XML stage.
    const bool secondAttachmentRefused = plan.failed == "attach again";
    const bool costsNoData = plan.failedFile || secondAttachmentRefused;
    SCOPED_TRACE("operation " + std::to_string(n) + " (" + plan.failed + ") failed, result " +
                 std::to_string(code));
    if (secondAttachmentRefused) {
      EXPECT_EQ(code, 0) << scene.Message(code);
    }
    if (code != 0) {
      ++endedWithCode;
      EXPECT_FALSE(scene.Message(code).empty());
      EXPECT_EQ(scene.ReadXml(), previous);
    } else {
      // A refused line or a file left behind does not stop a run; a file
      // operation that fails without stopping it costs no data.
      EXPECT_TRUE(scene.XmlComplete());
      if (costsNoData) {
        EXPECT_TRUE(scene.ReadXml() == whole) << "the import file differs from the one without faults";
      }
    }
    EXPECT_EQ(scene.LeftOvers(), std::vector<std::string>{});
    EXPECT_EQ(scene.StagingProblem(), "");
    EXPECT_EQ(env.threadsRunning.load(), 0);
    ASSERT_LT(n, 20000) << "the run never ran out of operations";
  }
  EXPECT_EQ(injected, (fileOps + dbCalls + kStride - 1) / kStride);
  // Only the import's worker reads files away from the run's thread; a walk
  // that skips operations may miss its few reads.
  if (kStride == 1) {
    EXPECT_EQ(fileFaultsOnWorkers > 0, readAheadOnWorker) << fileFaultsOnWorkers;
  }
  std::cout << "[ figures  ] " << fileOps << " file operations and " << dbCalls
            << " database calls per run; " << injected << " faults injected, " << injected
            << " survived (" << endedWithCode << " ended with a result code, "
            << injected - endedWithCode << " were absorbed and the run succeeded)\n";
}

INSTANTIATE_TEST_SUITE_P(ReadAhead, FaultInjection, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "OnWorker" : "WhereFilesAreLarge"; });

}  // namespace
}  // namespace korvun::testing
