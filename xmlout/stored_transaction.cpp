#include "xmlout/stored_transaction.hpp"

#include <cmath>
#include <cstring>

namespace korvun {
namespace {

enum Flag : uint8_t { kHasOrderCode = 1, kAmountMode = 2, kUnitsZero = 4 };

}  // namespace

template <size_t N>
void StoredTransaction::ShortText<N>::Set(std::string_view text, LongTexts& longTexts) {
  if (text.size() <= N) {
    std::memcpy(bytes, text.data(), text.size());
    length = static_cast<uint8_t>(text.size());
    return;
  }
  const uint32_t index = static_cast<uint32_t>(longTexts.size());
  longTexts.emplace_back(text);
  static_assert(N >= sizeof index);
  std::memcpy(bytes, &index, sizeof index);
  length = kLong;
}

template <size_t N>
std::string StoredTransaction::ShortText<N>::Get(const LongTexts& longTexts) const {
  if (length != kLong) return std::string(bytes, length);
  uint32_t index;
  std::memcpy(&index, bytes, sizeof index);
  return longTexts[index];
}

StoredTransaction::StoredTransaction(const TransactionValues& t, uint32_t fund, LongTexts& longTexts)
    : orderCode_(t.orderCode.value_or(0)),
      quantity_(t.amountMode ? t.amount : t.units),
      total_(t.total),
      fee_(t.fee),
      exchangeRate_(t.exchangeRate),
      price_(t.price),
      fund_(fund),
      executionDay_(static_cast<int32_t>(t.executionDate)),
      priceStatus_(static_cast<uint8_t>(t.priceStatus)),
      flags_(static_cast<uint8_t>((t.orderCode ? kHasOrderCode : 0) | (t.amountMode ? kAmountMode : 0) |
                                  (t.unitsZero ? kUnitsZero : 0))) {
  reference_.Set(t.reference, longTexts);
  currency_.Set(t.currency, longTexts);
}

TransactionValues StoredTransaction::Values(const LongTexts& longTexts) const {
  TransactionValues t;
  t.reference = reference_.Get(longTexts);
  if (flags_ & kHasOrderCode) t.orderCode = orderCode_;
  t.amountMode = flags_ & kAmountMode;
  (t.amountMode ? t.amount : t.units) = quantity_;
  t.unitsZero = flags_ & kUnitsZero;
  t.total = total_;
  t.fee = fee_;
  t.exchangeRate = exchangeRate_;
  t.price = price_;
  t.priceStatus = priceStatus_;
  t.executionDate = executionDay_;
  t.currency = currency_.Get(longTexts);
  return t;
}

}  // namespace korvun
