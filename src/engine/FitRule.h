// Where a picture stands on a screen when it is fitted or fills it: one
// rule for the show's display rectangle and for the loader's shrink, so a
// picture shrunk by the loader is shown at exactly its size.
#pragma once
#include <cstdint>

#include "base/Rect.h"
#include "engine/PictureLoader.h"

namespace vanta {

enum class TFitMode : uint8_t {
  None,  // the surface's Stretch decides
  Fit,   // the whole picture, its shape kept, as large as the box allows
  Fill,  // its shape kept, covering the box, the overhang cut off
};

// The picture scaled (up or down) to fit or to cover the box, its shape
// kept: the box's side along which the picture is relatively wider (Fit) or
// narrower (Fill), the other side truncated, never below 1. A picture that
// already has that size keeps it. None, or a side below 1, leaves the size.
TPictureSize FitSize(TPictureSize picture, TPictureSize box, TFitMode mode);

// FitSize's rectangle centred on the box (a Fill rectangle reaches past
// it); an odd margin or overhang pixel falls on the right or bottom.
TRect FitPictureRect(TPictureSize picture, const TRect& box, TFitMode mode);

// The size the loader shrinks a picture to for a mode: FitSize when that is
// smaller, else the picture's own size (enlarging is the display's job).
TPictureSize ShrinkForMode(TPictureSize picture, TPictureSize box, TFitMode mode);

}  // namespace vanta
