// Our BMP reader: 1, 4, 8, 16, 24 and 32 bits a pixel, RLE4 and RLE8, bit
// fields, bottom-up and top-down rows, the old core header. A bitmap has no
// transparency: 32-bit pixels are taken without their alpha. Pixels that a
// run-length picture skips stay black. Malformed files are refused with a
// TPictureError.
#pragma once
#include "base/Bitmap.h"
#include "base/PictureLimits.h"

namespace vanta {

TBitmap24 DecodeBmp(TBytes data);

}  // namespace vanta
