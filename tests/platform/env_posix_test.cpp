// The POSIX Env's files and folders: names come in Windows-1252, as the host
// hands them over, and lie on the disk under their UTF-8 names.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "base/text_encoding.hpp"
#include "platform/env.hpp"
#include "platform/posix/service_state.hpp"

namespace korvun {
namespace {

namespace fs = std::filesystem;

class PosixEnvFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "korvun-env-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
  }
  void TearDown() override { fs::remove_all(root_); }

  // Where a Windows-1252 name lies on the disk.
  fs::path OnDisk(const std::string& name) const { return fs::path(root_) / Cp1252ToUtf8(name); }
  static std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::vector<std::string> Names(const std::string& dir) {
    std::vector<FolderEntry> entries;
    EXPECT_TRUE(env_.GetChildren(dir, &entries).ok());
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
  }

  Env& env_ = Env::Default();
  std::string root_;  // ASCII, so the same in both encodings
};

TEST_F(PosixEnvFiles, EveryOperationTakesWindows1252Names) {
  for (const std::string folder : {"B\xF6rse", "M\xE4rz", "Stra\xDF" "e"}) {
    SCOPED_TRACE(Cp1252ToUtf8(folder));
    const std::string dir = root_ + "/" + folder;
    ASSERT_TRUE(env_.CreateDir(dir).ok());
    EXPECT_TRUE(env_.CreateDir(dir).ok()) << "already there";
    EXPECT_TRUE(fs::is_directory(OnDisk(folder)));

    const std::string csv = dir + "/Gr\xF6\xDF" "e.csv";
    ASSERT_TRUE(env_.WriteFileAtomically(csv, "kopf\r\nzeile\r\n").ok());
    EXPECT_EQ(Read(OnDisk(folder + "/Gr\xF6\xDF" "e.csv")), "kopf\r\nzeile\r\n");
    EXPECT_TRUE(env_.FileExists(csv));
    EXPECT_FALSE(env_.FileExists(dir));

    std::unique_ptr<SequentialFile> in;
    ASSERT_TRUE(env_.NewSequentialFile(csv, &in).ok());
    std::string back;
    char scratch[5];
    std::string_view piece;
    do {
      ASSERT_TRUE(in->Read(sizeof scratch, &piece, scratch).ok());
      back.append(piece);
    } while (piece.size() == sizeof scratch);
    EXPECT_EQ(back, "kopf\r\nzeile\r\n");

    std::unique_ptr<WritableFile> log;
    ASSERT_TRUE(env_.NewWritableFile(dir + "/Pr\xFC" "fung.log", &log).ok());
    EXPECT_TRUE(log->Append("Zeile \xE4\r\n").ok());
    EXPECT_TRUE(log->Close().ok());
    EXPECT_EQ(Read(OnDisk(folder + "/Pr\xFC" "fung.log")), "Zeile \xE4\r\n") << "contents as given";

    std::unique_ptr<WritableFile> xml;
    ASSERT_TRUE(env_.NewWritableFile(dir + "/ZUV\xC4.XML", &xml).ok());
    EXPECT_TRUE(xml->Append("<XML/>").ok() && xml->Close().ok());
    EXPECT_TRUE(fs::exists(OnDisk(folder + "/ZUV\xC4.XML")));

    ASSERT_TRUE(env_.RenameFile(csv, dir + "/\xC4nderung.csv").ok());
    EXPECT_FALSE(fs::exists(OnDisk(folder + "/Gr\xF6\xDF" "e.csv")));
    const auto stored = std::chrono::system_clock::from_time_t(1614676830);
    ASSERT_TRUE(env_.SetFileModificationTime(dir + "/\xC4nderung.csv", stored).ok());
    const auto onDisk = fs::last_write_time(OnDisk(folder + "/\xC4nderung.csv"));
    EXPECT_EQ(std::chrono::file_clock::to_sys(onDisk), stored);

    EXPECT_EQ(Names(dir), (std::vector<std::string>{"Pr\xFC" "fung.log", "ZUV\xC4.XML",
                                                    "\xC4nderung.csv"}));
    for (const auto& name : Names(dir)) EXPECT_TRUE(env_.RemoveFile(dir + "/" + name).ok());
    EXPECT_TRUE(fs::is_empty(OnDisk(folder)));
  }
}

TEST_F(PosixEnvFiles, FolderEntriesTellLinksAndFolders) {
  fs::create_directory(OnDisk("Unterordner \xDF"));
  std::ofstream(OnDisk("Datei.csv")) << "x";
  fs::create_symlink(OnDisk("Datei.csv"), OnDisk("Verkn\xFCpfung.csv"));
  std::vector<FolderEntry> entries;
  ASSERT_TRUE(env_.GetChildren(root_, &entries).ok());
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "Datei.csv");
  EXPECT_EQ(entries[0].kind, FolderEntry::Kind::kFile);
  EXPECT_EQ(entries[1].name, "Unterordner \xDF");
  EXPECT_EQ(entries[1].kind, FolderEntry::Kind::kFolder);
  EXPECT_EQ(entries[2].name, "Verkn\xFCpfung.csv");
  EXPECT_EQ(entries[2].kind, FolderEntry::Kind::kLink);
  EXPECT_TRUE(env_.FileExists(root_ + "/Verkn\xFCpfung.csv")) << "a link to a file";
}

TEST_F(PosixEnvFiles, AtomicWriteReplacesWholeOrNotAtAll) {
  const std::string path = root_ + "/b\xE4stande.zip";
  ASSERT_TRUE(env_.WriteFileAtomically(path, "alt").ok());
  ASSERT_TRUE(env_.WriteFileAtomically(path, "neu und l\xE4nger").ok());
  EXPECT_EQ(Read(OnDisk("b\xE4stande.zip")), "neu und l\xE4nger");
  // A folder in the way: the rename fails and the temporary file goes.
  fs::create_directory(OnDisk("ordner.zip"));
  const Status blocked = env_.WriteFileAtomically(root_ + "/ordner.zip", "x");
  EXPECT_EQ(blocked.code(), ExportErrorCode::kUnexpectedFailure);
  EXPECT_EQ(Names(root_), (std::vector<std::string>{"b\xE4stande.zip", "ordner.zip"}));
}

TEST_F(PosixEnvFiles, RandomAccessReadsAtAnyOffset) {
  const std::string path = root_ + "/b\xE4stande.zip";
  ASSERT_TRUE(env_.WriteFileAtomically(path, "0123456789").ok());
  std::unique_ptr<RandomAccessFile> file;
  ASSERT_TRUE(env_.NewRandomAccessFile(path, &file).ok());
  EXPECT_EQ(file->Size(), 10u);
  const struct {
    uint64_t offset;
    size_t n;
    std::string_view expected;
  } reads[] = {{7, 3, "789"}, {0, 4, "0123"}, {8, 5, "89"}, {10, 4, ""}, {1u << 20, 4, ""},
               {3, 0, ""}};
  char scratch[8];
  for (const auto& r : reads) {
    std::string_view got = "stale";
    ASSERT_TRUE(file->Read(r.offset, r.n, &got, scratch).ok()) << r.offset;
    EXPECT_EQ(got, r.expected) << r.offset << "+" << r.n;
  }
}

TEST_F(PosixEnvFiles, FailuresNameThePathAsGiven) {
  const std::string missing = root_ + "/fehlt \xF6/datei.csv";
  std::unique_ptr<SequentialFile> in;
  std::unique_ptr<RandomAccessFile> archive;
  std::unique_ptr<WritableFile> out;
  std::vector<FolderEntry> entries;
  const struct {
    std::function<Status()> operation;
    std::string message;
  } cases[] = {
      {[&] { return env_.NewSequentialFile(missing, &in); },
       "Datei kann nicht ge\xF6" "ffnet werden: " + missing},
      {[&] { return env_.NewRandomAccessFile(missing, &archive); },
       "Datei kann nicht ge\xF6" "ffnet werden: " + missing},
      {[&] { return env_.NewWritableFile(missing, &out); },
       "Datei kann nicht angelegt werden: " + missing},
      {[&] { return env_.WriteFileAtomically(missing, "x"); },
       "Datei kann nicht angelegt werden: " + missing},
      {[&] { return env_.RenameFile(missing, missing + "2"); },
       "Datei kann nicht umbenannt werden: " + missing + " -> " + missing + "2"},
      {[&] { return env_.RemoveFile(missing); }, "Datei kann nicht gel\xF6scht werden: " + missing},
      {[&] { return env_.GetChildren(missing, &entries); },
       "Ordner kann nicht gelesen werden: " + missing},
      {[&] { return env_.CreateDir(missing); }, "Ordner kann nicht angelegt werden: " + missing},
      {[&] { return env_.SetFileModificationTime(missing, std::chrono::system_clock::now()); },
       "Dateizeit kann nicht gesetzt werden: " + missing},
  };
  for (const auto& c : cases) {
    const Status status = c.operation();
    EXPECT_EQ(status.code(), ExportErrorCode::kUnexpectedFailure) << c.message;
    EXPECT_EQ(status.detailText().value_or(""), c.message);
  }
}

TEST_F(PosixEnvFiles, NamesForOtherInterfacesAreConvertedBothWays) {
  EXPECT_EQ(env_.NativePath("/srv/korvun/B\xF6rse/FFBDB.IDB"),
            "/srv/korvun/B\xC3\xB6rse/FFBDB.IDB");

  ::setenv("KORVUN_ENV_TEST", "Stra\xC3\x9F" "e", 1);
  EXPECT_EQ(env_.EnvironmentVariable("KORVUN_ENV_TEST"),
            std::optional<std::string>("Stra\xDF" "e"));
  ::unsetenv("KORVUN_ENV_TEST");
  EXPECT_EQ(env_.EnvironmentVariable("KORVUN_ENV_TEST"), std::nullopt);

  // The loader's message names the library as the core knows it.
  std::string error;
  EXPECT_EQ(env_.LoadSharedLibrary(root_ + "/B\xF6rse/fehlt.so", &error), nullptr);
  EXPECT_NE(error.find("B\xF6rse/fehlt.so"), std::string::npos) << error;
}

// The database server check starts no second server while one is starting.
TEST(ServiceState, EveryStateButStoppedIsRunning) {
  for (const char* state : {"active", "activating", "reloading", "deactivating"})
    EXPECT_TRUE(ServiceStateIsRunning(state)) << state;
  for (const char* state : {"inactive", "failed", "unknown", ""})
    EXPECT_FALSE(ServiceStateIsRunning(state)) << state;
  EXPECT_TRUE(ServiceStateIsStarting("activating"));
  EXPECT_FALSE(ServiceStateIsStarting("active"));
}

}  // namespace
}  // namespace korvun
