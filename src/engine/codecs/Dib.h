// The device-independent bitmap layout shared by BMP files and the entries
// of icons: a header (the old 12-byte core header or the 40-byte header and
// its longer versions), bit masks, a colour table, and rows of 1, 4, 8, 16,
// 24 or 32 bits a pixel, plain or run-length encoded (RLE8, RLE4).
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "base/Bitmap.h"
#include "base/PictureLimits.h"

namespace vanta {

enum : uint32_t { kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6 };

struct TDibHeader {
  int Width = 0;
  int Height = 0;  // rows in the pixel data, always positive
  bool TopDown = false;
  int BitCount = 0;
  uint32_t Compression = kBiRgb;
  std::array<uint32_t, 4> Masks{};  // red, green, blue, alpha (alpha 0: none)
  std::vector<TColor> Palette;
};

// Reads the header, masks and colour table at the reader's position and
// leaves it just after the colour table. Refuses what cannot be decoded.
// `heightRows` divides the stored height (2 for icons, whose height counts
// the mask too).
TDibHeader ReadDibHeader(TByteReader& in, const char* what, int heightRows = 1);

// Bytes of one stored row of `bits` bits a pixel: padded to 4 bytes.
uint64_t DibStride(int width, int bits);

// Decodes the pixel data into a bitmap of the header's size. With `alpha`,
// 32-bit pixels also give their alpha (one byte a pixel, top-down) when the
// header has an alpha mask; otherwise alpha is left empty.
TBitmap24 DecodeDibPixels(const TDibHeader& h, TBytes pixels, const char* what,
                          std::vector<uint8_t>* alpha = nullptr);

}  // namespace vanta
