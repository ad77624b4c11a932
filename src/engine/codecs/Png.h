// PNG pictures through libspng: every colour type and bit depth, palettes,
// tRNS transparency and alpha channels, interlaced files, 16-bit samples
// (their high byte is kept). Transparent pixels are put on the background
// colour as in GIF and icon pictures. An animated PNG shows its default
// image (the IDAT data), which is its first frame, or the still picture the
// file offers to viewers that do not animate. The eXIf chunk gives the
// orientation (Exif.h). Colour profiles and gamma are not applied.
//
// Strict on the picture, lenient on extras: a damaged header, palette or
// image data (a bad checksum included) refuses the file with a
// TPictureError naming libspng's reason; a damaged ancillary chunk (text,
// time, eXIf ...) is skipped. The size is checked against the bound before
// any pixel memory is taken.
#pragma once
#include "engine/codecs/Exif.h"

namespace vanta {

TStoredPicture DecodePng(TBytes data, TColor background);

// Whether the bytes start with the PNG signature.
bool IsPng(TBytes data);

}  // namespace vanta
