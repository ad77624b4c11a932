#pragma once
#include <cstdint>

namespace vanta {

// a * b / c with a 64-bit intermediate, rounded to nearest, halves away from
// zero. As the platform's own MulDiv, a zero divisor or a result outside
// 32 bits gives -1.
constexpr int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
  if (c == 0) return -1;
  const int64_t num = static_cast<int64_t>(a) * b;
  const bool negative = (num < 0) != (c < 0);
  const uint64_t n = num < 0 ? 0 - static_cast<uint64_t>(num) : static_cast<uint64_t>(num);
  const uint64_t d = c < 0 ? 0 - static_cast<uint64_t>(static_cast<int64_t>(c)) : static_cast<uint64_t>(c);
  const uint64_t q = (n + d / 2) / d;  // on magnitudes, so halves go away from zero
  const uint64_t limit = negative ? 0x80000000ull : 0x7FFFFFFFull;
  if (q > limit) return -1;
  return negative ? static_cast<int32_t>(-static_cast<int64_t>(q)) : static_cast<int32_t>(q);
}

}  // namespace vanta
