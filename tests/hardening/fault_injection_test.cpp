// Every file operation and database call of one small export fails in turn,
// until a run passes with no fault left; the transactions are fetched on a
// worker, so some of the faults meet it there. Each run must end with a result
// code and its message, keep the previous import file, leave no temporary
// file and leave the staging database usable.
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

TEST(FaultInjection, EveryFileOperationAndDatabaseCallFailsInTurn) {
  ExportScene scene("faults", 1);
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

  long injected = 0, endedWithCode = 0;
  for (long n = 1;; n += kStride) {
    plan.Reset(n);
    const std::string previous = scene.ReadXml();
    const int32_t code = scene.Run(env, *ui, wrap);
    if (plan.failed.empty()) {
      EXPECT_EQ(code, 0) << "no fault left, yet " << scene.Message(code);
      break;
    }
    ++injected;
    SCOPED_TRACE("operation " + std::to_string(n) + " (" + plan.failed + ") failed, result " +
                 std::to_string(code));
    if (code != 0) {
      ++endedWithCode;
      EXPECT_FALSE(scene.Message(code).empty());
      EXPECT_EQ(scene.ReadXml(), previous);
    } else {
      // A refused line or a file left behind does not stop a run.
      EXPECT_TRUE(scene.XmlComplete());
    }
    EXPECT_EQ(scene.LeftOvers(), std::vector<std::string>{});
    EXPECT_EQ(scene.StagingProblem(), "");
    EXPECT_EQ(env.threadsRunning.load(), 0);
    ASSERT_LT(n, 20000) << "the run never ran out of operations";
  }
  EXPECT_EQ(injected, (fileOps + dbCalls + kStride - 1) / kStride);
  std::cout << "[ figures  ] " << fileOps << " file operations and " << dbCalls
            << " database calls per run; " << injected << " faults injected, " << injected
            << " survived (" << endedWithCode << " ended with a result code, "
            << injected - endedWithCode << " were absorbed and the run succeeded)\n";
}

}  // namespace
}  // namespace korvun::testing
