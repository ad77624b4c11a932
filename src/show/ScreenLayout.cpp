#include "show/ScreenLayout.h"

#include <algorithm>

namespace vanta {

namespace {
bool Sane(const TRect& r) {
  const auto inRange = [](int v) { return v >= -kMaxScreenCoordinate && v <= kMaxScreenCoordinate; };
  return !r.IsEmpty() && inRange(r.Left) && inRange(r.Top) && inRange(r.Right) && inRange(r.Bottom) &&
         r.Width() <= kMaxScreenCoordinate && r.Height() <= kMaxScreenCoordinate;
}

bool Inside(const TRect& inner, const TRect& outer) { return IntersectRect(inner, outer) == inner; }
}  // namespace

std::vector<platform::TMonitor> UsableMonitors(std::span<const platform::TMonitor> monitors, TRect primaryScreen) {
  std::vector<platform::TMonitor> sane;
  for (const platform::TMonitor& m : monitors)
    if (Sane(m.Area)) sane.push_back(m);
  std::vector<platform::TMonitor> usable;
  for (size_t i = 0; i < sane.size(); ++i) {
    bool hidden = false;
    for (size_t j = 0; j < sane.size() && !hidden; ++j) {
      if (i == j || !Inside(sane[i].Area, sane[j].Area)) continue;
      // Of two equal rectangles the primary, else the first, stays.
      const bool same = sane[i].Area == sane[j].Area;
      hidden = !same || sane[j].Primary > sane[i].Primary || (sane[j].Primary == sane[i].Primary && j < i);
    }
    if (!hidden) usable.push_back(sane[i]);
  }
  if (usable.empty()) return {{Sane(primaryScreen) ? primaryScreen : TRect{0, 0, 640, 480}, true}};
  // None named primary: the one at the origin, where the system keeps it.
  if (std::none_of(usable.begin(), usable.end(), [](const platform::TMonitor& m) { return m.Primary; }))
    for (platform::TMonitor& m : usable)
      if (PtInRect(m.Area, {0, 0})) {
        m.Primary = true;
        break;
      }
  std::stable_sort(usable.begin(), usable.end(), [](const platform::TMonitor& a, const platform::TMonitor& b) {
    if (a.Primary != b.Primary) return a.Primary;
    return a.Area.Left != b.Area.Left ? a.Area.Left < b.Area.Left : a.Area.Top < b.Area.Top;
  });
  // Exactly one primary: the system's, or the first when it named none.
  for (size_t i = 0; i < usable.size(); ++i) usable[i].Primary = i == 0;
  return usable;
}

std::vector<TRect> UncoveredParts(const TRect& area, std::span<const TRect> covered) {
  // Cut the area along every edge inside it; each cell is covered or not.
  std::vector<int> xs{area.Left, area.Right}, ys{area.Top, area.Bottom};
  for (const TRect& c : covered) {
    for (int x : {c.Left, c.Right})
      if (x > area.Left && x < area.Right) xs.push_back(x);
    for (int y : {c.Top, c.Bottom})
      if (y > area.Top && y < area.Bottom) ys.push_back(y);
  }
  for (auto* v : {&xs, &ys}) {
    std::sort(v->begin(), v->end());
    v->erase(std::unique(v->begin(), v->end()), v->end());
  }
  std::vector<TRect> parts;
  for (size_t j = 0; j + 1 < ys.size(); ++j) {
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
      const TRect cell{xs[i], ys[j], xs[i + 1], ys[j + 1]};
      const bool hit = std::any_of(covered.begin(), covered.end(),
                                   [&](const TRect& c) { return !IntersectRect(c, cell).IsEmpty(); });
      if (hit) continue;
      // Neighbouring free cells of one band make one rectangle.
      if (!parts.empty() && parts.back().Right == cell.Left && parts.back().Top == cell.Top &&
          parts.back().Bottom == cell.Bottom)
        parts.back().Right = cell.Right;
      else
        parts.push_back(cell);
    }
  }
  return parts;
}

TScreenLayout LayOutScreens(std::span<const platform::TMonitor> monitors, TRect primaryScreen, TMultiScreen mode) {
  const std::vector<platform::TMonitor> usable = UsableMonitors(monitors, primaryScreen);
  TScreenLayout layout;
  for (const platform::TMonitor& m : usable) layout.Window = UnionRect(layout.Window, m.Area);
  const int dx = -layout.Window.Left, dy = -layout.Window.Top;
  std::vector<TRect> monitorAreas;
  for (const platform::TMonitor& m : usable) monitorAreas.push_back(OffsetRect(m.Area, dx, dy));
  const TRect whole{0, 0, layout.Window.Width(), layout.Window.Height()};
  switch (mode) {
    case msSpanned: layout.Surfaces = {whole}; break;
    case msPrimaryOnly: layout.Surfaces = {monitorAreas.front()}; break;
    default: layout.Surfaces = monitorAreas; break;
  }
  layout.Gaps = UncoveredParts(whole, layout.Surfaces);
  return layout;
}

}  // namespace vanta
