// The Windows Env against the real registry and file system of a throw-away
// Wine prefix: Windows-1252 names as they are, string types only.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/env.hpp"
#include "staging/firebird_client_library.hpp"

namespace korvun {
namespace {

const char kKey[] = "Software\\Brenhalt\\Tarvo\\Korvun\\ZUV";

class WindowsRegistry : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                                &key_, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    ::RegCloseKey(key_);
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kKey);
  }
  void Set(const char* name, DWORD type, const std::string& data) {
    ASSERT_EQ(::RegSetValueExA(key_, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                               static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
  }
  HKEY key_ = nullptr;
};

TEST_F(WindowsRegistry, StringTypesAreReadAsStoredOthersFail) {
  Set("DataDir", REG_SZ, std::string("C:\\Dat\xE4n\\\0", 11));
  Set("ImportDB", REG_EXPAND_SZ, std::string("%TEMP%\\FFBDB.IDB\0", 17));
  Set("Timeout", REG_DWORD, std::string("\x2c\x01\0\0", 4));
  Env& env = Env::Default();
  std::string value;
  EXPECT_EQ(env.ReadRegistryString(kKey, "datadir", &value), RegistryRead::kString);
  EXPECT_EQ(value, "C:\\Dat\xE4n\\");
  EXPECT_EQ(env.ReadRegistryString(kKey, "ImportDB", &value), RegistryRead::kString);
  EXPECT_EQ(value, "%TEMP%\\FFBDB.IDB");
  EXPECT_EQ(env.ReadRegistryString(kKey, "Timeout", &value), RegistryRead::kWrongType);
  EXPECT_EQ(env.ReadRegistryString(kKey, "Missing", &value), RegistryRead::kMissing);
  EXPECT_EQ(env.ReadRegistryString("Software\\NoSuchKey", "DataDir", &value),
            RegistryRead::kMissing);
  EXPECT_TRUE(env.RegistryKeyExists(std::string("HKEY_LOCAL_MACHINE\\") + kKey));
  EXPECT_FALSE(env.RegistryKeyExists("SOFTWARE\\Borland\\InterBase\\CurrentVersion"));
}

TEST(WindowsFiles, Windows1252PathsRoundTrip) {
  Env& env = Env::Default();
  char temp[MAX_PATH];
  ASSERT_GT(::GetTempPathA(MAX_PATH, temp), 0u);
  const std::string dir = std::string(temp) + "Korvun \xC4nderung " + std::to_string(::GetCurrentProcessId());
  ASSERT_TRUE(env.CreateDir(dir).ok());
  EXPECT_TRUE(env.CreateDir(dir).ok()) << "an existing folder is no failure";
  const std::string file = dir + "\\Bestand \xFC" "ber.csv";
  ASSERT_TRUE(env.WriteFileAtomically(file, "eins;zwei\r\n").ok());
  EXPECT_TRUE(env.FileExists(file));
  EXPECT_FALSE(env.FileExists(dir));

  std::unique_ptr<SequentialFile> in;
  ASSERT_TRUE(env.NewSequentialFile(file, &in).ok());
  char scratch[64];
  std::string_view got;
  ASSERT_TRUE(in->Read(sizeof scratch, &got, scratch).ok());
  EXPECT_EQ(got, "eins;zwei\r\n");
  in.reset();

  std::unique_ptr<RandomAccessFile> archive;
  ASSERT_TRUE(env.NewRandomAccessFile(file, &archive).ok());
  EXPECT_EQ(archive->Size(), 11u);
  const struct {
    uint64_t offset;
    size_t n;
    std::string_view expected;
  } reads[] = {{5, 4, "zwei"}, {0, 4, "eins"}, {9, 8, "\r\n"}, {11, 4, ""}, {uint64_t{5} << 32, 4, ""}};
  for (const auto& r : reads) {
    got = "stale";
    ASSERT_TRUE(archive->Read(r.offset, r.n, &got, scratch).ok()) << r.offset;
    EXPECT_EQ(got, r.expected) << r.offset << "+" << r.n;
  }
  archive.reset();

  std::vector<FolderEntry> entries;
  ASSERT_TRUE(env.GetChildren(dir, &entries).ok());
  ASSERT_EQ(entries.size(), 1u) << "no temporary file is left";
  EXPECT_EQ(entries[0].name, "Bestand \xFC" "ber.csv");
  EXPECT_EQ(entries[0].kind, FolderEntry::Kind::kFile);

  const std::string renamed = dir + "\\ZUV.XML";
  ASSERT_TRUE(env.RenameFile(file, renamed).ok());
  EXPECT_TRUE(env.SetFileModificationTime(renamed, std::chrono::system_clock::now()).ok());
  EXPECT_TRUE(env.RemoveFile(renamed).ok());
  const Status missing = env.RemoveFile(renamed);
  EXPECT_FALSE(missing.ok());
  EXPECT_NE(missing.detailText().value_or("").find("ZUV.XML"), std::string::npos);
  EXPECT_TRUE(::RemoveDirectoryA(dir.c_str()));
}

// A worker runs on a thread of its own; destroying it waits for its end.
TEST(WindowsThreads, WorkerRunsElsewhereAndIsWaitedFor) {
  const DWORD caller = ::GetCurrentThreadId();
  DWORD worker = caller;
  bool ended = false;
  Env::Default().StartThread([&] {
    ::Sleep(50);
    worker = ::GetCurrentThreadId();
    ended = true;
  }).reset();
  EXPECT_TRUE(ended);
  EXPECT_NE(worker, caller);
}

TEST(WindowsServer, NothingIsFoundWhereNothingIsInstalled) {
  Env& env = Env::Default();
  EXPECT_FALSE(env.ServiceKnown("InterBaseServer"));
  EXPECT_FALSE(env.ServiceStarting("InterBaseGuardian"));
  const ServiceStart refusal = env.StartService("InterBaseGuardian");
  EXPECT_EQ(refusal.outcome, ServiceStart::Outcome::kRefused);
  EXPECT_EQ(refusal.code, 1060) << refusal.systemText;  // no such service
  EXPECT_FALSE(env.TopLevelWindowExists("IB_Server", "InterBase Server"));
  EXPECT_FALSE(env.StartDetachedProcess("C:\\no\\such\\ibguard.exe"));
  std::string error;
  EXPECT_EQ(env.LoadSharedLibrary("gds32.dll", &error), nullptr);
  EXPECT_NE(error.find("gds32.dll"), std::string::npos);
}

// The test program's folder, ending with a backslash.
std::string ProgramFolder() {
  char path[MAX_PATH];
  const DWORD size = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string program(path, size);
  return program.substr(0, program.find_last_of('\\') + 1);
}

// The folder of the DLL named gds32.dll that nobody installed.
std::string PlantedFolder() { return ProgramFolder() + "planted\\"; }

bool Loaded(const char* name) { return ::GetModuleHandleA(name) != nullptr; }

TEST(WindowsLibraries, NeverLoadedFromTheCurrentFolder) {
  char previous[MAX_PATH];
  ASSERT_GT(::GetCurrentDirectoryA(MAX_PATH, previous), 0u);
  ASSERT_TRUE(::SetCurrentDirectoryA(PlantedFolder().c_str()));
  std::string error;
  void* library = Env::Default().LoadSharedLibrary("gds32.dll", &error);
  ::SetCurrentDirectoryA(previous);
  EXPECT_EQ(library, nullptr);
  EXPECT_FALSE(Loaded("gds32.dll"));
  EXPECT_NE(error.find("gds32.dll"), std::string::npos);
}

TEST(WindowsLibraries, LoadedBesideTheProgramAndReleased) {
  const std::string beside = ProgramFolder() + "korvun_beside_program.dll";
  ASSERT_TRUE(::CopyFileA((PlantedFolder() + "gds32.dll").c_str(), beside.c_str(), FALSE));
  Env& env = Env::Default();
  std::string error;
  void* library = env.LoadSharedLibrary("korvun_beside_program.dll", &error);
  EXPECT_NE(library, nullptr) << error;
  if (library) {
    EXPECT_NE(env.FindSymbol(library, "korvun_planted_library"), nullptr);
    env.ReleaseSharedLibrary(library);
  }
  EXPECT_FALSE(Loaded("korvun_beside_program.dll"));
  EXPECT_TRUE(::DeleteFileA(beside.c_str()));
}

// The client's search on top of the Windows Env's loading.
TEST(WindowsLibraries, ClientFoundInTheFolderItsInstallerRecorded) {
  // Firebird records its root folder; this one holds a gds32.dll.
  const char parent[] = "SOFTWARE\\Firebird Project";
  const char key[] = "SOFTWARE\\Firebird Project\\Firebird Server\\Instances";
  HKEY handle = nullptr;
  ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_WRITE, nullptr, &handle,
                              nullptr),
            ERROR_SUCCESS);
  const std::string root = PlantedFolder();
  ::RegSetValueExA(handle, "DefaultInstance", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(root.c_str()), static_cast<DWORD>(root.size() + 1));
  ::RegCloseKey(handle);
  Env& env = Env::Default();
  std::string error;
  void* library = LoadFirebirdClientLibrary(env, "gds32.dll", &error);
  ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, parent);
  ASSERT_NE(library, nullptr) << error;
  char path[MAX_PATH];
  const DWORD size = ::GetModuleFileNameA(static_cast<HMODULE>(library), path, MAX_PATH);
  EXPECT_EQ(::lstrcmpiA(std::string(path, size).c_str(), (root + "gds32.dll").c_str()), 0) << path;
  env.ReleaseSharedLibrary(library);
  EXPECT_FALSE(Loaded("gds32.dll"));
}

}  // namespace
}  // namespace korvun
