#include "engine/PanZoom.h"

#include <algorithm>
#include <cmath>

namespace vanta {

namespace {

constexpr int kDirX[8] = {-1, 0, 1, 1, 1, 0, -1, -1};
constexpr int kDirY[8] = {-1, -1, -1, 0, 1, 1, 1, 0};
constexpr double kVisibleStep = 0.25;  // display pixels: a quarter still shows, filtered

double Lerp(double a, double b, double t) { return a + (b - a) * t; }

// The base window made `zoom` times smaller, placed at `anchor` (0 = left or
// top edge of the picture, 1 = right or bottom) of the room it has.
TSourceWindow Framing(const TSourceWindow& base, int width, int height, double zoom, double ax, double ay) {
  const double w = std::min<double>(base.Width() / zoom, width), h = std::min<double>(base.Height() / zoom, height);
  const double x = ax * (width - w), y = ay * (height - h);
  return {x, y, x + w, y + h};
}

}  // namespace

double PanZoomMaxZoom(TPanZoom strength) {
  switch (strength) {
    case TPanZoom::Gentle:
      return 1.12;
    case TPanZoom::Strong:
      return 1.25;
    default:
      return 1.0;
  }
}

TSourceWindow TPanZoomPath::At(double t) const {
  t = std::clamp(t, 0.0, 1.0);
  return {Lerp(Start.Left, End.Left, t), Lerp(Start.Top, End.Top, t), Lerp(Start.Right, End.Right, t),
          Lerp(Start.Bottom, End.Bottom, t)};
}

double TPanZoomPath::TravelPixels(int displayWidth) const {
  const double narrowest = std::min(Start.Width(), End.Width());
  if (!(narrowest > 0) || displayWidth <= 0) return 0;
  const double edges = std::max({std::abs(End.Left - Start.Left), std::abs(End.Top - Start.Top),
                                 std::abs(End.Right - Start.Right), std::abs(End.Bottom - Start.Bottom)});
  return edges * displayWidth / narrowest;
}

TPanZoomPath MakePanZoomPath(const TSourceWindow& base, int pictureWidth, int pictureHeight, TPanZoom strength,
                             TPanZoomChoice choice) {
  const double maxZoom = PanZoomMaxZoom(strength);
  if (maxZoom <= 1 || pictureWidth <= 0 || pictureHeight <= 0 || !(base.Width() > 0) || !(base.Height() > 0))
    return {base, base};
  const size_t d = choice.Direction % 8;
  // Towards the chosen side: from the opposite side of the room to it.
  const double ax0 = 0.5 - kDirX[d] / 2.0, ay0 = 0.5 - kDirY[d] / 2.0;
  const double ax1 = 0.5 + kDirX[d] / 2.0, ay1 = 0.5 + kDirY[d] / 2.0;
  const double z0 = choice.ZoomIn ? 1.0 : maxZoom, z1 = choice.ZoomIn ? maxZoom : 1.0;
  return {Framing(base, pictureWidth, pictureHeight, z0, ax0, ay0),
          Framing(base, pictureWidth, pictureHeight, z1, ax1, ay1)};
}

uint32_t PanZoomFrameIntervalMs(const TPanZoomPath& path, int displayWidth, uint32_t durationMs, uint32_t refreshMs) {
  const double travel = path.TravelPixels(displayWidth);
  if (!(travel > 0) || durationMs == 0) return 0;
  // Whole refreshes, so each drawn frame stays up equally long.
  const uint32_t refresh = std::max<uint32_t>(refreshMs, 1);
  const double refreshes = std::ceil(durationMs * kVisibleStep / travel / refresh);
  return static_cast<uint32_t>(std::min<double>(refreshes * refresh, std::max(durationMs, refresh)));
}

}  // namespace vanta
