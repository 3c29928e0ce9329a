// A run that fails half-way leaves no partial import file and the previous
// ZUV.XML as it was.
#include <atomic>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "staging_fixture.hpp"

namespace korvun::xmltest {
namespace {

// Passes everything to the real client, except that reading a row of a
// statement whose text contains `marker` fails from its n-th row on, as
// when the connection is lost while a result is read. `onAnyThread`: its
// statements are read ahead on a worker, as the real client's are.
class FailingConnection : public DbConnection {
 public:
  FailingConnection(DbConnection& real, std::string marker, int failAt, bool onAnyThread = false)
      : real_(real), marker_(std::move(marker)), failAt_(failAt), onAnyThread_(onAnyThread) {}

  void StartTransaction(LockWait wait) override { real_.StartTransaction(wait); }
  void ExecuteImmediate(const std::string& sql) override { real_.ExecuteImmediate(sql); }
  std::unique_ptr<DbStatement> Prepare(const std::string& sql) override {
    ++prepares;
    auto st = real_.Prepare(sql);
    if (sql.find(marker_) == std::string::npos) return st;
    return std::make_unique<Statement>(std::move(st), *this);
  }
  void CommitRetaining() override { real_.CommitRetaining(); }
  void Commit() override { real_.Commit(); }
  void Rollback() override { real_.Rollback(); }
  void Detach() override { real_.Detach(); }

  int executions = 0;
  std::atomic<int> fetches{0}, fetchesOnWorker{0};
  int prepares = 0;

 private:
  class Statement : public DbStatement {
   public:
    Statement(std::unique_ptr<DbStatement> real, FailingConnection& owner)
        : real_(std::move(real)), owner_(owner) {}
    int ParameterCount() const override { return real_->ParameterCount(); }
    int ParameterIndex(const std::string& n) const override { return real_->ParameterIndex(n); }
    void SetNull(int i) override { real_->SetNull(i); }
    void SetInt(int i, int32_t v) override { real_->SetInt(i, v); }
    void SetDouble(int i, double v) override { real_->SetDouble(i, v); }
    void SetText(int i, const std::string& v) override { real_->SetText(i, v); }
    void Execute() override {
      ++owner_.executions;
      real_->Execute();
    }
    bool Fetch() override {
      if (std::this_thread::get_id() != owner_.testThread_) ++owner_.fetchesOnWorker;
      if (++owner_.fetches >= owner_.failAt_) throw DbError("Verbindung zum Server verloren");
      return real_->Fetch();
    }
    void CloseResult() override { real_->CloseResult(); }
    bool ReadableOnAnyThread() const override { return owner_.onAnyThread_ && real_->ReadableOnAnyThread(); }
    bool IsNull(const std::string& c) const override { return real_->IsNull(c); }
    std::string AsText(const std::string& c) const override { return real_->AsText(c); }
    int64_t AsInt(const std::string& c) const override { return real_->AsInt(c); }
    double AsDouble(const std::string& c) const override { return real_->AsDouble(c); }

   private:
    std::unique_ptr<DbStatement> real_;
    FailingConnection& owner_;
  };

  DbConnection& real_;
  std::string marker_;
  int failAt_;
  bool onAnyThread_;
  const std::thread::id testThread_ = std::this_thread::get_id();
};

class WriteFailureTest : public StagingFixture {
 protected:
  // Enough customers that the writer has handed several 64 KiB pieces to the
  // file before the failure.
  void LoadManyCustomers(int count) {
    auto holding = db_->Prepare(
        "insert into BESTAENDE (VERBERNR, VERVOE1, VERVOE2, DEPSTNR, DEPKTOART, DEPUNTERKTO, "
        "INHKDNR1, INHNACHNAME1, INHSTRASSE1, FONISIN, FONWKNEXT, FONNAMELANG, BESTSTK) values "
        "(1, '12345', '678', :d, '01', '001', :k, :n, :s, :i, 'WKN', :f, 10)");
    auto trans = db_->Prepare(
        "insert into TRANSAKTIONEN (TRAID, DEPSTNR, DEPKTOART, DEPUNTERKTO, AUFTRAGTYP, "
        "TEILAUFTRAGTYP, FONPREISDAT, TRABETRAG, TRASTK, FONISIN, TRAWAEHR) values "
        "(:id, :d, '01', '001', 10, 1, 20240101, 100, 1, :i, 'EUR')");
    for (int c = 1; c <= count; ++c) {
      holding->SetInt(0, 1000 + c);
      holding->SetInt(1, c);
      holding->SetText(2, "Kunde mit einem recht langen Nachnamen " + std::to_string(c));
      holding->SetText(3, "Stra\xDF" "e mit langem Namen " + std::to_string(c));
      holding->SetText(4, "DE" + std::to_string(100000 + c));
      holding->SetText(5, "Fonds mit einem recht langen Namen " + std::to_string(c));
      holding->Execute();
      for (int t = 0; t < 3; ++t) {
        trans->SetText(0, std::to_string(c * 10 + t));
        trans->SetInt(1, 1000 + c);
        trans->SetText(2, "DE" + std::to_string(100000 + c));
        trans->Execute();
      }
    }
    db_->CommitRetaining();
  }

  std::vector<std::string> FolderContents() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(xmlDir_))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(WriteFailureTest, QueryErrorHalfWayKeepsThePreviousFile) {
  LoadManyCustomers(300);
  const std::string previous = Crlf("\n<XML>\n  <Import>\n  </Import>\n</XML>");
  WriteAll(XmlPath(), previous);

  // Reading the 250th transaction fails, on the caller's thread and on the
  // worker that reads them ahead.
  for (const bool onWorker : {false, true}) {
    SCOPED_TRACE(onWorker ? "on the worker" : "on the caller's thread");
    FailingConnection failing(*db_, "TRAID", 250, onWorker);
    EXPECT_THROW(Run(Args("12345-678", 0, Day(2024, 6, 15)), failing), DbError);
    EXPECT_EQ(failing.fetches.load(), 250);
    EXPECT_EQ(failing.fetchesOnWorker.load() > 0, onWorker);
    EXPECT_EQ(Output(), previous);
    EXPECT_EQ(FolderContents(), std::vector<std::string>{"ZUV.XML"});
  }

  // Without the fault the same data give the whole document.
  ASSERT_EQ(Run(Args("12345-678", 0, Day(2024, 6, 15))), ExportErrorCode::kSuccess);
  const std::string whole = Output();
  EXPECT_GT(whole.size(), 3u * 65535u);
  EXPECT_NE(whole.find("<K_ExtRef>300</K_ExtRef>"), std::string::npos);
  EXPECT_EQ(whole.substr(whole.size() - 8), "\r\n</XML>");
}

TEST_F(WriteFailureTest, FullDiskHalfWayIsReportedAndKeepsThePreviousFile) {
  LoadManyCustomers(300);
  const std::string previous = Crlf("\n<XML>\n  <Import>\n  </Import>\n</XML>");
  WriteAll(XmlPath(), previous);

  env_.diskSpace = 100000;  // a piece and a half of the writer's output
  try {
    Run(Args("12345-678", 0, Day(2024, 6, 15)));
    FAIL() << "a full disk must fail the run";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()),
              "Die XML-Datei " + XmlPath() + " konnte nicht vollst\xE4ndig geschrieben werden.");
  }
  EXPECT_EQ(Output(), previous);
  EXPECT_EQ(FolderContents(), std::vector<std::string>{"ZUV.XML"});
}

// However many customers, depots and funds: a server is asked the same six
// times on a follow-up import, and the document holds the same number of
// rows at most: the account it writes, and the rows read ahead.
TEST_F(WriteFailureTest, StatementsAndRowsHeldDoNotGrowWithTheTables) {
  struct Figures {
    int prepares, executions;
    size_t mostRowsHeld;
  };
  const auto run = [&](int customers, bool wrapped) {
    db_->ExecuteImmediate("delete from BESTAENDE");
    db_->ExecuteImmediate("delete from TRANSAKTIONEN");
    LoadManyCustomers(customers);
    // The wrapper's statements are read on this thread, as they fetch.
    FailingConnection counting(*db_, "from", 1000000);  // never fails here
    Figures f{};
    ImportFileReading reading;
    reading.rowsPerBatch = 2;
    reading.mostRowsHeld = &f.mostRowsHeld;
    RunContext ctx{env_, ui_, reporter_, 0};
    EXPECT_TRUE(WriteImportFileWith(ctx, wrapped ? static_cast<DbConnection&>(counting) : *db_,
                                    Args("12345-678", Day(2024, 6, 1), Day(2024, 6, 15)), reading)
                    .ok());
    f.prepares = counting.prepares;
    f.executions = counting.executions;
    return f;
  };
  const Figures small = run(30, true), large = run(300, true);
  EXPECT_EQ(small.prepares, 6);
  EXPECT_EQ(small.executions, 6);
  EXPECT_EQ(large.prepares, small.prepares);
  EXPECT_EQ(large.executions, small.executions);
  // A holding and three transactions per account, and a batch of two rows
  // of each of the four results.
  EXPECT_EQ(small.mostRowsHeld, 4u + 4 * 2);
  EXPECT_EQ(large.mostRowsHeld, small.mostRowsHeld);
  // The transactions read ahead on a thread: a few batches more.
  EXPECT_LE(run(300, false).mostRowsHeld, 4u + 3 * 2 + (RowStream<int>::kBatchesAhead + 2) * 2);
}

TEST_F(WriteFailureTest, QueryErrorWithoutPreviousFileLeavesNoFile) {
  LoadManyCustomers(50);
  FailingConnection failing(*db_, "INHVORNAME1", 40);  // the holdings with their persons
  EXPECT_THROW(Run(Args("12345-678", 0, Day(2024, 6, 15)), failing), DbError);
  EXPECT_TRUE(FolderContents().empty());
}

TEST_F(WriteFailureTest, MissingDirectoryIsReportedAndCreatesNothing) {
  ImportFileArgs args = Args("12345-678", 0, Day(2024, 6, 15));
  args.xmlDir = folder_.File("fehlt");
  EXPECT_THROW(Run(args), std::runtime_error);
  EXPECT_FALSE(std::filesystem::exists(folder_.File("fehlt")));
}

TEST_F(WriteFailureTest, TargetThatCannotBeReplacedKeepsItsPlace) {
  // A folder named ZUV.XML with something in it cannot be replaced by a file.
  std::filesystem::create_directories(XmlPath());
  WriteAll(XmlPath() + "/inhalt", "bleibt");
  EXPECT_THROW(Run(Args("12345-678", 0, Day(2024, 6, 15))), std::runtime_error);
  EXPECT_EQ(ReadAll(XmlPath() + "/inhalt"), "bleibt");
  EXPECT_EQ(FolderContents(), std::vector<std::string>{"ZUV.XML"});
}

}  // namespace
}  // namespace korvun::xmltest
