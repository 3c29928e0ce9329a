#include "plugin/export_run.hpp"

#include <cmath>
#include <exception>

#include "plugin/access_data.hpp"
#include "plugin/ole_date.hpp"
#include "plugin/settings.hpp"

namespace korvun {
namespace {

constexpr const char* kReadVersionBelow = "2.1.7";
constexpr int kTransactionOverlapDays = 7;
constexpr const char* kFirstImportStartDate = "00000000";
constexpr int kFirstImportMinTimeout = 1800;
constexpr const char* kHoldingsArchive = "bestaende.zip";
constexpr const char* kTransactionsArchive = "transaktionen.zip";
constexpr const char* kQuerySeparator = "?params=";
constexpr size_t kMaxDetailText = 255;

double FixedReReadDate() { return OleFromCivil({2009, 1, 1}); }

double Today(Env& env) {
  const LocalTime now = env.Now();
  return OleFromCivil({now.year, now.month, now.day});
}

}  // namespace

int32_t RunExport(Env& env, Ui& ui, ModuleState& module, RunStages& stages,
                  const ExportArgs& args) {
  int32_t result = -1;
  const std::string xmlDir = args.xmlDir ? args.xmlDir : "";
  const std::string beraterRef = args.beraterRef ? args.beraterRef : "";
  const Reporter& report = module.reporter;

  // 1. Settings and data directory.
  const RunSettings settings = ReadRunSettings(env, module);
  std::string dataDir;
  if (!settings.dataDir.empty()) {
    dataDir = settings.dataDir;
    report.Log("DataDir = " + dataDir);
  } else {
    dataDir = DeriveDataDir(xmlDir, env.PathSeparator());
  }
  RunContext ctx{env, ui, report, module.errors, module.debugMode};

  // 2./3. Access data.
  if (args.accessText == nullptr) return -11;
  AccessData access = ParseAccessData(args.accessText);

  // 4. Database server, unless the host embeds it.
  if (!access.embeddedIbServer) {
    const std::string serverMessage = stages.EnsureDatabaseServer(env);
    if (!serverMessage.empty()) {
      report.Phase(0, serverMessage);
      return -29;
    }
  }

  // 5./6. Login and PIN.
  if (access.userLogin.empty()) return -12;
  if (access.password.empty()) {
    if (access.noMessageBoxes) return -15;
    std::string pin;
    if (!ui.AskPassword(kImportName, access.userLogin, &pin) || pin.empty()) return -15;
    access.password = pin;
  }

  // 7./8. First import.
  double lastImport = args.lastImportDate ? *args.lastImportDate : 0.0;
  const bool firstImport = lastImport == 0.0;
  if (firstImport) {
    if (!access.noMessageBoxes)
      ui.ShowInformation("Information",
                         "Der Erst-Import umfasst eine grosse Zahl von Depotdaten.\r"
                         "Dieser Vorgang kann eventuell einige Minuten dauern.");
    report.Log("Erst-Import f\xFCr Berater-Referenz");
  }

  // 9. Imports by versions before 2.1.7 are read again from a fixed date.
  if (access.versionLastUsed < kReadVersionBelow && lastImport > FixedReReadDate()) {
    lastImport = FixedReReadDate();
    if (args.lastImportDate) *args.lastImportDate = lastImport;
  }

  // 10.
  report.Status(1, "Daten abrufen ...");

  // 11.-14. Holdings: today, then tomorrow and yesterday when the server
  // does not accept the timestamp.
  const double today = Today(env);
  double requestDate = today;
  auto fetchHoldings = [&](double date) -> int32_t {
    requestDate = date;
    std::string params = stages.HoldingsParams(access.userLogin, access.password, YmdText(date));
    const std::string plain = params;
    const int status = stages.EncodeRequestParams(params);
    module.errors.code = status;
    if (status != 0) return -21;
    FetchRequest request{module.downloadSrvUrl + kQuerySeparator + params, kHoldingsArchive,
                         module.timeoutSeconds, dataDir, plain};
    return stages.FetchDataFile(ctx, request);
  };
  result = fetchHoldings(today);
  if (result == -32) result = fetchHoldings(today + 1);
  if (result == -32) result = fetchHoldings(today - 1);
  if (result != 0) return result;

  // 15.
  report.Position(5);

  // 16. Transactions since a week before the last import.
  {
    const std::string startDate =
        firstImport ? kFirstImportStartDate
                    : YmdText(std::floor(lastImport) - kTransactionOverlapDays);
    std::string params = stages.TransactionsParams(access.userLogin, access.password, startDate,
                                                   YmdText(requestDate));
    const std::string plain = params;
    const int status = stages.EncodeRequestParams(params);
    module.errors.code = status;
    if (status != 0) return -22;
    if (firstImport && module.timeoutSeconds < kFirstImportMinTimeout)
      module.timeoutSeconds = kFirstImportMinTimeout;
    FetchRequest request{module.downloadSrvUrl + kQuerySeparator + params, kTransactionsArchive,
                         module.timeoutSeconds, dataDir, plain};
    result = stages.FetchDataFile(ctx, request);
    if (result != 0) return result;
  }

  // 17.
  report.Position(10);

  // 18. Import stage.
  module.errors.text = beraterRef;
  ImportRequest import{dataDir,   access.verBerNr, beraterRef,      xmlDir,
                       lastImport, requestDate,    module.importDb};
  result = stages.RunImport(ctx, import);
  return result;
}

int32_t RunExportGuarded(Env& env, Ui& ui, ModuleState& module, RunStages& stages,
                         const ExportArgs& args) {
  std::string failure;
  try {
    return RunExport(env, ui, module, stages, args);
  } catch (const std::exception& e) {
    failure = e.what();
  } catch (...) {
    failure = "Unbekannter Fehler";
  }
  try {
    if (failure.size() > kMaxDetailText) failure.resize(kMaxDetailText);
    module.errors.text = failure;
    module.reporter.Log("Unerwarteter Fehler: " + failure);
  } catch (...) {
    // Out of memory while reporting: the code alone must still reach the host.
  }
  return kUnexpectedFailure;
}

}  // namespace korvun
