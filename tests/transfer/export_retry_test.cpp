// The export run's two requests against the simulator, as it saw them: the
// import stage is the only stage replaced here.
#include <gtest/gtest.h>

#include <ctime>

#include "plugin/export_run.hpp"
#include "base/ole_date.hpp"
#include "plugin/settings.hpp"
#include "tests/support/fake_env.hpp"
#include "tests/transfer/sim_fixture.hpp"

namespace korvun {
namespace {

using testing::ListDir;
using testing::LocalYmd;
using testing::TempDir;

// Everything real but the import stage, which only notes that it ran.
class DownloadOnlyStages : public RunStages {
 public:
  Status EnsureDatabaseServer(RunContext&, const std::string&) override { return Status::Ok(); }
  std::string HoldingsParams(const std::string& l, const std::string& p,
                             const std::string& t) override {
    return ProductionStages().HoldingsParams(l, p, t);
  }
  std::string TransactionsParams(const std::string& l, const std::string& p, const std::string& s,
                                 const std::string& t) override {
    return ProductionStages().TransactionsParams(l, p, s, t);
  }
  int EncodeRequestParams(Env& env, std::string& params) override {
    return ProductionStages().EncodeRequestParams(env, params);
  }
  Status FetchDataFile(RunContext& ctx, const FetchRequest& request) override {
    return ProductionStages().FetchDataFile(ctx, request);
  }
  Status RunImport(RunContext&, const ImportRequest&) override {
    ++imports;
    return Status::Ok();
  }
  int imports = 0;
};

class ExportDownloads : public testing::SimTest {
 protected:
  ExportErrorCode Run(double lastImport) {
    std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    env_.now = {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
    env_.SetString(kSettingsKey, "DownloadSrvUrl", Sim().Url());
    env_.SetString(kSettingsKey, "DataDir", data_.Path());
    env_.SetString(kSettingsKey, "Timeout", "30");
    module_.reporter.SetCallback(&testing::RecordProgress);
    lastImport_ = lastImport;
    xmlDir_ = xml_.Path();
    ExportArgs args;
    args.xmlDir = xmlDir_.c_str();
    args.beraterRef = "12345-678";
    args.lastImportDate = &lastImport_;
    args.accessText =
        "UserLogin=ZUVTEST\r\nPassword=geheim\r\nEmbeddedIBServer=TRUE\r\nNoMessageBoxes=TRUE\r\n"
        "VersionLastUsed=2.2.2";
    return RunExport(env_, rc_.ui, module_, stages_, args).code();
  }
  // "key":"value" pairs of the simulator's request log.
  static bool Has(const std::string& line, const std::string& key, const std::string& value) {
    return line.find("\"" + key + "\":\"" + value + "\"") != std::string::npos;
  }

  testing::FakeEnv env_;
  ModuleState module_;
  DownloadOnlyStages stages_;
  TempDir data_, xml_;
  std::string xmlDir_;
  double lastImport_ = 0;
};

TEST_F(ExportDownloads, BothFilesLandInTheDataDirectory) {
  StartSim();
  EXPECT_EQ(Run(OleFromCivil({2012, 3, 15})), ExportErrorCode::kSuccess);
  EXPECT_EQ(stages_.imports, 1);
  EXPECT_EQ(ListDir(data_.Path()), (std::vector<std::string>{"bestaende.csv", "transaktionen.csv"}));
  const auto log = Sim().LogLines();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_TRUE(Has(log[0], "file", "bestaende"));
  EXPECT_TRUE(Has(log[1], "file", "transaktionen"));
  EXPECT_TRUE(Has(log[1], "startdate", "20120308"));
  EXPECT_TRUE(Has(log[1], "timestamp", LocalYmd()));
}

TEST_F(ExportDownloads, RejectedTimestampIsRetriedWithTomorrow) {
  sim::SimulatorOptions options;
  options.todayOffset = 1;  // the provider's clock is a day ahead
  StartSim("", options);
  EXPECT_EQ(Run(OleFromCivil({2012, 3, 15})), ExportErrorCode::kSuccess);
  const auto log = Sim().LogLines();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_TRUE(Has(log[0], "timestamp", LocalYmd(0)));
  EXPECT_TRUE(Has(log[0], "answer", "Fehler 20 - Zeitstempel " + LocalYmd(0) + " ung\\u00fcltig"));
  EXPECT_TRUE(Has(log[1], "timestamp", LocalYmd(1)));
  EXPECT_TRUE(Has(log[1], "answer", "zip"));
  EXPECT_TRUE(Has(log[2], "file", "transaktionen"));
  EXPECT_TRUE(Has(log[2], "timestamp", LocalYmd(1)));
}

TEST_F(ExportDownloads, ThreeRejectionsEndTheRunWithoutTransactions) {
  sim::SimulatorOptions options;
  options.todayOffset = 5;
  StartSim("", options);
  EXPECT_EQ(Run(OleFromCivil({2012, 3, 15})), ExportErrorCode::kProviderTimestamp);
  EXPECT_EQ(module_.errors.code, 20);
  EXPECT_EQ(stages_.imports, 0);
  const auto log = Sim().LogLines();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_TRUE(Has(log[0], "timestamp", LocalYmd(0)));
  EXPECT_TRUE(Has(log[1], "timestamp", LocalYmd(1)));
  EXPECT_TRUE(Has(log[2], "timestamp", LocalYmd(-1)));
  for (const auto& line : log) EXPECT_TRUE(Has(line, "file", "bestaende"));
  EXPECT_TRUE(ListDir(data_.Path()).empty());
}

TEST_F(ExportDownloads, FirstImportSendsZeroStartDate) {
  StartSim();
  EXPECT_EQ(Run(0), ExportErrorCode::kSuccess);
  const auto log = Sim().LogLines();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_TRUE(Has(log[1], "startdate", "00000000"));
}

}  // namespace
}  // namespace korvun
