// The seam between the import stage and the XML creation.
#pragma once

#include <string>
#include <vector>

#include "plugin/run_context.hpp"
#include "staging/db_client.hpp"

namespace korvun {

struct ImportFileArgs {
  std::string xmlDir;
  std::string beraterRef;                   // as the host passed it
  std::vector<std::string> selectionParts;  // BeraterRef split at "-"
  double lastImportDate = 0;
  double requestDate = 0;
};

// Writes ZUV.XML from the staging tables within the run's transaction.
// 0, or -28 for a first import without customers. Failures throw.
int WriteImportFile(RunContext& ctx, DbConnection& db, const ImportFileArgs& args);

}  // namespace korvun
