// Unpacks the "*.csv" entries of a ZIP archive flat into one folder.
#pragma once

#include <string>

#include "base/progress.hpp"
#include "platform/env.hpp"

namespace korvun {

struct UnpackResult {
  int extracted = 0;  // CSV files written completely
  int failed = 0;     // entries or archive problems, each logged
};

// Every entry of the archive file whose name ends in ".csv" (any case) lands
// directly in targetDir (which ends with the path separator) under the last
// part of its name, overwriting a file of that name and keeping the stored
// time. The archive is read through the Env where libzip needs it and each
// entry written a block at a time, so memory does not grow with either. The
// CRC-32 is checked; a failed entry leaves no file behind. Failures go to the
// log as "UnZip-Error: ..." lines, naming the archive by its path.
UnpackResult UnpackCsvEntries(Env& env, const std::string& archivePath, const std::string& targetDir,
                              const Reporter& reporter);

// The name a stored entry gets in the target folder, or empty when the entry
// is not a CSV file or its name could not be placed safely.
std::string CsvTargetName(const std::string& entryName);

}  // namespace korvun
