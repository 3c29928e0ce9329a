#include "xmlout/order_codes.hpp"

#include <cstdlib>
#include <initializer_list>

namespace korvun {
namespace {

bool OneOf(int64_t code, std::initializer_list<int> codes) {
  for (int64_t c : codes)
    if (c == code) return true;
  return false;
}

struct PlainEntry {
  int code;
  const char* mode;
  bool cancellation;
};

const PlainEntry kPlainTable[] = {
    {1001, "A", false},          {1101, "A", false},          {1501, "A", false},
    {2002, "V", false},          {2102, "V", false},          {2202, "V", false},
    {2402, "V", false},          {2502, "V", false},          {2802, "KO", false},
    {2902, "KO", false},         {3001, "ASW", false},        {3101, "ASW", false},
    {3201, "ASW", false},        {3901, "ASW", false},        {6703, "ASW", false},
    {6801, "ASW", false},        {3002, "VSW", false},        {3102, "VSW", false},
    {3202, "VSW", false},        {3902, "VSW", false},        {6704, "VSW", false},
    {6802, "VSW", false},        {4603, "LE", false},         {4703, "LE", false},
    {6203, "LE", false},         {6603, "LE", false},         {5204, "LA", false},
    {5604, "LA", false},         {5704, "LA", false},         {6204, "LA", false},
    {6604, "LA", false},         {7005, "A_STORNO", true},    {7505, "A_STORNO", true},
    {7904, "LE_STORNO", true},   {9604, "LE_STORNO", true},   {8006, "V_STORNO", true},
    {8406, "V_STORNO", true},    {8506, "V_STORNO", true},    {8903, "LA_STORNO", true},
    {9603, "LA_STORNO", true},   {9005, "ASW_STORNO", true},  {9704, "ASW_STORNO", true},
    {9804, "ASW_STORNO", true},  {9006, "VSW_STORNO", true},  {9703, "VSW_STORNO", true},
    {9803, "VSW_STORNO", true},
};

}  // namespace

OrderMode PlainOrderMode(int64_t orderCode) {
  const int64_t code = orderCode < 0 ? -orderCode : orderCode;
  for (const PlainEntry& e : kPlainTable)
    if (e.code == code) return {e.mode, e.cancellation};
  return {"A", false};
}

constexpr std::initializer_list<int> kAuCodes = {4001, 4101, 5000, 5100, 7805, 8800};

bool IsAuOrderCode(int64_t orderCode) { return OneOf(orderCode, kAuCodes); }

std::vector<int64_t> KnownOrderCodes() {
  std::vector<int64_t> codes(kAuCodes.begin(), kAuCodes.end());
  for (const PlainEntry& e : kPlainTable) codes.push_back(e.code);
  return codes;
}

bool IsAuCancellation(int64_t orderCode) { return orderCode == 7805 || orderCode == 8800; }

bool IsAmountOrderCode(int64_t orderCode) { return OneOf(orderCode, {4001, 4101, 7805}); }

bool HasSalesCharge(int64_t orderCode) {
  const int64_t code = orderCode < 0 ? -orderCode : orderCode;
  return OneOf(code, {1001, 1101, 1501, 3001, 3101, 4001, 4101, 7005, 7505, 7805});
}

}  // namespace korvun
