// The fund bank's order codes (order type x 100 + sub-type) and how the host
// names them. Codes are 64-bit: order type x 100 cannot overflow.
#pragma once

#include <cstdint>
#include <vector>

namespace korvun {

struct OrderMode {
  const char* mode;  // DT_Mode of the plain form
  bool cancellation;
};

// Plain form: looked up by the absolute code; unknown codes are purchases.
OrderMode PlainOrderMode(int64_t orderCode);

// Codes written as an AU entry with a W sub-entry (compared signed).
bool IsAuOrderCode(int64_t orderCode);
// The AU codes that cancel.
bool IsAuCancellation(int64_t orderCode);
// AU codes that may come as an amount without units.
bool IsAmountOrderCode(int64_t orderCode);
// Every code the document names: the plain table's and the AU codes. The
// import's filter must let exactly these through.
std::vector<int64_t> KnownOrderCodes();

// Codes whose gross amount contains a sales charge (compared absolute).
bool HasSalesCharge(int64_t orderCode);

}  // namespace korvun
