#include "tools/data_generator/provider_data.hpp"

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace korvun::tools {
namespace {

// splitmix64: the same numbers on every platform and library.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }
  int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
  bool Chance(int percent) { return Below(100) < percent; }
  double Uniform(double lo, double hi) {
    return lo + (hi - lo) * (static_cast<double>(Next() >> 11) / 9007199254740992.0);
  }
  template <typename T, size_t N>
  const T& Pick(const std::array<T, N>& a) { return a[static_cast<size_t>(Below(static_cast<int>(N)))]; }

 private:
  uint64_t state_;
};

// ISO 8859-1 bytes throughout.
constexpr std::array<const char*, 24> kSurnames = {
    "M\xFCller", "Schmidt", "Schneider", "Fischer", "Weber", "Sch\xE4" "fer", "Meyer", "Wagner",
    "Becker", "Hoffmann", "K\xF6nig", "Gro\xDFmann", "Kr\xFCger", "Hartmann", "L\xF6hr", "Wei\xDF",
    "Schr\xF6" "der", "Neumann", "Zimmermann", "Braun", "Hofmann", "J\xE4ger", "B\xF6hm", "Vo\xDF"};
constexpr std::array<const char*, 12> kMaleNames = {"J\xFCrgen", "Bj\xF6rn", "Jens", "Thomas", "Peter", "Andreas",
                                                    "S\xF6ren", "Michael", "Klaus", "Stefan", "Uwe", "G\xFCnter"};
constexpr std::array<const char*, 12> kFemaleNames = {"K\xE4the", "Sabine", "Ursula", "Monika", "J\xF6rdis",
                                                      "Claudia", "Petra", "B\xE4rbel", "Andrea", "Gisela",
                                                      "Susanne", "Renate"};
constexpr std::array<const char*, 12> kStreets = {"Hauptstra\xDF" "e", "Gro\xDF" "e Bleiche", "Am B\xE4" "chle",
                                                  "Schlo\xDF" "allee", "Bahnhofstra\xDF" "e", "Lindenweg",
                                                  "M\xFChlgasse", "Kirchplatz", "Rosenstra\xDF" "e",
                                                  "Gartenweg", "Br\xFC" "ckenstra\xDF" "e", "Am Markt"};
struct Town {
  const char* postcode;
  const char* name;
};
constexpr std::array<Town, 10> kTowns = {{{"08066", "Zwickau"}, {"80331", "M\xFCnchen"},
                                          {"50667", "K\xF6ln"}, {"55116", "Mainz"},
                                          {"20095", "Hamburg"}, {"01067", "Dresden"},
                                          {"90402", "N\xFCrnberg"}, {"70173", "Stuttgart"},
                                          {"33602", "Bielefeld"}, {"66111", "Saarbr\xFC" "cken"}}};
constexpr std::array<const char*, 4> kTitles = {"Dr.", "Prof.", "Dipl.-Ing.", "Dr. med."};
constexpr std::array<const char*, 10> kFundWords = {"L\xF6wenburg", "Elbufer", "S\xFC" "dstern", "Nordlicht",
                                                    "Rheinblick", "Alpenland", "M\xE4rkische", "Ostsee",
                                                    "Taunus", "Weserbogen"};
constexpr std::array<const char*, 8> kFundKinds = {"Aktien Europa", "Rentenfonds Euro", "Unternehmensanleihen",
                                                   "Aktien Welt (aussch.)", "Immobilien", "Mischfonds defensiv",
                                                   "Aktien Deutschland", "Geldmarkt"};

struct Fund {
  std::string wkn, isin, name, currency;
  double price, rate;
};

struct Code {
  int type, sub;  // sub -1: field left empty
  int sign;       // sign of amount and units as delivered
  bool amountMode;  // savings-plan payments come without units
};
// Admitted codes, weighted by repetition; purchases and savings plans are the bulk.
constexpr std::array<Code, 40> kCodes = {{
    {10, 1, 1, false}, {10, 1, 1, false}, {10, 1, 1, false}, {11, 1, 1, false}, {15, 1, 1, false},
    {20, 2, -1, false}, {20, 2, -1, false}, {21, 2, -1, false}, {22, 2, -1, false}, {24, 2, -1, false},
    {25, 2, -1, false}, {28, 2, -1, false}, {29, 2, 1, false}, {30, 1, 1, false}, {30, 2, -1, false},
    {31, 1, 1, false}, {32, 2, -1, false}, {39, 1, 1, false}, {40, 1, 1, true}, {40, 1, 1, true},
    {40, 1, 1, true}, {41, 1, 1, true}, {46, 3, 1, false}, {50, -1, 1, false}, {50, 0, 1, false},
    {51, 0, 1, false}, {52, 4, -1, false}, {62, 3, 1, false}, {68, 1, 1, false}, {70, 5, -1, false},
    {78, 5, -1, true}, {79, 4, 1, false}, {80, 6, 1, false}, {88, 0, -1, false}, {89, 3, -1, false},
    {90, 5, -1, false}, {90, 6, 1, false}, {96, 3, -1, false}, {97, 3, 1, false}, {97, 4, -1, false},
}};
// Codes the import's filter drops.
constexpr std::array<Code, 3> kDroppedCodes = {{{88, 1, 1, false}, {12, 3, 1, false}, {99, 9, -1, false}}};

std::string Num(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  std::string s = buf;
  for (char& c : s)
    if (c == '.') c = ',';
  return s;
}

int AddDays(int ymd, int days) {
  using namespace std::chrono;
  const year_month_day d{year{ymd / 10000}, month{static_cast<unsigned>(ymd / 100 % 100)},
                         day{static_cast<unsigned>(ymd % 100)}};
  const year_month_day r{sys_days{d} + std::chrono::days{days}};
  return static_cast<int>(r.year()) * 10000 + static_cast<int>(static_cast<unsigned>(r.month())) * 100 +
         static_cast<int>(static_cast<unsigned>(r.day()));
}

int DaysBetween(int from, int to) {
  using namespace std::chrono;
  auto toDays = [](int ymd) {
    return sys_days{year{ymd / 10000} / month{static_cast<unsigned>(ymd / 100 % 100)} /
                    day{static_cast<unsigned>(ymd % 100)}};
  };
  return static_cast<int>((toDays(to) - toDays(from)).count());
}

std::vector<Fund> MakeFunds(Rng& rng, int count) {
  std::vector<Fund> funds;
  for (int i = 0; i < count; ++i) {
    Fund f;
    static const char* kAlnum = "ABCDEFGHJKLMNPQRSTUVWXYZ0123456789";
    f.wkn.clear();
    for (int k = 0; k < 6; ++k) f.wkn += kAlnum[rng.Below(34)];
    const char* country = rng.Chance(55) ? "DE" : "LU";
    std::string body = std::string(country) + (country[0] == 'D' ? "000" : "0") + f.wkn;
    while (body.size() < 11) body.insert(2, "0");
    body = body.substr(0, 11);
    f.isin = body + IsinCheckDigit(body);
    f.name = std::string(rng.Pick(kFundWords)) + " " + rng.Pick(kFundKinds);
    const int currencyDraw = rng.Below(100);
    f.currency = currencyDraw < 85 ? "EUR" : currencyDraw < 95 ? "USD" : "CHF";
    f.rate = f.currency == "EUR" ? 1.0 : f.currency == "USD" ? 1.0842 : 0.9415;
    f.price = std::round(rng.Uniform(12, 480) * 100) / 100;
    funds.push_back(f);
  }
  // A few funds are known by their WKN only.
  for (size_t i = 7; i < funds.size(); i += 41) funds[i].isin.clear();
  return funds;
}

struct Holder {
  std::string number, salutation, title, sex, surname, firstName, supplement, street, postcode,
      town, country, phone, fax, email, birthday;
};

Holder MakeHolder(Rng& rng, long customerNumber, const std::string& surname) {
  Holder h;
  const bool female = rng.Chance(50);
  h.number = std::to_string(customerNumber);
  h.salutation = female ? "Frau" : "Herr";
  h.sex = female ? "W" : "M";
  h.title = rng.Chance(8) ? rng.Pick(kTitles) : "";
  h.surname = surname;
  h.firstName = female ? rng.Pick(kFemaleNames) : rng.Pick(kMaleNames);
  h.supplement = rng.Chance(5) ? "c/o " + std::string(rng.Pick(kSurnames)) : "";
  h.street = std::string(rng.Pick(kStreets)) + " " + std::to_string(rng.Between(1, 180));
  const Town& t = rng.Pick(kTowns);
  h.postcode = t.postcode;
  h.town = t.name;
  h.country = "Deutschland";
  h.phone = rng.Chance(60) ? "0" + std::to_string(rng.Between(30, 9999)) + "/" +
                                  std::to_string(rng.Between(100000, 9999999))
                            : "";
  h.fax = rng.Chance(10) ? "0" + std::to_string(rng.Between(30, 9999)) + "/" +
                               std::to_string(rng.Between(100000, 999999))
                         : "";
  h.email = rng.Chance(50) ? "kunde" + h.number + "@example.org" : "";
  h.birthday = std::to_string(rng.Between(1935, 2004) * 10000 + rng.Between(1, 12) * 100 +
                              rng.Between(1, 28));
  return h;
}

void WriteHolder(std::ostream& out, const Holder* h) {
  if (!h) {
    out << "Null;;;;;;;;;;;;;;Null";
    return;
  }
  out << h->number << ';' << h->salutation << ';' << h->title << ';' << h->sex << ';' << h->surname
      << ';' << h->firstName << ';' << h->supplement << ';' << h->street << ';' << h->postcode
      << ';' << h->town << ';' << h->country << ';' << h->phone << ';' << h->fax << ';' << h->email
      << ';' << h->birthday;
}

}  // namespace

char IsinCheckDigit(const std::string& first11) {
  // Letters become two digits (A=10); then the Luhn sum from the right.
  std::string digits;
  for (char c : first11) {
    if (c >= '0' && c <= '9') digits += c;
    else digits += std::to_string(c - 'A' + 10);
  }
  int sum = 0;
  bool twice = true;
  for (auto it = digits.rbegin(); it != digits.rend(); ++it, twice = !twice) {
    int d = *it - '0';
    if (twice) {
      d *= 2;
      if (d > 9) d -= 9;
    }
    sum += d;
  }
  return static_cast<char>('0' + (10 - sum % 10) % 10);
}

GeneratorCounts GenerateProviderFiles(const GeneratorOptions& o, std::ostream& hold,
                                      std::ostream& tra) {
  Rng rng(o.seed);
  const std::vector<Fund> funds = MakeFunds(rng, 240);
  GeneratorCounts counts;
  const std::string crlf = "\r\n";
  hold << "VERBERNR;VERVOE1;VERVOE2;VERVOE3;DEPSTNR;DEPKTOART;DEPUNTERKTO;DEPEINR;INHKDNR1;"
          "INHANREDE1;INHTITELTXT1;INHGESCH1;INHNACHNAME1;INHVORNAME1;INHPOSTERG1;INHSTRASSE1;"
          "INHPLZ1;INHORT1;INHLANDTXT1;INHTEL1;INHFAX1;INHEMAIL1;INHGEBTAG1;INHKDNR2;INHANREDE2;"
          "INHTITELTXT2;INHGESCH2;INHNACHNAME2;INHVORNAME2;INHPOSTERG2;INHSTRASSE2;INHPLZ2;INHORT2;"
          "INHLANDTXT2;INHTEL2;INHFAX2;INHEMAIL2;INHGEBTAG2;FONWKNEXT;FONISIN;FONNAMELANG;"
          "FONRUECKPREIS;FONPREISDAT;FONWAEHR;DEVKURS;DEVDAT;BESTSTK;BESTWERT_EUR;DEPRABATT;"
          "DEPGEBPROZ;ANLAGEDATUM" << crlf;
  tra << "TRAID;VERBERNR;VERVOE1;VERVOE2;VERVOE3;DEPSTNR;DEPKTOART;DEPUNTERKTO;AUFTRAGTYP;"
         "TEILAUFTRAGTYP;AUFTRAGTYPTXT;TRADAT;FONPREISDAT;TRABETRAG;TRABETRAGEUR;TRAWAEHR;FONPREIS;"
         "FONRPREIS;TRABONPZ;FONAUSGABE;TRASTK;FONWKNEXT;FONISIN;TRAZWISCHGEW1" << crlf;

  const int span = std::max(1, DaysBetween(o.firstDate, o.lastDate));
  long traId = 2000000;
  long depotNumber = 225100000;
  for (int c = 0; c < o.customers; ++c) {
    ++counts.customers;
    const long customerNumber = 5000000 + c * 7 + 3;
    const std::string surname = rng.Pick(kSurnames);
    const Holder first = MakeHolder(rng, customerNumber, surname);
    const bool joint = rng.Chance(20);
    const Holder second = MakeHolder(rng, customerNumber + 1, rng.Chance(70) ? surname : rng.Pick(kSurnames));
    const std::string vervoe2 = rng.Chance(85) ? o.vervoe2 : o.otherVervoe2;
    const int depots = rng.Between(1, 3);
    for (int d = 0; d < depots; ++d) {
      ++counts.depots;
      depotNumber += rng.Between(1, 997);
      const std::string kind = rng.Chance(70) ? "02" : "01";
      const std::string sub = rng.Chance(80) ? "00" + std::to_string(rng.Between(1, 9)) : "";
      // Some depots were sold out: transactions but no holdings line.
      const bool withoutHoldings = rng.Chance(4);
      if (withoutHoldings) ++counts.depotsWithoutHoldings;
      const int fundCount = rng.Between(1, 4);
      const double discount = rng.Chance(30) ? 50.0 : rng.Chance(20) ? 25.0 : 0.0;
      // Distinct funds within a depot: one holdings line per depot and fund.
      const int firstFund = rng.Below(static_cast<int>(funds.size()));
      const int stride = 1 + rng.Below(13);
      for (int f = 0; f < fundCount; ++f) {
        const Fund& fund = funds[static_cast<size_t>(firstFund + f * stride) % funds.size()];
        const std::string isinField = fund.isin.empty() ? "Null" : fund.isin;
        double units = 0;
        const int transactions = rng.Between(6, 14);
        for (int t = 0; t < transactions; ++t) {
          const bool dropped = rng.Chance(3);
          const Code code = dropped ? rng.Pick(kDroppedCodes) : rng.Pick(kCodes);
          if (dropped) ++counts.droppedCodes;
          const int date = AddDays(o.firstDate, rng.Below(span));
          const int priceDate = AddDays(date, rng.Between(0, 3));
          const double price = std::round(fund.price * rng.Uniform(0.8, 1.2) * 100) / 100;
          const double charge = code.type < 20 || code.type == 40 || code.type == 41 ? (rng.Chance(70) ? 5.0 : 3.0) : 0.0;
          double amount = std::round(rng.Uniform(25, 25000) * 100) / 100;
          double u = std::round(amount / price * 1000) / 1000;
          amount *= code.sign;
          u *= code.sign;
          units += u;
          const double amountEur = fund.rate == 1.0 ? amount : std::round(amount / fund.rate * 100) / 100;
          const std::string id = std::to_string(++traId);
          tra << std::string(12 - id.size(), '0') << id << ';' << o.verberNr
              << ';' << o.vervoe1 << ';' << vervoe2 << ";;" << depotNumber << ';' << kind << ';'
              << sub << ';' << code.type << ';' << (code.sub < 0 ? "" : std::to_string(code.sub))
              << ";;" << date << ';' << priceDate << ';' << Num(amount, 2) << ';'
              << Num(amountEur, 2) << ';' << fund.currency << ';' << Num(price, 2) << ';'
              << (rng.Chance(80) ? Num(price * 0.95, 2) : "") << ';' << Num(discount, 2) << ';'
              << Num(charge, 2) << ';' << (code.amountMode ? "Null" : Num(u, 3)) << ';'
              << fund.wkn << ';' << isinField << ';'
              << (rng.Chance(50) ? "Null" : Num(rng.Uniform(0, 60), 2)) << crlf;
          ++counts.transactionLines;
        }
        if (withoutHoldings) continue;
        const double held = std::max(0.001, std::fabs(units));
        hold << o.verberNr << ';' << o.vervoe1 << ';' << vervoe2 << ";;" << depotNumber << ';'
             << kind << ';' << sub << ";Null;";
        WriteHolder(hold, &first);
        hold << ';';
        WriteHolder(hold, joint ? &second : nullptr);
        hold << ';' << fund.wkn << ';' << isinField << ';' << fund.name << ';'
             << Num(fund.price, 2) << ';' << o.priceDate << ';' << fund.currency << ';'
             << (fund.rate == 1.0 ? (rng.Chance(50) ? "1,0000" : "Null") : Num(fund.rate, 4))
             << ';' << (fund.rate == 1.0 ? "" : std::to_string(o.priceDate)) << ';'
             << Num(held, 3) << ';' << Num(held * fund.price / fund.rate, 2) << ';'
             << Num(discount, 2) << ";0,00;20240714" << crlf;
        ++counts.holdingLines;
      }
    }
  }
  return counts;
}

}  // namespace korvun::tools
