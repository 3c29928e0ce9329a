// Folders and files the run cannot have: an import folder it may not write
// and a staging file another process holds. The run ends with its result
// code and message and leaves the previous import file as it was.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/env_wrapper.hpp"
#include "tests/hardening/export_scene.hpp"

namespace korvun::testing {
namespace {

// Refuses every write below one folder, as a read-only folder does; the
// folder's permissions are set too, for a test that does not run as root.
class ReadOnlyFolderEnv : public EnvWrapper {
 public:
  explicit ReadOnlyFolderEnv(std::string folder) : EnvWrapper(&Env::Default()), folder_(std::move(folder)) {}
  Status NewWritableFile(const std::string& path, std::unique_ptr<WritableFile>* result) override {
    return Below(path) ? Denied(path) : target()->NewWritableFile(path, result);
  }
  Status WriteFileAtomically(const std::string& path, std::string_view data) override {
    return Below(path) ? Denied(path) : target()->WriteFileAtomically(path, data);
  }
  Status RenameFile(const std::string& from, const std::string& to) override {
    return Below(to) ? Denied(to) : target()->RenameFile(from, to);
  }
  Status RemoveFile(const std::string& path) override {
    return Below(path) ? Denied(path) : target()->RemoveFile(path);
  }

 private:
  bool Below(const std::string& path) const { return path.rfind(folder_, 0) == 0; }
  static Status Denied(const std::string& path) {
    return Status::Unexpected("Zugriff verweigert: " + path);
  }
  std::string folder_;
};

TEST(BlockedFiles, ReadOnlyImportFolderKeepsThePreviousFile) {
  ExportScene scene("readonly", 1);
  const auto ui = MakeSilentUi();
  ASSERT_EQ(scene.Run(Env::Default(), *ui), 0) << scene.Message(-40);
  const std::string previous = scene.ReadXml();
  std::filesystem::permissions(scene.xmlDir, std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::owner_exec);
  ReadOnlyFolderEnv env(scene.xmlDir.string());
  const int32_t code = scene.Run(env, *ui);
  std::filesystem::permissions(scene.xmlDir, std::filesystem::perms::owner_all);
  EXPECT_EQ(code, -40);
  EXPECT_NE(scene.Message(code).find(scene.xmlDir.string()), std::string::npos) << scene.Message(code);
  EXPECT_EQ(scene.ReadXml(), previous);
  EXPECT_EQ(scene.LeftOvers(), std::vector<std::string>{});
}

TEST(BlockedFiles, StagingFileHeldByAnotherProcess) {
  ExportScene scene("locked", 1);
  const auto ui = MakeSilentUi();
  ASSERT_EQ(scene.Run(Env::Default(), *ui), 0) << scene.Message(-40);
  const std::string previous = scene.ReadXml();
  const int fd = ::open((scene.dataDir / "FFBDB.IDB").c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
  const int32_t code = scene.Run(Env::Default(), *ui);
  ::close(fd);
  EXPECT_EQ(code, -40);
  // The engine's own words: a "lock" operation on the file failed.
  EXPECT_NE(scene.Message(code).find("FFBDB.IDB"), std::string::npos) << scene.Message(code);
  EXPECT_EQ(scene.ReadXml(), previous);
  // Once the other process lets go, the next run works.
  EXPECT_EQ(scene.Run(Env::Default(), *ui), 0) << scene.Message(-40);
}

}  // namespace
}  // namespace korvun::testing
