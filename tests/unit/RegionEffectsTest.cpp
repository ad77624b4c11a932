// The region effects: their shapes at the cases that catch real faults, the
// order of their random numbers, and whole frames on odd and large sizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "base/MulDiv.h"
#include "base/Random.h"
#include "engine/EffectRegion.h"
#include "engine/Effects.h"
#include "engine/RegionEffects.h"

namespace vanta {
namespace {

// The frame quantities as the composer computes them: the longer side is
// scaled by p and the other follows it.
TFrameGeometry Geometry(int W, int H, int p, int step = 5) { return FrameGeometry(W, H, p, step); }

TRegion RegionOf(uint8_t style, const TFrameGeometry& g, uint32_t seed = 1) {
  SetRandSeed(seed);
  TRegion r;
  EXPECT_TRUE(BuildEffectRegion(style, g, r)) << int(style);
  EXPECT_TRUE(r.IsValid()) << int(style);
  return r;
}

TRegion RectsRegion(const TFrameGeometry& g, std::initializer_list<TRect> rects) {
  TRegionBuilder b({0, 0, g.W, g.H});
  for (const TRect& r : rects) b.AddRect(r);
  return b.Build();
}

// The seed after n draws from `seed` (the generator's step does not depend
// on the range asked for).
uint32_t SeedAfter(uint32_t seed, int n) {
  SetRandSeed(seed);
  for (int i = 0; i < n; ++i) Random(1);
  return RandSeed();
}

std::vector<uint8_t> RegionStyles() {
  std::vector<uint8_t> s;
  for (int i = 58; i <= 117; ++i) s.push_back(uint8_t(i));
  for (int i = 123; i <= 127; ++i) s.push_back(uint8_t(i));
  return s;
}

TEST(RegionEffects, OtherStylesHaveNoRegionAndDrawNothing) {
  TBitmap24 screen(9, 7), fresh(9, 7);
  fresh.Fill(0xFFFFFF);
  const TBitmap24 before = screen;
  for (int style = 0; style < 256; ++style) {
    if (HasEffectRegion(uint8_t(style))) continue;
    SetRandSeed(42);
    EXPECT_FALSE(ComposeRegionEffect(uint8_t(style), Geometry(9, 7, 50), fresh, screen, true)) << style;
    EXPECT_EQ(RandSeed(), 42u) << style;
  }
  EXPECT_TRUE(screen == before);
  EXPECT_EQ(RegionStyles().size(), 65u);
}

TEST(RegionEffects, BandEdgeCases) {
  // W = 100, H = 20, Step 4: J = 4.
  const auto at = [](int X) {
    TFrameGeometry g = Geometry(100, 20, 0, 4);
    g.X = X, g.Y = MulDiv(X, 20, 100);
    return g;
  };
  struct Case { uint8_t style; int X; std::initializer_list<TRect> expected; } cases[] = {
      {60, 40, {{20, 0, 100, 5}, {20, 10, 100, 15}}},                                     // a = 80, no snap
      {60, 49, {{0, 0, 100, 5}, {0, 10, 100, 15}}},                                       // a + J > W snaps
      {60, 60, {{0, 0, 100, 5}, {0, 10, 100, 15}, {80, 5, 100, 10}, {80, 15, 100, 20}}},  // phase two
      {61, 60, {{0, 0, 100, 5}, {0, 10, 100, 15}, {0, 5, 20, 10}, {0, 15, 20, 20}}},
      {62, 30, {{0, 0, 60, 5}, {0, 10, 60, 15}}},                                          // first set from the left
      {62, 60, {{0, 0, 100, 5}, {0, 10, 100, 15}, {80, 5, 100, 10}, {80, 15, 100, 20}}},  // second from the right
      {63, 30, {{40, 0, 100, 5}, {40, 10, 100, 15}}},
      {63, 60, {{0, 0, 100, 5}, {0, 10, 100, 15}, {0, 5, 20, 10}, {0, 15, 20, 20}}},
      {64, 30, {{70, 0, 100, 5}, {0, 5, 30, 10}, {70, 10, 100, 15}, {0, 15, 30, 20}}},  // the comb, no snap
      {64, 98, {{2, 0, 100, 5}, {0, 5, 98, 10}, {2, 10, 100, 15}, {0, 15, 98, 20}}},
  };
  for (const Case& c : cases) EXPECT_EQ(RegionOf(c.style, at(c.X)), RectsRegion(at(c.X), c.expected)) << int(c.style) << " X=" << c.X;
}

TEST(RegionEffects, ColumnBandsAreTheRowBandsTurned) {
  // 71..75 on an H x W picture are 60..64 on W x H with x and y exchanged.
  const struct { uint8_t rows, cols; } pairs[] = {{60, 71}, {61, 72}, {62, 73}, {63, 74}, {64, 75}};
  for (const auto& pr : pairs)
    for (int p : {10, 30, 49, 50, 51, 80, 99}) {
      const TRegion wide = RegionOf(pr.rows, Geometry(80, 45, p, 3));
      const TRegion tall = RegionOf(pr.cols, Geometry(45, 80, p, 3));
      for (int y = 0; y < 45; ++y)
        for (int x = 0; x < 80; ++x)
          ASSERT_EQ(wide.Contains(x, y), tall.Contains(y, x)) << int(pr.cols) << " p=" << p << " " << x << "," << y;
    }
}

TEST(RegionEffects, Effect99IsTheIntersectionOf86And89) {
  const TFrameGeometry g = Geometry(100, 100, 30, 1);  // X = Y = 30, J = 1
  struct Case { int x, y; bool in86, in89; } cases[] = {
      {50, 2, true, true},    // a row stripe both fill
      {70, 2, true, true},    // 86's row stripe, 89's column stripe
      {70, 7, false, true},   // between row stripes: only 89's columns reach it
      {72, 50, true, true},   // both column parts
      {2, 50, true, true},
      {2, 20, false, true},   // 86's columns grow from the bottom only
      {90, 90, true, false},  // 89 grows from the top and left only
  };
  const TRegion r86 = RegionOf(86, g), r89 = RegionOf(89, g), r99 = RegionOf(99, g);
  for (const Case& c : cases) {
    EXPECT_EQ(r86.Contains(c.x, c.y), c.in86) << c.x << "," << c.y;
    EXPECT_EQ(r89.Contains(c.x, c.y), c.in89) << c.x << "," << c.y;
    EXPECT_EQ(r99.Contains(c.x, c.y), c.in86 && c.in89) << c.x << "," << c.y;
  }
}

// The columns that stripe `row` of a rows part covers.
std::vector<TSpan> RowSpans(const TRegion& r, int row) {
  for (const TRegion::TBand& b : r.Bands())
    if (row >= b.Top && row < b.Bottom) return {r.Spans(b).begin(), r.Spans(b).end()};
  return {};
}

TEST(RegionEffects, RaggedFrontsDrawTheirNumbersInOrder) {
  // H = 25 (H mod 5 = 0) so that row 0 holds stripe 0 alone. c = W div 7.
  const int W = 140, H = 25, c = W / 7;
  const TFrameGeometry g = Geometry(W, H, 50);  // X = 70
  const int X = g.X;
  struct Case { uint8_t style; int draws; } cases[] = {{65, 2}, {66, 2}, {67, 4}, {68, 4}};
  for (const Case& k : cases) {
    SetRandSeed(777);
    const int r1 = int(Random(c)), r2 = int(Random(c)), r3 = int(Random(c)), r4 = int(Random(c));
    TRegionBuilder b({0, 0, W, H});
    switch (k.style) {
      case 65: b.AddRect(W - X + r1 - r2, 0, W, 1); break;
      case 66: b.AddRect(0, 0, X + r1 - r2, 1); break;
      case 67: b.AddRect((W - X + r1 - r2) / 2, 0, (W + X + r3 - r4) / 2, 1); break;
      case 68:
        b.AddRect(W - (X + r1 - r2) / 2, 0, W, 1);
        b.AddRect(0, 0, (X + r3 - r4) / 2, 1);
        break;
    }
    const TRegion expected = b.Build();
    const TRegion r = RegionOf(k.style, g, 777);
    EXPECT_EQ(RowSpans(r, 0), RowSpans(expected, 0)) << int(k.style);
    EXPECT_EQ(RandSeed(), SeedAfter(777, k.draws * 5)) << int(k.style);  // five stripes
  }
}

TEST(RegionEffects, RaggedStripesOverlapByTheRemainder) {
  // H = 23: stripes are 8 rows, at 0, 5, 10, 15, 20, so rows 5..7 hold the
  // union of the first two stripes.
  const int W = 140, H = 23, c = W / 7;
  const TFrameGeometry g = Geometry(W, H, 50);
  SetRandSeed(5);
  int left[5];
  for (int& l : left) {
    const int r1 = int(Random(c)), r2 = int(Random(c));
    l = W - g.X + r1 - r2;
  }
  const TRegion r = RegionOf(65, g, 5);
  const struct { int row, stripeFirst, stripeLast; } rows[] = {{0, 0, 0}, {4, 0, 0}, {5, 0, 1}, {7, 0, 1}, {8, 1, 1}, {22, 3, 4}};
  for (const auto& k : rows) {
    const int expectLeft = *std::min_element(left + k.stripeFirst, left + k.stripeLast + 1);
    EXPECT_EQ(RowSpans(r, k.row), (std::vector<TSpan>{{expectLeft, W}})) << "row " << k.row;
  }
}

TEST(RegionEffects, RaggedColumnsPartComesAfterTheRowsPart) {
  // Effect 100: the rows part (from the right) does not reach column 0, so
  // column 0 shows the first column stripe, drawn after all row stripes.
  const int W = 140, H = 70;
  const TFrameGeometry g = Geometry(W, H, 30);  // X = 42, Y = 21
  const int rowDraws = 2 * (H / 5);
  SetRandSeed(31);
  for (int i = 0; i < rowDraws; ++i) Random(W / 7);
  const int r1 = int(Random(H / 7)), r2 = int(Random(H / 7));
  const TRegion r = RegionOf(100, g, 31);
  for (int y = 0; y < H; ++y) EXPECT_EQ(r.Contains(0, y), y >= H - g.Y + r1 - r2) << y;
  EXPECT_EQ(RandSeed(), SeedAfter(31, rowDraws + 2 * (W / 5)));
}

TEST(RegionEffects, RaggedFrontsAreStraightWhenComplete) {
  // With X = W (and Y = H) the ragged depth is 0: every seed gives the same
  // region, made of straight fronts.
  const struct { int w, h; } sizes[] = {{120, 60}, {97, 61}, {61, 97}};
  for (const auto& s : sizes)
    for (uint8_t style : RegionStyles()) {
      if (!((style >= 65 && style <= 68) || (style >= 76 && style <= 79) || (style >= 100 && style <= 109))) continue;
      const TFrameGeometry g = Geometry(s.w, s.h, 100);
      const TRegion a = RegionOf(style, g, 1), b = RegionOf(style, g, 0xDEADBEEF);
      EXPECT_EQ(a, b) << int(style);
      // Nothing but straight lines: at most the one column (row) between the
      // two halves of kind 4 on an odd size stays open.
      EXPECT_GE(a.Area(), int64_t{s.w} * s.h - std::max(s.w, s.h)) << int(style);
    }
}

TEST(RegionEffects, SwarmKeepsNearBlocksAndNothingBeyondTheZone) {
  // 124 on 400 x 100 at X = 200: z = 40, f = 2, n = 20, t = 15. Blocks 1 and
  // 2 are always drawn (probability 2/i >= 1), nothing lies past X + n f.
  const TFrameGeometry g = Geometry(400, 100, 50);
  for (uint32_t seed : {1u, 2u, 3u}) {
    const TRegion r = RegionOf(124, g, seed);
    EXPECT_EQ(RandSeed(), SeedAfter(seed, 100 * 20)) << seed;  // 100 rows of steps, n draws each
    for (int y = 0; y < 100; ++y) {
      EXPECT_TRUE(r.Contains(0, y) && r.Contains(199, y) && r.Contains(203, y)) << y;
      EXPECT_FALSE(r.Contains(240, y)) << y;
    }
    // Far blocks are there only sometimes.
    int far = 0;
    for (int y = 0; y < 100; ++y) far += r.Contains(230, y);
    EXPECT_GT(far, 0);
    EXPECT_LT(far, 100);
  }
  // The column swarms mirror the row swarms on a turned picture.
  const TRegion rows = RegionOf(123, Geometry(90, 40, 60), 9), cols = RegionOf(125, Geometry(40, 90, 60), 9);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 90; ++x) ASSERT_EQ(rows.Contains(x, y), cols.Contains(y, x)) << x << "," << y;
}

TEST(RegionEffects, RandomSquares) {
  const TFrameGeometry g0 = Geometry(200, 100, 0);
  const TRegion none = RegionOf(127, g0, 3);
  EXPECT_TRUE(none.IsEmpty());
  EXPECT_EQ(RandSeed(), SeedAfter(3, 100 * 50));  // d = 2: a 100 x 50 grid, one draw per point
  EXPECT_EQ(RegionOf(127, Geometry(200, 100, 100), 3).Area(), 200 * 100);
  // At p = 50 (d = 7) about half the squares are drawn, each 2d wide.
  const TRegion half = RegionOf(127, Geometry(200, 100, 50), 3);
  EXPECT_GT(half.Area(), 200 * 100 / 2);
  EXPECT_LT(half.Area(), 200 * 100);
}

TEST(RegionEffects, TriangleGridCoversThePictureAtTheEnd) {
  for (const auto& [w, h] : {std::pair{100, 50}, std::pair{200, 300}}) {
    EXPECT_EQ(RegionOf(117, Geometry(w, h, 100)).Area(), int64_t{w} * h) << w;
    EXPECT_LT(RegionOf(117, Geometry(w, h, 50)).Area(), int64_t{w} * h) << w;
  }
  // Every cell's corner triangle at p = 50 reaches half way along its edges.
  const TRegion r = RegionOf(117, Geometry(100, 50, 50));  // t = 10, u = 5
  EXPECT_TRUE(r.Contains(40, 10) && r.Contains(47, 10) && r.Contains(40, 14));
  EXPECT_FALSE(r.Contains(49, 10) || r.Contains(45, 13) || r.Contains(49, 14));
}

TEST(RegionEffects, Effect83HasACircularCorner) {
  // W = 200, H = 100, p = 25: the rounded rectangle starts at (100, 50) and
  // its corner arc is a circle of radius H, so the visible corner is
  // symmetric about its diagonal; 81's corner of the same size is not.
  const TFrameGeometry g = Geometry(200, 100, 25);
  const TRegion r = RegionOf(83, g);
  for (int i = 0; i < 50; ++i)
    for (int j = 0; j < 50; ++j) ASSERT_EQ(r.Contains(100 + i, 50 + j), r.Contains(100 + j, 50 + i)) << i << "," << j;
  EXPECT_FALSE(r.Contains(100, 50));
  EXPECT_TRUE(r.Contains(199, 99));
  // With a 2W x 2H ellipse (81's shape, moved to the same place) the arc
  // would cut in differently.
  TRegionBuilder b({0, 0, 200, 100});
  b.AddRoundRect(100, 50, 600, 300, 400, 200);
  const TRegion ellipse = b.Build();
  bool differs = false;
  for (int i = 0; i < 50 && !differs; ++i)
    for (int j = 0; j < 50 && !differs; ++j) differs = ellipse.Contains(100 + i, 50 + j) != r.Contains(100 + i, 50 + j);
  EXPECT_TRUE(differs);
}

TEST(RegionEffects, Effect85HasAShrinkingHole) {
  const struct { int p; bool corner; } cases[] = {{1, false}, {50, true}, {99, true}};
  int64_t area = -1;
  for (const auto& c : cases) {
    const TRegion r = RegionOf(85, Geometry(200, 100, c.p));
    EXPECT_FALSE(r.Contains(100, 50)) << c.p;
    EXPECT_EQ(r.Contains(0, 0), c.corner) << c.p;
    EXPECT_GT(r.Area(), area) << c.p;
    area = r.Area();
  }
  EXPECT_EQ(RegionOf(85, Geometry(200, 100, 100)).Area(), 200 * 100);
}

TEST(RegionEffects, CurvedFrontsGrowFromTheirEdges) {
  // A pixel near the edge of origin is covered at p = 25 and its mirror near
  // the opposite edge is not.
  struct Case { uint8_t style; int x, y; } cases[] = {
      {58, 2, 50},  {59, 197, 50}, {69, 100, 2},  {70, 100, 97}, {80, 2, 2},
      {81, 197, 2}, {82, 2, 97},   {83, 197, 97}, {84, 100, 50},
  };
  const TFrameGeometry g = Geometry(200, 100, 25);
  for (const Case& c : cases) {
    const TRegion r = RegionOf(c.style, g);
    EXPECT_TRUE(r.Contains(c.x, c.y)) << int(c.style);
    EXPECT_FALSE(r.Contains(199 - c.x, 99 - c.y) && c.style != 84) << int(c.style);
  }
}

// Old and new pictures that differ in every byte.
void Pictures(int w, int h, TBitmap24& old, TBitmap24& fresh) {
  old.SetSize(w, h), fresh.SetSize(w, h);
  for (int y = 0; y < h; ++y) {
    uint8_t* o = old.Row(y);
    uint8_t* n = fresh.Row(y);
    for (int i = 0; i < w * 3; ++i) o[i] = uint8_t((i + y) & 0x7F), n[i] = uint8_t(0x80 | ((i * 3 + y) & 0x7F));
  }
}

TEST(RegionEffects, EveryFrameShowsOldOrNewPixelsWhereTheRegionSays) {
  const struct { int w, h; std::vector<int> ps; } sizes[] = {
      {97, 61, {1, 13, 25, 50, 75, 99}}, {1, 1, {1, 50, 99}}, {61, 97, {30, 70}}, {1920, 1080, {25, 50, 75}}};
  for (const auto& s : sizes) {
    TBitmap24 old, fresh;
    Pictures(s.w, s.h, old, fresh);
    TBitmap24 screen = old, untouched = old;
    for (uint8_t style : RegionStyles())
      for (int p : s.ps) {
        const TFrameGeometry g = Geometry(s.w, s.h, p);
        const TRegion region = RegionOf(style, g, 1000u + style);
        ASSERT_TRUE(region.IsEmpty() || (region.Bounds().Left >= 0 && region.Bounds().Top >= 0 &&
                                         region.Bounds().Right <= s.w && region.Bounds().Bottom <= s.h));
        std::memcpy(screen.Bits(), old.Bits(), old.SizeBytes());
        SetRandSeed(1000u + style);
        ASSERT_TRUE(ComposeRegionEffect(style, g, fresh, screen, true));
        // Each pixel comes whole from the new picture inside the region and
        // from the old one elsewhere, at the same place.
        for (int y = 0; y < s.h; ++y) {
          const uint8_t* row = screen.Row(y);
          int x = 0;
          auto check = [&](int to, const TBitmap24& from) {
            return std::memcmp(row + x * 3, from.Row(y) + x * 3, size_t(to - x) * 3) == 0;
          };
          for (const TSpan& span : RowSpans(region, y)) {
            ASSERT_TRUE(check(span.Left, old)) << int(style) << " p=" << p << " row " << y;
            x = span.Left;
            ASSERT_TRUE(check(span.Right, fresh)) << int(style) << " p=" << p << " row " << y;
            x = span.Right;
          }
          ASSERT_TRUE(check(s.w, old)) << int(style) << " p=" << p << " row " << y;
        }
        // Without drawNew only the numbers are drawn.
        SetRandSeed(1000u + style);
        ASSERT_TRUE(ComposeRegionEffect(style, g, fresh, untouched, false));
        ASSERT_TRUE(untouched == old);
      }
  }
}

TEST(RegionEffects, TheOnePassFrameEqualsOldThenNewThroughTheRegion) {
  // Narrow pictures blend every row through a mask; wide ones copy the
  // rows of few spans span by span.
  for (const auto& [w, h] : {std::pair{97, 61}, std::pair{1, 1}, std::pair{64, 300}, std::pair{1501, 43}}) {
    TBitmap24 old, fresh;
    Pictures(w, h, old, fresh);
    for (uint8_t style : RegionStyles())
      for (int p : {1, 33, 99}) {
        const TFrameGeometry g = Geometry(w, h, p);
        TBitmap24 twoPass = old, onePass;
        onePass.SetSize(w, h);
        SetRandSeed(77u * style + p);
        ASSERT_TRUE(ComposeRegionEffect(style, g, fresh, twoPass, true));
        const uint32_t seedAfter = RandSeed();
        SetRandSeed(77u * style + p);
        ASSERT_TRUE(ComposeRegionFrame(style, g, old, fresh, onePass));
        ASSERT_TRUE(onePass == twoPass) << int(style) << " p=" << p << " " << w << "x" << h;
        ASSERT_EQ(RandSeed(), seedAfter) << int(style);
      }
  }
}

TEST(RegionEffects, MismatchedOrEmptyPicturesAreSafe) {
  TBitmap24 small(10, 10), big(30, 20), empty;
  for (uint8_t style : RegionStyles()) {
    EXPECT_TRUE(ComposeRegionEffect(style, Geometry(30, 20, 50), small, big, true));
    EXPECT_TRUE(ComposeRegionEffect(style, Geometry(30, 20, 50), big, small, true));
    TFrameGeometry zero;
    EXPECT_TRUE(ComposeRegionEffect(style, zero, empty, empty, true));
  }
}

}  // namespace
}  // namespace vanta
