// An unsigned 128-bit integer from two 64-bit halves, for exact decimal
// arithmetic that has to give the same result on every target (32-bit
// compilers have no built-in 128-bit type). Every step that would not fit
// reports it instead of wrapping around.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>

namespace korvun {

struct UInt128 {
  uint64_t hi = 0, lo = 0;  // hi first, so that the default order is the numeric one
  friend auto operator<=>(const UInt128&, const UInt128&) = default;
};

inline std::optional<UInt128> CheckedAdd(UInt128 a, UInt128 b) {
  const uint64_t lo = a.lo + b.lo;
  const uint64_t carry = lo < a.lo ? 1 : 0;
  if (b.hi > UINT64_MAX - a.hi || carry > UINT64_MAX - a.hi - b.hi) return std::nullopt;
  return UInt128{a.hi + b.hi + carry, lo};
}

// a - b for a >= b.
inline UInt128 Subtract(UInt128 a, UInt128 b) {
  const uint64_t borrow = a.lo < b.lo ? 1 : 0;
  return UInt128{a.hi - b.hi - borrow, a.lo - b.lo};
}

// Schoolbook product in 32-bit limbs; the upper 128 bits must stay zero.
inline std::optional<UInt128> CheckedMultiply(UInt128 a, UInt128 b) {
  const uint32_t x[4] = {uint32_t(a.lo), uint32_t(a.lo >> 32), uint32_t(a.hi), uint32_t(a.hi >> 32)};
  const uint32_t y[4] = {uint32_t(b.lo), uint32_t(b.lo >> 32), uint32_t(b.hi), uint32_t(b.hi >> 32)};
  uint32_t product[8] = {};
  for (int i = 0; i < 4; ++i) {
    uint64_t carry = 0;
    for (int j = 0; j < 4; ++j) {
      const uint64_t sum = uint64_t(x[i]) * y[j] + product[i + j] + carry;
      product[i + j] = uint32_t(sum);
      carry = sum >> 32;
    }
    product[i + 4] = uint32_t(carry);
  }
  for (int k = 4; k < 8; ++k)
    if (product[k] != 0) return std::nullopt;
  return UInt128{(uint64_t(product[3]) << 32) | product[2], (uint64_t(product[1]) << 32) | product[0]};
}

struct QuotientRemainder {
  UInt128 quotient, remainder;
};

// Binary long division. The divisor must be non-zero and below 2^127, so
// that a doubled remainder still fits.
inline std::optional<QuotientRemainder> Divide(UInt128 n, UInt128 d) {
  if (d == UInt128{} || d.hi >> 63) return std::nullopt;
  QuotientRemainder r;
  for (int bit = 127; bit >= 0; --bit) {
    const uint64_t next = bit >= 64 ? (n.hi >> (bit - 64)) & 1 : (n.lo >> bit) & 1;
    r.remainder = {(r.remainder.hi << 1) | (r.remainder.lo >> 63), (r.remainder.lo << 1) | next};
    r.quotient = {(r.quotient.hi << 1) | (r.quotient.lo >> 63), r.quotient.lo << 1};
    if (r.remainder >= d) {
      r.remainder = Subtract(r.remainder, d);
      r.quotient.lo |= 1;
    }
  }
  return r;
}

}  // namespace korvun
