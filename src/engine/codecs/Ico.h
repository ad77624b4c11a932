// Our icon reader. Of the entries in the icon's directory the best is
// taken: the largest, then the one with the most colours. Its pixels are
// put on the given background colour through the AND mask (or, for 32-bit
// entries that carry one, the alpha channel). Directory entries that point
// outside the file or overlap the directory refuse the file, as do
// run-length compressed entries (which icons do not use).
//
// Entries stored as PNG have no reader of ours: where the platform offers
// one (Windows) `decodePng` is given and decodes them; otherwise the icon
// is refused with a TPictureError.
#pragma once
#include "base/Bitmap.h"
#include "base/PictureLimits.h"
#include "platform/PlatformPictures.h"

namespace vanta {

TBitmap24 DecodeIco(TBytes data, TColor background, const TPngDecoder& decodePng = {});

}  // namespace vanta
