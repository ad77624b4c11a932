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

#include "base/Rect.h"
#include "engine/Bitmap.h"

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

// Collects the shapes of one region and unites them in one sweep. Every
// shape is clipped to `clip` (the picture). Corners given in the wrong order
// are swapped, as the platform's region calls do.
class TRegionBuilder {
 public:
  explicit TRegionBuilder(const TRect& clip = {}) : clip_(clip) {}

  // Starts over with a new clip, keeping the memory of earlier builds.
  void Reset(const TRect& clip) {
    clip_ = clip;
    rects_.clear();
  }

  void AddRect(int left, int top, int right, int bottom);
  void AddRect(const TRect& r) { AddRect(r.Left, r.Top, r.Right, r.Bottom); }
  // The rectangle (x1, y1)-(x2, y2) with its corners rounded by quarters of
  // an ellipse ew wide and eh high; an ellipse larger than the rectangle is
  // reduced to the rectangle's size. A pixel belongs to a corner when its
  // centre lies inside the ellipse.
  void AddRoundRect(int x1, int y1, int x2, int y2, int ew, int eh);
  // A filled polygon, closed back to its first vertex, nonzero winding; a
  // pixel belongs to it when its centre does (centres on a left edge count,
  // on a right edge do not).
  void AddPolygon(std::span<const TPoint> points);
  void AddTriangle(TPoint a, TPoint b, TPoint c) {
    const TPoint p[3] = {a, b, c};
    AddPolygon(p);
  }

  // The union of everything added so far, into `out` (whose memory is
  // reused).
  void Build(TRegion& out);
  TRegion Build() {
    TRegion out;
    Build(out);
    return out;
  }
  size_t RectCount() const { return rects_.size(); }

  // How Build unites the shapes. Both ways give the same region; kAuto
  // estimates which is cheaper for the shapes at hand, the others are for
  // tests and measurements. Counting needs a clip at most 65,536 columns
  // wide and at most 65,535 rectangles (a round or slanted shape gives one
  // per row); otherwise the sweep is used.
  enum class TMethod : uint8_t { kAuto, kCoverage, kSweep };
  void SetMethod(TMethod method) { method_ = method; }

 private:
  // Counts how many rectangles cover each pixel of the current row and, at
  // each row where rectangles start or end, rescans only the changed
  // columns; the usual path.
  void BuildByCoverage(TRegion& out);
  // Keeps the rectangles that cover the current row and merges them at each
  // such row; for clips too wide (or shapes too many) for the counts.
  void BuildBySweep(TRegion& out);
  // Every rectangle one row high (triangles, round corners): each row's
  // rectangles merged on their own.
  void BuildByRows(TRegion& out);

  // Row y from left to right, y already inside the clip.
  void AddRow(int y, int64_t left, int64_t right);

  TRect clip_;
  TMethod method_ = TMethod::kAuto;
  std::vector<TRect> rects_;  // clipped, non-empty
  // Working memory of Build, kept so that building frame after frame does
  // not allocate.
  std::vector<uint32_t> start_, end_, events_;
  std::vector<TRect> sorted_, active_, incoming_, merged_;
  std::vector<TSpan> spans_, next_, closing_, changes_;
  std::vector<uint16_t> cover_;
};

// Copies the pixels of `src` inside `region` onto `dst` at the same places,
// one memcpy per span; whatever lies outside either bitmap is skipped.
void CopyRegion(const TRegion& region, const TBitmap24& src, TBitmap24& dst);
// A whole frame in one pass: dst takes `inside`'s pixels inside the region
// and `outside`'s elsewhere, so no pixel is written twice. All three
// bitmaps have one size.
void ComposeRegionOver(const TRegion& region, const TBitmap24& inside, const TBitmap24& outside, TBitmap24& dst);

}  // namespace vanta
