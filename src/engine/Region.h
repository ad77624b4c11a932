// Pixel sets for clipping: the region effects draw the new picture through
// one of these.
//
// A region is kept y-banded: a list of horizontal bands, each covering rows
// [Top, Bottom) and holding spans [Left, Right) that are sorted, disjoint
// and never touch. Bands are sorted top-down, never overlap, and two bands
// that touch hold different spans (equal neighbours are merged), so every
// pixel set has exactly one form and regions compare by value.
//
// Union, intersection and exclusive-or merge two regions band by band. A
// frame's region is built from its whole list of shapes by TRegionBuilder in
// one sweep over the rows rather than by one union per shape, which keeps a
// region of thousands of small rectangles cheap.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "base/Bitmap.h"
#include "base/Rect.h"

namespace vanta {

struct TSpan {
  // No default values: a trivial type, so that lists of spans move as
  // plain memory.
  int Left, Right;
  friend constexpr bool operator==(const TSpan&, const TSpan&) = default;
};

class TRegion {
 public:
  struct TBand {
    int Top = 0, Bottom = 0;
    uint32_t First = 0, Count = 0;  // spans_[First .. First + Count)
  };

  TRegion() = default;
  explicit TRegion(const TRect& r);  // empty when r is empty

  bool IsEmpty() const { return bands_.empty(); }
  void Clear() {  // keeps the memory for the next frame
    bands_.clear();
    spans_.clear();
  }
  TRect Bounds() const;  // (0,0,0,0) when empty
  bool Contains(int x, int y) const;
  int64_t Area() const;

  const std::vector<TBand>& Bands() const { return bands_; }
  std::span<const TSpan> Spans(const TBand& b) const { return {spans_.data() + b.First, b.Count}; }

  // True when the representation keeps every rule stated above; tests call
  // it after each operation.
  bool IsValid() const;

  friend TRegion Union(const TRegion& a, const TRegion& b);
  friend TRegion Intersect(const TRegion& a, const TRegion& b);
  friend TRegion Xor(const TRegion& a, const TRegion& b);
  friend TRegion Subtract(const TRegion& a, const TRegion& b);
  // The same into `out`, reusing its memory (frame after frame); `out` must
  // be neither operand.
  friend void Union(const TRegion& a, const TRegion& b, TRegion& out);
  friend void Intersect(const TRegion& a, const TRegion& b, TRegion& out);
  friend void Xor(const TRegion& a, const TRegion& b, TRegion& out);
  friend void Subtract(const TRegion& a, const TRegion& b, TRegion& out);
  TRegion Clipped(const TRect& clip) const;

  friend bool operator==(const TRegion& a, const TRegion& b);

 private:
  friend class TRegionBuilder;
  enum class TOp : uint8_t { kUnion = 0b1110, kIntersect = 0b1000, kXor = 0b0110, kSubtract = 0b0100 };
  static void Combine(const TRegion& a, const TRegion& b, TOp op, TRegion& out);
  // Adds rows [top, bottom) holding `spans`, merging with the last band when
  // it touches it and holds the same spans. Bands come in top-down order.
  void AppendBand(int top, int bottom, const TSpan* spans, size_t count);

  std::vector<TBand> bands_;
  std::vector<TSpan> spans_;
};

}  // namespace vanta
