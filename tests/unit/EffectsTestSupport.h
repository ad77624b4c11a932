// Test pictures: solid ones, and ones whose every pixel tells where it came
// from (the new picture's pixel (x, y) is x | y << 11, the old picture's has
// bit 23 set as well).
#pragma once
#include <optional>

#include "base/Bitmap.h"

namespace vanta::test {

constexpr uint32_t kOldBit = 1u << 23;

inline TColor Tag(int x, int y) { return static_cast<TColor>(x) | static_cast<TColor>(y) << 11; }

inline TBitmap24 TaggedPicture(int w, int h, bool old) {
  TBitmap24 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, Tag(x, y) | (old ? kOldBit : 0));
  return b;
}

inline TBitmap24 Solid(int w, int h, TColor c) {
  TBitmap24 b(w, h);
  b.Fill(c);
  return b;
}

// Where a pixel came from: nullopt for the old picture's own pixel.
inline std::optional<TPoint> Origin(const TBitmap24& screen, int x, int y) {
  const TColor c = screen.Pixel(x, y);
  if (c & kOldBit) {
    EXPECT_EQ(c, Tag(x, y) | kOldBit) << "old pixel moved at " << x << "," << y;
    return std::nullopt;
  }
  return TPoint{static_cast<int>(c & 0x7FF), static_cast<int>((c >> 11) & 0x3FF)};
}

}  // namespace vanta::test
