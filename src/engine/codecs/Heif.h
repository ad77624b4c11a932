// HEIF pictures through libheif: HEIC (HEVC-coded, as phones store photos)
// and AVIF (AV1-coded). Only the primary image is shown, grid (tiled)
// images put together by the library; thumbnails, depth maps and other
// auxiliary images are left alone. The container's rotation and mirror
// properties are applied while decoding, so a portrait comes out upright;
// an Exif block in the file describes the stored pixels the same way and
// is therefore not applied a second time (Orientation is always 1).
// Pictures of more than 8 bits a sample (10-bit, HDR) are scaled to 8 bits;
// transparent pixels are put on the background colour as in PNG and WebP.
//
// The primary image's size, as the file states it, is checked against the
// bound before any pixel memory is taken; the decoded size is checked again
// (a grid can claim a size other than the one stated). Every refusal is a
// TPictureError.
#pragma once
#include "engine/codecs/Exif.h"

namespace vanta {

TStoredPicture DecodeHeif(TBytes data, TColor background);

// Whether the bytes start like a HEIF file (an ISO box "ftyp" whose brands
// name a HEIF or AVIF still picture).
bool LooksLikeHeif(TBytes data);

}  // namespace vanta
