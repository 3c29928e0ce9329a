// The import stage of an export run: CSV files into the staging database,
// then the XML import file.
#pragma once

#include <string>

#include "plugin/run_context.hpp"

namespace korvun {

struct ImportRequest {
  std::string dataDir;     // ends with the path separator
  std::string verBerNr;    // handed over, not evaluated
  std::string beraterRef;
  std::string xmlDir;
  double lastImportDate = 0;  // 0 on a first import
  double requestDate = 0;
  std::string importDb;    // the ImportDB setting, empty when unset
};

// 0, -14 or -28. Database and file failures throw.
int RunImport(RunContext& ctx, const ImportRequest& request);

}  // namespace korvun
