#include "staging/csv_cleanup.hpp"

#include <filesystem>
#include <vector>

namespace korvun {
namespace {

bool HasCsvExtension(const std::string& name) {
  if (name.size() < 4) return false;
  const std::string ext = name.substr(name.size() - 4);
  return ext[0] == '.' && (ext[1] | 0x20) == 'c' && (ext[2] | 0x20) == 's' && (ext[3] | 0x20) == 'v';
}

}  // namespace

void DeleteCsvFiles(const std::string& dataDir) {
  namespace fs = std::filesystem;
  std::error_code ec;
  std::vector<fs::path> doomed;
  for (fs::directory_iterator it(fs::path(dataDir), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    // Hidden files stay, as do directories and anything else not a plain file.
    if (name.empty() || name[0] == '.' || !HasCsvExtension(name)) continue;
    std::error_code typeError;
    if (!it->is_regular_file(typeError) || it->is_symlink(typeError)) continue;
    doomed.push_back(it->path());
  }
  for (const auto& path : doomed) {
    std::error_code removeError;
    fs::remove(path, removeError);
  }
}

}  // namespace korvun
