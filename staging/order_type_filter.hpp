// Which transactions the host can take: the order type and sub-type pairs
// that map to one of its transaction kinds. All others are left out.
#pragma once

#include <string_view>
#include <vector>

namespace korvun {

// order type * 100 + sub-type (an empty sub-type adds nothing); -1 when
// either value is not a plain integer.
long long OrderCode(std::string_view orderType, std::string_view subType);

bool IsImportedOrderCode(long long code);

// The codes IsImportedOrderCode accepts, ascending.
std::vector<long long> ImportedOrderCodes();

inline bool AcceptOrderType(std::string_view orderType, std::string_view subType) {
  return IsImportedOrderCode(OrderCode(orderType, subType));
}

}  // namespace korvun
