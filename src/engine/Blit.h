// Copies between 24-bit bitmaps, without any platform drawing code, so a
// frame has the same pixels on every platform.
//
// Stretched copies sample the nearest source pixel, one rule for both axes:
// destination pixel i (0-based, counted from the destination's first edge)
// takes source pixel  S.first + floor((2i + 1) * |S| / (2 * |D|)),  the
// source pixel under the destination pixel's centre. Equal sizes therefore
// copy one to one. A destination whose edges are exchanged (left > right or
// top > bottom) covers the same pixels as the normal rectangle but is drawn
// mirrored: counting starts at the edge given first, so pixel left - 1
// takes the source's first column. Both sides are clipped: destination
// pixels outside the target and destination pixels whose source pixel lies
// outside the source bitmap are left unchanged.
#pragma once
#include <cstdint>
#include <cstring>

#include "base/Bitmap.h"

namespace vanta {

// Unscaled copy of src's rectangle s to (x, y) of dst, clipped on both sides.
void CopyRect(TBitmap24& dst, int x, int y, const TBitmap24& src, const TRect& s);

// Copies src's rectangle s into dst's rectangle d, scaled to d's size as the
// header describes. Nothing happens when either rectangle has no area.
void StretchCopy(TBitmap24& dst, const TRect& d, const TBitmap24& src, const TRect& s);

// Whole-bitmap copy between bitmaps of the same size (a memcpy).
void CopyWhole(TBitmap24& dst, const TBitmap24& src);

// Four gathered pixels to 12 consecutive bytes at out: each source is read
// as a four-byte word (so one byte past the pixel must be readable) and the
// four are packed into three words (little-endian), so no store overlaps
// another.
inline void CopyFourPixels(uint8_t* out, const uint8_t* a, const uint8_t* b, const uint8_t* c, const uint8_t* d) {
  uint32_t p0, p1, p2, p3;
  std::memcpy(&p0, a, 4);
  std::memcpy(&p1, b, 4);
  std::memcpy(&p2, c, 4);
  std::memcpy(&p3, d, 4);
  const uint32_t w0 = (p0 & 0xFFFFFF) | p1 << 24;
  const uint32_t w1 = ((p1 >> 8) & 0xFFFF) | p2 << 16;
  const uint32_t w2 = ((p2 >> 16) & 0xFF) | p3 << 8;
  std::memcpy(out, &w0, 4);
  std::memcpy(out + 4, &w1, 4);
  std::memcpy(out + 8, &w2, 4);
}

// The source index sampled for destination index i of a span of dn pixels
// taken from sn source pixels starting at s0 (exposed for tests).
constexpr int SampleIndex(int s0, int sn, int i, int dn) {
  return s0 + static_cast<int>((static_cast<int64_t>(2 * i + 1) * sn) / (2 * static_cast<int64_t>(dn)));
}

}  // namespace vanta
