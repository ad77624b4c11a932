// Uncompressed 24-bit BMP files, the picture format of vanta-render.
#pragma once
#include <string>

#include "base/Bitmap.h"

namespace vanta {

// Reads an uncompressed 24-bit BMP (bottom-up or top-down). On failure
// returns false with a one-line reason in error.
bool ReadBmp24(const std::string& path, TBitmap24& out, std::string& error);

// Writes the bitmap as an uncompressed 24-bit bottom-up BMP.
bool WriteBmp24(const std::string& path, const TBitmap24& bmp);

}  // namespace vanta
