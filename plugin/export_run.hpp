// One export run: settings, access data, the two downloads and the import
// stage, in this order and with these rules.
#pragma once

#include <cstdint>
#include <string>

#include "base/status.hpp"
#include "platform/env.hpp"
#include "platform/run_context.hpp"
#include "platform/ui.hpp"
#include "plugin/module_state.hpp"
#include "staging/import_stage.hpp"
#include "transfer/fetch_data_file.hpp"

namespace korvun {

// The stages a run calls. Production wires the real ones; tests put doubles.
class RunStages {
 public:
  virtual ~RunStages() = default;
  // importDb: the setting, which may name the server's port.
  virtual Status EnsureDatabaseServer(RunContext& ctx, const std::string& importDb) = 0;
  virtual std::string HoldingsParams(const std::string& login, const std::string& pin,
                                     const std::string& timestamp) = 0;
  virtual std::string TransactionsParams(const std::string& login, const std::string& pin,
                                         const std::string& startDate,
                                         const std::string& timestamp) = 0;
  // The encoding's own status: 0, or the failure it reports.
  virtual int EncodeRequestParams(Env& env, std::string& params) = 0;
  virtual Status FetchDataFile(RunContext& ctx, const FetchRequest& request) = 0;
  // The CSV import followed by the XML creation.
  virtual Status RunImport(RunContext& ctx, const ImportRequest& request) = 0;
};

RunStages& ProductionStages();

// The arguments of ExportXML; null pointers are taken as empty texts and, for
// the date, as a first import.
struct ExportArgs {
  const char* xmlDir = nullptr;
  const char* beraterRef = nullptr;
  int32_t reserved = 0;
  double* lastImportDate = nullptr;
  const char* accessText = nullptr;
};

// The run itself. Each stage's details go into module.errors as the stage
// returns. Failures of files and the database leave it as exceptions.
Status RunExport(Env& env, Ui& ui, ModuleState& module, RunStages& stages, const ExportArgs& args);

// The run as the host sees it: no exception leaves; an unexpected failure is
// -40 with its cause in the error details and a log line to the host.
ExportErrorCode RunExportGuarded(Env& env, Ui& ui, ModuleState& module, RunStages& stages,
                                 const ExportArgs& args);

}  // namespace korvun
