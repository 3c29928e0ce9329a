#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "tests/transfer/sim_fixture.hpp"
#include "tests/transfer/zip_maker.hpp"
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
