#include "staging/csv_cleanup.hpp"

#include <vector>

namespace korvun {
namespace {

bool HasCsvExtension(const std::string& name) {
  if (name.size() < 4) return false;
  const std::string ext = name.substr(name.size() - 4);
  return ext[0] == '.' && (ext[1] | 0x20) == 'c' && (ext[2] | 0x20) == 's' && (ext[3] | 0x20) == 'v';
}

}  // namespace

void DeleteCsvFiles(Env& env, const std::string& dataDir) {
  std::vector<FolderEntry> entries;
  if (!env.GetChildren(dataDir, &entries).ok()) return;
  std::string dir = dataDir;
  if (!dir.empty() && dir.back() != env.PathSeparator()) dir += env.PathSeparator();
  for (const FolderEntry& entry : entries) {
    // Hidden files stay, as do folders, links and anything else not a plain file.
    if (entry.kind != FolderEntry::Kind::kFile) continue;
    if (entry.name.empty() || entry.name[0] == '.' || !HasCsvExtension(entry.name)) continue;
    env.RemoveFile(dir + entry.name);
  }
}

}  // namespace korvun
