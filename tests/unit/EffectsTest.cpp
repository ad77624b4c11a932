#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

#include "EffectsTestSupport.h"
#include "base/Random.h"
#include "engine/Blit.h"
#include "engine/Effects.h"

namespace vanta {
namespace {

using test::Origin;
using test::TaggedPicture;

TEST(FrameGeometry, LongerSideScalesAndTheOtherFollows) {
  struct Case { int w, h, p, step, x, y, j; } cases[] = {
      {800, 600, 50, 4, 400, 300, 36}, {600, 800, 50, 4, 300, 400, 36}, {100, 100, 33, 90, 33, 33, 100},
      {640, 480, 0, 1, 0, 0, 7},       {640, 480, 100, 6, 640, 480, 43}, {3, 1000, 1, 4, 0, 10, 44},
      {1000, 3, 99, 4, 990, 3, 44},
  };
  for (const auto& c : cases) {
    const TFrameGeometry g = FrameGeometry(c.w, c.h, c.p, c.step);
    EXPECT_EQ(g.X, c.x) << c.w << "x" << c.h << " p" << c.p;
    EXPECT_EQ(g.Y, c.y) << c.w << "x" << c.h << " p" << c.p;
    EXPECT_EQ(g.J, c.j) << c.w << "x" << c.h << " p" << c.p;
  }
}

TEST(EffectFamilies, EveryNumberHasOnePlaceAndTheFamiliesTheirSizes) {
  struct Case { TEffectFamily family; int size; } cases[] = {
      {TEffectFamily::None, 1},        {TEffectFamily::HorizontalCopies, 17}, {TEffectFamily::VerticalCopies, 17},
      {TEffectFamily::CombinedCopies, 19}, {TEffectFamily::FourPartCopies, 4}, {TEffectFamily::RoundRects, 10},
      {TEffectFamily::Bands, 24},      {TEffectFamily::RaggedEdges, 18},      {TEffectFamily::Triangles, 8},
      {TEffectFamily::CrossFade, 1},   {TEffectFamily::Rotations, 4},         {TEffectFamily::Swarms, 4},
      {TEffectFamily::RandomSquares, 1},
  };
  int total = 0, regions = 0;
  for (const auto& c : cases) {
    EXPECT_NE(EffectNumber(c.family, c.size - 1), -1) << FamilyCaption(c.family);
    EXPECT_EQ(EffectNumber(c.family, c.size), -1) << FamilyCaption(c.family);
    total += c.size;
    if (IsRegionFamily(c.family)) regions += c.size;
  }
  EXPECT_EQ(total, 128);
  EXPECT_EQ(regions, 65);
  for (int s = 0; s <= kLastEffect; ++s) {
    const TEffectPlace place = PlaceOf(s);
    EXPECT_EQ(EffectNumber(place.Family, place.Member), s);
  }
  for (int s : {-1, 128, 255}) EXPECT_EQ(FamilyOf(s), TEffectFamily::Unknown) << s;
  EXPECT_EQ(FamilyOf(118), TEffectFamily::CrossFade);
  EXPECT_EQ(FamilyOf(99), TEffectFamily::Bands);
}

TBitmap24 Frame(int style, int w, int h, int p, TFrameResult* result = nullptr, std::vector<TRect>* inval = nullptr) {
  const TBitmap24 oldImage = TaggedPicture(w, h, true), newImage = TaggedPicture(w, h, false);
  TBitmap24 screen;
  TFrameHooks hooks;
  if (inval) hooks.Invalidate = [inval](const TRect& r) { inval->push_back(r); };
  const TFrameResult r = ComposeFrame(oldImage, newImage, screen, p, 4, style, hooks);
  if (result) *result = r;
  return screen;
}

TEST(Effects, FullProgressLeavesExactlyTheNewPicture) {
  for (const auto& [w, h] : {std::pair{37, 23}, std::pair{23, 37}, std::pair{1, 1}, std::pair{2, 9}}) {
    const TBitmap24 want = TaggedPicture(w, h, false);
    for (int style = 0; style <= 127; ++style) {
      SetRandSeed(7);
      EXPECT_TRUE(Frame(style, w, h, 100) == want) << "effect " << style << " at " << w << "x" << h;
    }
  }
}

TEST(Effects, NoProgressLeavesTheOldPictureForTheUncoveringEffects) {
  const TBitmap24 old = TaggedPicture(40, 30, true);
  std::vector<int> styles;
  for (int s = 1; s <= 11; ++s) styles.push_back(s);
  for (int s = 18; s <= 28; ++s) styles.push_back(s);
  for (int s = 35; s <= 53; ++s) styles.push_back(s);
  for (int s : {54, 118, 119, 120, 121, 122, 128, 255}) styles.push_back(s);
  for (int s : styles) EXPECT_TRUE(Frame(s, 40, 30, 0) == old) << "effect " << s;
}

TEST(Effects, TwelveMakesItsOneColumnCopyEvenAtNoProgress) {
  TFrameResult r;
  std::vector<TRect> inval;
  const TBitmap24 f = Frame(12, 40, 30, 0, &r, &inval);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) EXPECT_EQ(Origin(f, x, y).has_value(), x == 0) << x << "," << y;
  EXPECT_EQ(inval, (std::vector<TRect>{{0, 0, 1, 30}}));
  EXPECT_EQ(r.Invalid, (TRect{39, 0, 40, 30}));  // the skipped finishing copy's rectangle
}

// What the frame shows at (x, y): the new picture's pixel, or nullopt for
// the old one. Written from what each effect is seen to do.
using Expectation = std::function<std::optional<TPoint>(int x, int y)>;

struct SeenCase {
  int style, w, h, p;
  Expectation seen;
};

std::optional<TPoint> Old() { return std::nullopt; }
std::optional<TPoint> New(int x, int y) { return TPoint{x, y}; }

TEST(Effects, UnscaledCopiesShowWhatTheirTablesSay) {
  // 800 x 600 at p = 50: X = 400, Y = 300. 600 x 800: X = 300, Y = 400.
  const SeenCase cases[] = {
      {3, 80, 60, 50, [](int x, int y) { return x >= 40 ? New(x - 40, y) : Old(); }},
      {4, 80, 60, 25, [](int x, int y) { return x < 20 ? New(x + 60, y) : Old(); }},
      {5, 80, 60, 50, [](int x, int y) { return x < 40 ? New(x, y) : Old(); }},
      {6, 80, 60, 25, [](int x, int y) { return x >= 60 ? New(x, y) : Old(); }},
      {11, 80, 60, 50, [](int x, int y) { return x >= 20 && x < 60 ? New(x, y) : Old(); }},
      {12, 80, 60, 50, [](int x, int y) { return x < 21 || x >= 59 ? New(x, y) : Old(); }},
      {20, 60, 80, 50, [](int x, int y) { return y >= 40 ? New(x, y - 40) : Old(); }},
      {22, 60, 80, 25, [](int x, int y) { return y < 20 ? New(x, y) : Old(); }},
      {23, 60, 80, 25, [](int x, int y) { return y >= 60 ? New(x, y) : Old(); }},
      {43, 80, 60, 50, [](int x, int y) { return x < 40 && y < 30 ? New(x, y) : Old(); }},
      {42, 80, 60, 50, [](int x, int y) { return x < 40 && y >= 30 ? New(x + 40, y - 30) : Old(); }},
      {39, 80, 60, 50, [](int x, int y) { return x >= 40 && y >= 30 ? New(x - 40, y - 30) : Old(); }},
      {53, 80, 60, 50, [](int x, int y) { return x >= 20 && x < 60 && y >= 15 && y < 45 ? New(x, y) : Old(); }},
      {54, 80, 60, 50,
       [](int x, int y) { return (y < 15 || y >= 45 || x < 20 || x >= 60) ? New(x, y) : Old(); }},
      {55, 80, 60, 50,
       [](int x, int y) { return ((x < 21 || x >= 59) && (y < 16 || y >= 44)) ? New(x, y) : Old(); }},
      // 57 at p = 50: the four quarters slide in half way, in this order
      // (later ones cover earlier ones); the lower two are stretched by one
      // pixel, as their rectangles differ in size by one.
      {57, 80, 60, 50,
       [](int x, int y) -> std::optional<TPoint> {
         if (x < 41 && y >= 45) return New(x, SampleIndex(31, 29, y - 45, 30));  // bottom-left from below
         if (x >= 60 && y >= 29) return New(SampleIndex(41, 39, x - 60, 40), y);  // bottom-right from the right
         if (x >= 39 && y < 16) return New(x, y + 15);                            // top-right from above
         if (x < 21 && y < 31) return New(x + 20, y);                             // top-left from the left
         return Old();
       }},
  };
  for (const auto& c : cases) {
    const TBitmap24 f = Frame(c.style, c.w, c.h, c.p);
    int wrong = 0;
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x) {
        const auto want = c.seen(x, y);
        const auto got = Origin(f, x, y);
        if (want.has_value() != got.has_value() || (want && *want != *got)) ++wrong;
      }
    EXPECT_EQ(wrong, 0) << "effect " << c.style;
  }
}

TEST(Effects, SqueezesSampleTheWholePictureIntoTheStrip) {
  // Effect 1 at p = 50 on 80 x 60: the whole picture in columns 40..79.
  const TBitmap24 f1 = Frame(1, 80, 60, 50);
  const TBitmap24 f10 = Frame(10, 80, 60, 50);
  const TBitmap24 f7 = Frame(7, 80, 60, 50);
  for (int x = 0; x < 80; ++x) {
    EXPECT_EQ(Origin(f1, x, 5), x < 40 ? Old() : New(2 * (x - 40) + 1, 5)) << x;
    EXPECT_EQ(Origin(f10, x, 5), x < 20 || x >= 60 ? Old() : New(2 * (x - 20) + 1, 5)) << x;
    // 7: the left 40 columns enlarged to 120, anchored at the left edge.
    EXPECT_EQ(Origin(f7, x, 5), New((2 * x + 1) * 40 / 240, 5)) << x;
  }
}

TEST(Effects, FoldOfFourteenAtWidthThousand) {
  struct Case { int p, e; } cases[] = {{10, 150}, {50, 600}, {90, 950}};
  for (const auto& c : cases) {
    const int X = c.p * 10;
    std::vector<TRect> inval;
    TFrameResult r;
    const TBitmap24 f = Frame(14, 1000, 4, c.p, &r, &inval);
    EXPECT_EQ(inval, (std::vector<TRect>{{X, 0, c.e, 4}})) << c.p;
    EXPECT_EQ(r.Invalid, (TRect{0, 0, X, 4}));
    EXPECT_EQ(Origin(f, X - 1, 2), New(X - 1, 2));  // the uncovered part
    EXPECT_EQ(Origin(f, c.e, 2), New(c.e, 2));      // the fold starts at its far edge...
    EXPECT_EQ(Origin(f, c.e + 1, 2), Old());
    // ...and runs back towards the front, taking columns beyond e in turn.
    for (int x = X; x < c.e; ++x) {
      const auto o = Origin(f, x, 2);
      ASSERT_TRUE(o.has_value());
      EXPECT_GE(o->X, c.e);
      EXPECT_LE(o->X, std::min(2 * c.e - X, 1000) - 1);
      if (x > X) {
        EXPECT_GE(o->X, Origin(f, x + 1, 2)->X) << "fold not mirrored at " << x;
      }
    }
  }
}

TEST(Effects, FoldOfFifteenMirrorsAheadOfTheRightFront) {
  // W = 1000, p = 50: b = 500, g = 400.
  std::vector<TRect> inval;
  const TBitmap24 f = Frame(15, 1000, 4, 50, nullptr, &inval);
  EXPECT_EQ(inval, (std::vector<TRect>{{400, 0, 500, 4}}));
  EXPECT_EQ(Origin(f, 500, 1), New(500, 1));
  // The fold's edges are each moved one pixel outward: it covers g - 1 too.
  EXPECT_EQ(Origin(f, 398, 1), Old());
  EXPECT_EQ(Origin(f, 399, 1)->X, 399);
  for (int x = 399; x < 499; ++x) EXPECT_GE(Origin(f, x, 1)->X, Origin(f, x + 1, 1)->X) << x;
}

TEST(Effects, StripEffectsNeverReadOutsideTheNewPicture) {
  // 16 at p = 99 on W = 100: the strip S = (99, 104) reaches 4 columns beyond.
  struct Case { int style, w, h, p; } cases[] = {{16, 100, 10, 99}, {17, 100, 10, 99}, {33, 10, 100, 99},
                                                 {34, 10, 100, 99}, {16, 100, 10, 60}};
  for (const auto& c : cases) {
    const TBitmap24 f = Frame(c.style, c.w, c.h, c.p);
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x) {
        const auto o = Origin(f, x, y);
        if (o) {
          EXPECT_TRUE(o->X < c.w && o->Y < c.h) << c.style;
        }
      }
  }
  // 16 at p = 60: columns 60..99 show the strip 60..64 stretched eight times.
  const TBitmap24 f = Frame(16, 100, 10, 60);
  for (int x = 60; x < 100; ++x) EXPECT_EQ(Origin(f, x, 3), New(60 + (x - 60) / 8, 3)) << x;
  // 16 at p = 98: columns 98, 99 sample the strip 98..102 at 99 and 101;
  // 101 lies outside, so that pixel keeps the old picture.
  const TBitmap24 g = Frame(16, 100, 10, 98);
  EXPECT_EQ(Origin(g, 98, 3), New(99, 3));
  EXPECT_EQ(Origin(g, 99, 3), Old());
}

TEST(Effects, InvalidRectangleIsTheFinishingCopysDestination) {
  struct Case { int style, p; TRect want; } cases[] = {
      {1, 50, {40, 0, 80, 60}},   {3, 50, {40, 0, 120, 60}}, {4, 50, {-40, 0, 40, 60}}, {22, 50, {0, 0, 80, 30}},
      {52, 50, {20, 15, 60, 45}}, {54, 50, {60, 0, 80, 60}}, {118, 50, {0, 0, 80, 60}}, {0, 50, {0, 0, 80, 60}},
      {70, 50, {0, 0, 80, 60}},
  };
  for (const auto& c : cases) {
    TFrameResult r;
    Frame(c.style, 80, 60, c.p, &r);
    EXPECT_TRUE(r.Composed);
    EXPECT_EQ(r.Invalid, c.want) << "effect " << c.style;
  }
}

TEST(Effects, StylesAboveTheLastDrawOnlyTheOldPicture) {
  const TBitmap24 oldImage = TaggedPicture(9, 7, true), newImage = TaggedPicture(9, 7, false);
  TBitmap24 screen(9, 7);
  int before = 0, inval = 0;
  TFrameHooks hooks{[&] { ++before; }, [&](const TRect&) { ++inval; }, {}};
  const TFrameResult r = ComposeFrame(oldImage, newImage, screen, 100, 4, 200, hooks);
  EXPECT_FALSE(r.Composed);
  EXPECT_EQ(before, 1);
  EXPECT_EQ(inval, 0);
  EXPECT_TRUE(screen == oldImage);
}

TEST(Effects, EffectZeroWithAndWithoutHandler) {
  const TBitmap24 oldImage = TaggedPicture(9, 7, true), newImage = TaggedPicture(9, 7, false);
  TBitmap24 screen;
  TFrameResult r = ComposeFrame(oldImage, newImage, screen, 4, 4, 0);
  EXPECT_TRUE(r.ForceComplete);
  EXPECT_TRUE(screen == newImage);

  TFrameHooks hooks;
  hooks.CustomDraw = [&] { screen.SetPixel(2, 2, 0x123456); };
  r = ComposeFrame(oldImage, newImage, screen, 40, 4, 0, hooks);
  EXPECT_FALSE(r.ForceComplete);
  TBitmap24 want = oldImage;
  want.SetPixel(2, 2, 0x123456);
  EXPECT_TRUE(screen == want);  // the handler's frame stands
}

TEST(Effects, CrossFadeDividesEachProductSeparately) {
  struct Case { uint8_t oldV, newV; int p; uint8_t want; } cases[] = {
      {200, 100, 50, 150}, {200, 100, 1, 199}, {255, 255, 50, 254}, {255, 255, 99, 254}, {0, 255, 99, 252},
      {255, 0, 1, 252},    {17, 230, 0, 17},   {1, 1, 50, 0},
  };
  for (const auto& c : cases) {
    // 37 pixels: the wide path and the tail both see every case.
    TBitmap24 screen(37, 3), newImage(37, 3);
    screen.Fill(c.oldV * 0x010101u);
    newImage.Fill(c.newV * 0x010101u);
    CrossFade(screen, newImage, c.p);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 37; ++x) ASSERT_EQ(screen.Row(y)[x * 3 + 1], c.want) << int(c.oldV) << " p" << c.p << " x" << x;
  }
}

TEST(Effects, CrossFadeMatchesTheFormulaForEveryPairOfBytesAndEveryProgress) {
  // One row holding every (old, new) pair of byte values.
  TBitmap24 oldImage(21846, 1), newImage(21846, 1);
  for (size_t i = 0; i < 65536; ++i) {
    oldImage.Row(0)[i] = static_cast<uint8_t>(i);
    newImage.Row(0)[i] = static_cast<uint8_t>(i >> 8);
  }
  TBitmap24 screen(21846, 1), inPlace;
  for (int p = 0; p <= 100; ++p) {
    CrossFadeFrom(oldImage, newImage, screen, p);
    inPlace = oldImage;
    CrossFade(inPlace, newImage, p);
    for (size_t i = 0; i < 65536; ++i) {
      const int o = oldImage.Row(0)[i], n = newImage.Row(0)[i];
      const int want = o * (100 - p) / 100 + n * p / 100;
      ASSERT_EQ(screen.Row(0)[i], want) << "old " << o << " new " << n << " p" << p;
      ASSERT_EQ(inPlace.Row(0)[i], want) << "old " << o << " new " << n << " p" << p;
    }
  }
}

TEST(Effects, RotationFollowsThePivotFormula) {
  // Rows padded and unpadded (32 * 3 is a multiple of 4, so the last pixel
  // ends the bitmap), and with and without a hook (which rotates in place).
  for (const auto& [W, H] : {std::pair{31, 17}, std::pair{32, 20}, std::pair{4, 45}, std::pair{1, 1}})
    for (const bool hooked : {false, true}) {
      const TBitmap24 oldImage = TaggedPicture(W, H, true), newImage = TaggedPicture(W, H, false);
      TFrameHooks hooks;
      if (hooked) hooks.BeforeNewFrame = [] {};
      for (int style = 119; style <= 122; ++style)
        for (int p : {0, 1, 25, 50, 73, 99, 100}) {
          TBitmap24 screen;
          ComposeFrame(oldImage, newImage, screen, p, 4, style, hooks);
          const double t = (100 - p) * std::numbers::pi / 200, s = std::sin(t), c = std::cos(t);
          const int cx = style <= 120 ? -1 : W, cy = (style == 119 || style == 121) ? -1 : H;
          int wrong = 0;
          for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
              const double dx = x - cx, dy = y - cy;
              const int u = static_cast<int>(std::nearbyint(dx * c - dy * s)) + cx;
              const int v = static_cast<int>(std::nearbyint(dx * s + dy * c)) + cy;
              const auto want = (u >= 0 && u < W && v >= 0 && v < H) ? New(u, v) : Old();
              if (Origin(screen, x, y) != want) ++wrong;
            }
          EXPECT_EQ(wrong, 0) << "effect " << style << " p" << p << " " << W << "x" << H << (hooked ? " hooked" : "");
          if (p == 0) {
            EXPECT_TRUE(screen == oldImage);
          }
          if (p == 100) {
            EXPECT_TRUE(screen == newImage);
          }
        }
    }
}

TEST(Effects, RotationFollowsThePivotFormulaOnLargePictures) {
  // Large enough that most rows have a pixel whose sums come within a hair
  // of a half, and one too tall for the fast sums (every pixel by the formula).
  for (const auto& [W, H] : {std::pair{1283, 719}, std::pair{6, 30011}}) {
    TBitmap24 oldImage(W, H), newImage(W, H);
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) {
        oldImage.SetPixel(x, y, static_cast<TColor>(x * 2654435761u + y * 40503u) & 0xFFFFFF);
        newImage.SetPixel(x, y, static_cast<TColor>(y * 2654435761u + x * 97u + 1) & 0xFFFFFF);
      }
    for (int style = 119; style <= 122; ++style)
      for (int p : {1, 13, 37, 50, 71, 99}) {
        TBitmap24 screen, want = oldImage;
        ComposeFrame(oldImage, newImage, screen, p, 4, style);
        const double t = (100 - p) * std::numbers::pi / 200, s = std::sin(t), c = std::cos(t);
        const int cx = style <= 120 ? -1 : W, cy = (style == 119 || style == 121) ? -1 : H;
        for (int y = 0; y < H; ++y)
          for (int x = 0; x < W; ++x) {
            const double dx = x - cx, dy = y - cy;
            const int u = static_cast<int>(std::nearbyint(dx * c - dy * s)) + cx;
            const int v = static_cast<int>(std::nearbyint(dx * s + dy * c)) + cy;
            if (u >= 0 && u < W && v >= 0 && v < H) want.SetPixel(x, y, newImage.Pixel(u, v));
          }
        EXPECT_TRUE(screen == want) << "effect " << style << " p" << p << " " << W << "x" << H;
      }
  }
}

TEST(Effects, RegionEffectsGoThroughTheSeamOrEndAtOnce) {
  // Each region effect's frame is the old picture with the seam's drawing,
  // given the same generator state; a number the seam declines behaves as
  // effect 0 without a handler (the whole new picture, and the run ends).
  const TBitmap24 oldImage = TaggedPicture(20, 10, true), newImage = TaggedPicture(20, 10, false);
  for (int style : {58, 70, 80, 100, 110, 117, 123, 127})
    for (int p : {0, 30}) {
      SetRandSeed(42);
      TBitmap24 direct = oldImage;
      const bool handled = ComposeRegionEffect(static_cast<uint8_t>(style), FrameGeometry(20, 10, p, 4), newImage,
                                               direct, p > 0);
      const uint32_t seedAfter = RandSeed();
      SetRandSeed(42);
      TBitmap24 screen;
      const TFrameResult r = ComposeFrame(oldImage, newImage, screen, p, 4, style);
      EXPECT_EQ(r.ForceComplete, !handled) << style;
      EXPECT_TRUE(screen == (handled ? direct : newImage)) << "effect " << style << " p" << p;
      EXPECT_EQ(r.Invalid, (TRect{0, 0, 20, 10}));
      if (handled) {
        EXPECT_EQ(RandSeed(), seedAfter) << "the frame draws the region's numbers once";
      }
    }
}

}  // namespace
}  // namespace vanta
