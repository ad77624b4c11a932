// Picture kinds that only the platform can draw: metafiles (WMF, EMF) and
// icon entries stored as PNG. On Windows GDI renders them; elsewhere they
// are refused with a TPictureError.
#pragma once
#include <functional>

#include "base/Bitmap.h"
#include "base/PictureLimits.h"

namespace vanta {

// Decodes an icon entry stored as PNG onto the background colour.
using TPngDecoder = std::function<TBitmap24(TBytes png, TColor background)>;

// A metafile at its natural size (96 pixels an inch) on the background
// colour. `enhanced`: EMF, else WMF with or without the placeable header.
TBitmap24 RenderMetafile(TBytes data, bool enhanced, TColor background);

// The platform's PNG decoder for icon entries; empty where there is none.
TPngDecoder PlatformPngDecoder();

}  // namespace vanta
