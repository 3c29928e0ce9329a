#include "xmlout/transaction_element.hpp"

#include <cmath>
#include <cstdio>
#include <exception>
#include <string_view>

#include "base/strings.hpp"
#include "xmlout/order_codes.hpp"
#include "xmlout/sales_charge.hpp"
#include "xmlout/xml_format.hpp"

namespace korvun {
namespace {

// A read that fails leaves the fallback; the transaction is still written.
template <typename F, typename T>
T ReadOr(F&& read, T fallback) {
  try {
    return read();
  } catch (const std::exception&) {
    return fallback;
  }
}

double Number(const DbRow& row, int column) {
  return row.IsNullAt(column) ? 0.0 : row.AsDoubleAt(column);
}

std::string Amount(double value, int decimals) { return XMLFloatStr(value, 15, decimals); }

// The largest power of ten the conversion's extended floating-point type holds.
constexpr long kMaxDecimalExponent = 4931;

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

std::string TransactionReference(const std::string& traId) {
  // A number as the process's conversion reads it: [sign] digits [, digits]
  // [E [sign] digits], blanks around it. Worked on as decimal text so that
  // long identifiers keep every digit.
  std::string_view s = TrimControl(traId);
  bool negative = false;
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  long exponent = 0;
  const size_t e = s.find_first_of("Ee");
  if (e != std::string_view::npos) {
    std::string_view power = s.substr(e + 1);
    bool powerNegative = false;
    if (!power.empty() && (power.front() == '-' || power.front() == '+')) {
      powerNegative = power.front() == '-';
      power.remove_prefix(1);
    }
    // Beyond the range of the conversion's floating-point type: no number.
    if (!AllDigits(power) || power.size() > 4) return traId;
    exponent = std::stol(std::string(power));
    if (exponent > kMaxDecimalExponent) return traId;
    if (powerNegative) exponent = -exponent;
    s = s.substr(0, e);
  }
  const size_t comma = s.find(',');
  std::string_view whole = s.substr(0, comma);
  std::string_view fraction = comma == std::string_view::npos ? std::string_view() : s.substr(comma + 1);
  const bool wholeOk = whole.empty() ? !fraction.empty() : AllDigits(whole);
  const bool fractionOk = comma == std::string_view::npos || fraction.empty() || AllDigits(fraction);
  if (!wholeOk || !fractionOk || (whole.empty() && fraction.empty())) return traId;

  // All digits, and where the decimal point falls among them.
  std::string all = std::string(whole) + std::string(fraction);
  const long point = static_cast<long>(whole.size()) + exponent;
  std::string digits;
  char firstDropped = '0';
  if (point <= 0) {
    digits = "0";
    if (point == 0) firstDropped = all.front();
  } else {
    if (static_cast<size_t>(point) > all.size()) all.append(static_cast<size_t>(point) - all.size(), '0');
    digits = all.substr(0, static_cast<size_t>(point));
    if (static_cast<size_t>(point) < all.size()) firstDropped = all[static_cast<size_t>(point)];
  }
  if (firstDropped >= '5') {
    int i = static_cast<int>(digits.size()) - 1;
    while (i >= 0 && digits[static_cast<size_t>(i)] == '9') digits[static_cast<size_t>(i--)] = '0';
    if (i < 0)
      digits.insert(digits.begin(), '1');
    else
      ++digits[static_cast<size_t>(i)];
  }
  const size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) return "0";
  return (negative ? "-" : "") + digits.substr(first);
}

TransactionColumns::TransactionColumns(const DbRow& r)
    : traId(r.ColumnIndex("TRAID")),
      orderType(r.ColumnIndex("AUFTRAGTYP")),
      orderSubType(r.ColumnIndex("TEILAUFTRAGTYP")),
      units(r.ColumnIndex("TRASTK")),
      amount(r.ColumnIndex("TRABETRAG")),
      amountEur(r.ColumnIndex("TRABETRAGEUR")),
      charge(r.ColumnIndex("FONAUSGABE")),
      discount(r.ColumnIndex("TRABONPZ")),
      redemptionPrice(r.ColumnIndex("FONRPREIS")),
      issuePrice(r.ColumnIndex("FONPREIS")),
      priceDate(r.ColumnIndex("FONPREISDAT")),
      currency(r.ColumnIndex("TRAWAEHR")) {}

TransactionValues ReadTransaction(const DbRow& row) {
  return ReadTransaction(row, TransactionColumns(row));
}

TransactionFields ReadTransactionFields(const DbRow& row, const TransactionColumns& c) {
  TransactionFields f;
  TransactionValues& t = f.values;
  f.traId = ReadOr([&] { return std::optional<std::string>(row.AsTextAt(c.traId)); },
                   std::optional<std::string>());

  t.orderCode = ReadOr(
      [&]() -> std::optional<int64_t> {
        int64_t code = (row.IsNullAt(c.orderType) ? 0 : row.AsIntAt(c.orderType)) * 100;
        if (!row.IsNullAt(c.orderSubType)) code += row.AsIntAt(c.orderSubType);
        return code;
      },
      std::optional<int64_t>());
  const int64_t code = t.orderCode.value_or(0);

  t.amountMode = ReadOr(
      [&] { return row.IsNullAt(c.units) && !row.IsNullAt(c.amount) && IsAmountOrderCode(code); },
      false);
  ReadOr(
      [&] {
        if (t.amountMode) {
          t.amount = std::fabs(Number(row, c.amount));
        } else {
          const double units = Number(row, c.units);
          t.units = std::fabs(units);
          t.unitsZero = units == 0;
        }
        return 0;
      },
      0);

  t.total = ReadOr([&] { return Number(row, c.amount); }, 0.0);

  if (HasSalesCharge(code)) {
    ReadOr(
        [&] {
          f.charge = Number(row, c.charge);
          f.discount = Number(row, c.discount);
          f.charged = true;
          return 0;
        },
        0);
  }

  t.exchangeRate = ReadOr(
      [&] {
        const double amount = Number(row, c.amount);
        return amount > 0 ? std::fabs(Number(row, c.amountEur) / amount) : 0.0;
      },
      0.0);

  ReadOr(
      [&] {
        t.price = Number(row, c.redemptionPrice);
        if (t.price == 0) {
          t.price = Number(row, c.issuePrice);
          if (t.price > 0) t.priceStatus = 21;
        }
        return 0;
      },
      0);

  f.priceDate = ReadOr([&] { return std::optional<std::string>(row.AsTextAt(c.priceDate)); },
                       std::optional<std::string>());
  t.currency = ReadOr([&] { return row.AsTextAt(c.currency); }, std::string());
  return f;
}

TransactionValues TransactionValuesOf(TransactionFields f) {
  TransactionValues& t = f.values;
  if (f.traId) t.reference = ReadOr([&] { return TransactionReference(*f.traId); }, std::string());
  if (f.charged) t.fee = ReadOr([&] { return SalesChargeFee(t.total, f.charge, f.discount); }, 0.0);
  if (f.priceDate) t.executionDate = ReadOr([&] { return DateFromYmd(*f.priceDate); }, 0.0);
  return std::move(t);
}

TransactionValues ReadTransaction(const DbRow& row, const TransactionColumns& c) {
  return TransactionValuesOf(ReadTransactionFields(row, c));
}

void WriteTransaction(TXMLWriter& w, const TransactionValues& t) {
  if (!t.orderCode) return;
  const int64_t code = *t.orderCode;
  const std::string executed = XMLDateStr(t.executionDate);
  const double absTotal = std::fabs(t.total);

  if (IsAuOrderCode(code)) {
    // Units without any amount are still a transaction worth keeping.
    if (t.amount == 0 && t.total == 0 && !(t.units > 0)) return;
    const bool cancel = IsAuCancellation(code);
    const double sign = cancel ? -1 : 1;
    w.WriteTag("DepotTrans", tkStart);
    w.WriteElement("DT_ExtRef", t.reference + "_AU");
    w.WriteElement("DT_Mode", cancel ? "AU_STORNO" : "AU");
    w.WriteElement("DT_Ausfuehrung", executed);
    w.WriteElement("DT_Waehrung", t.currency);
    if (t.amount > 0) w.WriteElement("DT_InvestKap", Amount(-sign * t.amount, 2));
    w.WriteSingleElement("DT_Steuern", 2, 0);
    if (t.total != 0) w.WriteElement("DT_Gesamtbetrag", Amount(sign * absTotal, 2));
    if (t.units > 0) {
      w.WriteTag("SubTrans", tkStart);
      w.WriteElement("DT_ExtRef", t.reference + "_WA");
      w.WriteElement("DT_Mode", cancel ? "W_STORNO" : "W");
      w.WriteElement("DT_Ausfuehrung", executed);
      w.WriteElement("DT_Waehrung", t.currency);
      if (t.exchangeRate > 0) w.WriteElement("DT_Waehrungkurs", Amount(t.exchangeRate, 8));
      w.WriteElement("DT_Anteile", Amount(sign * t.units, 4));
      if (t.price > 0) w.WriteElement("DT_Preis", Amount(t.price, 4));
      if (t.priceStatus > 0) w.WriteIntElement("DT_Preis_Status", t.priceStatus);
      if (t.fee > 0) w.WriteElement("DT_Gebuehr", Amount(sign * t.fee, 2));
      if (t.total != 0) w.WriteElement("DT_Gesamtbetrag", Amount(sign * absTotal, 2));
      w.WriteTag("SubTrans", tkEnd);
    }
    w.WriteTag("DepotTrans", tkEnd);
    return;
  }

  const OrderMode mode = PlainOrderMode(code);
  const double sign = mode.cancellation ? -1 : 1;
  w.WriteTag("DepotTrans", tkStart);
  w.WriteElement("DT_ExtRef", t.reference);
  w.WriteElement("DT_Mode", mode.mode);
  w.WriteElement("DT_Ausfuehrung", executed);
  w.WriteElement("DT_Waehrung", t.currency);
  if (t.exchangeRate > 0) w.WriteElement("DT_Waehrungkurs", Amount(t.exchangeRate, 8));
  if (t.units > 0 || t.unitsZero) w.WriteElement("DT_Anteile", Amount(sign * t.units, 4));
  if (t.price > 0) w.WriteElement("DT_Preis", Amount(t.price, 4));
  if (t.priceStatus > 0) w.WriteIntElement("DT_Preis_Status", t.priceStatus);
  if (t.fee > 0) w.WriteElement("DT_Gebuehr", Amount(sign * t.fee, 2));
  if (t.total != 0) {
    w.WriteElement("DT_Gesamtbetrag", Amount(sign * absTotal, 2));
    if (t.unitsZero) w.WriteSingleElement("DT_Summe_Status", 0, 0);
  }
  w.WriteTag("DepotTrans", tkEnd);
}

}  // namespace korvun
