#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "platform/env_wrapper.hpp"
#include "tests/transfer/transfer_test_support.hpp"
#include "tests/transfer/zip_maker.hpp"
#include "transfer/csv_unpacker.hpp"

namespace korvun {
namespace {

namespace fs = std::filesystem;
using testing::ListDir;
using testing::MakeZip;
using testing::ReadFileBytes;
using testing::RecordedProgress;
using testing::RecordProgress;
using testing::TempDir;
using testing::WriteFileBytes;

class CsvUnpacker : public ::testing::Test {
 protected:
  void SetUp() override { RecordedProgress().clear(); }
  std::string Archive() const { return (work / "a.zip").string(); }
  UnpackResult Unpack() {
    return UnpackCsvEntries(Env::Default(), Archive(), target.Path(), reporter);
  }
  std::vector<std::string> Logs() const {
    std::vector<std::string> out;
    for (const auto& e : RecordedProgress())
      if (e.kind == 3) out.push_back(e.text);
    return out;
  }
  TempDir work, target;
  Reporter reporter{&RecordProgress};
};

TEST_F(CsvUnpacker, StoredAndDeflatedCsvEntriesLandFlat) {
  const std::string big(100000, 'z');
  MakeZip(Archive(), {{"bestaende.csv", "a;b\r\n", true},
                      {"sub/dir/TRANSAKTIONEN.CSV", big, false},
                      {"liesmich.txt", "nein"},
                      {"ordner/", ""}});
  const UnpackResult r = Unpack();
  EXPECT_EQ(r.extracted, 2);
  EXPECT_EQ(r.failed, 0);
  EXPECT_EQ(ListDir(target.Path()), (std::vector<std::string>{"TRANSAKTIONEN.CSV", "bestaende.csv"}));
  EXPECT_EQ(ReadFileBytes(target / "bestaende.csv"), "a;b\r\n");
  EXPECT_EQ(ReadFileBytes(target / "TRANSAKTIONEN.CSV"), big);
}

TEST_F(CsvUnpacker, ExistingFilesAreOverwrittenAndStoredTimeKept) {
  WriteFileBytes(target / "bestaende.csv", "alte Daten, viel laenger als die neuen");
  // 2 March 2021 10:20:30 local time; ZIP times have two-second steps.
  std::tm t{};
  t.tm_year = 121, t.tm_mon = 2, t.tm_mday = 2, t.tm_hour = 10, t.tm_min = 20, t.tm_sec = 30;
  t.tm_isdst = -1;
  const std::time_t stored = std::mktime(&t);
  MakeZip(Archive(), {{"bestaende.csv", "neu", false, stored}});
  EXPECT_EQ(Unpack().extracted, 1);
  EXPECT_EQ(ReadFileBytes(target / "bestaende.csv"), "neu");
  const auto written = fs::last_write_time(target / "bestaende.csv");
  EXPECT_EQ(std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(written)), stored);
}

TEST_F(CsvUnpacker, CorruptedEntryFailsAndLeavesNoFile) {
  const std::string data(5000, 'Q');
  MakeZip(Archive(), {{"bestaende.csv", data, true}});
  std::string bytes = ReadFileBytes(Archive());
  const std::size_t at = bytes.find(data);
  ASSERT_NE(at, std::string::npos);
  bytes[at + 2500] = 'R';  // same size, wrong CRC-32
  WriteFileBytes(Archive(), bytes);
  const UnpackResult r = Unpack();
  EXPECT_EQ(r.extracted, 0);
  EXPECT_EQ(r.failed, 1);
  EXPECT_TRUE(ListDir(target.Path()).empty());
  ASSERT_FALSE(Logs().empty());
  EXPECT_EQ(Logs().back().rfind("UnZip-Error: ", 0), 0u);
  EXPECT_NE(Logs().back().find("bestaende.csv"), std::string::npos);
}

TEST_F(CsvUnpacker, FailedWriteLeavesNoPartFile) {
  // The file is created, but no byte reaches it.
  struct FullDiskEnv : EnvWrapper {
    struct NoSpace : WritableFile {
      std::unique_ptr<WritableFile> real;
      Status Append(std::string_view) override { return Status::Unexpected("voll"); }
      Status Flush() override { return real->Flush(); }
      Status Close() override { return real->Close(); }
    };
    FullDiskEnv() : EnvWrapper(&Env::Default()) {}
    Status NewWritableFile(const std::string& path, std::unique_ptr<WritableFile>* file) override {
      auto full = std::make_unique<NoSpace>();
      const Status opened = EnvWrapper::NewWritableFile(path, &full->real);
      *file = std::move(full);
      return opened;
    }
  } env;
  MakeZip(Archive(), {{"bestaende.csv", "a;b\r\n"}});
  const UnpackResult r = UnpackCsvEntries(env, Archive(), target.Path(), reporter);
  EXPECT_EQ(r.failed, 1);
  EXPECT_TRUE(ListDir(target.Path()).empty());
  ASSERT_FALSE(Logs().empty());
  EXPECT_EQ(Logs().back(), "UnZip-Error: Eintrag fehlerhaft:Schreibfehler:bestaende.csv");
}

TEST_F(CsvUnpacker, NamesCannotLeaveTheTargetFolder) {
  MakeZip(Archive(), {{"../escape1.csv", "1"},
                      {"/tmp/escape2.csv", "2"},
                      {"..\\..\\escape3.csv", "3"},
                      {"a/../../escape4.csv", "4"}});
  EXPECT_EQ(Unpack().extracted, 4);
  EXPECT_EQ(ListDir(target.Path()),
            (std::vector<std::string>{"escape1.csv", "escape2.csv", "escape3.csv", "escape4.csv"}));
  EXPECT_FALSE(fs::exists(fs::path(target.Path()).parent_path().parent_path() / "escape1.csv"));
}

TEST_F(CsvUnpacker, NulInANameCannotEscapeEither) {
  MakeZip(Archive(), {{"evil.csvX../../x.csv", "n"}});
  std::string bytes = ReadFileBytes(Archive());
  for (std::size_t at = bytes.find("evil.csvX"); at != std::string::npos;
       at = bytes.find("evil.csvX", at + 1))
    bytes[at + 8] = '\0';
  WriteFileBytes(Archive(), bytes);
  Unpack();
  for (const auto& name : ListDir(target.Path())) {
    EXPECT_EQ(name.find('/'), std::string::npos);
    EXPECT_EQ(name.find(".."), std::string::npos) << name;
  }
  EXPECT_FALSE(fs::exists(fs::path(target.Path()).parent_path().parent_path() / "x.csv"));
}

TEST_F(CsvUnpacker, NotAZipIsAFailure) {
  WriteFileBytes(Archive(), "Dies ist keine ZIP-Datei");
  const UnpackResult r = Unpack();
  EXPECT_EQ(r.extracted, 0);
  EXPECT_EQ(r.failed, 1);
  ASSERT_EQ(Logs().size(), 1u);
  EXPECT_EQ(Logs()[0].rfind("UnZip-Error: ", 0), 0u);
}

TEST_F(CsvUnpacker, ArchiveWithoutCsvExtractsNothing) {
  MakeZip(Archive(), {{"liesmich.txt", "x"}, {"daten.csv.bak", "y"}});
  const UnpackResult r = Unpack();
  EXPECT_EQ(r.extracted, 0);
  EXPECT_EQ(r.failed, 0);
  EXPECT_TRUE(ListDir(target.Path()).empty());
}

TEST(CsvTargetName, KeepsOnlySafeCsvNames) {
  EXPECT_EQ(CsvTargetName("x/y/Daten.Csv"), "Daten.Csv");
  EXPECT_EQ(CsvTargetName("C:\\a\\b.csv"), "b.csv");
  EXPECT_EQ(CsvTargetName("a.txt:b.csv"), "");
  EXPECT_EQ(CsvTargetName("a\x01.csv"), "");
  EXPECT_EQ(CsvTargetName("dir.csv/"), "");
  EXPECT_EQ(CsvTargetName("x.csv.txt"), "");
}

}  // namespace
}  // namespace korvun
