// How a control follows its window's growth.
#include <gtest/gtest.h>

#include "forms/Anchor.h"

namespace vanta::form {
namespace {

struct TAnchorCase {
  const char* what;
  TBox placed;
  TAnchors anchors;
  TExtent to;
  TBox expected;
};

constexpr TExtent kTemplate{438, 333};

TEST(AnchorTest, EdgesFollowTheirShareOfTheGrowth) {
  const TAnchorCase cases[] = {
      {"unchanged size", {8, 30, 254, 222}, kAnchorStretch, kTemplate, {8, 30, 254, 222}},
      {"top-left stays", {8, 30, 254, 222}, kAnchorTopLeft, {638, 533}, {8, 30, 254, 222}},
      {"stretch grows", {8, 30, 254, 222}, kAnchorStretch, {638, 533}, {8, 30, 454, 422}},
      {"corner moves", {356, 298, 74, 26}, kAnchorCorner, {638, 533}, {556, 498, 74, 26}},
      {"bottom-left moves down", {8, 298, 44, 26}, kAnchorBottom, {638, 533}, {8, 498, 44, 26}},
      {"bottom line widens", {8, 288, 422, 2}, kAnchorBottomWide, {638, 533}, {8, 488, 622, 2}},
      {"right stays right", {270, 30, 160, 160}, kAnchorRight, {500, 333}, {332, 30, 160, 160}},
      {"half of the width", {8, 30, 254, 222}, {0, 0, 50, 100}, {639, 333}, {8, 30, 355, 222}},
      {"other half", {270, 30, 160, 160}, {50, 0, 100, 100}, {639, 333}, {371, 30, 260, 160}},
      {"smaller moves back", {356, 298, 74, 26}, kAnchorCorner, {400, 300}, {318, 265, 74, 26}},
      {"never negative", {8, 30, 20, 20}, kAnchorStretch, {400, 300}, {8, 30, 0, 0}},
  };
  for (const TAnchorCase& c : cases)
    EXPECT_EQ(Anchored(c.placed, c.anchors, kTemplate, c.to), c.expected) << c.what;
}

TEST(AnchorTest, NeighboursSharingAnEdgeShareItAtAnyGrowth) {
  // The picture list's right edge and the panel's left edge both move by
  // half: the gap between them stays the template's, odd growth included.
  for (int grow = -7; grow <= 41; ++grow) {
    const TExtent to{kTemplate.w + grow, kTemplate.h};
    const TBox list = Anchored({8, 30, 254, 222}, {0, 0, 50, 100}, kTemplate, to);
    const TBox panel = Anchored({270, 30, 160, 160}, {50, 0, 100, 100}, kTemplate, to);
    EXPECT_EQ(panel.x - (list.x + list.w), 8) << grow;
    EXPECT_EQ(panel.x + panel.w, 430 + grow) << grow;
  }
}

}  // namespace
}  // namespace vanta::form
