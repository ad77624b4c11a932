// How a control follows its window's growth: each edge moves by a share of
// the growth, in percent. Left and top 0, right and bottom 100 stretch the
// control; all four 100 keep it at the bottom-right corner; a share of 50
// lets two neighbours split the room between them. Portable: the Win32 side
// only applies it to each window's table.
#pragma once

#include <algorithm>

namespace vanta::form {

struct TAnchors {
  int left, top, right, bottom;  // percent of the growth each edge moves by
  constexpr bool operator==(const TAnchors&) const = default;
};

inline constexpr TAnchors kAnchorTopLeft{0, 0, 0, 0};
inline constexpr TAnchors kAnchorStretch{0, 0, 100, 100};
inline constexpr TAnchors kAnchorWide{0, 0, 100, 0};
inline constexpr TAnchors kAnchorRight{100, 0, 100, 0};
inline constexpr TAnchors kAnchorBottom{0, 100, 0, 100};
inline constexpr TAnchors kAnchorBottomWide{0, 100, 100, 100};
inline constexpr TAnchors kAnchorCorner{100, 100, 100, 100};

struct TBox {
  int x, y, w, h;
  constexpr bool operator==(const TBox&) const = default;
};
struct TExtent {
  int w, h;
};

// Where a control placed at `placed` in a client area of size `from` goes
// when that area becomes `to`. An area smaller than the template moves the
// edges back; a control never gets a negative size.
constexpr TBox Anchored(TBox placed, TAnchors a, TExtent from, TExtent to) {
  const int dx = to.w - from.w, dy = to.h - from.h;
  // Rounded to nearest, so that two edges given the same share stay together.
  const auto share = [](int delta, int percent) {
    const int p = delta * percent;
    return p >= 0 ? (p + 50) / 100 : -((-p + 50) / 100);
  };
  const int left = placed.x + share(dx, a.left), right = placed.x + placed.w + share(dx, a.right);
  const int top = placed.y + share(dy, a.top), bottom = placed.y + placed.h + share(dy, a.bottom);
  return {left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

}  // namespace vanta::form
