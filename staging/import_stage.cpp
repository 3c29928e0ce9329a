#include "staging/import_stage.hpp"

#include <stdexcept>

#include "staging/berater_ref.hpp"
#include "staging/csv_cleanup.hpp"
#include "staging/csv_importer.hpp"
#include "staging/database_path.hpp"
#include "staging/firebird_client.hpp"
#include "staging/import_progress.hpp"
#include "staging/order_type_filter.hpp"
#include "staging/staging_database.hpp"
#include "staging/staging_reset.hpp"
#include "staging/staging_tables.hpp"

namespace korvun {
namespace {

const char kDebugPauseText[] = "Beginne XML_Verarbeitung ... csv-Import-Dateien ersetzen ?";

// Order type and sub-type are the seventh and eighth entries of TRANSAKT.txt.
constexpr size_t kOrderTypeEntry = 6;
constexpr size_t kOrderSubTypeEntry = 7;

// Lets the data directory's CSV files be replaced by hand before they are read.
void DebugPause(RunContext& ctx) {
  if (ctx.ui.Interactive()) {
    ctx.ui.ShowInformation("ZUV", kDebugPauseText);
  } else {
    ctx.reporter.Log(kDebugPauseText);
  }
}

// Progress every tenth line within the file's 30-percent share, and a chance
// for the host's windows to react.
std::function<void(long long, long long)> ProgressEveryTenth(RunContext& ctx, int base) {
  return [&ctx, base](long long handled, long long lines) {
    if (handled % 10 != 0) return;
    ctx.reporter.Position(base + ProgressShare(handled, lines));
    ctx.ui.ProcessPendingMessages();
  };
}

// The data directory's map file; without one there, the copy installed with
// the library, so an installed plug-in runs without copying map files.
std::string MapFilePath(Env& env, const std::string& dataDir, const char* name) {
  const std::string own = dataDir + name;
  if (env.FileExists(own)) return own;
  const std::string installed = env.InstalledDataDir();
  if (!installed.empty() && env.FileExists(installed + name)) return installed + name;
  return own;
}

// Attaches the staging database. A file the engine reports as damaged is the
// run's own scratch file: it is replaced by a fresh one, so that one power
// loss does not stop every later run.
std::unique_ptr<DbConnection> AttachStaging(RunContext& ctx, const std::string& dbPath) {
  try {
    return AttachFirebird(ctx.env, dbPath, kStagingPassword);
  } catch (const DbError& e) {
    if (!IsDamagedDatabase(e) || !ctx.env.FileExists(dbPath)) throw;
  }
  ctx.reporter.Log("Die Staging-Datenbank " + dbPath + " ist besch\xE4" "digt und wird neu angelegt.");
  const Status removed = ctx.env.RemoveFile(dbPath);
  if (!removed.ok()) throw std::runtime_error(removed.detailText().value_or(dbPath));
  CreateStagingDatabase(ctx.env, dbPath, StagingSchemaSql());
  return AttachFirebird(ctx.env, dbPath, kStagingPassword);
}

}  // namespace

Status RunImport(RunContext& ctx, const ImportRequest& request, const ImportFileWriter& writeFile,
                 const StagingConnectionWrap& wrap) {
  if (ctx.debugMode >= 2) DebugPause(ctx);

  SelectionParts selection = SplitBeraterRef(request.beraterRef);
  if (selection.parts[1].size() > kMaxFirstPartLength) return ExportErrorCode::kBeraterRefTooLong;

  ImportFileArgs args;
  args.xmlDir = request.xmlDir;
  args.beraterRef = request.beraterRef;
  selection.parts.resize(static_cast<size_t>(selection.count) + 1);
  args.selectionParts = selection.parts;
  args.lastImportDate = request.lastImportDate;
  args.requestDate = request.requestDate;

  const std::string dbPath = ChooseDatabasePath(request.dataDir, request.importDb);
  if (!request.importDb.empty()) ctx.reporter.Log("ImportDB = " + dbPath);

  // Destroying the connection on an error commits what is done and detaches.
  std::unique_ptr<DbConnection> db = AttachStaging(ctx, dbPath);
  if (wrap) db = wrap(std::move(db));
  ClearStagingTables(*db, StagingSchemaSql());

  // Both maps are read before either import, so a missing one stops both.
  const std::string holdingsFile = request.dataDir + "bestaende.csv";
  const std::string transactionsFile = request.dataDir + "transaktionen.csv";
  CsvImporter holdings(ctx.env, HoldingsTable());
  holdings.SetFileName(holdingsFile);
  holdings.LoadMapFile(MapFilePath(ctx.env, request.dataDir, "BESTAND.txt"));
  holdings.SetErrorLogName(request.dataDir + "bst_error.log");
  holdings.beforePost = [](const std::vector<std::string_view>&) { return true; };
  holdings.afterRecord = ProgressEveryTenth(ctx, 10);

  CsvImporter transactions(ctx.env, TransactionsTable());
  transactions.SetFileName(transactionsFile);
  transactions.LoadMapFile(MapFilePath(ctx.env, request.dataDir, "TRANSAKT.txt"));
  transactions.SetErrorLogName(request.dataDir + "tra_error.log");
  transactions.beforePost = [](const std::vector<std::string_view>& values) {
    const std::string_view type = values.size() > kOrderTypeEntry ? values[kOrderTypeEntry] : "";
    const std::string_view sub = values.size() > kOrderSubTypeEntry ? values[kOrderSubTypeEntry] : "";
    return AcceptOrderType(type, sub);
  };
  transactions.afterRecord = ProgressEveryTenth(ctx, 40);
  if (request.readAheadLines) {
    holdings.SetReadAheadLines(*request.readAheadLines);
    transactions.SetReadAheadLines(*request.readAheadLines);
  }

  ctx.reporter.Phase(10, "Import " + holdingsFile);
  holdings.Run(*db);
  db->CommitRetaining();

  ctx.reporter.Phase(40, "Import " + transactionsFile);
  transactions.Run(*db);
  db->CommitRetaining();
  AddMissingKeysAndIndexes(*db, StagingSchemaSql());

  DeleteCsvFiles(ctx.env, request.dataDir);

  Status result = writeFile(ctx, *db, args);
  db->Commit();
  db->Detach();
  return result;
}

}  // namespace korvun
