// The import stage of an export run: CSV files into the staging database,
// then the XML import file.
#pragma once

#include <functional>
#include <string>

#include "plugin/run_context.hpp"
#include "staging/import_file_writer.hpp"

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

// Result for an intermediary number whose first part is too long.
constexpr int kBeraterRefTooLong = -14;

// 0, -14 or -28. Database and file failures throw.
int RunImport(RunContext& ctx, const ImportRequest& request);

// The XML creation that follows the CSV import, within its transaction.
using ImportFileWriter = std::function<int(RunContext&, DbConnection&, const ImportFileArgs&)>;

// RunImport with the given XML creation in place of WriteImportFile.
int RunImportWith(RunContext& ctx, const ImportRequest& request, const ImportFileWriter& writeFile);

}  // namespace korvun
