// Picture kinds that only the platform can draw: metafiles (WMF, EMF) and
// icon entries stored as PNG. On Windows GDI renders them; elsewhere they
// are refused with a TPictureError.
#pragma once
#include "engine/Bitmap.h"
#include "engine/codecs/Ico.h"
#include "engine/codecs/PictureLimits.h"

namespace vanta {

// A metafile at its natural size (96 pixels an inch) on the background
// colour. `enhanced`: EMF, else WMF with or without the placeable header.
TBitmap24 RenderMetafile(TBytes data, bool enhanced, TColor background);

// The platform's PNG decoder for icon entries; empty where there is none.
TPngDecoder PlatformPngDecoder();

}  // namespace vanta
