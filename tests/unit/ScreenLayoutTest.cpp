#include <gtest/gtest.h>

#include "show/ScreenLayout.h"

namespace vanta {
namespace {

using platform::TMonitor;

int64_t Area(const TRect& r) { return int64_t{r.Width()} * r.Height(); }

// Surfaces and gaps tile the window exactly: nothing uncovered, nothing twice.
void ExpectTiled(const TScreenLayout& l) {
  std::vector<TRect> all = l.Surfaces;
  all.insert(all.end(), l.Gaps.begin(), l.Gaps.end());
  int64_t sum = 0;
  for (size_t i = 0; i < all.size(); ++i) {
    EXPECT_FALSE(all[i].IsEmpty());
    EXPECT_EQ(IntersectRect(all[i], {0, 0, l.Window.Width(), l.Window.Height()}), all[i]) << "inside the window";
    for (size_t j = i + 1; j < all.size(); ++j) EXPECT_TRUE(IntersectRect(all[i], all[j]).IsEmpty()) << i << " " << j;
    sum += Area(all[i]);
  }
  EXPECT_EQ(sum, Area(l.Window));
}

const TRect kPrimaryScreen{0, 0, 1920, 1080};
// The left monitor above and left of the primary, a larger one right of it, lower.
const std::vector<TMonitor> kThree = {
    {{1920, 100, 4480, 1540}, false}, {{0, 0, 1920, 1080}, true}, {{-1280, -200, 0, 824}, false}};

TEST(ScreenLayoutTest, MonitorsIntoSurfaces) {
  struct Case {
    const char* name;
    std::vector<TMonitor> monitors;
    TMultiScreen mode;
    TRect window;
    std::vector<TRect> surfaces;
    bool gaps;
  } cases[] = {
      {"one monitor", {{kPrimaryScreen, true}}, msOwnPicture, kPrimaryScreen, {kPrimaryScreen}, false},
      {"one monitor spanned", {{kPrimaryScreen, true}}, msSpanned, kPrimaryScreen, {kPrimaryScreen}, false},
      {"three, own pictures", kThree, msOwnPicture, {-1280, -200, 4480, 1540},
       {{1280, 200, 3200, 1280}, {0, 0, 1280, 1024}, {3200, 300, 5760, 1740}}, true},
      {"three, same picture", kThree, msSamePicture, {-1280, -200, 4480, 1540},
       {{1280, 200, 3200, 1280}, {0, 0, 1280, 1024}, {3200, 300, 5760, 1740}}, true},
      {"three, spanned", kThree, msSpanned, {-1280, -200, 4480, 1540}, {{0, 0, 5760, 1740}}, false},
      {"three, primary only", kThree, msPrimaryOnly, {-1280, -200, 4480, 1540}, {{1280, 200, 3200, 1280}}, true},
      {"side by side, no gap", {{{0, 0, 1920, 1080}, true}, {{1920, 0, 3840, 1080}, false}}, msOwnPicture,
       {0, 0, 3840, 1080}, {{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}}, false},
      {"none enumerable", {}, msOwnPicture, kPrimaryScreen, {kPrimaryScreen}, false},
      {"absurd ones dropped",
       {{{0, 0, 0, 0}, false}, {{5, 5, 1, 1}, false}, {{0, 0, 100000, 600}, false}, {{-90000, 0, -89000, 600}, false},
        {kPrimaryScreen, true}},
       msOwnPicture, kPrimaryScreen, {kPrimaryScreen}, false},
      {"a mirror inside another", {{{0, 0, 800, 600}, false}, {kPrimaryScreen, true}, {kPrimaryScreen, false}},
       msOwnPicture, kPrimaryScreen, {kPrimaryScreen}, false},
      {"no primary named: the one at the origin", {{{-1024, 0, 0, 768}, false}, {{0, 0, 800, 600}, false}},
       msPrimaryOnly, {-1024, 0, 800, 768}, {{1024, 0, 1824, 600}}, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const TScreenLayout l = LayOutScreens(k.monitors, kPrimaryScreen, k.mode);
    EXPECT_EQ(l.Window, k.window);
    EXPECT_EQ(l.Surfaces, k.surfaces);
    EXPECT_EQ(!l.Gaps.empty(), k.gaps);
    ExpectTiled(l);
  }
}

TEST(ScreenLayoutTest, NothingUsableAtAllGivesAScreen) {
  const TScreenLayout l = LayOutScreens(std::vector<TMonitor>{{{0, 0, -5, 7}, true}}, TRect{}, msOwnPicture);
  ASSERT_EQ(l.Surfaces.size(), 1u);
  EXPECT_FALSE(l.Surfaces[0].IsEmpty());
}

}  // namespace
}  // namespace vanta
