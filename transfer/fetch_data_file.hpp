// Fetches one data file from the provider and unpacks its CSV files.
#pragma once

#include <string>

#include "base/status.hpp"
#include "platform/run_context.hpp"

namespace korvun {

struct FetchRequest {
  std::string url;          // DownloadSrvUrl + "?params=" + encoded parameters
  std::string archiveName;  // "bestaende.zip" or "transaktionen.zip"
  int timeoutSeconds = 300;
  std::string dataDir;      // ends with the path separator
  std::string plainParams;  // for the debug log line only
};

// Success when the archive was downloaded and unpacked into the data
// directory; otherwise -1..-9, -1015, -23 (with the archive's name) or
// -30..-35 (with the provider's number and text). File failures (archive not
// writable) throw std::runtime_error.
Status FetchDataFile(RunContext& ctx, const FetchRequest& request);

}  // namespace korvun
