#include "staging/firebird_values.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "staging/db_client.hpp"

namespace korvun {
namespace {

int64_t Pow10(int n) {
  int64_t r = 1;
  while (n-- > 0) r *= 10;
  return r;
}

// Decimal digits of a scaled integer, with the German decimal comma.
std::string ScaledText(int64_t value, int scale) {
  if (scale >= 0) return std::to_string(value * Pow10(scale));
  const int64_t div = Pow10(-scale);
  const bool neg = value < 0;
  const uint64_t mag = neg ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::string frac = std::to_string(mag % static_cast<uint64_t>(div));
  frac.insert(0, static_cast<size_t>(-scale) - frac.size(), '0');
  std::string text = neg ? "-" : "";
  text += std::to_string(mag / static_cast<uint64_t>(div));
  text += ',';
  text += frac;
  return text;
}

std::string DoubleText(double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.15g", value);
  std::string text = buf;
  std::replace(text.begin(), text.end(), '.', ',');
  return text;
}

int64_t IntegerValue(const XSQLVAR& v) {
  switch (v.sqltype & ~1) {
    case SQL_SHORT: {
      int16_t x;
      std::memcpy(&x, v.sqldata, sizeof x);
      return x;
    }
    case SQL_LONG: {
      int32_t x;
      std::memcpy(&x, v.sqldata, sizeof x);
      return x;
    }
    default: {
      int64_t x;
      std::memcpy(&x, v.sqldata, sizeof x);
      return x;
    }
  }
}

double FloatValue(const XSQLVAR& v) {
  if ((v.sqltype & ~1) == SQL_FLOAT) {
    float x;
    std::memcpy(&x, v.sqldata, sizeof x);
    return x;
  }
  double x;
  std::memcpy(&x, v.sqldata, sizeof x);
  return x;
}

}  // namespace

std::string ColumnAlias(const XSQLVAR& v) {
  return std::string(v.aliasname, static_cast<size_t>(v.aliasname_length));
}

std::string ValueAsText(const XSQLVAR& v) {
  if (*v.sqlind < 0) return {};
  switch (v.sqltype & ~1) {
    case SQL_VARYING: {
      uint16_t len;
      std::memcpy(&len, v.sqldata, sizeof len);
      return std::string(v.sqldata + 2, len);
    }
    case SQL_TEXT:
      return std::string(v.sqldata, static_cast<size_t>(v.sqllen));
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
      return ScaledText(IntegerValue(v), v.sqlscale);
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
      return DoubleText(FloatValue(v));
    case SQL_BOOLEAN:
      return *v.sqldata ? "True" : "False";
    default:
      throw DbError("Spalte " + ColumnAlias(v) + ": Datentyp wird nicht unterst\xFCtzt");
  }
}

int64_t ValueAsInt(const XSQLVAR& v) {
  if (*v.sqlind < 0) return 0;
  switch (v.sqltype & ~1) {
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64: {
      const int64_t raw = IntegerValue(v);
      return v.sqlscale >= 0 ? raw * Pow10(v.sqlscale) : raw / Pow10(-v.sqlscale);
    }
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
      return std::llround(FloatValue(v));
    case SQL_BOOLEAN:
      return *v.sqldata ? 1 : 0;
    default: {
      const std::string text = ValueAsText(v);
      char* end = nullptr;
      const long long value = std::strtoll(text.c_str(), &end, 10);
      if (text.empty() || *end != '\0') {
        throw DbError("Spalte " + ColumnAlias(v) + ": \"" + text + "\" ist keine ganze Zahl");
      }
      return value;
    }
  }
}

double ValueAsDouble(const XSQLVAR& v) {
  if (*v.sqlind < 0) return 0;
  switch (v.sqltype & ~1) {
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
      return static_cast<double>(IntegerValue(v)) / std::pow(10.0, -v.sqlscale);
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
      return FloatValue(v);
    default: {
      std::string text = ValueAsText(v);
      std::replace(text.begin(), text.end(), ',', '.');
      char* end = nullptr;
      const double value = std::strtod(text.c_str(), &end);
      if (text.empty() || *end != '\0') {
        throw DbError("Spalte " + ColumnAlias(v) + ": \"" + text + "\" ist keine Zahl");
      }
      return value;
    }
  }
}

}  // namespace korvun
