#include <gtest/gtest.h>

#include "EffectsTestSupport.h"
#include "engine/Blit.h"

namespace vanta {
namespace {

using test::Origin;
using test::TaggedPicture;

TEST(Blit, SampleIndexTakesThePixelUnderEachCentre) {
  struct Case { int s0, sn, i, dn, want; } cases[] = {
      {0, 10, 0, 10, 0},  {0, 10, 9, 10, 9},   // one to one
      {0, 10, 0, 5, 1},   {0, 10, 4, 5, 9},    // halved: every second pixel, odd ones
      {0, 4, 0, 8, 0},    {0, 4, 1, 8, 0},  {0, 4, 2, 8, 1}, {0, 4, 7, 8, 3},  // doubled
      {5, 3, 0, 7, 5},    {5, 3, 3, 7, 6},  {5, 3, 6, 7, 7},
      {-4, 8, 0, 8, -4},  // a source reaching outside keeps its indices
  };
  for (const auto& c : cases) EXPECT_EQ(SampleIndex(c.s0, c.sn, c.i, c.dn), c.want) << c.s0 << "/" << c.i;
}

// Destination pixel -> expected source column on row 0, or -1 for unchanged.
struct StretchCase {
  const char* name;
  TRect d, s;
  int expect[8];
};

TEST(Blit, StretchCopyRowsFollowTheRuleAndClipBothSides) {
  const StretchCase cases[] = {
      {"same size", {2, 0, 5, 1}, {0, 0, 3, 1}, {-1, -1, 0, 1, 2, -1, -1, -1}},
      {"enlarged", {0, 0, 8, 1}, {2, 0, 4, 1}, {2, 2, 2, 2, 3, 3, 3, 3}},
      {"shrunk", {0, 0, 2, 1}, {0, 0, 8, 1}, {2, 6, -1, -1, -1, -1, -1, -1}},
      {"mirrored", {6, 0, 2, 1}, {0, 0, 4, 1}, {-1, -1, 3, 2, 1, 0, -1, -1}},
      {"destination beyond left", {-3, 0, 3, 1}, {0, 0, 6, 1}, {3, 4, 5, -1, -1, -1, -1, -1}},
      {"destination beyond right", {5, 0, 11, 1}, {0, 0, 6, 1}, {-1, -1, -1, -1, -1, 0, 1, 2}},
      {"source beyond right", {0, 0, 4, 1}, {6, 0, 10, 1}, {6, 7, -1, -1, -1, -1, -1, -1}},
      {"source beyond left", {0, 0, 4, 1}, {-2, 0, 2, 1}, {-1, -1, 0, 1, -1, -1, -1, -1}},
      {"no width", {3, 0, 3, 1}, {0, 0, 4, 1}, {-1, -1, -1, -1, -1, -1, -1, -1}},
      {"empty source", {0, 0, 4, 1}, {2, 0, 2, 1}, {-1, -1, -1, -1, -1, -1, -1, -1}},
  };
  const TBitmap24 src = TaggedPicture(8, 2, false);
  for (const auto& c : cases) {
    TBitmap24 dst = TaggedPicture(8, 1, true);
    StretchCopy(dst, c.d, src, c.s);
    for (int x = 0; x < 8; ++x) {
      const auto o = Origin(dst, x, 0);
      if (c.expect[x] < 0) {
        EXPECT_FALSE(o.has_value()) << c.name << " x=" << x;
      } else {
        ASSERT_TRUE(o.has_value()) << c.name << " x=" << x;
        EXPECT_EQ(o->X, c.expect[x]) << c.name << " x=" << x;
      }
    }
  }
}

TEST(Blit, NearUnityScalesFollowTheSameRule) {
  // Long runs of consecutive source pixels take a faster path; the pixels
  // must not change.
  struct Case { TRect d, s; } cases[] = {
      {{0, 0, 100, 2}, {0, 0, 99, 2}}, {{3, 0, 97, 2}, {1, 0, 99, 2}}, {{0, 0, 100, 2}, {0, 0, 50, 2}},
      {{10, 0, 110, 2}, {0, 0, 101, 2}}};
  const TBitmap24 src = TaggedPicture(120, 2, false);
  for (const auto& c : cases) {
    TBitmap24 dst = TaggedPicture(120, 2, true);
    StretchCopy(dst, c.d, src, c.s);
    for (int x = 0; x < 120; ++x) {
      const auto o = Origin(dst, x, 1);
      if (x < c.d.Left || x >= std::min(c.d.Right, 120)) {
        EXPECT_FALSE(o.has_value()) << x;
      } else {
        ASSERT_TRUE(o.has_value()) << x;
        EXPECT_EQ(o->X, SampleIndex(c.s.Left, c.s.Width(), x - c.d.Left, c.d.Width())) << c.d.Right << " x=" << x;
      }
    }
  }
}

TEST(Blit, VerticalMirrorAndRowRepeat) {
  const TBitmap24 src = TaggedPicture(3, 4, false);
  TBitmap24 dst = TaggedPicture(3, 8, true);
  StretchCopy(dst, {0, 8, 3, 0}, src, {0, 0, 3, 4});  // upside down, twice as high
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 3; ++x) {
      const auto o = Origin(dst, x, y);
      ASSERT_TRUE(o.has_value());
      EXPECT_EQ(*o, (TPoint{x, (7 - y) / 2})) << x << "," << y;
    }
}

TEST(Blit, WideReadsNeverPassTheLastRow) {
  // Width 4: rows have no padding, so the last pixel is the buffer's end.
  const TBitmap24 src = TaggedPicture(4, 1, false);
  TBitmap24 dst = TaggedPicture(7, 1, true);
  StretchCopy(dst, {7, 0, 0, 1}, src, {0, 0, 4, 1});
  EXPECT_EQ(Origin(dst, 0, 0)->X, 3);
  EXPECT_EQ(Origin(dst, 6, 0)->X, 0);
}

TEST(Blit, WideRowsFollowTheRuleAtEveryScale) {
  // Rows long enough to go five pixels at a time: enlarged, shrunk (up to
  // the most two loads take, and beyond), mirrored, reading up to the last
  // byte of an unpadded bitmap.
  struct Case { TRect d, s; } cases[] = {
      {{0, 0, 64, 3}, {0, 0, 21, 3}},  {{0, 0, 64, 3}, {40, 0, 64, 3}}, {{0, 0, 30, 3}, {0, 0, 64, 3}},
      {{5, 0, 37, 3}, {1, 0, 64, 3}},  {{0, 0, 20, 3}, {0, 0, 64, 3}},  {{64, 0, 0, 3}, {33, 0, 64, 3}},
      {{50, 0, 3, 3}, {0, 0, 64, 3}},  {{-9, 0, 70, 3}, {2, 0, 61, 3}}, {{0, 0, 64, 3}, {0, 0, 63, 3}},
  };
  const TBitmap24 src = TaggedPicture(64, 3, false);  // 64 * 3 bytes a row: no padding
  for (const auto& c : cases) {
    TBitmap24 dst = TaggedPicture(64, 3, true);
    StretchCopy(dst, c.d, src, c.s);
    const bool mirrored = c.d.Left > c.d.Right;
    const int lo = std::min(c.d.Left, c.d.Right), hi = std::max(c.d.Left, c.d.Right);
    for (int x = 0; x < 64; ++x) {
      const auto o = Origin(dst, x, 2);
      if (x < lo || x >= hi) {
        EXPECT_FALSE(o.has_value()) << c.d.Left << ">" << c.d.Right << " x=" << x;
        continue;
      }
      ASSERT_TRUE(o.has_value()) << c.d.Left << ">" << c.d.Right << " x=" << x;
      const int i = mirrored ? hi - 1 - x : x - lo;
      EXPECT_EQ(o->X, SampleIndex(c.s.Left, c.s.Width(), i, hi - lo)) << c.d.Left << ">" << c.d.Right << " x=" << x;
    }
  }
}

TEST(Blit, CopyRectClipsSourceAndDestination) {
  const TBitmap24 src = TaggedPicture(5, 5, false);
  TBitmap24 dst = TaggedPicture(5, 5, true);
  CopyRect(dst, -1, 3, src, {-2, 0, 3, 4});  // source starts outside: (0,0) lands at (1,3)
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) {
      const auto o = Origin(dst, x, y);
      if (y >= 3 && x >= 1 && x <= 3) {
        ASSERT_TRUE(o.has_value()) << x << "," << y;
        EXPECT_EQ(*o, (TPoint{x - 1, y - 3}));
      } else {
        EXPECT_FALSE(o.has_value()) << x << "," << y;
      }
    }
}

}  // namespace
}  // namespace vanta
