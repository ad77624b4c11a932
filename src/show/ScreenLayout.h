// Where the full-screen show puts its surfaces on the monitors. The window
// covers the virtual screen (the union of the usable monitors); each
// surface is a monitor's area (or the whole window when one picture spans
// them), in the window's own coordinates; the gaps are what no surface
// covers, painted in the background colour.
#pragma once
#include <span>
#include <vector>

#include "base/Types.h"
#include "platform/Monitors.h"

namespace vanta {

// Larger than any real monitor or desktop, within GDI's 16-bit reach.
inline constexpr int kMaxScreenCoordinate = 32767;

struct TScreenLayout {
  TRect Window;                // in virtual-screen coordinates
  std::vector<TRect> Surfaces;  // the primary's first, then left to right, top to bottom
  std::vector<TRect> Gaps;
  friend bool operator==(const TScreenLayout&, const TScreenLayout&) = default;
};

// The monitors worth covering: an empty or absurd rectangle, or one lying
// inside another (a mirrored display), is dropped; the primary comes first.
// None left: the primary screen alone.
std::vector<platform::TMonitor> UsableMonitors(std::span<const platform::TMonitor> monitors, TRect primaryScreen);

TScreenLayout LayOutScreens(std::span<const platform::TMonitor> monitors, TRect primaryScreen, TMultiScreen mode);

// The parts of area that none of covered overlaps, as rectangles that do
// not overlap one another.
std::vector<TRect> UncoveredParts(const TRect& area, std::span<const TRect> covered);

}  // namespace vanta
