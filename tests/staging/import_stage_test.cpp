// The import stage as the export run calls it, against real staging
// databases; the XML creation is replaced where the test looks at the stage
// alone.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/progress.hpp"
#include "staging/firebird_client.hpp"
#include "staging/import_stage.hpp"
#include "staging_test_support.hpp"
#include "support/fake_env.hpp"
#include "support/progress_recorder.hpp"
#include "support/recording_ui.hpp"
#include "support/status_printing.hpp"
#include "xmlout/import_document.hpp"

namespace korvun {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using testing::ProgressEvent;
using testing::RecordedProgress;

class CountingUi : public testing::RecordingUi {
 public:
  int pending = 0;
  void ProcessPendingMessages() override { ++pending; }
};

// A holdings line in the provider's field order (see data/BESTAND.txt).
std::string HoldingsLine(int customer, const std::string& isin, const std::string& vervoe1 = "12345",
                         const std::string& vervoe2 = "678") {
  std::vector<std::string> f(51);
  f[0] = "138010";
  f[1] = vervoe1;
  f[2] = vervoe2;
  f[4] = std::to_string(900000 + customer);  // depot
  f[5] = "01";
  f[6] = "001";
  f[8] = std::to_string(customer);
  f[12] = "Kunde" + std::to_string(customer);
  f[39] = isin;
  f[41] = "12,34";
  f[46] = "10,5";
  std::string line;
  for (size_t i = 0; i < f.size(); ++i) line += (i ? ";" : "") + f[i];
  return line + "\r\n";
}

std::string TransactionLine(const std::string& id, int type, const std::string& sub) {
  return id + ";138010;12345;678;;900001;01;001;" + std::to_string(type) + ";" + sub +
         ";Text;20250101;20250102;100,00;100,00;EUR;10,00;9,50;0;5,00;10,000;A0B1C2;DE000A0B1C23;\r\n";
}

class ImportStageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RecordedProgress().clear();
    dbPath_ = test::CreateTestDatabase(dir_);
    const std::string source = test::SourceDir();
    fs::copy_file(source + "/data/BESTAND.txt", dir_.File("BESTAND.txt"));
    fs::copy_file(source + "/data/TRANSAKT.txt", dir_.File("TRANSAKT.txt"));
    request_.dataDir = dir_.Dir();
    request_.beraterRef = "12345-678";
    request_.xmlDir = dir_.Dir();
    request_.lastImportDate = 45000;
    request_.requestDate = 46000;
  }

  void WriteCsv(int holdingsLines, int transactionLines) {
    std::string h = "HEADER\r\n";
    for (int i = 1; i < holdingsLines; ++i) h += HoldingsLine(i, "DE000000000" + std::to_string(i % 10));
    WriteFile(dir_.File("bestaende.csv"), h);
    std::string t = "HEADER\r\n";
    for (int i = 1; i < transactionLines; ++i) t += TransactionLine("T" + std::to_string(i), 10, "1");
    WriteFile(dir_.File("transaktionen.csv"), t);
  }

  ExportErrorCode Run() {
    RunContext ctx{env_, ui_, reporter_, debugMode_};
    return RunImport(ctx, request_, [this](RunContext&, DbConnection& db, const ImportFileArgs& args) {
      writerCalls_++;
      args_ = args;
      csvLeftAtWrite_ = fs::exists(dir_.File("bestaende.csv")) || fs::exists(dir_.File("transaktionen.csv"));
      holdingsAtWrite_ = Count(db, "BESTAENDE");
      transactionsAtWrite_ = Count(db, "TRANSAKTIONEN");
      return Status(writerResult_);
    }).code();
  }

  static long long Count(DbConnection& db, const std::string& table) {
    auto q = db.Prepare("select count(*) as N from " + table);
    q->Execute();
    EXPECT_TRUE(q->Fetch());
    return q->AsInt("N");
  }

  long long CountAfterRun(const std::string& table) {
    auto db = AttachFirebird(Env::Default(), dbPath_, kStagingPassword);
    db->StartTransaction();
    return Count(*db, table);
  }

  testing::FakeEnv env_;
  CountingUi ui_;
  Reporter reporter_{testing::RecordProgress};
  int debugMode_ = 0;
  TempDir dir_;
  std::string dbPath_;
  ImportRequest request_;
  ExportErrorCode writerResult_ = ExportErrorCode::kSuccess;
  int writerCalls_ = 0;
  ImportFileArgs args_;
  bool csvLeftAtWrite_ = true;
  long long holdingsAtWrite_ = -1, transactionsAtWrite_ = -1;
};

TEST_F(ImportStageTest, LoadsBothFilesDeletesThemAndHandsOverToTheXmlCreation) {
  WriteCsv(25, 11);
  WriteFile(dir_.File("other.CSV"), "x");
  WriteFile(dir_.File(".hidden.csv"), "x");
  fs::create_directory(dir_.File("folder.csv"));
  writerResult_ = ExportErrorCode::kNoCustomerData;
  EXPECT_EQ(Run(), ExportErrorCode::kNoCustomerData);

  EXPECT_EQ(writerCalls_, 1);
  EXPECT_EQ(holdingsAtWrite_, 24);
  EXPECT_EQ(transactionsAtWrite_, 10);
  EXPECT_FALSE(csvLeftAtWrite_);
  EXPECT_FALSE(fs::exists(dir_.File("other.CSV")));
  EXPECT_TRUE(fs::exists(dir_.File(".hidden.csv")));
  EXPECT_TRUE(fs::exists(dir_.File("folder.csv")));
  EXPECT_EQ(args_.selectionParts, (std::vector<std::string>{"12345-678", "12345", "678"}));
  EXPECT_EQ(args_.beraterRef, "12345-678");
  EXPECT_EQ(args_.xmlDir, dir_.Dir());
  EXPECT_EQ(args_.lastImportDate, 45000);
  EXPECT_EQ(args_.requestDate, 46000);

  // Committed: another connection sees the rows.
  EXPECT_EQ(CountAfterRun("BESTAENDE"), 24);
  EXPECT_EQ(CountAfterRun("TRANSAKTIONEN"), 10);
  EXPECT_NE(ReadFile(dir_.File("bst_error.log")).find("No error found"), std::string::npos);
  EXPECT_NE(ReadFile(dir_.File("tra_error.log")).find("No error found"), std::string::npos);

  // 25 holdings lines: 22 at n = 10, 34 at n = 20. 11 transaction lines: 40 + 27 at n = 10.
  const std::vector<ProgressEvent> expected = {
      {1, 10, "Import " + dir_.File("bestaende.csv")},
      {2, 22, ""},
      {2, 34, ""},
      {1, 40, "Import " + dir_.File("transaktionen.csv")},
      {2, 67, ""},
  };
  EXPECT_EQ(RecordedProgress(), expected);
  EXPECT_EQ(ui_.pending, 3);
}

TEST_F(ImportStageTest, NextRunReplacesThePreviousRows) {
  WriteCsv(25, 11);
  Run();
  WriteCsv(4, 3);
  Run();
  EXPECT_EQ(CountAfterRun("BESTAENDE"), 3);
  EXPECT_EQ(CountAfterRun("TRANSAKTIONEN"), 2);
}

// The tables are made anew for the load and get their key afterwards; while
// another attachment reads them they cannot be made anew and are emptied
// instead. Either way a repeated TRAID is refused once, in the same words,
// its first line stays, and the key is there.
TEST_F(ImportStageTest, EveryRunEndsWithTheKeyWhetherTablesAreMadeAnewOrEmptied) {
  const auto keyed = [this] {
    auto db = AttachFirebird(Env::Default(), dbPath_, kStagingPassword);
    db->StartTransaction();
    auto q = db->Prepare(
        "select count(*) as N from RDB$RELATION_CONSTRAINTS where RDB$CONSTRAINT_NAME = 'PK_TRANSAKTIONEN'");
    q->Execute();
    return q->Fetch() && q->AsInt("N") == 1;
  };
  const auto runWithRepeatedKey = [this] {
    WriteCsv(4, 4);
    WriteFile(dir_.File("transaktionen.csv"),
              ReadFile(dir_.File("transaktionen.csv")) + TransactionLine("T2", 11, "1"));
    EXPECT_EQ(Run(), ExportErrorCode::kSuccess);
    EXPECT_EQ(CountAfterRun("TRANSAKTIONEN"), 3);
    auto db = AttachFirebird(Env::Default(), dbPath_, kStagingPassword);
    db->StartTransaction();
    auto q = db->Prepare("select AUFTRAGTYP from TRANSAKTIONEN where TRAID = 'T2'");
    q->Execute();
    EXPECT_TRUE(q->Fetch() && q->AsInt("AUFTRAGTYP") == 10);
    const std::string log = ReadFile(dir_.File("tra_error.log"));
    EXPECT_NE(log.find("1 error(s) found"), std::string::npos);
    return log;
  };
  const std::string anew = runWithRepeatedKey();
  EXPECT_NE(anew.find(" - violation of PRIMARY or UNIQUE KEY constraint \"PK_TRANSAKTIONEN\" on table "
                      "\"TRANSAKTIONEN\" Problematic key value is (\"TRAID\" = 'T2')\r\n"),
            std::string::npos)
      << anew;
  EXPECT_TRUE(keyed());

  auto reader = AttachFirebird(Env::Default(), dbPath_, kStagingPassword);
  reader->StartTransaction();
  auto open = reader->Prepare("select TRAID from TRANSAKTIONEN");
  open->Execute();
  EXPECT_EQ(runWithRepeatedKey(), anew);
  EXPECT_TRUE(keyed());
}

TEST_F(ImportStageTest, FirstPartLongerThanFifteenTouchesNothing) {
  WriteCsv(5, 5);
  request_.beraterRef = "1234567890123456-1";
  request_.dataDir = dir_.Dir() + "not-even-there/";  // nothing may be opened
  EXPECT_EQ(Run(), ExportErrorCode::kBeraterRefTooLong);
  request_.dataDir = dir_.Dir();
  EXPECT_EQ(Run(), ExportErrorCode::kBeraterRefTooLong);
  EXPECT_EQ(writerCalls_, 0);
  EXPECT_TRUE(fs::exists(dir_.File("bestaende.csv")));
  EXPECT_TRUE(fs::exists(dir_.File("transaktionen.csv")));
  EXPECT_FALSE(fs::exists(dir_.File("bst_error.log")));
  EXPECT_TRUE(RecordedProgress().empty());
}

TEST_F(ImportStageTest, FirstPartOfFifteenIsAccepted) {
  WriteCsv(3, 3);
  request_.beraterRef = " 123456789012345 ";
  EXPECT_EQ(Run(), ExportErrorCode::kSuccess);
  EXPECT_EQ(args_.selectionParts, (std::vector<std::string>{"123456789012345", "123456789012345"}));
}

TEST_F(ImportStageTest, ImportDbSettingIsReportedWithTheDataDirectoryFilledIn) {
  WriteCsv(3, 3);
  request_.importDb = "./FFBDB.IDB";
  EXPECT_EQ(Run(), ExportErrorCode::kSuccess);
  ASSERT_FALSE(RecordedProgress().empty());
  EXPECT_EQ(RecordedProgress()[0], (ProgressEvent{3, 0, "ImportDB = " + dbPath_}));
}

TEST_F(ImportStageTest, MissingTransactionsMapStopsBeforeTheHoldingsImport) {
  WriteCsv(5, 5);
  fs::remove(dir_.File("TRANSAKT.txt"));
  EXPECT_THROW(Run(), std::runtime_error);
  EXPECT_EQ(CountAfterRun("BESTAENDE"), 0);
  EXPECT_TRUE(fs::exists(dir_.File("bestaende.csv")));
  EXPECT_FALSE(fs::exists(dir_.File("bst_error.log")));
}

TEST_F(ImportStageTest, MissingTransactionsFileKeepsTheHoldingsAndTheCsvFile) {
  WriteCsv(5, 5);
  fs::remove(dir_.File("transaktionen.csv"));
  try {
    Run();
    FAIL();
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "File " + dir_.File("transaktionen.csv") + " does not exist");
  }
  EXPECT_EQ(CountAfterRun("BESTAENDE"), 4);
  EXPECT_TRUE(fs::exists(dir_.File("bestaende.csv")));
}

TEST_F(ImportStageTest, MissingDatabaseIsAnError) {
  WriteCsv(3, 3);
  fs::remove(dbPath_);
  EXPECT_THROW(Run(), DbError);
  EXPECT_TRUE(fs::exists(dir_.File("bestaende.csv")));
}

TEST_F(ImportStageTest, DebugPauseAsksThePersonOrIsLogged) {
  WriteCsv(3, 3);
  debugMode_ = 2;
  EXPECT_EQ(Run(), ExportErrorCode::kSuccess);
  ASSERT_EQ(ui_.shown.size(), 1u);
  EXPECT_EQ(ui_.shown[0], "info:ZUV:Beginne XML_Verarbeitung ... csv-Import-Dateien ersetzen ?");

  WriteCsv(3, 3);
  ui_.shown.clear();
  ui_.interactive = false;
  RecordedProgress().clear();
  EXPECT_EQ(Run(), ExportErrorCode::kSuccess);
  EXPECT_TRUE(ui_.shown.empty());
  ASSERT_FALSE(RecordedProgress().empty());
  EXPECT_EQ(RecordedProgress()[0],
            (ProgressEvent{3, 0, "Beginne XML_Verarbeitung ... csv-Import-Dateien ersetzen ?"}));
}

TEST_F(ImportStageTest, NoPauseBelowDebugLevelTwo) {
  WriteCsv(3, 3);
  debugMode_ = 1;
  EXPECT_EQ(Run(), ExportErrorCode::kSuccess);
  EXPECT_TRUE(ui_.shown.empty());
}

TEST_F(ImportStageTest, OnlyKnownOrderTypesReachTheTable) {
  WriteFile(dir_.File("bestaende.csv"), "H\r\n" + HoldingsLine(1, "DE0000000001"));
  WriteFile(dir_.File("transaktionen.csv"), "H\r\n" + TransactionLine("A", 50, "") +
                                                TransactionLine("B", 50, "0") +
                                                TransactionLine("C", 50, "1") +
                                                TransactionLine("D", 12, "3") +
                                                TransactionLine("E", 70, "5"));
  EXPECT_EQ(Run(), ExportErrorCode::kSuccess);
  EXPECT_EQ(transactionsAtWrite_, 3);
}

// After a power loss the staging file may be damaged: it is replaced and the
// run goes on. A missing file is no damage and still ends the run.
TEST_F(ImportStageTest, DamagedStagingFileIsReplaced) {
  const std::string good = ReadFile(dbPath_);
  const std::string damages[] = {std::string(100000, 'x'), good.substr(0, 20000),
                                 good.substr(0, 8192) + std::string(3 * 8192, '\x5A') + good.substr(4 * 8192)};
  for (const std::string& damaged : damages) {
    WriteCsv(3, 2);
    WriteFile(dbPath_, damaged);
    RecordedProgress().clear();
    EXPECT_EQ(Run(), ExportErrorCode::kSuccess);
    EXPECT_EQ(holdingsAtWrite_, 2);
    bool logged = false;
    for (const auto& e : RecordedProgress())
      logged |= e.kind == 3 && e.text.find("wird neu angelegt") != std::string::npos;
    EXPECT_TRUE(logged);
  }
  fs::remove(dbPath_);
  WriteCsv(3, 2);
  EXPECT_THROW(Run(), DbError);
}

TEST_F(ImportStageTest, RealXmlCreationWritesTheImportFile) {
  const std::string source = test::SourceDir();
  fs::copy_file(source + "/tests/staging/data/bestaende.csv", dir_.File("bestaende.csv"));
  fs::copy_file(source + "/tests/staging/data/transaktionen.csv", dir_.File("transaktionen.csv"));
  RunContext ctx{env_, ui_, reporter_, 0};
  EXPECT_TRUE(RunImport(ctx, request_, WriteImportFile).ok());
  EXPECT_TRUE(fs::exists(dir_.File("ZUV.XML")));
  EXPECT_FALSE(fs::exists(dir_.File("bestaende.csv")));
  EXPECT_GT(CountAfterRun("BESTAENDE"), 0);
  EXPECT_GT(CountAfterRun("TRANSAKTIONEN"), 0);
  EXPECT_NE(ReadFile(dir_.File("bst_error.log")).find("No error found"), std::string::npos);
  EXPECT_NE(ReadFile(dir_.File("tra_error.log")).find("No error found"), std::string::npos);
}

}  // namespace
}  // namespace korvun
