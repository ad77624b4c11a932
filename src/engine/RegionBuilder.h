// Builds a region from a frame's whole list of shapes in one sweep.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

#include "base/Rect.h"
#include "engine/Region.h"

namespace vanta {

namespace region_detail {
struct TPolygonEdge;
}

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
  // A polygon's rows from its edges (RegionBuilder.cpp).
  void AddTriangleRows(region_detail::TPolygonEdge* edges, size_t count, int rows);
  void AddPolygonRows(region_detail::TPolygonEdge* edges, size_t count, int rowFirst, int rowEnd);

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

}  // namespace vanta
