// Small ZIP files for the tests, written with libzip.
#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace korvun::testing {

struct ZipEntry {
  std::string name;
  std::string data;
  bool store = false;
  std::time_t mtime = 0;
};

// Writes the archive to path; throws std::runtime_error on failure.
void MakeZip(const std::string& path, const std::vector<ZipEntry>& entries);

}  // namespace korvun::testing
