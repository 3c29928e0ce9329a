// A transaction as the document keeps it between reading the staging table
// and writing its element: the values of TransactionValues in about half
// the room, for the millions of rows of a large import.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "xmlout/transaction_element.hpp"

namespace korvun {

// Texts too long to keep inline, which the stored transactions refer to.
using LongTexts = std::vector<std::string>;

class StoredTransaction {
 public:
  StoredTransaction(const TransactionValues& t, uint32_t fund, LongTexts& longTexts);

  TransactionValues Values(const LongTexts& longTexts) const;
  uint32_t fund() const { return fund_; }

 private:
  // Up to N bytes inline; longer ones in LongTexts, by index.
  template <size_t N>
  struct ShortText {
    char bytes[N];
    uint8_t length;  // kLong: bytes hold the index
    void Set(std::string_view text, LongTexts& longTexts);
    std::string Get(const LongTexts& longTexts) const;
  };
  static constexpr uint8_t kLong = 255;

  int64_t orderCode_;
  double quantity_;  // the amount in amount mode, else the units
  double total_, fee_, exchangeRate_, price_;
  uint32_t fund_;
  int32_t executionDay_;
  ShortText<23> reference_;
  ShortText<4> currency_;
  uint8_t priceStatus_;
  uint8_t flags_;
};

// Rows appended one by one and kept where they are: no copying as the store
// grows, and no room held in reserve beyond the last chunk.
template <typename T>
class ChunkedStore {
 public:
  uint32_t size() const { return size_; }
  const T& operator[](uint32_t i) const { return chunks_[i / kChunk].get()[i % kChunk]; }
  void push_back(T value) {
    if (size_ % kChunk == 0) chunks_.emplace_back(static_cast<T*>(::operator new(sizeof(T) * kChunk)));
    new (chunks_.back().get() + size_ % kChunk) T(std::move(value));
    ++size_;
  }

 private:
  // Trivially destructible rows: the chunks are freed as raw memory.
  static_assert(std::is_trivially_destructible_v<T>);
  struct Free {
    void operator()(T* p) const { ::operator delete(p); }
  };
  static constexpr uint32_t kChunk = 4096;
  std::vector<std::unique_ptr<T, Free>> chunks_;
  uint32_t size_ = 0;
};

}  // namespace korvun
