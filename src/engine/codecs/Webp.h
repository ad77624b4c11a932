// WebP pictures through libwebp: lossy, lossless, with or without alpha.
// Transparent pixels are put on the background colour as in GIF and icon
// pictures. An animated WebP shows its first frame at its place on the
// canvas, which is first filled with the background colour (as GIF's first
// image on its logical screen). The EXIF chunk gives the orientation
// (Exif.h); colour profiles are not applied.
//
// The container is read by libwebp's demuxer, which refuses damaged or
// truncated files; the canvas size is checked against the bound before any
// pixel memory is taken. Every refusal is a TPictureError.
#pragma once
#include "engine/codecs/Exif.h"

namespace vanta {

TStoredPicture DecodeWebp(TBytes data, TColor background);

}  // namespace vanta
