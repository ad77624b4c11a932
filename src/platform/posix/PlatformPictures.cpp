// Natively there is no renderer for metafiles and no PNG decoder: such
// pictures are refused with a message that says so.
#include "platform/PlatformPictures.h"

namespace vanta {

TBitmap24 RenderMetafile(TBytes, bool enhanced, TColor) {
  RefusePicture(enhanced ? "EMF" : "WMF", "metafiles can only be shown on Windows");
}

TPngDecoder PlatformPngDecoder() { return {}; }

}  // namespace vanta
