// korvun-zuv-gen: writes bestaende.csv and transaktionen.csv as the provider
// delivers them, for N customers, the same files for the same seed.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "base/program_version.hpp"
#include "tools/data_generator/provider_data.hpp"

int main(int argc, char** argv) {
  korvun::tools::GeneratorOptions o;
  std::string out = ".";
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "Wert fehlt nach %s\n", a.c_str());
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--customers") o.customers = std::atoi(next().c_str());
    else if (a == "--seed") o.seed = std::strtoull(next().c_str(), nullptr, 10);
    else if (a == "--out") out = next();
    else if (a == "--vervoe1") o.vervoe1 = next();
    else if (a == "--vervoe2") o.vervoe2 = next();
    else if (a == "--from") o.firstDate = std::atoi(next().c_str());
    else if (a == "--to") o.lastDate = o.priceDate = std::atoi(next().c_str());
    else if (a == "--version") {
      korvun::PrintProgramVersion("korvun-zuv-gen");
      return 0;
    } else if (a == "--help" || a == "-h") {
      std::printf(
          "korvun-zuv-gen --customers N --seed S [--out VERZ] [--vervoe1 12345] [--vervoe2 678]\n"
          "               [--from JJJJMMTT] [--to JJJJMMTT]\n"
          "Schreibt VERZ/bestaende.csv und VERZ/transaktionen.csv (ISO 8859-1, CR LF).\n"
          "  --help     dieser Text\n"
          "  --version  Programm und Version\n");
      return 0;
    } else {
      std::fprintf(stderr, "Unbekannte Option: %s (siehe --help)\n", a.c_str());
      return 2;
    }
  }
  if (o.customers < 0) {
    std::fprintf(stderr, "--customers muss >= 0 sein\n");
    return 2;
  }
  std::ofstream holdings(out + "/bestaende.csv", std::ios::binary);
  std::ofstream transactions(out + "/transaktionen.csv", std::ios::binary);
  if (!holdings || !transactions) {
    std::fprintf(stderr, "Kann nicht nach %s schreiben\n", out.c_str());
    return 1;
  }
  const auto c = korvun::tools::GenerateProviderFiles(o, holdings, transactions);
  holdings.close();
  transactions.close();
  if (!holdings || !transactions) {
    std::fprintf(stderr, "Schreiben nach %s fehlgeschlagen\n", out.c_str());
    return 1;
  }
  std::printf("Kunden %ld, Depots %ld, Bestandszeilen %ld, Transaktionszeilen %ld "
              "(davon %ld mit ausgefilterten Auftragsarten), Depots ohne Bestand %ld\n",
              c.customers, c.depots, c.holdingLines, c.transactionLines, c.droppedCodes,
              c.depotsWithoutHoldings);
  return 0;
}
