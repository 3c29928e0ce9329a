// Files written through the platform: every byte arrives, in order, however
// the pieces are cut, and a failing disk is reported, not hidden.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "platform/env.hpp"
#include "platform/writable_file_stream.hpp"

namespace korvun {
namespace {

class WritableFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("korvun_output_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Read(const std::string& name) const {
    std::ifstream in(dir_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }
  static std::unique_ptr<WritableFile> Create(const std::string& path) {
    std::unique_ptr<WritableFile> file;
    Env::Default().NewWritableFile(path, &file);
    return file;
  }

  // Bytes that show any piece out of place or lost.
  static std::string Pattern(size_t size) {
    std::string s(size, '\0');
    uint32_t x = 2463534242u;
    for (char& c : s) {
      x ^= x << 13;
      x ^= x >> 17;
      x ^= x << 5;
      c = static_cast<char>(x);
    }
    return s;
  }

  std::filesystem::path dir_;
};

TEST_F(WritableFileTest, FileLargerThanTheKeptWindowArrivesWhole) {
  // Well past the part kept in memory, so that written parts are handed to
  // the disk and dropped while the file grows; odd piece sizes.
  const std::string data = Pattern((size_t{70} << 20) + 12345);
  auto file = Create(Path("gross.xml"));
  ASSERT_TRUE(file);
  size_t at = 0;
  for (size_t piece = 1; at < data.size(); piece = piece * 7 % 1000003 + 1) {
    const size_t n = std::min(piece, data.size() - at);
    ASSERT_TRUE(file->Append(std::string_view(data).substr(at, n)).ok());
    at += n;
  }
  ASSERT_TRUE(file->Close().ok());
  EXPECT_TRUE(Read("gross.xml") == data);
}

TEST_F(WritableFileTest, ExistingFileIsEmptiedFirst) {
  std::ofstream(Path("alt.xml")) << "ein langer alter Inhalt, der verschwinden muss";
  auto file = Create(Path("alt.xml"));
  ASSERT_TRUE(file);
  ASSERT_TRUE(file->Append("neu").ok());
  ASSERT_TRUE(file->Close().ok());
  EXPECT_EQ(Read("alt.xml"), "neu");
}

TEST_F(WritableFileTest, MissingFolderGivesNoFile) {
  std::unique_ptr<WritableFile> file;
  const Status created = Env::Default().NewWritableFile(Path("fehlt/ZUV.XML"), &file);
  EXPECT_EQ(created.code(), ExportErrorCode::kUnexpectedFailure);
  EXPECT_EQ(file, nullptr);
}

TEST_F(WritableFileTest, FullDiskFailsTheWriteAndTheClose) {
  auto file = Create("/dev/full");
  ASSERT_TRUE(file);
  // Past the buffer, so that the write reaches the disk.
  EXPECT_FALSE(file->Append(std::string(100000, 'x')).ok());
  EXPECT_FALSE(file->Append("y").ok());
  EXPECT_FALSE(file->Close().ok());
}

TEST_F(WritableFileTest, StreamKeepsOrderAcrossSmallAndLargePieces) {
  const std::string big = Pattern(200000);
  {
    WritableFileStream out(Create(Path("strom.txt")));
    out << "<XML>" << '\n';
    out.write(big.data(), static_cast<std::streamsize>(big.size()));  // past the buffer
    for (int i = 0; i < 20000; ++i) out << i % 10;
    out.write(big.data(), 100);
    ASSERT_TRUE(out.Close());
    EXPECT_TRUE(out.good());
  }
  std::string expected = "<XML>\n" + big;
  for (int i = 0; i < 20000; ++i) expected += static_cast<char>('0' + i % 10);
  expected += big.substr(0, 100);
  EXPECT_TRUE(Read("strom.txt") == expected);
}

TEST_F(WritableFileTest, StreamOnAFullDiskGoesBad) {
  WritableFileStream out(Create("/dev/full"));
  const std::string piece(100000, 'a');
  out << piece;
  EXPECT_TRUE(out.bad());
  EXPECT_FALSE(out.Close());
}

}  // namespace
}  // namespace korvun
