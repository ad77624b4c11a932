// A frame of a region effect must have the same pixels on every platform,
// given the generator's seed. This digest of every region effect's region
// on an odd size at several progress values is checked by the native tests
// and by the 32-bit Windows tests alike; a change of it is a change of what
// the effects draw.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/MulDiv.h"
#include "base/Random.h"
#include "engine/EffectRegion.h"

namespace vanta {
namespace {

uint64_t Mix(uint64_t h, int64_t v) { return (h ^ static_cast<uint64_t>(v)) * 0x100000001B3ull; }

TEST(RegionDigest, EveryRegionEffectDrawsTheSamePixelsEverywhere) {
  uint64_t h = 0xCBF29CE484222325ull;
  const struct { int w, h; } sizes[] = {{97, 61}, {61, 97}, {320, 200}};
  for (const auto& s : sizes)
    for (int style = 58; style <= 127; ++style) {
      if (!HasEffectRegion(uint8_t(style))) continue;
      for (int p : {1, 10, 33, 50, 67, 90, 99}) {
        TFrameGeometry g;
        g.W = s.w, g.H = s.h, g.Progress = p, g.Step = 7;
        if (s.h > s.w)
          g.Y = MulDiv(s.h, p, 100), g.X = MulDiv(g.Y, s.w, s.h);
        else
          g.X = MulDiv(s.w, p, 100), g.Y = MulDiv(g.X, s.h, s.w);
        g.J = MulDiv(std::max(s.w, s.h), g.Step, 90);
        SetRandSeed(0x5EED0000u + uint32_t(style * 131 + p));
        TRegion r;
        ASSERT_TRUE(BuildEffectRegion(uint8_t(style), g, r));
        for (const TRegion::TBand& b : r.Bands()) {
          h = Mix(Mix(h, b.Top), b.Bottom);
          for (const TSpan& sp : r.Spans(b)) h = Mix(Mix(h, sp.Left), sp.Right);
        }
        h = Mix(h, RandSeed());
      }
    }
  EXPECT_EQ(h, 0xE8AA9D6ED2BAB524ull) << std::hex << h;
}

}  // namespace
}  // namespace vanta
