// ZIP archives made on the fly for the answers.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace korvun::sim {

struct ArchiveEntry {
  std::string name;  // may contain folders ("export/bestaende.csv")
  std::string data;
  std::time_t mtime = 0;  // 0: now
  bool store = false;     // true: stored, else Deflate
};

// The archive's bytes, or nullopt with *error.
std::optional<std::string> BuildZip(const std::vector<ArchiveEntry>& entries, std::string* error);

}  // namespace korvun::sim
