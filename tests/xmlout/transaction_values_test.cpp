// The transaction element's arithmetic and read fallbacks, row by row.
#include <gtest/gtest.h>

#include <algorithm>

#include "fake_row.hpp"
#include "staging/order_type_filter.hpp"
#include "xmlout/order_codes.hpp"
#include "xmlout/sales_charge.hpp"
#include "xmlout/transaction_element.hpp"
#include "xmlout/xml_format.hpp"

namespace korvun {
namespace {

using testing::FakeRow;

TEST(TransactionReference, NumbersLoseLeadingZerosTextStays) {
  EXPECT_EQ(TransactionReference("00012345"), "12345");
  EXPECT_EQ(TransactionReference("000002128984"), "2128984");
  EXPECT_EQ(TransactionReference("0"), "0");
  EXPECT_EQ(TransactionReference("12,5"), "13");
  EXPECT_EQ(TransactionReference("-12,5"), "-13");
  EXPECT_EQ(TransactionReference("12,49"), "12");
  EXPECT_EQ(TransactionReference("99999999999999999999"), "99999999999999999999");
  EXPECT_EQ(TransactionReference("AB00012"), "AB00012");
  EXPECT_EQ(TransactionReference("12.5"), "12.5");
  EXPECT_EQ(TransactionReference(""), "");
}

// The conversion reads an exponent too; the result is the whole number.
TEST(TransactionReference, ExponentFormsAreNumbers) {
  const std::pair<const char*, const char*> cases[] = {
      {"123E4", "1230000"}, {" 1,5e2 ", "150"}, {"-2E+1", "-20"}, {"5E-1", "1"},
      {"4E-1", "0"},        {"125E-2", "1"},    {"E5", "E5"},     {"1E", "1E"},
      {"1E5000", "1E5000"}, {"12E3X", "12E3X"}};
  for (auto [traId, reference] : cases) EXPECT_EQ(TransactionReference(traId), reference) << traId;
}

TEST(RoundCents, HalfToEven) {
  EXPECT_DOUBLE_EQ(RoundCentsHalfEven(50.000000001), 50.0);
  EXPECT_DOUBLE_EQ(RoundCentsHalfEven(0.125), 0.12);
  EXPECT_DOUBLE_EQ(RoundCentsHalfEven(0.375), 0.38);
  EXPECT_DOUBLE_EQ(RoundCentsHalfEven(12.3449), 12.34);
}

// The fee of a purchase as the document writes it, decided on the decimal
// values of the columns. Doubles round the exact halves marked "doubles:"
// the wrong way on x86_64 too.
TEST(ReadTransaction, SalesChargeRoundsTheExactDecimalValue) {
  struct Case {
    const char *total, *charge, *discount, *fee;
  };
  const Case cases[] = {
      {"18040.23", "4", "0", "693.86"},  // 693.855: up to the even cent
      {"1001.13", "4", "0", "38.50"},    // 38.505: down to the even cent; doubles: 38.51
      {"1001.91", "4", "0", "38.54"},    // 38.535; doubles: 38.53
      {"1000.82", "5", "13.6", "41.44"}, // r = 0.0432: 41.445; doubles: 41.45
      {"-1001.13", "4", "0", "38.50"},   // a cancellation's total is negative
      {"1050", "5", "0", "50.00"},
      {"1050", "5", "50", "25.61"},
      {"1050", "5", "100", "0.00"},      // the charge waived
      {"1050", "0", "0", "0.00"},
      {"1050", "-5", "200", "50.00"},    // r = 0.05 from two negative factors
  };
  for (const Case& c : cases) {
    FakeRow row;
    row.Set("AUFTRAGTYP", "10").Set("TEILAUFTRAGTYP", "1").Set("TRASTK", "1");
    row.Set("TRABETRAG", c.total).Set("FONAUSGABE", c.charge).Set("TRABONPZ", c.discount);
    EXPECT_EQ(XMLFloatStr(ReadTransaction(row).fee, 15, 2), c.fee) << c.total << " " << c.charge;
  }
  // Too many cents, or too many decimals, for 128 bits: floating-point
  // arithmetic still gives the fee.
  EXPECT_DOUBLE_EQ(SalesChargeFee(1e30, 4, 0), 1e30 / 26);
  EXPECT_NEAR(SalesChargeFee(1000.82, 5.000000000000001, 13.600000000000001), 41.445, 0.006);
}

TEST(OrderCodes, Table) {
  EXPECT_STREQ(PlainOrderMode(2002).mode, "V");
  EXPECT_STREQ(PlainOrderMode(-2002).mode, "V");
  EXPECT_STREQ(PlainOrderMode(9703).mode, "VSW_STORNO");
  EXPECT_STREQ(PlainOrderMode(9704).mode, "ASW_STORNO");
  EXPECT_STREQ(PlainOrderMode(9005).mode, "ASW_STORNO");
  EXPECT_STREQ(PlainOrderMode(9006).mode, "VSW_STORNO");
  EXPECT_TRUE(PlainOrderMode(7005).cancellation);
  EXPECT_STREQ(PlainOrderMode(1234).mode, "A");
  EXPECT_FALSE(PlainOrderMode(1234).cancellation);
  EXPECT_TRUE(IsAuOrderCode(5000));
  EXPECT_FALSE(IsAuOrderCode(-5000));
  EXPECT_TRUE(HasSalesCharge(-1001));
}

// The import keeps exactly the transactions the document has a name for.
TEST(OrderCodes, ImportFilterAndDocumentAgree) {
  std::vector<int64_t> known = KnownOrderCodes();
  std::sort(known.begin(), known.end());
  const std::vector<long long> imported = ImportedOrderCodes();
  EXPECT_EQ(std::vector<int64_t>(imported.begin(), imported.end()), known);
}

TEST(ReadTransaction, EveryFailingReadTakesItsFallback) {
  FakeRow row;
  row.Fail("TRAID").Set("AUFTRAGTYP", "10").Set("TEILAUFTRAGTYP", "1").Fail("TRASTK");
  row.Set("TRABETRAG", "1050").Fail("FONAUSGABE").Fail("TRABETRAGEUR").Fail("FONRPREIS");
  row.Fail("FONPREISDAT").Fail("TRAWAEHR");
  const TransactionValues t = ReadTransaction(row);
  EXPECT_EQ(t.reference, "");
  ASSERT_TRUE(t.orderCode);
  EXPECT_EQ(*t.orderCode, 1001);
  EXPECT_FALSE(t.amountMode);
  EXPECT_EQ(t.units, 0);
  EXPECT_FALSE(t.unitsZero);
  EXPECT_EQ(t.total, 1050);
  EXPECT_EQ(t.fee, 0);
  EXPECT_EQ(t.exchangeRate, 0);
  EXPECT_EQ(t.price, 0);
  EXPECT_EQ(t.priceStatus, 0);
  EXPECT_EQ(t.executionDate, 0);
  EXPECT_EQ(t.currency, "");
}

TEST(ReadTransaction, UnreadableOrderTypeSkipsTheTransaction) {
  FakeRow row;
  row.Set("TRAID", "1").Fail("AUFTRAGTYP").Set("TEILAUFTRAGTYP", "1").Set("TRABETRAG", "5");
  const TransactionValues t = ReadTransaction(row);
  EXPECT_FALSE(t.orderCode);
}

}  // namespace
}  // namespace korvun
