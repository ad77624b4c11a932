// The rotation effects' frames, row by row.
#pragma once
#include "base/Bitmap.h"

namespace vanta {

// Turns newImage into screen (both of one size) for `style`, one of the
// rotation family. With oldImage the old picture is copied in around each
// row's run of turned pixels; without it screen already holds it.
void RotateRows(const TBitmap24* oldImage, const TBitmap24& newImage, TBitmap24& screen, int progress, int style);

}  // namespace vanta
