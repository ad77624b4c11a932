// The slow zoom and pan of a picture while it is shown: a path from a start
// framing to an end framing, each a window of the picture that the surface
// draws into the picture's display rectangle through TResampler.
//
// A framing at zoom z is the base window (what the display rectangle shows
// standing still) made z times smaller, placed anywhere inside the picture,
// so the background never shows beyond the picture's edge. The window's
// edges move linearly in time: with zooms of at most 25 % that is a speed
// on the screen constant to within the zoom itself.
#pragma once
#include <cstdint>

#include "base/Types.h"
#include "engine/Resample.h"

namespace vanta {

// The largest zoom of each strength, over the base window.
double PanZoomMaxZoom(TPanZoom strength);

struct TPanZoomPath {
  TSourceWindow Start, End;
  // The framing at t in [0, 1] (clamped).
  TSourceWindow At(double t) const;
  // How far the farthest edge travels over the whole path, in pixels of a
  // display rectangle `displayWidth` wide.
  double TravelPixels(int displayWidth) const;
};

// The random choices of one picture's path: one of the eight directions
// (0 = towards the left and up, going round clockwise) and in or out.
struct TPanZoomChoice {
  uint32_t Direction = 0;  // 0..7
  bool ZoomIn = true;
};

// The path for a picture `pictureWidth` x `pictureHeight` whose standing
// framing is `base` (the whole picture when fitted, a centred crop when it
// fills the screen). Off, or an empty picture, stands still on `base`.
TPanZoomPath MakePanZoomPath(const TSourceWindow& base, int pictureWidth, int pictureHeight, TPanZoom strength,
                             TPanZoomChoice choice);

// How often to draw a moving picture: every refresh, unless a refresh moves
// it by less than a visible step (a quarter pixel), then every so many
// refreshes as keeps each step visible. 0 when it does not move at all.
uint32_t PanZoomFrameIntervalMs(const TPanZoomPath& path, int displayWidth, uint32_t durationMs, uint32_t refreshMs);

}  // namespace vanta
