// vanta-render's picture mode: any picture through LoadPictureToBitmap into
// an uncompressed 24-bit bottom-up BMP.
//
//   vanta-render --picture FILE --out OUT.bmp [--box W H] [--color RRGGBB]
//
// The box defaults to 0 0 (no shrinking), the colour to 000000 (six hex
// digits, red first). A refused picture: one line "error: ..." on the error
// stream, status 1, no output file. A usage error: status 2.
#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "base/Bitmap.h"

namespace vanta {

bool IsPictureCommand(const std::vector<std::string>& args);
int RunPictureCommand(const std::vector<std::string>& args, std::ostream& err);

// The bytes of an uncompressed 24-bit bottom-up BMP file of the bitmap.
std::string EncodeBmp24(const TBitmap24& bitmap);

}  // namespace vanta
