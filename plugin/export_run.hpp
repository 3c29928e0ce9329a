// One export run: settings, access data, the two downloads and the import
// stage, in this order and with these rules.
#pragma once

#include <cstdint>
#include <string>

#include "platform/env.hpp"
#include "platform/ui.hpp"
#include "plugin/module_state.hpp"
#include "plugin/run_context.hpp"
#include "staging/import_stage.hpp"
#include "transfer/fetch_data_file.hpp"

namespace korvun {

// The stages a run calls. Production wires the real ones; tests put doubles.
class RunStages {
 public:
  virtual ~RunStages() = default;
  virtual std::string EnsureDatabaseServer(Env& env) = 0;
  virtual std::string HoldingsParams(const std::string& login, const std::string& pin,
                                     const std::string& timestamp) = 0;
  virtual std::string TransactionsParams(const std::string& login, const std::string& pin,
                                         const std::string& startDate,
                                         const std::string& timestamp) = 0;
  virtual int EncodeRequestParams(std::string& params) = 0;
  virtual int FetchDataFile(RunContext& ctx, const FetchRequest& request) = 0;
  virtual int RunImport(RunContext& ctx, const ImportRequest& request) = 0;
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

// Result code of an unexpected failure inside a run.
inline constexpr int32_t kUnexpectedFailure = -40;

// The run itself. Failures of files and the database leave it as exceptions.
int32_t RunExport(Env& env, Ui& ui, ModuleState& module, RunStages& stages, const ExportArgs& args);

// The run as the host sees it: no exception leaves; an unexpected failure is
// -40 with its text in the error details and a log line to the host.
int32_t RunExportGuarded(Env& env, Ui& ui, ModuleState& module, RunStages& stages,
                         const ExportArgs& args);

}  // namespace korvun
