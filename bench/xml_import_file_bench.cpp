// Times the creation of ZUV.XML from staging databases of 1,000, 10,000 and
// 40,000 generated customers (one depot, two funds, ten transactions per
// fund). Four times the customers may take at most 4.5 times as long.
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/ui.hpp"
#include "base/ole_date.hpp"
#include "platform/run_context.hpp"
#include "staging/firebird_client.hpp"
#include "xmlout/import_document.hpp"
#include "staging/staging_database.hpp"

namespace {

using namespace korvun;

void Generate(DbConnection& db, int customers) {
  std::mt19937 rng(4711);
  auto holding = db.Prepare(
      "insert into BESTAENDE (VERBERNR, VERVOE1, VERVOE2, VERVOE3, DEPSTNR, DEPKTOART, "
      "DEPUNTERKTO, INHKDNR1, INHANREDE1, INHGESCH1, INHNACHNAME1, INHVORNAME1, INHSTRASSE1, "
      "INHPLZ1, INHORT1, INHTEL1, INHEMAIL1, INHGEBTAG1, FONWKNEXT, FONISIN, FONNAMELANG, BESTSTK) "
      "values (138010, '12345', '678', '', :DEPSTNR, '01', '002', :INHKDNR1, 'Herr', 'M', "
      ":NAME, 'Jens', :STRASSE, '55116', 'Mainz', '06131 12345', 'kunde@example.org', 19650312, "
      ":WKN, :ISIN, :FONDS, :BESTSTK)");
  auto trans = db.Prepare(
      "insert into TRANSAKTIONEN (TRAID, VERBERNR, VERVOE1, VERVOE2, DEPSTNR, DEPKTOART, "
      "DEPUNTERKTO, AUFTRAGTYP, TEILAUFTRAGTYP, TRADAT, FONPREISDAT, TRABETRAG, TRABETRAGEUR, "
      "TRAWAEHR, FONPREIS, FONRPREIS, TRABONPZ, FONAUSGABE, TRASTK, FONWKNEXT, FONISIN) values "
      "(:TRAID, 138010, '12345', '678', :DEPSTNR, '01', '002', :AT, :TAT, 20240102, 20240103, "
      ":BETRAG, :BETRAG2, 'EUR', 52.5, 50, 0, 5, :STK, :WKN, :ISIN)");
  static const int kTypes[][2] = {{10, 1}, {20, 2}, {50, 0}, {40, 1}, {70, 5}, {90, 6}};
  long long traId = 1;
  for (int c = 1; c <= customers; ++c) {
    const int depot = 100000 + c;
    for (int f = 0; f < 2; ++f) {
      const std::string isin = "DE" + std::to_string(1000000000 + c * 2 + f);
      const std::string wkn = std::to_string(100000 + (c * 2 + f) % 900000);
      holding->SetInt(0, depot);
      holding->SetInt(1, c);
      holding->SetText(2, "M\xFCller " + std::to_string(c));
      holding->SetText(3, "Gro\xDF" "e Bleiche " + std::to_string(c % 200));
      holding->SetText(4, wkn);
      holding->SetText(5, isin);
      holding->SetText(6, "Fonds " + std::to_string(f) + " & Co");
      holding->SetDouble(7, 100.0 + c % 17);
      holding->Execute();
      for (int t = 0; t < 10; ++t) {
        const auto& type = kTypes[rng() % 6];
        const double amount = 10.0 + static_cast<double>(rng() % 100000) / 100.0;
        trans->SetText(0, std::to_string(traId++));
        trans->SetInt(1, depot);
        trans->SetInt(2, type[0]);
        trans->SetInt(3, type[1]);
        trans->SetDouble(4, amount);
        trans->SetDouble(5, amount);
        trans->SetDouble(6, amount / 50.0);
        trans->SetText(7, wkn);
        trans->SetText(8, isin);
        trans->Execute();
      }
    }
  }
}

// When the last customer was written: the rest of the time goes to the
// depots without customer.
std::chrono::steady_clock::time_point g_lastCustomer;
// First reports of 75 % and 90 %: the first and the last fifth of the
// customers begin there, so a slowdown within the run shows.
std::chrono::steady_clock::time_point g_start, g_at75, g_at90;
void OnProgress(int32_t kind, int32_t value, const char*) {
  const auto now = std::chrono::steady_clock::now();
  if (kind == 1) g_start = now;
  if (kind == 2 && value == 75 && g_at75 < g_start) g_at75 = now;
  if (kind == 2 && value == 90 && g_at90 < g_start) g_at90 = now;
  if (kind == 2 && value == 95) g_lastCustomer = now;
}

// Seconds for one WriteImportFile over `customers` customers.
bool g_keep = false;  // --keep: leave the database and file for a closer look

double TimeRun(int customers) {
  namespace fs = std::filesystem;
  std::random_device rd;
  const fs::path dir = fs::temp_directory_path() / ("korvun-xmlbench-" + std::to_string(rd()));
  fs::create_directories(dir);
  const std::string dbPath = (dir / "FFBDB.IDB").string();
  double seconds = -1;
  try {
    CreateStagingDatabase(Env::Default(), dbPath, StagingSchemaSql());
    auto db = AttachFirebird(Env::Default(), dbPath, kStagingPassword);
    db->StartTransaction();
    const auto g0 = std::chrono::steady_clock::now();
    Generate(*db, customers);
    db->CommitRetaining();
    const double genSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - g0).count();

    const auto silent = MakeSilentUi();
    Ui& ui = *silent;
    Reporter reporter(&OnProgress);
    RunContext ctx{Env::Default(), ui, reporter, 0};
    ImportFileArgs args;
    args.xmlDir = dir.string();
    args.beraterRef = "12345-678";
    args.selectionParts = {"12345-678", "12345", "678"};
    args.lastImportDate = OleFromCivil({2024, 1, 1});
    args.requestDate = OleFromCivil({2024, 6, 15});
    // The best of three runs over the same data: the machine is shared, and
    // the other runs only add noise.
    for (int round = 0; round < 3; ++round) {
      const auto t0 = std::chrono::steady_clock::now();
      const std::clock_t c0 = std::clock();
      const int result = WriteImportFile(ctx, *db, args).value();
      const auto t1 = std::chrono::steady_clock::now();
      const double wall = std::chrono::duration<double>(t1 - t0).count();
      const double cpu = static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC;
      const double unassigned = std::chrono::duration<double>(t1 - g_lastCustomer).count();
      const auto size = fs::file_size(dir / "ZUV.XML");
      const double firstFifth = std::chrono::duration<double>(g_at75 - g_start).count();
      const double lastFifth = std::chrono::duration<double>(g_lastCustomer - g_at90).count();
      std::printf(
          "%6d Kunden: %7.2f s XML, %7.2f s CPU, davon %5.2f s Depots ohne Kunde (%6.0f Kunden/s; "
          "erstes/letztes Fuenftel %.2f/%.2f s; %5.1f MB, Ergebnis %d); Daten erzeugt in %.1f s\n",
          customers, wall, cpu, unassigned, customers / wall, firstFifth, lastFifth,
          static_cast<double>(size) / 1e6, result, genSeconds);
      std::fflush(stdout);
      if (seconds < 0 || wall < seconds) seconds = wall;
    }
    db->Commit();
    db->Detach();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Fehler: %s\n", e.what());
  }
  if (g_keep) {
    std::printf("Behalten: %s\n", dir.string().c_str());
  } else {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes = {1000, 10000, 40000};
  std::vector<int> given;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--keep") {
      g_keep = true;
    } else if (const int n = std::atoi(arg.c_str()); n > 0) {
      given.push_back(n);
    } else {
      std::fprintf(stderr,
                   "Aufruf: xml_import_file_bench [--keep] [KUNDEN ...]   (Vorgabe: 1000 10000 40000)\n");
      return arg == "--help" || arg == "-h" ? 0 : 2;
    }
  }
  if (!given.empty()) sizes = given;
  std::vector<double> times;
  for (int n : sizes) {
    const double t = TimeRun(n);
    if (t < 0) return 1;
    times.push_back(t);
  }
  // Growth: the time of the largest run against the one a quarter its size.
  for (size_t i = 1; i < sizes.size(); ++i) {
    if (sizes[i] != 4 * sizes[i - 1]) continue;
    const double ratio = times[i] / times[i - 1];
    std::printf("%d / %d Kunden: %.2f-fache Zeit (Ziel hoechstens 4,5) %s\n", sizes[i],
                sizes[i - 1], ratio, ratio <= 4.5 ? "erreicht" : "VERFEHLT");
    if (ratio > 4.5) return 2;
  }
  return 0;
}
