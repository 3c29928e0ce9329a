// Fetches one data file from the provider and unpacks its CSV files.
#pragma once

#include <string>

#include "plugin/run_context.hpp"

namespace korvun {

struct FetchRequest {
  std::string url;          // DownloadSrvUrl + "?params=" + encoded parameters
  std::string archiveName;  // "bestaende.zip" or "transaktionen.zip"
  int timeoutSeconds = 300;
  std::string dataDir;      // ends with the path separator
  std::string plainParams;  // for the debug log line only
};

// 0 when the archive was downloaded and unpacked into the data directory;
// otherwise a result code (-1..-9, -1015, -23, -30..-35). Sets the error
// details. File failures (archive not writable) throw std::runtime_error.
int FetchDataFile(RunContext& ctx, const FetchRequest& request);

}  // namespace korvun
