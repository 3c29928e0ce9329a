#include "staging/order_type_filter.hpp"

#include <algorithm>
#include <array>

#include "staging/value_conversion.hpp"

namespace korvun {
namespace {

constexpr std::array<long long, 52> kImportedCodes = {
    1001, 1101, 1501, 2002, 2102, 2202, 2402, 2502, 2802, 2902, 3001, 3002, 3101,
    3102, 3201, 3202, 3901, 3902, 4001, 4101, 4603, 4703, 5000, 5100, 5204, 5604,
    5704, 6203, 6204, 6603, 6604, 6703, 6704, 6801, 6802, 7005, 7505, 7805, 7904,
    8006, 8406, 8506, 8800, 8903, 9005, 9006, 9603, 9604, 9703, 9704, 9803, 9804};

}  // namespace

long long OrderCode(std::string_view orderType, std::string_view subType) {
  const auto type = ParsePlainInteger(orderType);
  // Far beyond every known type; also keeps the arithmetic in range.
  if (!type || *type > 1000000000LL || *type < -1000000000LL) return -1;
  long long code = *type * 100;
  if (!subType.empty()) {
    const auto sub = ParsePlainInteger(subType);
    if (!sub || *sub > 1000000000LL || *sub < -1000000000LL) return -1;
    code += *sub;
  }
  return code;
}

std::vector<long long> ImportedOrderCodes() {
  return std::vector<long long>(kImportedCodes.begin(), kImportedCodes.end());
}

bool IsImportedOrderCode(long long code) {
  static_assert(std::is_sorted(kImportedCodes.begin(), kImportedCodes.end()));
  return std::binary_search(kImportedCodes.begin(), kImportedCodes.end(), code);
}

}  // namespace korvun
