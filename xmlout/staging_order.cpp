#include "xmlout/staging_order.hpp"

namespace korvun {

int CompareText(std::string_view a, std::string_view b) {
  const size_t common = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < common; ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  // The longer one against the blanks the shorter is padded with.
  const std::string_view rest = a.size() > b.size() ? a.substr(common) : b.substr(common);
  const int sign = a.size() > b.size() ? 1 : -1;
  for (char c : rest) {
    const auto x = static_cast<unsigned char>(c);
    if (x != ' ') return x < ' ' ? -sign : sign;
  }
  return 0;
}

namespace {

template <typename T, typename Less>
int CompareNullable(const std::optional<T>& a, const std::optional<T>& b, Less&& compare) {
  if (!a || !b) return a ? 1 : b ? -1 : 0;
  return compare(*a, *b);
}

}  // namespace

int Compare(const NullableText& a, const NullableText& b) {
  return CompareNullable(a, b, [](const std::string& x, const std::string& y) { return CompareText(x, y); });
}

int Compare(const NullableInt& a, const NullableInt& b) {
  return CompareNullable(a, b, [](int64_t x, int64_t y) { return x < y ? -1 : x > y ? 1 : 0; });
}

int Compare(const NullableDouble& a, const NullableDouble& b) {
  return CompareNullable(a, b, [](double x, double y) { return x < y ? -1 : x > y ? 1 : 0; });
}

NullableText TextColumn(const DbRow& row, int column) {
  if (row.IsNullAt(column)) return std::nullopt;
  return row.AsTextAt(column);
}

NullableInt IntColumn(const DbRow& row, int column) {
  if (row.IsNullAt(column)) return std::nullopt;
  return row.AsIntAt(column);
}

NullableDouble DoubleColumn(const DbRow& row, int column) {
  if (row.IsNullAt(column)) return std::nullopt;
  return row.AsDoubleAt(column);
}

DepotColumns::DepotColumns(const DbRow& result)
    : number(result.ColumnIndex("DEPSTNR")),
      kind(result.ColumnIndex("DEPKTOART")),
      sub(result.ColumnIndex("DEPUNTERKTO")) {}

DepotRow ReadDepotRow(const DbRow& row, const DepotColumns& c) {
  return {IntColumn(row, c.number), TextColumn(row, c.kind), TextColumn(row, c.sub)};
}

}  // namespace korvun
