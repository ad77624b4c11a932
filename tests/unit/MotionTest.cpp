// The resampler that moving pictures are drawn with, and the paths they move on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "base/Random.h"
#include "engine/PanZoom.h"
#include "engine/Resample.h"
#include "platform/headless/HeadlessScheduler.h"
#include "platform/headless/HeadlessSurfaceHost.h"
#include "show/PictureMotion.h"

namespace vanta {
namespace {

TBitmap24 Noise(int w, int h, uint32_t seed) {
  TBitmap24 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w * 3; ++x) {
      seed = seed * 1664525u + 1013904223u;
      b.Row(y)[x] = static_cast<uint8_t>(seed >> 24);
    }
  return b;
}

TBitmap24 Checkerboard(int w, int h) {
  TBitmap24 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, (x + y) % 2 ? 0xFFFFFF : 0);
  return b;
}

// What a target pixel should be, straight from the definition: a tent
// average of the source under it, as wide as the target pixel when
// shrinking, one pixel when enlarging (bilinear); the edge repeats.
double Reference(const TBitmap24& src, const TSourceWindow& w, int tw, int th, int x, int y, int channel) {
  const auto at = [&](int sx, int sy) {
    sx = std::clamp(sx, 0, src.Width() - 1);
    sy = std::clamp(sy, 0, src.Height() - 1);
    return static_cast<double>(src.Row(sy)[sx * 3 + channel]);
  };
  const double sx = w.Width() / tw, sy = w.Height() / th;
  const double cx = w.Left + (x + 0.5) * sx, cy = w.Top + (y + 0.5) * sy;
  const auto weights = [](double c, double scale, int j) {
    return std::max(0.0, 1 - std::abs(j + 0.5 - c) / std::max(scale, 1.0));
  };
  double sum = 0, total = 0;
  for (int j = static_cast<int>(std::floor(cy - std::max(sy, 1.0))) - 1; j <= cy + std::max(sy, 1.0) + 1; ++j)
    for (int i = static_cast<int>(std::floor(cx - std::max(sx, 1.0))) - 1; i <= cx + std::max(sx, 1.0) + 1; ++i) {
      const double wt = weights(cx, sx, i) * weights(cy, sy, j);
      sum += wt * at(i, j);
      total += wt;
    }
  return sum / total;
}

TEST(ResampleTest, AWindowOfTheTargetsSizeAtWholePixelsCopiesExactly) {
  const TBitmap24 src = Noise(37, 23, 7);
  struct Case {
    int left, top, w, h;
  };
  for (const Case c : {Case{0, 0, 37, 23}, Case{3, 5, 17, 9}, Case{1, 0, 36, 1}, Case{36, 22, 1, 1}}) {
    TBitmap24 dst(c.w, c.h);
    TResampler().Draw(dst, dst.Bounds(), src, {double(c.left), double(c.top), double(c.left + c.w), double(c.top + c.h)});
    for (int y = 0; y < c.h; ++y)
      ASSERT_TRUE(std::equal(dst.Row(y), dst.Row(y) + c.w * 3, src.Row(c.top + y) + c.left * 3))
          << c.left << "," << c.top << " " << c.w << "x" << c.h << " row " << y;
  }
}

TEST(ResampleTest, ShrinkingAndEnlargingFollowTheirDefinitions) {
  const TBitmap24 src = Noise(61, 47, 3);
  struct Case {
    TSourceWindow window;
    int w, h;
  };
  const Case cases[] = {
      {{0, 0, 61, 47}, 20, 15},           // area, a third
      {{2.25, 1.5, 59.75, 44.3}, 41, 29},  // area, fractional window
      {{10.4, 7.7, 30.2, 21.9}, 53, 37},   // bilinear, zoomed in
      {{0.5, 0.5, 60, 46}, 61, 47},        // nearly one to one, half a pixel off
      {{-3, -2, 64, 50}, 30, 22},          // beyond the edges: the edge repeats
  };
  for (const Case& c : cases) {
    TBitmap24 dst(c.w, c.h);
    TResampler().Draw(dst, dst.Bounds(), src, c.window);
    double worst = 0;
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x)
        for (int ch = 0; ch < 3; ++ch)
          worst = std::max(worst, std::abs(dst.Row(y)[x * 3 + ch] - Reference(src, c.window, c.w, c.h, x, y, ch)));
    // Two passes, each rounded to a byte.
    EXPECT_LE(worst, 1.5) << c.window.Left << "," << c.window.Top << " to " << c.w << "x" << c.h;
  }
}

// Enlarging takes the two-tap way: shuffled on processors that have SSSE3,
// plain code elsewhere, rows shared among threads. Every way draws the same
// bytes, and they follow the definition.
TEST(ResampleTest, EveryWayOfEnlargingDrawsTheSameBytesAndFollowsTheDefinition) {
  struct Case {
    int sw, sh;
    TSourceWindow window;
    int w, h;
  };
  const Case cases[] = {
      {200, 150, {3.3, 2.1, 181.7, 140.9}, 200, 150},    // a framing of a moving picture
      {200, 150, {0, 0, 200, 150}, 250, 187},             // zoomed in, from the corner
      {61, 47, {0.5, 0.5, 60, 46}, 61, 47},               // one to one, half a pixel off
      {61, 47, {-4, -3, 70, 55}, 83, 71},                 // beyond the edges: the edge repeats
      {1, 1, {0, 0, 1, 1}, 9, 7},                         // a single pixel
      {2, 3, {0.2, 0.1, 1.9, 2.8}, 17, 13},               // narrower than a shuffle's load
      {97, 300, {10.25, 20.5, 90.75, 290}, 131, 333},     // many rows: shared among threads
  };
  for (const Case& c : cases) {
    const TBitmap24 src = Noise(c.sw, c.sh, static_cast<uint32_t>(c.sw * 31 + c.w));
    TBitmap24 plain(c.w, c.h);
    TResampler(1, TResampleCode::Plain).Draw(plain, plain.Bounds(), src, c.window);
    double worst = 0;
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x)
        for (int ch = 0; ch < 3; ++ch)
          worst = std::max(worst, std::abs(plain.Row(y)[x * 3 + ch] - Reference(src, c.window, c.w, c.h, x, y, ch)));
    // Weights in 128ths of a pixel across, then rounded once.
    EXPECT_LE(worst, 1.5) << c.sw << "x" << c.sh << " to " << c.w << "x" << c.h;
    for (const int threads : {1, 3})
      for (const TResampleCode code : {TResampleCode::Best, TResampleCode::Avx2, TResampleCode::Ssse3}) {
        TBitmap24 other(c.w, c.h);
        TResampler(threads, code).Draw(other, other.Bounds(), src, c.window);
        EXPECT_EQ(other, plain) << c.sw << "x" << c.sh << " to " << c.w << "x" << c.h << ", " << threads
                                << " threads, code " << static_cast<int>(code);
      }
  }
}

TEST(ResampleTest, AZoomedOutCheckerboardDoesNotAlias) {
  const TBitmap24 src = Checkerboard(200, 200);
  for (const double factor : {1.13, 1.5, 2.0, 3.7}) {
    const int n = static_cast<int>(200 / factor);
    TBitmap24 dst(n, n);
    TResampler().Draw(dst, dst.Bounds(), src, {0, 0, n * factor, n * factor});
    int worst = 0;
    for (int y = 0; y < n; ++y)
      for (int x = 0; x < n * 3; ++x) worst = std::max(worst, std::abs(dst.Row(y)[x] - 128));
    // Picking pixels would give black and white (128 off); averaging stays
    // near grey, all but where the scale nears one pixel for one.
    EXPECT_LE(worst, factor < 1.2 ? 72 : 20) << factor;
  }
}

TEST(ResampleTest, ATargetPartlyOffTheBitmapDrawsItsVisiblePartAlike) {
  const TBitmap24 src = Noise(40, 30, 11);
  const TSourceWindow window{1.5, 2.5, 38, 27};
  TBitmap24 whole(50, 40);
  TResampler().Draw(whole, {0, 0, 50, 40}, src, window);
  TBitmap24 clipped(30, 25);
  TResampler().Draw(clipped, {-20, -15, 30, 25}, src, window);
  for (int y = 0; y < 25; ++y)
    ASSERT_TRUE(std::equal(clipped.Row(y), clipped.Row(y) + 30 * 3, whole.Row(y + 15) + 20 * 3)) << "row " << y;
}

TEST(PanZoomTest, EveryFramingStaysInsideThePictureAtTheRightZoom) {
  struct Base {
    TSourceWindow window;
    int w, h;
  };
  const Base bases[] = {
      {{0, 0, 4000, 3000}, 4000, 3000},   // fitted: the whole picture
      {{0, 375, 4000, 2625}, 4000, 3000},  // filling a wide screen: a band
      {{0, 0, 7, 5}, 7, 5},                // tiny
  };
  for (const Base& b : bases)
    for (const TPanZoom s : {TPanZoom::Gentle, TPanZoom::Strong})
      for (uint32_t d = 0; d < 8; ++d)
        for (const bool in : {true, false}) {
          const TPanZoomPath p = MakePanZoomPath(b.window, b.w, b.h, s, {d, in});
          const double zStart = in ? 1 : PanZoomMaxZoom(s), zEnd = in ? PanZoomMaxZoom(s) : 1;
          EXPECT_NEAR(p.Start.Width(), b.window.Width() / zStart, 1e-9);
          EXPECT_NEAR(p.End.Width(), b.window.Width() / zEnd, 1e-9);
          for (double t = 0; t <= 1; t += 0.125) {
            const TSourceWindow f = p.At(t);
            EXPECT_GE(f.Left, -1e-9);
            EXPECT_GE(f.Top, -1e-9);
            EXPECT_LE(f.Right, b.w + 1e-9);
            EXPECT_LE(f.Bottom, b.h + 1e-9);
            EXPECT_NEAR(f.Width() / f.Height(), b.window.Width() / b.window.Height(), 1e-9);
          }
        }
}

TEST(PanZoomTest, ThePictureMovesTowardsTheChosenSideAndOffStandsStill) {
  const TSourceWindow base{0, 0, 1600, 900};
  struct Case {
    uint32_t direction;
    int dx, dy;
  };
  for (const Case c : {Case{0, -1, -1}, Case{1, 0, -1}, Case{3, 1, 0}, Case{5, 0, 1}, Case{6, -1, 1}}) {
    const TPanZoomPath p = MakePanZoomPath(base, 1600, 900, TPanZoom::Strong, {c.direction, true});
    const double mx = (p.End.Left + p.End.Right - p.Start.Left - p.Start.Right) / 2;
    const double my = (p.End.Top + p.End.Bottom - p.Start.Top - p.Start.Bottom) / 2;
    EXPECT_EQ((mx > 1e-9) - (mx < -1e-9), c.dx) << c.direction;
    EXPECT_EQ((my > 1e-9) - (my < -1e-9), c.dy) << c.direction;
  }
  const TPanZoomPath still = MakePanZoomPath(base, 1600, 900, TPanZoom::Off, {2, true});
  EXPECT_EQ(still.Start, base);
  EXPECT_EQ(still.End, base);
  EXPECT_EQ(PanZoomFrameIntervalMs(still, 1920, 5000, 16), 0u);
}

TEST(PanZoomTest, FramesAreDrawnOnlyAsOftenAsTheyMoveVisibly) {
  const TPanZoomPath p = MakePanZoomPath({0, 0, 1920, 1080}, 1920, 1080, TPanZoom::Gentle, {3, true});
  const double travel = p.TravelPixels(1920);
  EXPECT_NEAR(travel, (1920 - 1920 / 1.12) * 1.12, 1e-6);  // the far edge, seen at the end's scale
  struct Case {
    int display;
    uint32_t duration, refresh, expected;
  };
  const Case cases[] = {
      {1920, 10000, 16, 16},                                                   // full screen: every refresh
      {152, 10000, 16, 16 * 9},  // a small preview: a quarter pixel takes 137 ms
      {1920, 100, 16, 16},
  };
  for (const Case& c : cases) EXPECT_EQ(PanZoomFrameIntervalMs(p, c.display, c.duration, c.refresh), c.expected);
}

// Frames late by half a second (the main thread was busy): one frame, where
// the picture is by then, none of the missed ones caught up.
TEST(PictureMotionTest, LateFramesAreDroppedAndTheNextShowsWhereThePathIsNow) {
  platform::THeadlessScheduler sched;
  platform::THeadlessSurfaceHost host(320, 240);
  TVantascreen v(host, sched);
  v.SetBounds(0, 0, 320, 240);
  v.SetAlign(TAlign::alClient);
  v.SetAutoSize(false);
  v.SetCenter(true);
  v.SetFitMode(TFitMode::Fit);
  v.Threaded = false;
  v.Style = 0;
  const TBitmap24 picture = Noise(320, 240, 5);
  v.ContentRect = picture.Bounds();
  v.SetPicture(picture);
  TPictureMotion motion(v, sched);
  SetRandSeed(3);
  motion.Prepare(TPanZoom::Strong);
  v.Start();
  ASSERT_FALSE(v.Running());
  motion.Begin(10000);
  ASSERT_TRUE(motion.Moving());
  const uint32_t start = sched.TickCount();
  const uint64_t presented = v.Presented();
  sched.SetTime(start + 500);
  sched.AdvanceTime(motion.FrameIntervalMs());
  EXPECT_EQ(v.Presented(), presented + 1);
  TBitmap24 expected(320, 240);
  TResampler().Draw(expected, expected.Bounds(), picture, motion.Path().At((500.0 + motion.FrameIntervalMs()) / 10000));
  EXPECT_EQ(v.ScreenBitmap(), expected);
}

}  // namespace
}  // namespace vanta
