#include "engine/FitRule.h"

#include <algorithm>

namespace vanta {

TPictureSize FitSize(TPictureSize p, TPictureSize box, TFitMode mode) {
  if (mode == TFitMode::None || box.Width < 1 || box.Height < 1 || p.Width < 1 || p.Height < 1) return p;
  const int64_t pw = p.Width, ph = p.Height, bw = box.Width, bh = box.Height;
  // pw / bw > ph / bh, without division: the picture is relatively wider.
  const bool wider = pw * bh > ph * bw;
  if (wider == (mode == TFitMode::Fit))
    return {box.Width, static_cast<int>(std::max<int64_t>(1, ph * bw / pw))};
  return {static_cast<int>(std::max<int64_t>(1, pw * bh / ph)), box.Height};
}

TRect FitPictureRect(TPictureSize picture, const TRect& box, TFitMode mode) {
  const TPictureSize s = FitSize(picture, {box.Width(), box.Height()}, mode);
  // Division towards zero: a margin's or an overhang's odd pixel goes right or down.
  const int x = box.Left + (box.Width() - s.Width) / 2, y = box.Top + (box.Height() - s.Height) / 2;
  return {x, y, x + s.Width, y + s.Height};
}

TPictureSize ShrinkForMode(TPictureSize picture, TPictureSize box, TFitMode mode) {
  const TPictureSize s = FitSize(picture, box, mode);
  return s.Width < picture.Width ? s : picture;
}

}  // namespace vanta
