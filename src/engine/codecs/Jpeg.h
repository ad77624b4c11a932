// JPEG pictures through libjpeg(-turbo), always to 24-bit colour. libjpeg's
// errors come back as a TPictureError (our own error manager: the library
// never ends the process and never prints); a file that ends before its
// picture does is refused too, other warnings are tolerated.
//
// Speed for pictures that will be shown smaller: given the size the picture
// will be shrunk to, the decoder works at the smallest of libjpeg's scales
// (n/8, n = 1..8) that still gives at least that size, so a 24-megapixel
// photo for a 320x240 preview decodes at 1/8. Otherwise libjpeg's accurate
// defaults hold (integer DCT, smooth chroma upsampling).
//
// The Exif block's orientation is read with the header (APP1 segments are
// kept for it).
#pragma once
#include "base/Bitmap.h"
#include "base/PictureLimits.h"

namespace vanta {

struct TJpegPicture {
  TBitmap24 Bitmap;
  int NaturalWidth = 0, NaturalHeight = 0;  // the size at full scale, as stored
  int Orientation = 1;                      // of the Exif block (see Exif.h)
};

// minWidth/minHeight 0: full size (of the stored picture). With `upright`
// the bitmap comes turned by the Exif orientation, turned row by row as it
// is decoded; else as stored.
TJpegPicture DecodeJpeg(TBytes data, int minWidth = 0, int minHeight = 0, bool upright = false);

// Only the header: the natural size, with an empty bitmap.
TJpegPicture ReadJpegSize(TBytes data);

// The bitmap as a baseline JPEG file (4:2:0, libjpeg's standard tables) of
// the given quality (1..100). Failures are thrown as TPictureError.
std::string EncodeJpeg(const TBitmap24& bitmap, int quality);

}  // namespace vanta
