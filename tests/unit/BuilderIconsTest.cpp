// The builder's icons drawn in code: shapes where they belong, smooth
// edges, the same drawing at every size the DPI asks for.
#include <gtest/gtest.h>

#include <cmath>

#include "builder/IconArt.h"

namespace vanta {
namespace {

constexpr TBuilderIcon kAll[] = {TBuilderIcon::Images, TBuilderIcon::Music, TBuilderIcon::Effects,
                                 TBuilderIcon::Options, TBuilderIcon::Build, TBuilderIcon::Next,
                                 TBuilderIcon::Back, TBuilderIcon::Up, TBuilderIcon::Down, TBuilderIcon::Logo};

int Alpha(uint32_t p) { return static_cast<int>(p >> 24); }

// The share of the square the icon covers, 0..1.
double Coverage(const TIconImage& icon) {
  double sum = 0;
  for (uint32_t p : icon.Pixels) sum += Alpha(p) / 255.0;
  return sum / icon.Pixels.size();
}

// How many pixels of the covered line farthest along (dx, dy) are covered,
// and of the line farthest the other way: an arrow's point and its tail.
std::pair<int, int> EndWidths(const TIconImage& icon, int dx, int dy) {
  std::vector<int> widths;  // covered pixels of each line across the direction, in its order
  for (int line = 0; line < icon.Size; ++line) {
    int n = 0;
    for (int i = 0; i < icon.Size; ++i) {
      const int along = (dx + dy) > 0 ? line : icon.Size - 1 - line;
      n += Alpha(dx ? icon.At(along, i) : icon.At(i, along)) > 127;
    }
    if (n) widths.push_back(n);
  }
  return {widths.back(), widths.front()};
}

TEST(BuilderIcons, EveryIconIsDrawnWithSmoothEdgesAndClearCorners) {
  for (TBuilderIcon which : kAll) {
    for (int size : {16, 24, 32, 48}) {
      const TIconImage icon = DrawBuilderIcon(which, size);
      ASSERT_EQ(icon.Pixels.size(), static_cast<size_t>(size * size));
      int opaque = 0, partial = 0;
      for (uint32_t p : icon.Pixels) {
        opaque += Alpha(p) == 255;
        partial += Alpha(p) > 0 && Alpha(p) < 255;
      }
      const std::string what = "icon " + std::to_string(static_cast<int>(which)) + " at " + std::to_string(size);
      EXPECT_GT(opaque, size * size / 40) << what;
      EXPECT_GT(partial, 0) << what << ": edges without anti-aliasing";
      EXPECT_EQ(Alpha(icon.At(0, 0)), 0) << what;
      EXPECT_EQ(Alpha(icon.At(size - 1, size - 1)), 0) << what;
    }
  }
}

TEST(BuilderIcons, ADrawingKeepsItsShapeAtEverySize) {
  for (TBuilderIcon which : kAll) {
    const double large = Coverage(DrawBuilderIcon(which, 96));
    for (int size : {16, 32, 48})
      EXPECT_NEAR(Coverage(DrawBuilderIcon(which, size)), large, 0.04)
          << "icon " << static_cast<int>(which) << " at " << size;
  }
}

TEST(BuilderIcons, SideBarIconsDifferAndArrowsPointTheirWay) {
  const TBuilderIcon bar[] = {TBuilderIcon::Images, TBuilderIcon::Music, TBuilderIcon::Effects,
                              TBuilderIcon::Options, TBuilderIcon::Build};
  for (size_t i = 0; i < std::size(bar); ++i)
    for (size_t j = i + 1; j < std::size(bar); ++j) {
      const TIconImage a = DrawBuilderIcon(bar[i], 32), b = DrawBuilderIcon(bar[j], 32);
      int differing = 0;
      for (size_t k = 0; k < a.Pixels.size(); ++k) differing += a.Pixels[k] != b.Pixels[k];
      EXPECT_GT(differing, 100) << i << " and " << j << " look alike";
    }

  struct Case { TBuilderIcon icon; int dx, dy; } arrows[] = {
      {TBuilderIcon::Next, 1, 0}, {TBuilderIcon::Back, -1, 0}, {TBuilderIcon::Up, 0, -1}, {TBuilderIcon::Down, 0, 1}};
  for (const Case& c : arrows) {
    const auto [point, tail] = EndWidths(DrawBuilderIcon(c.icon, 32), c.dx, c.dy);
    EXPECT_LE(point, 2) << static_cast<int>(c.icon);
    EXPECT_GE(tail, 5) << static_cast<int>(c.icon);
  }
}

TEST(BuilderIcons, TheGearHasAHoleThroughIt) {
  const TIconImage gear = DrawBuilderIcon(TBuilderIcon::Options, 32);
  EXPECT_EQ(Alpha(gear.At(16, 16)), 0);
  EXPECT_EQ(Alpha(gear.At(16, 16 - 8)), 255);  // the rim around it
}

}  // namespace
}  // namespace vanta
