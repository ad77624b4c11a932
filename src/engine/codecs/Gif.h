// Our GIF reader (GIF87a and GIF89a). Only the first image is used: it is
// drawn at its place on the logical screen, which is first filled with the
// given background colour; pixels that the graphic control extension marks
// transparent keep that colour too. Every other extension (comments, plain
// text, application blocks such as looping) is skipped.
//
// Strict: a truncated file, an LZW code size above what 256 colours need,
// a code that is not yet in the table, a colour index outside the colour
// table, image data that ends before the image is full, or no colour table
// at all is refused with a TPictureError.
#pragma once
#include "base/Bitmap.h"
#include "base/PictureLimits.h"

namespace vanta {

TBitmap24 DecodeGif(TBytes data, TColor background);

}  // namespace vanta
