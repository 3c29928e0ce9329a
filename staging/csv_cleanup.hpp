// Removing the unpacked CSV files once both are in the staging database.
#pragma once

#include <string>

#include "platform/env.hpp"

namespace korvun {

// Deletes every visible regular file "*.csv" (any letter case) directly in
// the directory. A file that cannot be deleted stays, without an error.
void DeleteCsvFiles(Env& env, const std::string& dataDir);

}  // namespace korvun
