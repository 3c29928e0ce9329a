#include <gtest/gtest.h>

#include <deque>
#include <stdexcept>

#include "plugin/export_run.hpp"
#include "plugin/host_progress.hpp"
#include "base/ole_date.hpp"
#include "tests/support/fake_env.hpp"
#include "tests/support/progress_recorder.hpp"
#include "tests/support/recording_ui.hpp"
#include "tests/support/status_printing.hpp"

namespace korvun {
namespace {

using testing::FakeEnv;
using testing::ProgressEvent;
using testing::RecordedProgress;
using testing::RecordingUi;

// Stages that record what the run asked and answer from a script.
class ScriptedStages : public RunStages {
 public:
  std::string serverMessage;
  int encodeStatus = 0;
  int failEncodeOnCall = -1;  // 0-based call number that fails
  std::deque<Status> fetchResults;  // success once exhausted
  Status importResult;
  bool importThrows = false;

  std::vector<std::string> calls;
  std::vector<FetchRequest> fetches;
  std::vector<ImportRequest> imports;
  int encodeCalls = 0;

  Status EnsureDatabaseServer(RunContext&, const std::string&) override {
    calls.push_back("server");
    if (serverMessage.empty()) return Status::Ok();
    return Status(ExportErrorCode::kDatabaseServer).WithDetailText(serverMessage);
  }
  std::string HoldingsParams(const std::string& login, const std::string& pin,
                             const std::string& ts) override {
    return "H|" + login + "|" + pin + "|" + ts;
  }
  std::string TransactionsParams(const std::string& login, const std::string& pin,
                                 const std::string& start, const std::string& ts) override {
    return "T|" + login + "|" + pin + "|" + start + "|" + ts;
  }
  int EncodeRequestParams(Env&, std::string& params) override {
    calls.push_back("encode");
    if (encodeCalls++ == failEncodeOnCall) return encodeStatus;
    params = "enc(" + params + ")";
    return 0;
  }
  Status FetchDataFile(RunContext&, const FetchRequest& r) override {
    calls.push_back("fetch:" + r.archiveName);
    fetches.push_back(r);
    if (fetchResults.empty()) return Status::Ok();
    Status result = fetchResults.front();
    fetchResults.pop_front();
    return result;
  }
  Status RunImport(RunContext&, const ImportRequest& r) override {
    calls.push_back("import");
    imports.push_back(r);
    if (importThrows) throw std::runtime_error("Datei /x/ZUV.XML kann nicht erstellt werden");
    return importResult;
  }
};

const Status kTimestamp = ExportErrorCode::kProviderTimestamp;

class ExportRunTest : public ::testing::Test {
 protected:
  FakeEnv env;  // today is 2026-12-07
  RecordingUi ui;
  ModuleState module;
  ScriptedStages stages;
  double lastImport = 0;

  void SetUp() override {
    RecordedProgress().clear();
    module.reporter.SetCallback(testing::RecordProgress);
  }

  ExportErrorCode Run(const char* access, const char* ref = "12345-678") {
    ExportArgs args{"/srv/korvun/xml_temp", ref, 0, &lastImport, access};
    return RunExportGuarded(env, ui, module, stages, args);
  }
  static double Date(int y, int m, int d) { return OleFromCivil({y, m, d}); }
};

constexpr const char* kFull =
    "UserLogin=4711\r\nPassword=geheim\r\nVerBerNr=99\r\nVersionLastUsed=2.2.2\r\n"
    "EmbeddedIBServer=TRUE\r\nNoMessageBoxes=TRUE";

TEST_F(ExportRunTest, NullAccessTextEndsWithMinus11BeforeAnything) {
  EXPECT_EQ(Run(nullptr), ExportErrorCode::kNoAccessData);
  EXPECT_TRUE(stages.calls.empty());
}

TEST_F(ExportRunTest, EmptyAccessTextChecksTheServerThenMinus12) {
  EXPECT_EQ(Run(""), ExportErrorCode::kNoLoginId);
  EXPECT_EQ(stages.calls, std::vector<std::string>{"server"});
}

TEST_F(ExportRunTest, ServerMessageEndsWithMinus29AndAPhaseReport) {
  stages.serverMessage = "Datenbankserver nicht installiert";
  EXPECT_EQ(Run("UserLogin=1"), ExportErrorCode::kDatabaseServer);
  EXPECT_EQ(RecordedProgress().back(), (ProgressEvent{1, 0, "Datenbankserver nicht installiert"}));
}

TEST_F(ExportRunTest, MissingPinWithoutMessageBoxesIsMinus15WithoutWindowOrRequest) {
  EXPECT_EQ(Run("UserLogin=4711\nNoMessageBoxes=TRUE\nEmbeddedIBServer=TRUE"), ExportErrorCode::kNoPassword);
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_TRUE(stages.fetches.empty());
}

TEST_F(ExportRunTest, PromptCancelledIsMinus15ConfirmedPinIsUsed) {
  ui.confirmPassword = false;
  EXPECT_EQ(Run("UserLogin=4711\nEmbeddedIBServer=TRUE"), ExportErrorCode::kNoPassword);
  EXPECT_EQ(ui.shown.front(), "password:ZUV:4711");

  ui.confirmPassword = true;
  ui.typedPin = " 12 ";
  lastImport = Date(2026, 11, 1);
  EXPECT_EQ(Run("UserLogin=4711\nEmbeddedIBServer=TRUE\nVersionLastUsed=2.2.2"), ExportErrorCode::kSuccess);
  EXPECT_EQ(stages.fetches[0].plainParams, "H|4711| 12 |20261207");
}

TEST_F(ExportRunTest, FollowUpImportOrderOfStepsAndReports) {
  lastImport = Date(2012, 3, 15);
  EXPECT_EQ(Run(kFull), ExportErrorCode::kSuccess);
  EXPECT_EQ(stages.calls, (std::vector<std::string>{"encode", "fetch:bestaende.zip", "encode",
                                                    "fetch:transaktionen.zip", "import"}));
  ASSERT_EQ(stages.fetches.size(), 2u);
  EXPECT_EQ(stages.fetches[0].plainParams, "H|4711|geheim|20261207");
  EXPECT_EQ(stages.fetches[0].url, std::string(kDefaultDownloadUrl) +
                                       "?params=enc(H|4711|geheim|20261207)");
  EXPECT_EQ(stages.fetches[0].dataDir, "/srv/korvun/ZUV/");
  EXPECT_EQ(stages.fetches[1].plainParams, "T|4711|geheim|20120308|20261207");
  EXPECT_EQ(stages.fetches[1].timeoutSeconds, 300);
  EXPECT_EQ(lastImport, Date(2012, 3, 15));
  const std::vector<ProgressEvent> expected = {
      {4, 1, "Daten abrufen ..."}, {2, 5, ""}, {2, 10, ""}};
  EXPECT_EQ(RecordedProgress(), expected);
  ASSERT_EQ(stages.imports.size(), 1u);
  const ImportRequest& imp = stages.imports[0];
  EXPECT_EQ(imp.dataDir, "/srv/korvun/ZUV/");
  EXPECT_EQ(imp.verBerNr, "99");
  EXPECT_EQ(imp.beraterRef, "12345-678");
  EXPECT_EQ(imp.xmlDir, "/srv/korvun/xml_temp");
  EXPECT_EQ(imp.lastImportDate, Date(2012, 3, 15));
  EXPECT_EQ(imp.requestDate, Date(2026, 12, 7));
  EXPECT_EQ(module.errors.text, "12345-678");
}

TEST_F(ExportRunTest, FirstImportRules) {
  module.timeoutSeconds = 300;
  EXPECT_EQ(Run("UserLogin=4711\nPassword=x\nEmbeddedIBServer=TRUE"), ExportErrorCode::kSuccess);
  EXPECT_EQ(stages.fetches[0].timeoutSeconds, 300);
  EXPECT_EQ(stages.fetches[1].timeoutSeconds, 1800);
  EXPECT_EQ(stages.fetches[1].plainParams, "T|4711|x|00000000|20261207");
  EXPECT_EQ(lastImport, 0.0);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0],
            "info:Information:Der Erst-Import umfasst eine grosse Zahl von Depotdaten.\r"
            "Dieser Vorgang kann eventuell einige Minuten dauern.");
  EXPECT_EQ(RecordedProgress().front(), (ProgressEvent{3, 0, "Erst-Import f\xFCr Berater-Referenz"}));
}

TEST_F(ExportRunTest, FirstImportNoticeIsSuppressedButStillLogged) {
  EXPECT_EQ(Run(kFull), ExportErrorCode::kSuccess);
  EXPECT_TRUE(ui.shown.empty());
  EXPECT_EQ(RecordedProgress().front().text, "Erst-Import f\xFCr Berater-Referenz");
}

TEST_F(ExportRunTest, LargerTimeoutIsNotLowered) {
  env.SetString("Software\\Brenhalt\\Tarvo\\Korvun\\ZUV", "Timeout", "2400");
  EXPECT_EQ(Run(kFull), ExportErrorCode::kSuccess);
  EXPECT_EQ(stages.fetches[1].timeoutSeconds, 2400);
}

TEST_F(ExportRunTest, OldVersionLowersTheLastImportDate) {
  lastImport = Date(2012, 3, 15);
  EXPECT_EQ(Run("UserLogin=1\nPassword=2\nEmbeddedIBServer=TRUE\nVersionLastUsed=2.1.6"), ExportErrorCode::kSuccess);
  EXPECT_EQ(lastImport, Date(2009, 1, 1));
  EXPECT_EQ(stages.fetches[1].plainParams, "T|1|2|20081225|20261207");
  EXPECT_EQ(stages.imports[0].lastImportDate, Date(2009, 1, 1));
}

TEST_F(ExportRunTest, VersionAtThresholdKeepsTheDate) {
  lastImport = Date(2012, 3, 15) + 0.75;  // with a time of day
  EXPECT_EQ(Run("UserLogin=1\nPassword=2\nEmbeddedIBServer=TRUE\nVersionLastUsed=2.1.7"), ExportErrorCode::kSuccess);
  EXPECT_EQ(lastImport, Date(2012, 3, 15) + 0.75);
  EXPECT_EQ(stages.fetches[1].plainParams, "T|1|2|20120308|20261207");
}

TEST_F(ExportRunTest, DateBeforeTheFixedDateStaysWithEmptyVersion) {
  lastImport = Date(2008, 12, 1);
  EXPECT_EQ(Run("UserLogin=1\nPassword=2\nEmbeddedIBServer=TRUE"), ExportErrorCode::kSuccess);
  EXPECT_EQ(lastImport, Date(2008, 12, 1));
  EXPECT_EQ(stages.fetches[1].plainParams, "T|1|2|20081124|20261207");
}

TEST_F(ExportRunTest, RejectedTimestampRetriesTomorrowThenYesterday) {
  stages.fetchResults = {kTimestamp, kTimestamp, kTimestamp};
  EXPECT_EQ(Run(kFull), ExportErrorCode::kProviderTimestamp);
  ASSERT_EQ(stages.fetches.size(), 3u);
  EXPECT_EQ(stages.fetches[0].plainParams, "H|4711|geheim|20261207");
  EXPECT_EQ(stages.fetches[1].plainParams, "H|4711|geheim|20261208");
  EXPECT_EQ(stages.fetches[2].plainParams, "H|4711|geheim|20261206");
  EXPECT_TRUE(stages.imports.empty());
}

TEST_F(ExportRunTest, AcceptedSecondTimestampIsUsedForTransactionsAndXml) {
  stages.fetchResults = {kTimestamp, Status::Ok(), Status::Ok()};
  lastImport = Date(2026, 12, 1);
  EXPECT_EQ(Run(kFull), ExportErrorCode::kSuccess);
  ASSERT_EQ(stages.fetches.size(), 3u);
  EXPECT_EQ(stages.fetches[2].plainParams, "T|4711|geheim|20261124|20261208");
  EXPECT_EQ(stages.imports[0].requestDate, Date(2026, 12, 8));
}

TEST_F(ExportRunTest, TransactionsAreNotRetried) {
  stages.fetchResults = {Status::Ok(), kTimestamp};
  EXPECT_EQ(Run(kFull), ExportErrorCode::kProviderTimestamp);
  EXPECT_EQ(stages.fetches.size(), 2u);
}

TEST_F(ExportRunTest, FailingHoldingsFetchEndsBeforeTransactions) {
  stages.fetchResults = {ExportErrorCode::kProviderLogin};
  EXPECT_EQ(Run(kFull), ExportErrorCode::kProviderLogin);
  EXPECT_EQ(stages.fetches.size(), 1u);
}

TEST_F(ExportRunTest, EncodingFailuresGiveTheirCodesAndStatus) {
  stages.failEncodeOnCall = 0;
  stages.encodeStatus = -1;
  EXPECT_EQ(Run(kFull), ExportErrorCode::kEncodeHoldings);
  EXPECT_EQ(module.errors.code, -1);
  EXPECT_TRUE(stages.fetches.empty());

  stages = ScriptedStages{};
  stages.failEncodeOnCall = 1;
  stages.encodeStatus = -7;
  EXPECT_EQ(Run(kFull), ExportErrorCode::kEncodeTransactions);
  EXPECT_EQ(module.errors.code, -7);
  EXPECT_EQ(stages.fetches.size(), 1u);
}

TEST_F(ExportRunTest, DataDirFromTheRegistryIsUsedAndLogged) {
  env.SetString("Software\\Brenhalt\\Tarvo\\Korvun\\ZUV", "DataDir", "/daten/zuv/");
  EXPECT_EQ(Run(kFull), ExportErrorCode::kSuccess);
  EXPECT_EQ(RecordedProgress().front(), (ProgressEvent{3, 0, "DataDir = /daten/zuv/"}));
  EXPECT_EQ(stages.fetches[0].dataDir, "/daten/zuv/");
}

TEST_F(ExportRunTest, ImportResultIsTheRunsResult) {
  stages.importResult = ExportErrorCode::kNoCustomerData;
  EXPECT_EQ(Run(kFull), ExportErrorCode::kNoCustomerData);
}

TEST_F(ExportRunTest, UnexpectedFailureIsMinus40WithItsText) {
  stages.importThrows = true;
  EXPECT_EQ(Run(kFull), ExportErrorCode::kUnexpectedFailure);
  EXPECT_EQ(module.errors.text, "Datei /x/ZUV.XML kann nicht erstellt werden");
  EXPECT_EQ(RecordedProgress().back(),
            (ProgressEvent{3, 0, "Unerwarteter Fehler: Datei /x/ZUV.XML kann nicht erstellt werden"}));
}

TEST_F(ExportRunTest, NoCallbackStillGivesTheResult) {
  module.reporter.SetCallback(nullptr);
  stages.importResult = Status::Ok();
  EXPECT_EQ(Run(kFull), ExportErrorCode::kSuccess);
  EXPECT_TRUE(RecordedProgress().empty());
}

// The guard around the host's function reports a system exception raised in
// it as HostLeftRun: the run ends as cancelled, and the next one starts anew.
TEST_F(ExportRunTest, HostLeavingTheRunInItsCallbackEndsItAsCancelled) {
  module.reporter.SetCallback([this](int32_t kind, int32_t, const char*) {
    if (kind != 2 || module.hostLeftRun) return;
    module.hostLeftRun = true;
    throw HostLeftRun{0xE0484F53};
  });
  EXPECT_EQ(Run(kFull), ExportErrorCode::kDownloadCancelled);
  EXPECT_EQ(stages.fetches.size(), 1u);
  EXPECT_EQ(Run(kFull), ExportErrorCode::kDownloadCancelled) << "the next run starts anew";
  EXPECT_EQ(stages.fetches.size(), 2u);
}

TEST_F(ExportRunTest, NullDatePointerIsAFirstImport) {
  ExportArgs args{"/x", "1", 0, nullptr, kFull};
  EXPECT_EQ(RunExportGuarded(env, ui, module, stages, args), ExportErrorCode::kSuccess);
  EXPECT_EQ(stages.fetches[1].plainParams, "T|4711|geheim|00000000|20261207");
}

}  // namespace
}  // namespace korvun
