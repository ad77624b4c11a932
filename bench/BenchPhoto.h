// A photo-like picture for the benchmarks: smooth shapes with a little
// grain (of the given half-width, a power of two), so that its file
// compresses like a photo rather than like a flat test card.
#pragma once
#include <algorithm>
#include <cmath>
#include <bit>
#include <cstdint>

#include "base/Bitmap.h"

namespace vanta::bench {

inline TBitmap24 Photo(int w, int h, int grain = 8) {
  TBitmap24 b(w, h);
  uint32_t seed = 12345;
  const int shift = 32 - std::countr_zero(static_cast<unsigned>(grain * 2));
  for (int y = 0; y < h; ++y) {
    uint8_t* row = b.Row(y);
    for (int x = 0; x < w; ++x) {
      seed = seed * 134775813 + 1;
      const int g = static_cast<int>(seed >> shift) - grain;
      const double fx = x / static_cast<double>(w), fy = y / static_cast<double>(h);
      row[x * 3] = static_cast<uint8_t>(std::clamp(128 + 100 * std::sin(fx * 9 + fy * 3) + g, 0.0, 255.0));
      row[x * 3 + 1] = static_cast<uint8_t>(std::clamp(128 + 90 * std::cos(fy * 7 - fx * 2) + g, 0.0, 255.0));
      row[x * 3 + 2] = static_cast<uint8_t>(std::clamp(120 + 110 * std::sin((fx + fy) * 5) + g, 0.0, 255.0));
    }
  }
  return b;
}

}  // namespace vanta::bench
