// What the import stage hands to the stage that follows it: the open staging
// database within the run's transaction, and the selection it made.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/status.hpp"
#include "platform/run_context.hpp"
#include "staging/db_client.hpp"

namespace korvun {

struct ImportFileArgs {
  std::string xmlDir;
  std::string beraterRef;                   // as the host passed it
  std::vector<std::string> selectionParts;  // BeraterRef split at "-"
  double lastImportDate = 0;
  double requestDate = 0;
};

// The stage that reads the staging tables after the CSV import (the XML
// creation). The caller wires it in, so the import knows nothing of it.
using ImportFileWriter = std::function<Status(RunContext&, DbConnection&, const ImportFileArgs&)>;

}  // namespace korvun
