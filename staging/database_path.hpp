// Where the staging database of a run lies.
#pragma once

#include <string>

namespace korvun {

// Without an ImportDB setting: the data directory's "FFBDB.IDB". With one:
// that setting, its first ".\" (or "./") replaced by the data directory;
// a path on another drive or "host:path" stays as it is.
std::string ChooseDatabasePath(const std::string& dataDir, const std::string& importDb);

// True when a database path names a server ("host:path", "host/port:path",
// "\\\\host\\path", "inet://..."), false for a file of this machine (a drive
// letter's colon is no server).
bool NamesServer(const std::string& path);

// The server port named in an ImportDB of the form "host/port:path";
// defaultPort for every other form.
int DatabaseServerPort(const std::string& importDb, int defaultPort);

}  // namespace korvun
