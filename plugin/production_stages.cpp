// The real stages of an export run, wired together here so that no stage
// needs to know the one that follows it.
#include "plugin/export_run.hpp"
#include "staging/database_path.hpp"
#include "staging/database_server.hpp"
#include "staging/import_stage.hpp"
#include "transfer/fetch_data_file.hpp"
#include "transfer/request_params.hpp"
#include "xmlout/import_document.hpp"

namespace korvun {
namespace {

class Production final : public RunStages {
 public:
  Status EnsureDatabaseServer(RunContext& ctx, const std::string& importDb) override {
    return korvun::EnsureDatabaseServer(ctx, DatabaseServerProfileOf(ctx.env.Kind()),
                                         DatabaseServerPort(importDb, 0));
  }
  std::string HoldingsParams(const std::string& login, const std::string& pin,
                             const std::string& timestamp) override {
    return korvun::HoldingsParams(login, pin, timestamp);
  }
  std::string TransactionsParams(const std::string& login, const std::string& pin,
                                 const std::string& startDate,
                                 const std::string& timestamp) override {
    return korvun::TransactionsParams(login, pin, startDate, timestamp);
  }
  int EncodeRequestParams(Env& env, std::string& params) override {
    return korvun::EncodeRequestParams(env.Crypto(), params);
  }
  Status FetchDataFile(RunContext& ctx, const FetchRequest& request) override {
    return korvun::FetchDataFile(ctx, request);
  }
  Status RunImport(RunContext& ctx, const ImportRequest& request) override {
    return korvun::RunImport(ctx, request, WriteImportFile);
  }
};

}  // namespace

RunStages& ProductionStages() {
  static Production stages;
  return stages;
}

}  // namespace korvun
