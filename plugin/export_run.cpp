#include "plugin/export_run.hpp"

#include <cmath>
#include <exception>

#include "base/ole_date.hpp"
#include "base/strings.hpp"
#include "plugin/access_data.hpp"
#include "plugin/host_progress.hpp"
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
constexpr const char* kFirstImportNotice =
    "Der Erst-Import umfasst eine grosse Zahl von Depotdaten.\r"
    "Dieser Vorgang kann eventuell einige Minuten dauern.";

double FixedReReadDate() { return OleFromCivil({2009, 1, 1}); }

// The steps of one run, in the order the run takes them. Each step that can
// end the run returns its status; the details it carries go into the
// module's error details at once, as the host's messages read them.
class ExportRun {
 public:
  ExportRun(Env& env, Ui& ui, ModuleState& module, RunStages& stages, const ExportArgs& args)
      : env_(env), ui_(ui), module_(module), stages_(stages), args_(args),
        report_(module.reporter), ctx_{env, ui, module.reporter, 0} {}

  Status Run() {
    ReadSettings();
    Status status = ReadAccessData();
    if (status.ok()) status = EnsureDatabaseServer();
    if (status.ok()) status = CheckLoginAndPin();
    if (!status.ok()) return status;
    NoticeFirstImport();
    report_.Status(1, "Daten abrufen ...");
    status = FetchHoldings();
    if (!status.ok()) return status;
    report_.Position(5);
    status = FetchTransactions();
    if (!status.ok()) return status;
    report_.Position(10);
    return Import();
  }

 private:
  // Settings afresh from the registry, and the data directory.
  void ReadSettings() {
    const RunSettings settings = ReadRunSettings(env_, module_);
    ctx_.debugMode = module_.debugMode;
    if (!settings.dataDir.empty()) {
      dataDir_ = settings.dataDir;
      report_.Log("DataDir = " + dataDir_);
    } else {
      dataDir_ = DeriveDataDir(Text(args_.xmlDir), env_.PathSeparator());
    }
  }

  Status ReadAccessData() {
    if (args_.accessText == nullptr) return ExportErrorCode::kNoAccessData;
    access_ = ParseAccessData(args_.accessText);
    return Status::Ok();
  }

  // Unless the host embeds the database server.
  Status EnsureDatabaseServer() {
    if (access_.embeddedIbServer) return Status::Ok();
    const Status server = stages_.EnsureDatabaseServer(ctx_, module_.importDb);
    if (server.ok()) return server;
    report_.Phase(0, server.detailText().value_or(""));
    return ExportErrorCode::kDatabaseServer;  // its message has no detail
  }

  // A PIN the host did not pass is asked for, unless prompts are off.
  Status CheckLoginAndPin() {
    if (access_.userLogin.empty()) return ExportErrorCode::kNoLoginId;
    if (!access_.password.empty()) return Status::Ok();
    if (access_.noMessageBoxes) return ExportErrorCode::kNoPassword;
    std::string pin;
    if (!ui_.AskPassword(kImportName, access_.userLogin, &pin) || pin.empty())
      return ExportErrorCode::kNoPassword;
    access_.password = pin;
    return Status::Ok();
  }

  // A first import is announced; imports by versions before 2.1.7 are read
  // again from a fixed date.
  void NoticeFirstImport() {
    lastImport_ = args_.lastImportDate ? *args_.lastImportDate : 0.0;
    firstImport_ = lastImport_ == 0.0;
    if (firstImport_) {
      if (!access_.noMessageBoxes) ui_.ShowInformation("Information", kFirstImportNotice);
      report_.Log("Erst-Import f\xFCr Berater-Referenz");
    }
    if (access_.versionLastUsed < kReadVersionBelow && lastImport_ > FixedReReadDate()) {
      lastImport_ = FixedReReadDate();
      if (args_.lastImportDate) *args_.lastImportDate = lastImport_;
    }
  }

  // Today, then tomorrow and yesterday when the provider does not accept
  // the timestamp.
  Status FetchHoldings() {
    const LocalTime now = env_.Now();
    const double today = OleFromCivil({now.year, now.month, now.day});
    Status status;
    for (const double date : {today, today + 1, today - 1}) {
      requestDate_ = date;
      status = Fetch(stages_.HoldingsParams(access_.userLogin, access_.password, YmdText(date)),
                     ExportErrorCode::kEncodeHoldings, kHoldingsArchive);
      if (!status.Is(ExportErrorCode::kProviderTimestamp)) break;
    }
    return status;
  }

  // Everything since a week before the last import; a first import may take
  // longer than the usual time-out.
  Status FetchTransactions() {
    const std::string startDate = firstImport_
                                      ? kFirstImportStartDate
                                      : YmdText(std::floor(lastImport_) - kTransactionOverlapDays);
    return Fetch(stages_.TransactionsParams(access_.userLogin, access_.password, startDate,
                                            YmdText(requestDate_)),
                 ExportErrorCode::kEncodeTransactions, kTransactionsArchive,
                 firstImport_ ? kFirstImportMinTimeout : 0);
  }

  Status Fetch(std::string params, ExportErrorCode encodeFailure, const char* archive,
               int minTimeout = 0) {
    const std::string plain = params;
    const int encoded = stages_.EncodeRequestParams(env_, params);
    module_.errors.code = encoded;
    if (encoded != 0) return encodeFailure;
    if (module_.timeoutSeconds < minTimeout) module_.timeoutSeconds = minTimeout;
    const FetchRequest request{module_.downloadSrvUrl + kQuerySeparator + params, archive,
                               module_.timeoutSeconds, dataDir_, plain};
    return Recorded(stages_.FetchDataFile(ctx_, request));
  }

  Status Import() {
    const std::string beraterRef = Text(args_.beraterRef);
    module_.errors.text = beraterRef;
    const ImportRequest request{dataDir_,    access_.verBerNr, beraterRef,       Text(args_.xmlDir),
                                lastImport_, requestDate_,     module_.importDb, {}};
    return Recorded(stages_.RunImport(ctx_, request));
  }

  Status Recorded(Status status) {
    module_.errors.Take(status);
    return status;
  }

  static std::string Text(const char* text) { return text ? text : ""; }

  Env& env_;
  Ui& ui_;
  ModuleState& module_;
  RunStages& stages_;
  const ExportArgs& args_;
  const Reporter& report_;
  RunContext ctx_;
  std::string dataDir_;
  AccessData access_;
  double lastImport_ = 0;
  bool firstImport_ = false;
  double requestDate_ = 0;
};

}  // namespace

Status RunExport(Env& env, Ui& ui, ModuleState& module, RunStages& stages,
                 const ExportArgs& args) {
  return ExportRun(env, ui, module, stages, args).Run();
}

ExportErrorCode RunExportGuarded(Env& env, Ui& ui, ModuleState& module, RunStages& stages,
                                 const ExportArgs& args) {
  std::string failure;
  module.hostLeftRun = false;
  try {
    return RunExport(env, ui, module, stages, args).code();
  } catch (const HostLeftRun&) {
    // Nothing more to tell the host: it has left the run.
    return ExportErrorCode::kDownloadCancelled;
  } catch (const std::exception& e) {
    failure = e.what();
  } catch (...) {
    failure = "Unbekannter Fehler";
  }
  try {
    module.errors.Take(Status::Unexpected(CutText(failure)));
    module.reporter.Log("Unerwarteter Fehler: " + module.errors.text);
  } catch (...) {
    // Out of memory while reporting: the code alone must still reach the host.
  }
  return ExportErrorCode::kUnexpectedFailure;
}

}  // namespace korvun
