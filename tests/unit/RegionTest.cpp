// Region algebra checked against a plain per-pixel mask on many seeded random
// shape sets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <climits>
#include <random>
#include <tuple>
#include <vector>

#include "engine/Region.h"
#include "engine/RegionBuilder.h"
#include "engine/RegionCompose.h"

namespace vanta {

void PrintTo(const TRegion& r, std::ostream* os) {
  for (const TRegion::TBand& b : r.Bands()) {
    *os << "[" << b.Top << "," << b.Bottom << ":";
    for (const TSpan& s : r.Spans(b)) *os << " " << s.Left << ".." << s.Right;
    *os << "]";
  }
}

namespace {

// Pixels of a canvas that extends a margin beyond the clip on every side, so
// that a region reaching outside it would show up.
constexpr int kMargin = 8;

struct TMask {
  TRect Area;
  std::vector<uint8_t> Bits;
  explicit TMask(const TRect& area)
      : Area(area), Bits(static_cast<size_t>(area.Width()) * static_cast<size_t>(area.Height()), 0) {}
  uint8_t& At(int x, int y) { return Bits[size_t(y - Area.Top) * size_t(Area.Width()) + size_t(x - Area.Left)]; }
  uint8_t At(int x, int y) const {
    return Bits[size_t(y - Area.Top) * size_t(Area.Width()) + size_t(x - Area.Left)];
  }
};

TRect Grow(const TRect& r, int m) { return {r.Left - m, r.Top - m, r.Right + m, r.Bottom + m}; }

TMask MaskOf(const TRegion& region, const TRect& area) {
  TMask m(area);
  for (int y = area.Top; y < area.Bottom; ++y)
    for (int x = area.Left; x < area.Right; ++x) m.At(x, y) = region.Contains(x, y);
  return m;
}

// Brute-force shape tests, written from the rules rather than the rasteriser.
bool InRect(int x, int y, int l, int t, int r, int b) {
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  return x >= l && x < r && y >= t && y < b;
}

bool InRoundRect(int x, int y, int x1, int y1, int x2, int y2, int ew, int eh) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  if (!InRect(x, y, x1, y1, x2, y2)) return false;
  const int64_t ex = std::min<int64_t>(std::abs(ew), x2 - x1), ey = std::min<int64_t>(std::abs(eh), y2 - y1);
  // Doubled coordinates: the pixel's centre against the nearest corner's
  // ellipse centre; outside the corner zones the rectangle is full.
  const int64_t cx = 2 * x + 1, cy = 2 * y + 1;
  const int64_t lx = 2 * x1 + ex, rx = 2 * x2 - ex, ty = 2 * y1 + ey, by = 2 * y2 - ey;
  const int64_t dx = cx < lx ? lx - cx : (cx > rx ? cx - rx : 0);
  const int64_t dy = cy < ty ? ty - cy : (cy > by ? cy - by : 0);
  if (dx == 0 || dy == 0) return true;
  return dx * dx * ey * ey + dy * dy * ex * ex <= ex * ex * ey * ey;
}

// Nonzero winding of the pixel's centre, counting edges that cross the ray
// going right strictly beyond the centre.
bool InPolygon(int x, int y, const std::vector<TPoint>& pts) {
  int winding = 0;
  for (size_t i = 0; i < pts.size(); ++i) {
    TPoint p = pts[i], q = pts[(i + 1) % pts.size()];
    if (p.Y == q.Y) continue;
    int dir = 1;
    if (p.Y > q.Y) std::swap(p, q), dir = -1;
    if (y < p.Y || y >= q.Y) continue;
    const int64_t dy = q.Y - p.Y, dx = q.X - p.X;
    // 2 * crossing * dy against 2 * centre * dy.
    const int64_t cross2 = 2 * int64_t{p.X} * dy + (2 * int64_t{y} + 1 - 2 * int64_t{p.Y}) * dx;
    if (cross2 > (2 * int64_t{x} + 1) * dy) winding += dir;
  }
  return winding != 0;
}

struct TShape {
  int Kind;  // 0 rect, 1 round rect, 2 triangle
  int V[6];
  bool Contains(int x, int y) const {
    switch (Kind) {
      case 0: return InRect(x, y, V[0], V[1], V[2], V[3]);
      case 1: return InRoundRect(x, y, V[0], V[1], V[2], V[3], V[4], V[5]);
      default: return InPolygon(x, y, {{V[0], V[1]}, {V[2], V[3]}, {V[4], V[5]}});
    }
  }
  void AddTo(TRegionBuilder& b) const {
    switch (Kind) {
      case 0: b.AddRect(V[0], V[1], V[2], V[3]); break;
      case 1: b.AddRoundRect(V[0], V[1], V[2], V[3], V[4], V[5]); break;
      default: b.AddTriangle({V[0], V[1]}, {V[2], V[3]}, {V[4], V[5]});
    }
  }
};

// Shapes around a clip rectangle: many overlap it, some lie outside it,
// some are degenerate (zero width or height, collinear vertices) or given
// with their corners reversed.
std::vector<TShape> RandomShapes(std::mt19937& rng, const TRect& clip, int count, int kinds, int firstKind = 0) {
  std::uniform_int_distribution<int> kind(firstKind, kinds - 1);
  std::uniform_int_distribution<int> xs(clip.Left - 15, clip.Right + 15), ys(clip.Top - 15, clip.Bottom + 15);
  std::uniform_int_distribution<int> ell(-3, 40), pick(0, 9);
  std::vector<TShape> shapes;
  for (int i = 0; i < count; ++i) {
    TShape s{kind(rng), {xs(rng), ys(rng), xs(rng), ys(rng), xs(rng), ys(rng)}};
    if (s.Kind == 1) s.V[4] = ell(rng), s.V[5] = ell(rng);
    const int twist = pick(rng);
    if (twist == 0) s.V[2] = s.V[0];                                    // zero width / vertical edge
    if (twist == 1) s.V[3] = s.V[1];                                    // zero height / horizontal edge
    if (twist == 2 && s.Kind == 2) s.V[4] = 2 * s.V[2] - s.V[0], s.V[5] = 2 * s.V[3] - s.V[1];  // collinear
    if (twist == 3) s.V[0] = clip.Right + 20, s.V[2] = clip.Right + 30;  // entirely outside
    shapes.push_back(s);
  }
  return shapes;
}

TRegion BuildFrom(const std::vector<TShape>& shapes, const TRect& clip,
                  TRegionBuilder::TMethod method = TRegionBuilder::TMethod::kAuto) {
  TRegionBuilder b(clip);
  b.SetMethod(method);
  for (const TShape& s : shapes) s.AddTo(b);
  return b.Build();
}

TMask MaskFrom(const std::vector<TShape>& shapes, const TRect& clip) {
  TMask m(Grow(clip, kMargin));
  for (int y = clip.Top; y < clip.Bottom; ++y)
    for (int x = clip.Left; x < clip.Right; ++x)
      for (const TShape& s : shapes)
        if (s.Contains(x, y)) {
          m.At(x, y) = 1;
          break;
        }
  return m;
}

::testing::AssertionResult SameAsMask(const TRegion& region, const TMask& expected) {
  if (!region.IsValid()) return ::testing::AssertionFailure() << "invariants broken";
  int64_t count = 0;
  for (int y = expected.Area.Top; y < expected.Area.Bottom; ++y)
    for (int x = expected.Area.Left; x < expected.Area.Right; ++x) {
      count += expected.At(x, y);
      if (region.Contains(x, y) != bool(expected.At(x, y)))
        return ::testing::AssertionFailure() << "pixel " << x << "," << y << " should be " << int(expected.At(x, y));
    }
  if (region.Area() != count) return ::testing::AssertionFailure() << "area " << region.Area() << " != " << count;
  return ::testing::AssertionSuccess();
}

TEST(Region, OneSweepBuildMatchesThePixelMask) {
  struct Case { const char* what; int kinds; int minShapes, maxShapes; TRect clip; int firstKind = 0; } cases[] = {
      {"rectangles", 1, 0, 40, {0, 0, 37, 23}},
      {"round rectangles", 2, 1, 6, {-5, 3, 41, 30}},
      {"triangles", 3, 1, 8, {0, 0, 33, 29}},
      {"many small rectangles", 1, 150, 300, {2, 1, 60, 50}},
      {"wide", 3, 5, 60, {-7, 0, 300, 30}},
      {"triangles alone, a rectangle a row", 3, 1, 20, {-2, 0, 120, 40}, 2},
      {"one-pixel clip", 3, 1, 10, {4, 4, 5, 5}},
      {"empty clip", 3, 1, 10, {4, 4, 4, 9}},
  };
  using M = TRegionBuilder::TMethod;
  for (const Case& c : cases) {
    std::mt19937 rng(1234);
    for (int round = 0; round < 300; ++round) {
      const int n = std::uniform_int_distribution<int>(c.minShapes, c.maxShapes)(rng);
      std::vector<TShape> shapes = RandomShapes(rng, c.clip, n, c.kinds, c.firstKind);
      const TMask expected = MaskFrom(shapes, c.clip);
      for (const M method : {M::kAuto, M::kCoverage, M::kSweep})
        ASSERT_TRUE(SameAsMask(BuildFrom(shapes, c.clip, method), expected))
            << c.what << " round " << round << " method " << int(method);
    }
  }
}

TEST(Region, CountedRowsChangeOnlyWhereShapesStartOrEnd) {
  // Counting reads again only the columns of shapes that start or end; a
  // span running on past them keeps only its part outside.
  struct Case { std::vector<TRect> rects; std::vector<std::vector<TSpan>> rows; } cases[] = {
      {{{0, 0, 128, 5}, {128, 0, 200, 10}}, {{{0, 200}}, {{128, 200}}}},
      {{{64, 0, 128, 5}, {0, 0, 64, 10}, {128, 0, 250, 10}}, {{{0, 250}}, {{0, 64}, {128, 250}}}},
      {{{0, 0, 300, 5}, {10, 5, 20, 10}, {100, 0, 110, 10}}, {{{0, 300}}, {{10, 20}, {100, 110}}}},
      {{{70, 5, 80, 10}, {0, 0, 300, 10}}, {{{0, 300}}, {{0, 300}}}},
  };
  for (const Case& c : cases) {
    TRegionBuilder b({0, 0, 300, 10});
    b.SetMethod(TRegionBuilder::TMethod::kCoverage);
    for (const TRect& r : c.rects) b.AddRect(r);
    const TRegion region = b.Build();
    for (size_t half = 0; half < 2; ++half) {
      TRegion expected;
      for (const TSpan& s : c.rows[half]) expected = Union(expected, TRegion(TRect{s.Left, int(half) * 5, s.Right, int(half) * 5 + 5}));
      EXPECT_EQ(region.Clipped({0, int(half) * 5, 300, int(half) * 5 + 5}), expected) << half;
    }
  }
}

TEST(Region, ClipsTooLargeToCountStillBuild) {
  // A clip over 65,536 columns wide or over a million rows high takes the
  // sweep; what lies in the small clip is the same either way.
  std::mt19937 rng(31);
  const TRect small{0, 0, 45, 35};
  const TRect huge[] = {{-70000, 0, 45, 35}, {0, -3000000, 45, 3000000}, {INT_MIN / 2, INT_MIN / 2, INT_MAX / 2, INT_MAX / 2}};
  for (int round = 0; round < 100; ++round) {
    const auto shapes = RandomShapes(rng, small, 12, 3);
    const TRegion expected = BuildFrom(shapes, small);
    for (const TRect& clip : huge) {
      const TRegion all = BuildFrom(shapes, clip, TRegionBuilder::TMethod::kCoverage);
      ASSERT_TRUE(all.IsValid());
      EXPECT_EQ(all.Clipped(small), expected) << round;
    }
  }
}

TEST(Region, AlgebraMatchesThePixelMask) {
  const TRect clip{0, 0, 31, 27};
  const TRect area = Grow(clip, kMargin);
  std::mt19937 rng(99);
  for (int round = 0; round < 1500; ++round) {
    const int na = std::uniform_int_distribution<int>(0, 12)(rng), nb = std::uniform_int_distribution<int>(0, 12)(rng);
    const auto sa = RandomShapes(rng, clip, na, 3), sb = RandomShapes(rng, clip, nb, 3);
    const TRegion a = BuildFrom(sa, clip), b = BuildFrom(sb, clip);
    const TMask ma = MaskOf(a, area), mb = MaskOf(b, area);
    struct Op { const char* name; TRegion result; bool (*rule)(bool, bool); } ops[] = {
        {"union", Union(a, b), [](bool x, bool y) { return x || y; }},
        {"intersect", Intersect(a, b), [](bool x, bool y) { return x && y; }},
        {"xor", Xor(a, b), [](bool x, bool y) { return x != y; }},
        {"subtract", Subtract(a, b), [](bool x, bool y) { return x && !y; }},
    };
    for (const Op& op : ops) {
      TMask expected(area);
      for (size_t i = 0; i < expected.Bits.size(); ++i) expected.Bits[i] = op.rule(ma.Bits[i], mb.Bits[i]);
      ASSERT_TRUE(SameAsMask(op.result, expected)) << op.name << " round " << round;
    }
    // The results are canonical: the same pixel set has the same form.
    EXPECT_EQ(Union(a, b), Union(b, a));
    EXPECT_EQ(Xor(Xor(a, b), b), a);
    EXPECT_EQ(Union(Subtract(a, b), Intersect(a, b)), a);
  }
}

TEST(Region, ClippingKeepsOnlyTheInside) {
  std::mt19937 rng(7);
  const TRect wide{-20, -20, 60, 60};
  const TRect clips[] = {{0, 0, 40, 30}, {5, -30, 6, 90}, {-50, 10, 100, 11}, {70, 70, 80, 80}, {3, 3, 3, 3}};
  for (int round = 0; round < 200; ++round) {
    const auto shapes = RandomShapes(rng, {0, 0, 40, 40}, 10, 3);
    const TRegion r = BuildFrom(shapes, wide);
    for (const TRect& clip : clips) {
      const TRegion c = r.Clipped(clip);
      TMask expected(Grow(wide, kMargin));
      for (int y = wide.Top; y < wide.Bottom; ++y)
        for (int x = wide.Left; x < wide.Right; ++x) expected.At(x, y) = r.Contains(x, y) && PtInRect(clip, {x, y});
      ASSERT_TRUE(SameAsMask(c, expected)) << round;
      // Building straight into the clip gives the same region.
      EXPECT_EQ(BuildFrom(shapes, IntersectRect(clip, wide)), c);
    }
  }
}

TEST(Region, BoundsAndEmptyCases) {
  struct Case { std::vector<TRect> rects; TRect bounds; int64_t area; } cases[] = {
      {{}, {0, 0, 0, 0}, 0},
      {{{5, 5, 5, 9}, {1, 1, 4, 1}}, {0, 0, 0, 0}, 0},                 // degenerate only
      {{{8, 2, 3, 6}}, {3, 2, 8, 6}, 20},                               // reversed corners
      {{{0, 0, 2, 2}, {2, 0, 4, 2}}, {0, 0, 4, 2}, 8},                  // touching spans merge
      {{{0, 0, 2, 2}, {0, 2, 2, 5}, {10, 8, 12, 9}}, {0, 0, 12, 9}, 12},  // touching bands merge
      {{{-100, -100, 100, 100}}, {0, 0, 20, 10}, 200},                  // clipped to the picture
  };
  for (const Case& c : cases) {
    TRegionBuilder b({0, 0, 20, 10});
    for (const TRect& r : c.rects) b.AddRect(r);
    const TRegion region = b.Build();
    EXPECT_TRUE(region.IsValid());
    EXPECT_EQ(region.Bounds(), c.bounds);
    EXPECT_EQ(region.Area(), c.area);
    EXPECT_EQ(region.IsEmpty(), c.area == 0);
  }
  TRegionBuilder b({0, 0, 20, 10});
  b.AddRect(0, 0, 2, 2);
  b.AddRect(0, 2, 2, 5);
  EXPECT_EQ(b.Build().Bands().size(), 1u);  // equal neighbouring bands are one band
}

TEST(Region, RoundRectEllipseIsReducedToTheRectangle) {
  // An ellipse far larger than the rectangle rounds it as one of exactly the
  // rectangle's size would.
  const TRect clip{-10, -10, 60, 60};
  const struct { int x1, y1, x2, y2; } rects[] = {{0, 0, 40, 20}, {3, 5, 9, 50}, {0, 0, 17, 17}};
  for (const auto& r : rects) {
    TRegionBuilder big(clip), exact(clip);
    big.AddRoundRect(r.x1, r.y1, r.x2, r.y2, 1000, 1000);
    exact.AddRoundRect(r.x1, r.y1, r.x2, r.y2, r.x2 - r.x1, r.y2 - r.y1);
    const TRegion a = big.Build();
    EXPECT_EQ(a, exact.Build());
    EXPECT_FALSE(a.Contains(r.x1, r.y1));  // the corner is cut
    EXPECT_TRUE(a.Contains((r.x1 + r.x2) / 2, (r.y1 + r.y2) / 2));
  }
}

TEST(Region, CopyRegionCopiesOnlyInsidePixelsAndStaysInBounds) {
  TBitmap24 from(13, 7), to(11, 9);
  from.Fill(0x00AA5511);
  to.Fill(0x00000001);
  TRegionBuilder b({-5, -5, 30, 30});
  b.AddRect(-3, -3, 2, 2);
  b.AddRect(9, 5, 25, 25);
  b.AddTriangle({4, 0}, {8, 0}, {4, 4});
  const TRegion region = b.Build();
  CopyRegion(region, from, to);
  for (int y = 0; y < to.Height(); ++y)
    for (int x = 0; x < to.Width(); ++x) {
      const bool copied = region.Contains(x, y) && x < from.Width() && y < from.Height();
      EXPECT_EQ(to.Pixel(x, y), copied ? 0x00AA5511u : 0x00000001u) << x << "," << y;
    }
}

// Two pictures that differ in every channel of every pixel, and a frame to
// compose from them.
struct TFramePictures {
  TBitmap24 Inside, Outside, Frame;
  TFramePictures(int w, int h) : Inside(w, h), Outside(w, h), Frame(w, h) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        Outside.SetPixel(x, y, uint32_t(y << 13 | x));
        Inside.SetPixel(x, y, uint32_t(y << 13 | x) ^ 0xFFFFFFu);
      }
  }
  // Composes the frame and counts its pixels that are not the inside
  // picture's within the region and the outside picture's elsewhere.
  int WrongPixels(const TRegion& region) {
    ComposeRegionOver(region, Inside, Outside, Frame);
    int wrong = 0;
    for (int y = 0; y < Frame.Height(); ++y)
      for (int x = 0; x < Frame.Width(); ++x)
        if (Frame.Pixel(x, y) != (region.Contains(x, y) ? Inside : Outside).Pixel(x, y)) ++wrong;
    return wrong;
  }
};

TEST(Region, ComposedCombRowsTakeLongStretchesWholeAndBlendTheRest) {
  // Rows of many stripes beside long solid runs and long gaps, at the row's
  // ends, in the middle, and more of them than a row plans stretches for.
  const int w = 5000, h = 12;
  TRegionBuilder b({0, 0, w, h});
  for (int x = 0; x < 900; x += 10) b.AddRect(x, 0, x + 5, 12);   // stripes, every row
  b.AddRect(1250, 0, 1700, 4);                                     // gap 900..1250, solid
  for (int x = 1700; x < 2400; x += 10) b.AddRect(x, 0, x + 5, 4);
  b.AddRect(4600, 0, w, 4);                                        // solid to the end
  for (int k = 0; k < 12; ++k) b.AddRect(900 + 330 * k, 4, 900 + 330 * k + 321, 8);  // many long runs
  b.AddRect(0, 8, 700, 12);                                        // solid from the start
  for (int x = 700; x < w; x += 7) b.AddRect(x, 8, x + 3, 12);
  EXPECT_EQ(TFramePictures(w, h).WrongPixels(b.Build()), 0);
}

TEST(Region, ComposedFrameTakesInsideWithinTheRegionAndOutsideElsewhere) {
  // Few spans a row are copied span by span, many are blended through a
  // mask; spans of every width from one pixel, and some reaching outside.
  std::mt19937 rng(2024);
  for (const auto& [w, h, count] : {std::tuple{1500, 40, 6}, std::tuple{1500, 40, 400}, std::tuple{200, 30, 60}, std::tuple{300, 12, 150},
                                    std::tuple{7, 5, 4}, std::tuple{1, 3, 2}}) {
    TRegionBuilder b({-3, -3, w + 3, h + 3});
    for (int i = 0; i < count; ++i) {
      const int x = int(rng() % uint32_t(w + 6)) - 3, y = int(rng() % uint32_t(h + 6)) - 3;
      b.AddRect(x, y, x + 1 + int(rng() % (i % 2 ? 2 : 9)), y + 1 + int(rng() % 4));
    }
    EXPECT_EQ(TFramePictures(w, h).WrongPixels(b.Build()), 0) << w << "x" << h << " with " << count << " rectangles";
  }
}

}  // namespace
}  // namespace vanta
