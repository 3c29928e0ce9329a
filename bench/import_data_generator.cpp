#include "import_data_generator.hpp"

#include <cstdio>
#include <cstring>

namespace korvun::bench {
namespace {

// Order types the import takes, so that every generated transaction is stored.
const int kOrderCodes[][2] = {{10, 1}, {20, 2}, {30, 1}, {40, 1}, {50, 0}, {62, 3}, {70, 5}, {88, 0}};

Value Int(int32_t v) {
  Value x;
  x.i = v;
  return x;
}
Value Dbl(double v) {
  Value x;
  x.d = v;
  return x;
}
Value Txt(std::string v) {
  Value x;
  x.text = std::move(v);
  return x;
}
Value Null() {
  Value x;
  x.null = true;
  return x;
}

std::string Digits(long long v, int width) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*lld", width, v);
  return buf;
}

}  // namespace

void HoldingsRow(long long index, Row* row) {
  const long long customer = index / 4;
  const int32_t depot = static_cast<int32_t>(200000000 + customer);
  const std::string c = std::to_string(customer);
  *row = {
      Int(138010), Txt("12345"), Txt(std::to_string(600 + customer % 90)), Txt(""),
      Int(depot), Null(), Int(static_cast<int32_t>(5000000 + customer)), Txt("Herr"), Txt(""),
      Txt("M"), Txt("Nachname" + c), Txt("Vorname"), Txt(""), Txt("Gro\xDF" "e Bleiche " + c),
      Txt("55116"), Txt("Mainz"), Txt("Deutschland"), Txt("06131 " + c), Txt(""),
      Txt("kunde" + c + "@example.org"), Int(19700101 + static_cast<int32_t>(customer % 28)),
      Null(), Txt(""), Txt(""), Txt(""), Txt(""), Txt(""), Txt(""), Txt(""), Txt(""), Txt(""),
      Txt(""), Txt(""), Txt(""), Txt(""), Null(), Txt(Digits(index % 999999, 6)),
      Txt("DE000" + Digits(index % 9999999, 7)), Txt("Mainufer Rentenfonds Euro"),
      Dbl(50.0 + static_cast<double>(index % 5000) / 100), Int(20250626), Txt("EUR"), Dbl(1),
      Int(20250626), Dbl(static_cast<double>(index % 100000) / 1000),
      Dbl(static_cast<double>(index % 10000000) / 100), Dbl(50), Dbl(0), Txt("02"), Txt("002")};
}

void TransactionRow(long long index, Row* row) {
  const auto& code = kOrderCodes[index % (sizeof kOrderCodes / sizeof kOrderCodes[0])];
  const long long customer = index / 8;
  *row = {Txt(Digits(index, 12)), Int(138010), Txt("12345"), Txt(std::to_string(600 + customer % 90)),
          Txt(""), Int(static_cast<int32_t>(200000000 + customer)), Int(code[0]), Int(code[1]),
          Int(20200101 + static_cast<int32_t>(index % 28)), Int(20200103), Dbl(1000.5),
          Dbl(1000.5), Txt("EUR"), Dbl(52.48), Dbl(50.95), Dbl(0), Dbl(3),
          Dbl(static_cast<double>(index % 100000) / 1000), Txt(Digits(index % 999999, 6)),
          Txt("DE000" + Digits(index % 9999999, 7)), Null(), Txt("01"), Txt("005")};
}

std::vector<size_t> FieldNumbers(const StagingTable& table, const std::vector<std::string>& mapLines) {
  std::vector<size_t> fields(table.columns.size(), 0);
  for (const auto& line : mapLines) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string name = line.substr(0, eq);
    for (size_t i = 0; i < table.columns.size(); ++i) {
      if (name == table.columns[i].name) fields[i] = std::stoul(line.substr(eq + 1));
    }
  }
  return fields;
}

void CsvLine(const StagingTable& table, const std::vector<size_t>& fields, size_t fieldCount,
             const Row& row, std::string* line) {
  std::vector<std::string> out(fieldCount);
  char buf[64];
  for (size_t i = 0; i < table.columns.size(); ++i) {
    if (fields[i] == 0 || fields[i] > fieldCount) continue;
    const Value& v = row[i];
    std::string& f = out[fields[i] - 1];
    if (v.null) {
      f = "Null";
    } else if (table.columns[i].kind == ColumnKind::kInteger) {
      f = std::to_string(v.i);
    } else if (table.columns[i].kind == ColumnKind::kFloat) {
      std::snprintf(buf, sizeof buf, "%.3f", v.d);
      f = buf;
      for (char& ch : f) {
        if (ch == '.') ch = ',';
      }
    } else {
      f = v.text;
    }
  }
  line->clear();
  for (size_t i = 0; i < out.size(); ++i) {
    if (i) *line += ';';
    *line += out[i];
  }
  *line += "\r\n";
}

}  // namespace korvun::bench
