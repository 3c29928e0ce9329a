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

bool NamesServer(const std::string& path) {
  if (path.rfind("\\\\", 0) == 0 || path.find("://") != std::string::npos) return true;
  const size_t colon = path.find(':');
  if (colon == std::string::npos) return false;
  const bool driveLetter = colon == 1 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return !driveLetter;
}

int DatabaseServerPort(const std::string& importDb, int defaultPort) {
  const size_t colon = importDb.find(':');
  if (colon == std::string::npos) return defaultPort;
  const std::string server = importDb.substr(0, colon);
  const size_t slash = server.find('/');
  if (slash == 0 || slash == std::string::npos || slash + 1 == server.size()) return defaultPort;
  int port = 0;
  for (size_t i = slash + 1; i < server.size(); ++i) {
    if (server[i] < '0' || server[i] > '9' || port > 6553) return defaultPort;
    port = port * 10 + (server[i] - '0');
  }
  return port >= 1 && port <= 65535 ? port : defaultPort;
}

}  // namespace korvun
