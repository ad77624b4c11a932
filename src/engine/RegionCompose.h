// Drawing pictures through a region: span copies and one-pass frames.
#pragma once
#include "base/Bitmap.h"
#include "engine/Region.h"

namespace vanta {

// Copies the pixels of `src` inside `region` onto `dst` at the same places,
// one memcpy per span; whatever lies outside either bitmap is skipped.
void CopyRegion(const TRegion& region, const TBitmap24& src, TBitmap24& dst);
// A whole frame in one pass: dst takes `inside`'s pixels inside the region
// and `outside`'s elsewhere, so no pixel is written twice. All three
// bitmaps have one size.
void ComposeRegionOver(const TRegion& region, const TBitmap24& inside, const TBitmap24& outside, TBitmap24& dst);

}  // namespace vanta
