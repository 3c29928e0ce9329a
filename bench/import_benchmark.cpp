// The CSV import against a bare insert loop: N generated transaction lines
// (and N/4 holding lines) through the real importer into a real embedded
// staging database, then the same rows inserted with one prepared statement
// in one transaction. Prints rows per second, their ratio and the memory the
// import needed next to the CSV file's size.
//
// The machine may be shared: each side runs several times, alternating, and
// the best run of each counts; rates by process CPU time are shown beside the
// wall-clock ones.
//
//   import_benchmark [transaction-lines [repetitions]]   (default 200000 3)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ctime>
#include <random>
#include <string>

#include "import_data_generator.hpp"
#include "process_memory.hpp"
#include "staging/csv_importer.hpp"
#include "staging/csv_text.hpp"
#include "staging/firebird_client.hpp"
#include "staging/order_type_filter.hpp"
#include "staging/staging_database.hpp"

namespace fs = std::filesystem;
using namespace korvun;
using Clock = std::chrono::steady_clock;

using bench::ResetPeakMemory;
using bench::StatusBytes;

namespace {

constexpr long long kBatch = 10000;

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

long long WriteCsv(const std::string& path, const StagingTable& table,
                   const std::vector<std::string>& map, size_t fieldCount, long long rows,
                   void (*make)(long long, bench::Row*)) {
  const auto fields = bench::FieldNumbers(table, map);
  std::ofstream out(path, std::ios::binary);
  out << "HEADER\r\n";
  bench::Row row;
  std::string line;
  for (long long i = 0; i < rows; ++i) {
    make(i, &row);
    bench::CsvLine(table, fields, fieldCount, row, &line);
    out << line;
  }
  out.close();
  return static_cast<long long>(fs::file_size(path));
}

struct Figures {
  long long rows = 0;
  double seconds = 0;
  double cpuSeconds = 0;
  long long peakGrowth = 0;
  double Rate() const { return seconds > 0 ? static_cast<double>(rows) / seconds : 0; }
  double CpuRate() const { return cpuSeconds > 0 ? static_cast<double>(rows) / cpuSeconds : 0; }
  // The better of two runs of the same work.
  void Best(const Figures& other) {
    if (rows == 0 || other.seconds < seconds) seconds = other.seconds;
    if (rows == 0 || other.cpuSeconds < cpuSeconds) cpuSeconds = other.cpuSeconds;
    peakGrowth = std::max(peakGrowth, other.peakGrowth);
    rows = other.rows;
  }
};

Figures ImportFile(Env& env, DbConnection& db, const StagingTable& table, const std::string& csv,
                   const std::vector<std::string>& map, const std::string& log, bool filter) {
  CsvImporter importer(env, table);
  importer.SetFileName(csv);
  importer.SetMap(map);
  importer.SetErrorLogName(log);
  if (filter) {
    importer.beforePost = [](const std::vector<std::string_view>& v) {
      return AcceptOrderType(v.size() > 6 ? v[6] : "", v.size() > 7 ? v[7] : "");
    };
  }
  ResetPeakMemory();
  const long long before = StatusBytes("VmRSS:");
  const auto start = Clock::now();
  const double cpuStart = CpuSeconds();
  const CsvImportResult result = importer.Run(db);
  db.CommitRetaining();
  Figures f;
  f.seconds = std::chrono::duration<double>(Clock::now() - start).count();
  f.cpuSeconds = CpuSeconds() - cpuStart;
  f.rows = result.stored;
  f.peakGrowth = StatusBytes("VmHWM:") - before;
  if (result.failed != 0) std::fprintf(stderr, "%d records refused, see %s\n", result.failed, log.c_str());
  return f;
}

Figures BareLoop(DbConnection& db, const StagingTable& table, long long rows,
                 void (*make)(long long, bench::Row*)) {
  auto insert = db.Prepare(InsertSql(table));
  std::vector<bench::Row> batch(static_cast<size_t>(kBatch));
  Figures f;
  for (long long first = 0; first < rows; first += kBatch) {
    const long long n = std::min(kBatch, rows - first);
    for (long long i = 0; i < n; ++i) make(first + i, &batch[static_cast<size_t>(i)]);
    const auto start = Clock::now();  // only the inserts are timed
    const double cpuStart = CpuSeconds();
    for (long long i = 0; i < n; ++i) {
      const bench::Row& row = batch[static_cast<size_t>(i)];
      for (size_t c = 0; c < table.columns.size(); ++c) {
        const int p = static_cast<int>(c);
        const bench::Value& v = row[c];
        if (v.null) {
          insert->SetNull(p);
        } else if (table.columns[c].kind == ColumnKind::kInteger) {
          insert->SetInt(p, v.i);
        } else if (table.columns[c].kind == ColumnKind::kFloat) {
          insert->SetDouble(p, v.d);
        } else {
          insert->SetText(p, v.text);
        }
      }
      insert->Execute();
    }
    f.seconds += std::chrono::duration<double>(Clock::now() - start).count();
    f.cpuSeconds += CpuSeconds() - cpuStart;
  }
  const auto start = Clock::now();
  const double cpuStart = CpuSeconds();
  db.CommitRetaining();
  f.seconds += std::chrono::duration<double>(Clock::now() - start).count();
  f.cpuSeconds += CpuSeconds() - cpuStart;
  f.rows = rows;
  return f;
}

void Print(const char* what, const Figures& imported, const Figures& bare, long long csvBytes) {
  const double ratio = bare.Rate() > 0 ? imported.Rate() / bare.Rate() : 0;
  const double cpuRatio = bare.CpuRate() > 0 ? imported.CpuRate() / bare.CpuRate() : 0;
  std::printf("%-14s %9lld rows  wall: importer %9.0f rows/s  bare loop %9.0f rows/s  ratio %5.1f %%  %s\n",
              what, imported.rows, imported.Rate(), bare.Rate(), 100 * ratio,
              ratio >= 0.7 ? "(target >= 70 % met)" : "(target >= 70 % MISSED)");
  std::printf("%-14s %9s       cpu:  importer %9.0f rows/s  bare loop %9.0f rows/s  ratio %5.1f %%\n", "",
              "", imported.CpuRate(), bare.CpuRate(), 100 * cpuRatio);
  const double memoryRatio = static_cast<double>(imported.peakGrowth) / static_cast<double>(csvBytes);
  std::printf("%-14s CSV %7.1f MB  import peak memory growth %7.1f MB = %4.2f x file  %s\n", "",
              static_cast<double>(csvBytes) / 1e6, static_cast<double>(imported.peakGrowth) / 1e6,
              memoryRatio, memoryRatio < 2 ? "(target < 2 x met)" : "(target < 2 x MISSED)");
}

}  // namespace

int main(int argc, char** argv) {
  const long long transactions = argc > 1 ? std::atoll(argv[1]) : 200000;
  const long long holdings = transactions / 4;
  const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  std::random_device rd;
  const fs::path dir = fs::temp_directory_path() / ("korvun-import-bench-" + std::to_string(rd()));
  fs::create_directories(dir);
  Env& env = Env::Default();
  int rc = 0;
  try {
    const std::string source = KORVUN_BENCH_SOURCE_DIR;
    const auto holdingsMap = ReadFileLines(env, source + "/data/BESTAND.txt");
    const auto transactionsMap = ReadFileLines(env, source + "/data/TRANSAKT.txt");
    const std::string holdingsCsv = (dir / "bestaende.csv").string();
    const std::string transactionsCsv = (dir / "transaktionen.csv").string();
    const long long holdingsBytes =
        WriteCsv(holdingsCsv, HoldingsTable(), holdingsMap, 51, holdings, bench::HoldingsRow);
    const long long transactionsBytes = WriteCsv(transactionsCsv, TransactionsTable(),
                                                 transactionsMap, 24, transactions, bench::TransactionRow);

    Figures importedHoldings, importedTransactions, bareHoldings, bareTransactions;
    for (int run = 0; run < repetitions; ++run) {
      const std::string importDb = (dir / ("import" + std::to_string(run) + ".idb")).string();
      const std::string bareDb = (dir / ("bare" + std::to_string(run) + ".idb")).string();
      CreateStagingDatabase(env, importDb, StagingSchemaSql());
      CreateStagingDatabase(env, bareDb, StagingSchemaSql());

      auto db = AttachFirebird(env, importDb, kStagingPassword);
      db->StartTransaction();
      importedHoldings.Best(ImportFile(env, *db, HoldingsTable(), holdingsCsv, holdingsMap,
                                       (dir / "bst_error.log").string(), false));
      importedTransactions.Best(ImportFile(env, *db, TransactionsTable(), transactionsCsv,
                                           transactionsMap, (dir / "tra_error.log").string(), true));
      db->Commit();
      db->Detach();
      db.reset();

      auto bare = AttachFirebird(env, bareDb, kStagingPassword);
      bare->StartTransaction();
      bareHoldings.Best(BareLoop(*bare, HoldingsTable(), holdings, bench::HoldingsRow));
      bareTransactions.Best(BareLoop(*bare, TransactionsTable(), transactions, bench::TransactionRow));
      bare->Commit();
      bare->Detach();
      bare.reset();
      fs::remove(importDb);
      fs::remove(bareDb);
    }

    std::printf("Import benchmark: %lld transaction lines, %lld holding lines, best of %d runs\n",
                transactions, holdings, repetitions);
    Print("TRANSAKTIONEN", importedTransactions, bareTransactions, transactionsBytes);
    Print("BESTAENDE", importedHoldings, bareHoldings, holdingsBytes);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "import_benchmark: %s\n", e.what());
    rc = 1;
  }
  std::error_code ec;
  fs::remove_all(dir, ec);
  return rc;
}
