// Temporary folders with a real staging database for the staging tests.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "platform/env.hpp"
#include "staging/staging_database.hpp"

namespace korvun::test {

class TempDir {
 public:
  TempDir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() /
            ("korvun-staging-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // With the final separator, as the data directory is handed around.
  std::string Dir() const { return path_.string() + "/"; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string SourceDir() {
  const char* dir = std::getenv("KORVUN_SOURCE_DIR");
  return dir ? dir : KORVUN_TEST_SOURCE_DIR;
}

// A fresh staging database from the shipped schema.
inline std::string CreateTestDatabase(const TempDir& dir) {
  const std::string path = dir.File(kStagingDatabaseName);
  CreateStagingDatabase(Env::Default(), path, StagingSchemaSql());
  return path;
}

}  // namespace korvun::test
