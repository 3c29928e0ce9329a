#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "tests/hardening/fault_env.hpp"
#include "tests/transfer/sim_fixture.hpp"
#include "tests/transfer/zip_maker.hpp"
#include "transfer/data_file_sink.hpp"
#include "transfer/fetch_data_file.hpp"

namespace korvun {
namespace {

namespace fs = std::filesystem;
using testing::ListDir;
using testing::ReadFileBytes;
using testing::RecordedProgress;
using testing::TempDir;
using testing::WriteFileBytes;

class FetchDataFileTest : public testing::SimTest {
 protected:
  ExportErrorCode Fetch(const std::string& url, const std::string& archive = "bestaende.zip",
            const std::string& plain = "") {
    FetchRequest request;
    request.url = url;
    request.archiveName = archive;
    request.timeoutSeconds = 30;
    request.dataDir = data_.Path();
    request.plainParams = plain;
    return rc_.Keep(FetchDataFile(rc_.ctx, request));
  }
  std::vector<std::string> Status() const { return rc_.Texts(4); }
  std::vector<std::string> Logs() const { return rc_.Texts(3); }
  TempDir data_;
};

TEST_F(FetchDataFileTest, BothFilesAreFetchedAndUnpacked) {
  StartSim();
  EXPECT_EQ(Fetch(HoldingsUrl()), ExportErrorCode::kSuccess);
  EXPECT_EQ(Fetch(TransactionsUrl("20120308"), "transaktionen.zip"), ExportErrorCode::kSuccess);
  EXPECT_EQ(ListDir(data_.Path()), (std::vector<std::string>{"bestaende.csv", "transaktionen.csv"}));
  EXPECT_EQ(ReadFileBytes(data_ / "bestaende.csv"),
            ReadFileBytes(fs::path(Sim().DataDir()) / "bestaende.csv"));
  EXPECT_EQ(ReadFileBytes(data_ / "transaktionen.csv"),
            ReadFileBytes(fs::path(Sim().DataDir()) / "transaktionen.csv"));
  EXPECT_EQ(Logs(), (std::vector<std::string>{"Datendatei geladen: bestaende.zip",
                                              "Archiv wird entpackt",
                                              "Datendatei geladen: transaktionen.zip",
                                              "Archiv wird entpackt"}));
  const auto log = Sim().LogLines();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_NE(log[1].find("\"startdate\":\"20120308\""), std::string::npos);
}

TEST_F(FetchDataFileTest, DebugLineShowsUrlAndParamsWithoutThePin) {
  StartSim();
  rc_.ctx.debugMode = 1;
  const std::string url = HoldingsUrl();
  const std::string plain = HoldingsParams("ZUVTEST", "geheim", testing::LocalYmd());
  EXPECT_EQ(Fetch(url, "bestaende.zip", plain), ExportErrorCode::kSuccess);
  ASSERT_FALSE(Logs().empty());
  EXPECT_EQ(Logs()[0], "Download von URL: " + url + "\r\nParams uncodiert: file=bestaende;"
                       "loginid=ZUVTEST;pin=****;version=2.2;timestamp=" + testing::LocalYmd());
}

TEST_F(FetchDataFileTest, NoDebugLineWithoutDebugMode) {
  StartSim();
  EXPECT_EQ(Fetch(HoldingsUrl(), "bestaende.zip", "file=bestaende;loginid=a;pin=b"), ExportErrorCode::kSuccess);
  for (const auto& line : Logs()) EXPECT_EQ(line.find("Download von URL"), std::string::npos);
}

TEST_F(FetchDataFileTest, WrongPinIsProviderError10) {
  StartSim();
  EXPECT_EQ(Fetch(HoldingsUrl("falsch")), ExportErrorCode::kProviderLogin);
  EXPECT_EQ(rc_.errors.code, 10);
  EXPECT_EQ(rc_.errors.text, "Login-ID oder PIN ung\xFCltig");
  EXPECT_TRUE(ListDir(data_.Path()).empty());
}

TEST_F(FetchDataFileTest, WrongTimestampIsProviderError20) {
  StartSim();
  EXPECT_EQ(Fetch(HoldingsUrl("geheim", -1)), ExportErrorCode::kProviderTimestamp);
  EXPECT_EQ(rc_.errors.code, 20);
}

TEST_F(FetchDataFileTest, ScriptedProviderAnswers) {
  StartSim("answer Fehler 10- Login\nanswer Fehler 30 - Wartung bis 12 Uhr\nanswer Fehler 40 - Update\n"
           "answer Fehler 50 - Sonstiges\nanswer Fehler 77 - Unbekannt\nanswer Fehler ohne Strich\n");
  EXPECT_EQ(Fetch(HoldingsUrl()), ExportErrorCode::kProviderError);
  EXPECT_EQ(rc_.errors.code, 1);
  EXPECT_EQ(Fetch(HoldingsUrl()), ExportErrorCode::kProviderTryLater);
  EXPECT_EQ(rc_.errors.text, "Wartung bis 12 Uhr");
  EXPECT_EQ(Fetch(HoldingsUrl()), ExportErrorCode::kProviderOutdated);
  EXPECT_EQ(Fetch(HoldingsUrl()), ExportErrorCode::kProviderError50);
  EXPECT_EQ(Fetch(HoldingsUrl()), ExportErrorCode::kProviderError);
  EXPECT_EQ(rc_.errors.code, 77);
  rc_.errors = {0, "vorher"};
  EXPECT_EQ(Fetch(HoldingsUrl()), ExportErrorCode::kProviderError);
  EXPECT_EQ(rc_.errors.code, 0);
  EXPECT_EQ(rc_.errors.text, "vorher");
  EXPECT_TRUE(ListDir(data_.Path()).empty());
  EXPECT_TRUE(Status().empty());
}

TEST_F(FetchDataFileTest, LongProviderTextIsCut) {
  StartSim("answer Fehler 50 - " + std::string(400, 'x') + "\n");
  EXPECT_EQ(Fetch(HoldingsUrl()), ExportErrorCode::kProviderError50);
  EXPECT_EQ(rc_.errors.text, std::string(255, 'x'));
}

TEST_F(FetchDataFileTest, SmallLetterIsNoProviderAnswer) {
  StartSim("answer fehler 10 - klein\n");
  EXPECT_EQ(Fetch(HoldingsUrl()), ExportErrorCode::kUnzipFailed);
  EXPECT_EQ(rc_.errors.text, "bestaende.zip");
  EXPECT_TRUE(ListDir(data_.Path()).empty());
}

TEST_F(FetchDataFileTest, NotAZipFailsAndTheArchiveIsGone) {
  StartSim("notzip\n");
  EXPECT_EQ(Fetch(HoldingsUrl()), ExportErrorCode::kUnzipFailed);
  EXPECT_EQ(rc_.errors.text, "bestaende.zip");
  EXPECT_TRUE(ListDir(data_.Path()).empty());
  bool unzipLine = false;
  for (const auto& line : Logs()) unzipLine |= line.rfind("UnZip-Error: ", 0) == 0;
  EXPECT_TRUE(unzipLine);
}

TEST_F(FetchDataFileTest, ZipWithoutCsvFails) {
  StartSim("nocsv\n");
  EXPECT_EQ(Fetch(TransactionsUrl("00000000"), "transaktionen.zip"), ExportErrorCode::kUnzipFailed);
  EXPECT_EQ(rc_.errors.text, "transaktionen.zip");
  EXPECT_TRUE(ListDir(data_.Path()).empty());
}

TEST_F(FetchDataFileTest, CorruptedEntryFailsWithoutLeavingAFile) {
  TempDir work;
  const std::string data(4000, 'D');
  testing::MakeZip((work / "bad.zip").string(), {{"bestaende.csv", data, true}});
  std::string bytes = ReadFileBytes(work / "bad.zip");
  bytes[bytes.find(data) + 10] = 'E';
  WriteFileBytes(work / "bad.zip", bytes);
  StartSim("body " + (work / "bad.zip").string() + "\n");
  EXPECT_EQ(Fetch(HoldingsUrl()), ExportErrorCode::kUnzipFailed);
  EXPECT_TRUE(ListDir(data_.Path()).empty());
}

TEST_F(FetchDataFileTest, EntryInASubFolderLandsInTheDataDirectory) {
  StartSim("subfolder\n");
  EXPECT_EQ(Fetch(HoldingsUrl()), ExportErrorCode::kSuccess);
  EXPECT_EQ(ListDir(data_.Path()), std::vector<std::string>{"bestaende.csv"});
}

TEST_F(FetchDataFileTest, EarlierCsvIsOverwritten) {
  StartSim();
  WriteFileBytes(data_ / "bestaende.csv", "alter Stand");
  EXPECT_EQ(Fetch(HoldingsUrl()), ExportErrorCode::kSuccess);
  EXPECT_EQ(ReadFileBytes(data_ / "bestaende.csv"),
            ReadFileBytes(fs::path(Sim().DataDir()) / "bestaende.csv"));
}

TEST_F(FetchDataFileTest, DownloadFailureKeepsItsCodeAndReportsStatus) {
  StartSim("status 503\n");
  EXPECT_EQ(Fetch(HoldingsUrl()), ExportErrorCode::kInternetServerBusy);
  EXPECT_EQ(Status(),
            std::vector<std::string>{"Datenabruf fehlgeschlagen: bestaende.zip\r\nStatus: 503"});
  EXPECT_TRUE(ListDir(data_.Path()).empty());
}

// A body broken off without a length: http_rules_test.cpp.
TEST_F(FetchDataFileTest, BrokenDownloadLeavesNoArchiveAndNoCsvFile) {
  StartSim("short | pad 300000\npad 600000\n");
  const struct {
    const char* what;
    int cancelOnCheck;
    ExportErrorCode code;
  } cases[] = {
      {"connection closed before the announced length", 0, ExportErrorCode::kInternetIncompleteFile},
      {"cancelled after the second block", 2, ExportErrorCode::kDownloadCancelled},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    rc_.ui.cancelChecks = 0;
    rc_.ui.cancelOnCheck = c.cancelOnCheck;
    EXPECT_EQ(Fetch(HoldingsUrl()), c.code);
    EXPECT_EQ(ListDir(data_.Path()), std::vector<std::string>{});
  }
}

// The archive is written while it arrives, under a temporary name until it
// is complete; an error answer never becomes a file.
TEST(DataFileSink, ArchiveOnlyWhenCompleteErrorAnswerNever) {
  TempDir data;
  {
    DataFileSink sink(Env::Default(), data.Path(), "bestaende.zip");
    sink.Append("PK\x03");
    EXPECT_EQ(ListDir(data.Path()), std::vector<std::string>{}) << "not yet told apart";
    sink.Append(std::string(70000, 'z'));
    EXPECT_EQ(ListDir(data.Path()), std::vector<std::string>{".bestaende.zip.part"});
    EXPECT_FALSE(sink.IsErrorAnswer());
    EXPECT_EQ(sink.Size(), 70003u);
    ASSERT_TRUE(sink.CompleteArchive().ok());
    EXPECT_EQ(ReadFileBytes(data / "bestaende.zip"), "PK\x03" + std::string(70000, 'z'));
  }
  EXPECT_EQ(ListDir(data.Path()), std::vector<std::string>{"bestaende.zip"});

  DataFileSink answer(Env::Default(), data.Path(), "transaktionen.zip");
  for (const char* block : {"Feh", "ler 30 - Wart", "ung"}) answer.Append(block);
  EXPECT_TRUE(answer.IsErrorAnswer());
  EXPECT_EQ(answer.ErrorAnswer(), "Fehler 30 - Wartung");
  EXPECT_EQ(ListDir(data.Path()), std::vector<std::string>{"bestaende.zip"});

  DataFileSink tiny(Env::Default(), data.Path(), "klein.zip");
  tiny.Append("Fehl");
  ASSERT_TRUE(tiny.CompleteArchive().ok()) << "too short to be an error answer";
  EXPECT_EQ(ReadFileBytes(data / "klein.zip"), "Fehl");
}

// Each read of the archive fails in turn while it is unpacked: every one
// ends in -23 and leaves neither the archive nor a part of the CSV file.
TEST_F(FetchDataFileTest, FailingArchiveReadIsAnUnzipFailure) {
  TempDir work;
  std::string csv = "Kopf\r\n";
  for (int i = 0; i < 6000; ++i) csv += std::to_string(i * 7919 % 100003) + ";Zeile\r\n";
  testing::MakeZip((work / "gross.zip").string(), {{"bestaende.csv", csv}});
  std::string script;
  for (int i = 0; i < 64; ++i) script += "body " + (work / "gross.zip").string() + "\n";
  StartSim(script);

  testing::FaultPlan plan;
  testing::FaultEnv env(&Env::Default(), plan);
  RunContext ctx{env, rc_.ui, rc_.reporter, 0};
  FetchRequest request;
  request.archiveName = "bestaende.zip";
  request.dataDir = data_.Path();
  const auto fetch = [&] {
    request.url = HoldingsUrl();
    return rc_.Keep(FetchDataFile(ctx, request));
  };
  ASSERT_EQ(fetch(), ExportErrorCode::kSuccess);
  ASSERT_EQ(ReadFileBytes(data_ / "bestaende.csv"), csv);
  // The download's writes vary with how the body arrives: every operation
  // fails in turn until a run meets none.
  int failedReads = 0;
  for (long n = 1;; ++n) {
    ASSERT_LT(n, 100000);
    std::filesystem::remove(data_ / "bestaende.csv");
    plan.Reset(n);
    ExportErrorCode code;
    try {
      code = fetch();
    } catch (const std::runtime_error&) {
      continue;  // the archive could not be written: a file failure of the run
    }
    if (plan.failed.empty()) break;
    if (plan.failed != "random read") continue;
    ++failedReads;
    SCOPED_TRACE("read failing at operation " + std::to_string(n));
    EXPECT_EQ(code, ExportErrorCode::kUnzipFailed);
    EXPECT_EQ(ListDir(data_.Path()), std::vector<std::string>{});
  }
  EXPECT_GE(failedReads, 4) << "the entry is read in several pieces";
}

TEST_F(FetchDataFileTest, ArchiveThatCannotBeWrittenThrows) {
  StartSim();
  FetchRequest request;
  request.url = HoldingsUrl();
  request.archiveName = "bestaende.zip";
  request.dataDir = data_.Path() + "fehlt/";
  EXPECT_THROW(FetchDataFile(rc_.ctx, request), std::runtime_error);
}

}  // namespace
}  // namespace korvun
