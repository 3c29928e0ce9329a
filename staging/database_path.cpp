#include "staging/database_path.hpp"

#include "staging/staging_database.hpp"

namespace korvun {

std::string ChooseDatabasePath(const std::string& dataDir, const std::string& importDb) {
  if (importDb.empty()) return dataDir + kStagingDatabaseName;
  // The placeholder for the data directory; a "." before it would make it
  // part of "..\", which means the parent folder and is left alone.
  for (size_t i = 0; i + 1 < importDb.size(); ++i) {
    if (importDb[i] == '.' && (importDb[i + 1] == '\\' || importDb[i + 1] == '/') &&
        (i == 0 || importDb[i - 1] != '.')) {
      return importDb.substr(0, i) + dataDir + importDb.substr(i + 2);
    }
  }
  return importDb;
}

}  // namespace korvun
