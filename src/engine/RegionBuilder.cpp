#include "engine/RegionBuilder.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "engine/RegionSpans.h"

namespace vanta {

using region_detail::AppendJoined;
using region_detail::kNone;

namespace {

// floor(n / d) for d > 0.
constexpr int64_t FloorDiv(int64_t n, int64_t d) { return n >= 0 ? n / d : -((-n + d - 1) / d); }
constexpr int64_t CeilDiv(int64_t n, int64_t d) { return -FloorDiv(-n, d); }

int ClampToInt(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT_MIN, INT_MAX)); }

}  // namespace

void TRegionBuilder::AddRect(int left, int top, int right, int bottom) {
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  const TRect r = IntersectRect({left, top, right, bottom}, clip_);
  if (!r.IsEmpty()) rects_.push_back(r);
}

void TRegionBuilder::AddRow(int y, int64_t left, int64_t right) {
  left = std::max<int64_t>(left, clip_.Left);
  right = std::min<int64_t>(right, clip_.Right);
  if (left < right) rects_.push_back({static_cast<int>(left), y, static_cast<int>(right), y + 1});
}

void TRegionBuilder::AddRoundRect(int x1, int y1, int x2, int y2, int ew, int eh) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  const int64_t width = int64_t{x2} - x1, height = int64_t{y2} - y1;
  const int64_t ex = std::min<int64_t>(std::abs(int64_t{ew}), width);
  const int64_t ey = std::min<int64_t>(std::abs(int64_t{eh}), height);
  if (ex < 2 || ey < 2) {
    AddRect(x1, y1, x2, y2);
    return;
  }
  // In doubled coordinates the corner ellipses are centred at 2*x1 + ex and
  // 2*x2 - ex (and likewise in y), and a pixel's centre is 2x + 1. For each
  // row, kmax is the largest doubled horizontal distance from the ellipse's
  // centre that still lies inside it.
  const int64_t topCentre = 2 * int64_t{y1} + ey, bottomCentre = 2 * int64_t{y2} - ey;
  const int64_t rowFirst = std::max<int64_t>(y1, clip_.Top), rowEnd = std::min<int64_t>(y2, clip_.Bottom);
  // Rows between the two corner zones are one rectangle.
  const int64_t midFirst = std::max(rowFirst, CeilDiv(topCentre - 1, 2));
  const int64_t midEnd = std::min(rowEnd, FloorDiv(bottomCentre - 1, 2) + 1);
  if (midFirst < midEnd) AddRect(x1, ClampToInt(midFirst), x2, ClampToInt(midEnd));
  const double ratio = static_cast<double>(ex) / static_cast<double>(ey);
  const bool exact = ex < (int64_t{1} << 26) && ey < (int64_t{1} << 26) && ex * ey < (int64_t{1} << 31);
  for (int64_t y = rowFirst; y < rowEnd; ++y) {
    if (y >= midFirst && y < midEnd) continue;
    const int64_t c = 2 * y + 1;
    const int64_t a = c < topCentre ? topCentre - c : c - bottomCentre;  // > 0 here
    const int64_t q = ey * ey - a * a;
    if (q < 0) continue;
    int64_t kmax = static_cast<int64_t>(std::floor(ratio * std::sqrt(static_cast<double>(q))));
    if (exact) {
      // Settle the rounding of the square root: kmax^2 * ey^2 <= q * ex^2.
      const auto inside = [&](int64_t k) {
        return static_cast<uint64_t>(k * ey) * static_cast<uint64_t>(k * ey) <=
               static_cast<uint64_t>(q) * static_cast<uint64_t>(ex * ex);
      };
      while (kmax >= 0 && !inside(kmax)) --kmax;
      while (inside(kmax + 1)) ++kmax;
    }
    if (kmax < 0) continue;
    // Pixel x is inside the left corner when 2x + 1 >= 2*x1 + ex - kmax, and
    // inside the right one when 2x + 1 <= 2*x2 - ex + kmax.
    const int64_t left = CeilDiv(2 * int64_t{x1} + ex - kmax - 1, 2);
    const int64_t right = FloorDiv(2 * int64_t{x2} - ex + kmax - 1, 2) + 1;
    AddRow(static_cast<int>(y), left, right);
  }
}

namespace region_detail {

// One polygon edge over the rows it crosses. The row's centre y + 0.5
// crosses an edge when the edge's upper end is at or above it and its lower
// end below it, at x = p.X + (y + 0.5 - p.Y) dx/dy. The first pixel x with
// x + 0.5 at or right of that is
//   ceil((2 p.X dy + (2y + 1 - 2 p.Y) dx - dy) / (2 dy)),
// kept exactly from row to row as a quotient and a remainder.
struct TPolygonEdge {
  int Top, Bottom, Direction;           // rows [Top, Bottom); +1 downward, -1 upward
  int64_t X, Rem, Den, StepX, StepRem;  // X * Den - Rem = numerator, 0 <= Rem < Den

  void Step() {  // to the next row: the numerator grows by 2 dx
    X += StepX;
    Rem -= StepRem;
    if (Rem < 0) ++X, Rem += Den;
  }
};

// The edges of a polygon that cross rows [rowFirst, rowEnd); gives their count.
size_t PolygonEdges(std::span<const TPoint> points, int rowFirst, int rowEnd, TPolygonEdge* e) {
  const size_t n = points.size();
  size_t count = 0;
  for (size_t i = 0; i < n; ++i) {
    TPoint p = points[i], q = points[(i + 1) % n];
    if (p.Y == q.Y) continue;
    int direction = 1;
    if (p.Y > q.Y) std::swap(p, q), direction = -1;
    const int top = std::max(p.Y, rowFirst), bottom = std::min(q.Y, rowEnd);
    if (top >= bottom) continue;
    const int64_t dx = int64_t{q.X} - p.X, dy = int64_t{q.Y} - p.Y, den = 2 * dy;
    const int64_t num = 2 * int64_t{p.X} * dy + (2 * int64_t{top} + 1 - 2 * int64_t{p.Y}) * dx - dy;
    const int64_t x = CeilDiv(num, den);
    const int64_t stepX = FloorDiv(2 * dx, den);
    e[count++] = {top, bottom, direction, x, x * den - num, den, stepX, 2 * dx - stepX * den};
  }
  return count;
}

}  // namespace region_detail

using region_detail::TPolygonEdge;

void TRegionBuilder::AddPolygon(std::span<const TPoint> points) {
  const size_t n = points.size();
  if (n < 3) return;
  int minY = INT_MAX, maxY = INT_MIN;
  for (const TPoint& p : points) minY = std::min(minY, p.Y), maxY = std::max(maxY, p.Y);
  const int rowFirst = std::max(minY, clip_.Top), rowEnd = std::min(maxY, clip_.Bottom);
  if (rowFirst >= rowEnd) return;
  TPolygonEdge edges[8];
  std::vector<TPolygonEdge> many;
  TPolygonEdge* e = n <= 8 ? edges : (many.resize(n), many.data());
  const size_t count = region_detail::PolygonEdges(points, rowFirst, rowEnd, e);
  if (n == 3) AddTriangleRows(e, count, rowEnd - rowFirst);
  else AddPolygonRows(e, count, rowFirst, rowEnd);
}

// A triangle's row centres cross exactly two of its edges (the same place
// twice when it is flat), and it covers what lies between. The pair changes
// only where an edge starts or ends.
void TRegionBuilder::AddTriangleRows(TPolygonEdge* e, size_t count, int rows) {
  int cuts[6];
  for (size_t i = 0; i < count; ++i) cuts[2 * i] = e[i].Top, cuts[2 * i + 1] = e[i].Bottom;
  std::sort(cuts, cuts + 2 * count);
  // At most a rectangle a row, written in place.
  const size_t first = rects_.size();
  rects_.resize(first + static_cast<size_t>(rows));
  TRect* row = rects_.data() + first;
  const int64_t clipLeft = clip_.Left, clipRight = clip_.Right;
  for (size_t c = 0; c + 1 < 2 * count; ++c) {
    const int from = cuts[c], to = cuts[c + 1];
    TPolygonEdge* pair[3];
    size_t k = 0;
    for (size_t i = 0; i < count; ++i)
      if (e[i].Top <= from && to <= e[i].Bottom) pair[k++] = &e[i];
    if (k != 2) continue;
    TPolygonEdge &a = *pair[0], &b = *pair[1];
    for (int y = from; y < to; ++y) {
      const int64_t left = std::max(std::min(a.X, b.X), clipLeft), right = std::min(std::max(a.X, b.X), clipRight);
      if (left < right) *row++ = {static_cast<int>(left), y, static_cast<int>(right), y + 1};
      a.Step(), b.Step();
    }
  }
  rects_.resize(static_cast<size_t>(row - rects_.data()));
}

// Any polygon: each row's crossings sorted by x, filled where the winding
// number is not zero.
void TRegionBuilder::AddPolygonRows(TPolygonEdge* e, size_t count, int rowFirst, int rowEnd) {
  struct TCrossing {
    int64_t X;
    int Direction;
  };
  TCrossing crossing[8];
  std::vector<TCrossing> manyCrossings(count > 8 ? count : 0);
  TCrossing* c = count <= 8 ? crossing : manyCrossings.data();
  for (int y = rowFirst; y < rowEnd; ++y) {
    size_t k = 0;
    for (size_t i = 0; i < count; ++i) {
      TPolygonEdge& edge = e[i];
      if (y < edge.Top || y >= edge.Bottom) continue;
      // Insertion keeps the few crossings sorted by x.
      size_t at = k++;
      while (at > 0 && c[at - 1].X > edge.X) c[at] = c[at - 1], --at;
      c[at] = {edge.X, edge.Direction};
      edge.Step();
    }
    int winding = 0;
    int64_t start = 0;
    for (size_t i = 0; i < k; ++i) {
      const int before = winding;
      winding += c[i].Direction;
      if (before == 0 && winding != 0) start = c[i].X;
      if (before != 0 && winding == 0) AddRow(y, start, c[i].X);
    }
  }
}

namespace {

// Clips up to this wide and this high are built from per-pixel counts with
// the rectangles bucketed by row; wider or higher ones (never a picture)
// take the sweep with a comparison sort.
constexpr int64_t kMaxCoverWidth = int64_t{1} << 16;
constexpr int64_t kMaxBucketRows = int64_t{1} << 20;
constexpr size_t kMaxCoverCount = 0xFFFF;  // a pixel's count fits 16 bits
// Counting pays when the columns the rectangles span are fewer than this
// many times the visits the sweep would make.
constexpr uint64_t kSweepVisitColumns = 4;

// cover[from .. to) += delta (+1 or -1 as 0xFFFF).
void AddCover(uint16_t* cover, int from, int to, uint16_t delta) {
  int i = from;
#if defined(__SSE2__)
  const __m128i d = _mm_set1_epi16(static_cast<short>(delta));
  for (; i + 8 <= to; i += 8) {
    __m128i* p = reinterpret_cast<__m128i*>(cover + i);
    _mm_storeu_si128(p, _mm_add_epi16(_mm_loadu_si128(p), d));
  }
#endif
  for (; i < to; ++i) cover[i] = static_cast<uint16_t>(cover[i] + delta);
}

// Appends to `out` the runs of covered pixels in [from, to), shifted by x0,
// joining a run that touches the last span already there. The counts must
// go on for 16 entries past `to` (they are read, not used).
void ScanCover(const uint16_t* cover, int from, int to, int x0, std::vector<TSpan>& out) {
  int start = -1;
  auto flip = [&](int x) {
    if (start < 0) {
      start = x;
      return;
    }
    if (!out.empty() && out.back().Right >= start + x0)
      out.back().Right = x + x0;
    else
      out.push_back({start + x0, x + x0});
    start = -1;
  };
#if defined(__SSE2__)
  // Sixteen counts at a time give sixteen covered bits; each set bit of
  // bits ^ (bits << 1 | carry) is a place where a run starts or ends.
  // Columns past `to` count as uncovered, which ends a run reaching it.
  const __m128i zero = _mm_setzero_si128();
  uint32_t in = 0;
  for (int i = from; i < to; i += 16) {
    const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cover + i));
    const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cover + i + 8));
    const __m128i empty = _mm_packs_epi16(_mm_cmpeq_epi16(lo, zero), _mm_cmpeq_epi16(hi, zero));
    uint32_t bits = ~static_cast<uint32_t>(_mm_movemask_epi8(empty)) & 0xFFFFu;
    if (to - i < 16) bits &= (1u << (to - i)) - 1;
    uint32_t edges = (bits ^ (bits << 1 | in)) & 0xFFFFu;
    in = bits >> 15;
    while (edges) {
      flip(i + __builtin_ctz(edges));
      edges &= edges - 1;
    }
  }
#else
  for (int i = from; i < to; ++i)
    if ((cover[i] != 0) != (start >= 0)) flip(i);
#endif
  if (start >= 0) flip(to);
}

}  // namespace

void TRegionBuilder::Build(TRegion& out) {
  out.Clear();
  if (rects_.empty()) return;
  const int64_t width = int64_t{clip_.Right} - clip_.Left, height = int64_t{clip_.Bottom} - clip_.Top;
  std::vector<TRect>& sorted = sorted_;
  if (height > kMaxBucketRows) {
    sorted = rects_;
    std::stable_sort(sorted.begin(), sorted.end(), [](const TRect& a, const TRect& b) { return a.Top < b.Top; });
    BuildBySweep(out);
    return;
  }
  // Bucket the rectangles by the row where each starts; count those ending
  // at each row. Afterwards row y's rectangles are sorted[start[y - 1] ..
  // start[y]) (from 0 for the first row).
  const int top0 = clip_.Top;
  const size_t rows = static_cast<size_t>(height);
  std::vector<uint32_t>&start = start_, &end = end_, &events = events_;
  start.assign(rows + 2, 0);
  bool oneRow = true;
  for (const TRect& r : rects_) {
    ++start[static_cast<size_t>(r.Top - top0) + 1];
    oneRow &= r.Bottom - r.Top == 1;
  }
  if (oneRow && method_ == TMethod::kAuto) {
    // Only rows of slanted or round shapes: each row is its own rectangles.
    for (size_t y = 0; y <= rows; ++y) start[y + 1] += start[y];
    sorted.resize(rects_.size());
    for (const TRect& r : rects_) sorted[start[static_cast<size_t>(r.Top - top0)]++] = r;
    BuildByRows(out);
    return;
  }
  end.assign(rows + 2, 0);
  for (const TRect& r : rects_) ++end[static_cast<size_t>(r.Bottom - top0) + 1];
  // events[y]: how many rows before y start or end a rectangle.
  events.resize(rows + 2);
  uint32_t seen = 0;
  for (size_t y = 0; y <= rows; ++y) {
    events[y] = seen;
    seen += (start[y + 1] | end[y + 1]) != 0;
    start[y + 1] += start[y], end[y + 1] += end[y];
  }
  events[rows + 1] = seen;
  sorted.resize(rects_.size());
  // The sweep visits every rectangle at every event row it spans; the
  // counts cost about a pass over its columns when it starts and ends.
  uint64_t visits = 0, columns = 0;
  for (const TRect& r : rects_) {
    sorted[start[static_cast<size_t>(r.Top - top0)]++] = r;
    visits += events[static_cast<size_t>(r.Bottom - top0)] - events[static_cast<size_t>(r.Top - top0)];
    columns += static_cast<uint64_t>(int64_t{r.Right} - r.Left);
  }
  const bool countable = width <= kMaxCoverWidth && rects_.size() <= kMaxCoverCount;
  if (countable && (method_ == TMethod::kCoverage || (method_ == TMethod::kAuto && columns < visits * kSweepVisitColumns)))
    BuildByCoverage(out);
  else
    BuildBySweep(out);
}

void TRegionBuilder::BuildByCoverage(TRegion& out) {
  const int x0 = clip_.Left, top0 = clip_.Top;
  const int width = clip_.Right - clip_.Left;
  const size_t rows = static_cast<size_t>(clip_.Bottom - clip_.Top);
  const std::vector<uint32_t>&start = start_;
  std::vector<uint32_t>& end = end_;
  // The columns of the rectangles ending at each row, in end_'s buckets.
  std::vector<TSpan>& closing = closing_;
  closing.resize(rects_.size());
  for (const TRect& r : rects_) closing[end[static_cast<size_t>(r.Bottom - top0)]++] = {r.Left - x0, r.Right - x0};

  cover_.assign(static_cast<size_t>(width) + 16, 0);  // ScanCover reads past the end
  uint16_t* cover = cover_.data();
  std::vector<TSpan>&spans = spans_, &next = next_;  // the current row's, the one being made
  std::vector<TSpan>& changes = changes_;             // the columns that change at this row
  spans.clear();
  const auto change = [&](int left, int right, uint16_t delta) {
    AddCover(cover, left, right, delta);
    changes.push_back({left, right});
  };

  const std::vector<uint32_t>& events = events_;
  size_t y = 0;
  while (y <= rows && events[y + 1] == events[y]) ++y;
  while (y <= rows) {
    changes.clear();
    for (uint32_t k = y ? end[y - 1] : 0; k < end[y]; ++k) change(closing[k].Left, closing[k].Right, 0xFFFF);
    for (uint32_t k = y ? start[y - 1] : 0; k < start[y]; ++k) change(sorted_[k].Left - x0, sorted_[k].Right - x0, 1);
    const auto byLeft = [](const TSpan& a, const TSpan& b) { return a.Left < b.Left; };
    if (!std::is_sorted(changes.begin(), changes.end(), byLeft)) std::sort(changes.begin(), changes.end(), byLeft);
    // Outside the changed columns the row keeps the previous row's spans;
    // inside them the counts are read afresh.
    next.clear();
    const auto keep = [&next](int left, int right) {
      if (left >= right) return;
      if (!next.empty() && next.back().Right >= left)
        next.back().Right = std::max(next.back().Right, right);
      else
        next.push_back({left, right});
    };
    size_t i = 0;
    int cut = INT_MIN;  // the previous spans are kept only right of this
    const auto changed = [&](int from, int to) {  // clip-relative columns
      const int left = from + x0, right = to + x0;
      // Spans wholly before the change stay as they are, the first maybe
      // joining the last one kept.
      const size_t first = i;
      while (i < spans.size() && spans[i].Right <= left) ++i;
      if (i > first) {
        keep(std::max(spans[first].Left, cut), spans[first].Right);
        next.insert(next.end(), spans.begin() + std::ptrdiff_t(first) + 1, spans.begin() + std::ptrdiff_t(i));
      }
      if (i < spans.size()) keep(std::max(spans[i].Left, cut), std::min(spans[i].Right, left));
      ScanCover(cover, from, to, x0, next);
      while (i < spans.size() && spans[i].Right <= right) ++i;
      cut = right;
    };
    // Overlapping or touching changes are read as one.
    for (size_t k = 0; k < changes.size();) {
      const int from = changes[k].Left;
      int to = changes[k].Right;
      for (++k; k < changes.size() && changes[k].Left <= to; ++k) to = std::max(to, changes[k].Right);
      changed(from, to);
    }
    if (i < spans.size()) {
      keep(std::max(spans[i].Left, cut), spans[i].Right);
      next.insert(next.end(), spans.begin() + std::ptrdiff_t(i) + 1, spans.end());
    }
    spans.swap(next);

    size_t following = y + 1;
    while (following <= rows && events[following + 1] == events[following]) ++following;
    if (!spans.empty() && following <= rows)
      out.AppendBand(top0 + int(y), top0 + int(following), spans.data(), spans.size());
    y = following;
  }
}

void TRegionBuilder::BuildByRows(TRegion& out) {
  const auto byLeft = [](const TRect& a, const TRect& b) { return a.Left < b.Left; };
  std::vector<TSpan>& spans = spans_;
  const size_t rows = static_cast<size_t>(clip_.Bottom - clip_.Top);
  for (size_t y = 0; y < rows; ++y) {
    TRect *first = sorted_.data() + (y ? start_[y - 1] : 0), *last = sorted_.data() + start_[y];
    if (first == last) continue;
    if (!std::is_sorted(first, last, byLeft)) std::sort(first, last, byLeft);
    spans.clear();
    for (const TRect* r = first; r < last; ++r) AppendJoined(spans, r->Left, r->Right);
    const int top = clip_.Top + static_cast<int>(y);
    out.AppendBand(top, top + 1, spans.data(), spans.size());
  }
}

void TRegionBuilder::BuildBySweep(TRegion& out) {
  const std::vector<TRect>& sorted = sorted_;
  // Sweep down the rows with the rectangles that cover the current row,
  // kept sorted by their left edge; between two events every row has the
  // same spans.
  std::vector<TRect>&active = active_, &incoming = incoming_, &merged = merged_;
  std::vector<TSpan>& spans = spans_;
  active.clear();
  size_t next = 0;
  int y = sorted[0].Top;
  int firstEnd = kNone;  // the lowest bottom among the active rectangles
  const auto byLeft = [](const TRect& a, const TRect& b) { return a.Left < b.Left; };
  while (next < sorted.size() || !active.empty()) {
    if (active.empty()) y = std::max(y, sorted[next].Top);
    if (firstEnd <= y) std::erase_if(active, [y](const TRect& r) { return r.Bottom <= y; });
    incoming.clear();
    while (next < sorted.size() && sorted[next].Top == y) incoming.push_back(sorted[next++]);
    if (!incoming.empty()) {
      // Shapes often arrive left to right already.
      if (!std::is_sorted(incoming.begin(), incoming.end(), byLeft))
        std::sort(incoming.begin(), incoming.end(), byLeft);
      if (active.empty()) {
        active.swap(incoming);
      } else {
        merged.resize(active.size() + incoming.size());
        std::merge(active.begin(), active.end(), incoming.begin(), incoming.end(), merged.begin(), byLeft);
        active.swap(merged);
      }
    }
    int bottom = next < sorted.size() ? sorted[next].Top : kNone;
    firstEnd = kNone;
    spans.clear();
    for (const TRect& r : active) {
      firstEnd = std::min(firstEnd, r.Bottom);
      AppendJoined(spans, r.Left, r.Right);
    }
    bottom = std::min(bottom, firstEnd);
    if (bottom == kNone) break;
    out.AppendBand(y, bottom, spans.data(), spans.size());
    y = bottom;
  }
}

}  // namespace vanta
