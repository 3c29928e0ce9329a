// The import stage of an export run: CSV files into the staging database,
// then the XML import file.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "base/status.hpp"
#include "platform/run_context.hpp"
#include "staging/import_handover.hpp"

namespace korvun {

struct ImportRequest {
  std::string dataDir;     // ends with the path separator
  std::string verBerNr;    // handed over, not evaluated
  std::string beraterRef;
  std::string xmlDir;
  double lastImportDate = 0;  // 0 on a first import
  double requestDate = 0;
  std::string importDb;    // the ImportDB setting, empty when unset
  // From how many lines on a CSV file is read ahead on a worker; unset: the
  // importer's own figure. Tests set 0 to have every file read there.
  std::optional<long long> readAheadLines;
};

// Takes the staging connection once it is attached and gives back the one the
// run uses; tests put a wrapper around it that injects failures.
using StagingConnectionWrap =
    std::function<std::unique_ptr<DbConnection>(std::unique_ptr<DbConnection>)>;

// Empties the staging tables, imports both CSV files and hands the database
// to `writeFile` within the same transaction. -14 for an intermediary number
// whose first part is too long, else what `writeFile` returns. Database and
// file failures throw.
Status RunImport(RunContext& ctx, const ImportRequest& request, const ImportFileWriter& writeFile,
                 const StagingConnectionWrap& wrap = {});

}  // namespace korvun
