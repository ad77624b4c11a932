// HEIC and AVIF files for samples, tests and benchmarks, through the build
// machine's libheif and its encoders (x265, aom). libheif 1.15 writes a grid
// only around a single tile that needs cropping; phones write pictures as
// grids of many tiles, so a grid is put together here: each tile encoded
// on its own, then one file whose primary item is the grid of them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace vanta::heifwriter {

// Straight RGB(A) samples, row by row: 3 or 4 a pixel, 8-bit (one byte) or
// more (two bytes each, little-endian, values up to 2^bits - 1).
struct TPixels {
  int Width = 0, Height = 0;
  int Bits = 8;
  bool Alpha = false;
  std::vector<uint16_t> Samples;  // Width * Height * (3 or 4)
};

struct TOptions {
  bool Av1 = false;      // AVIF, else HEIC
  int Quality = 90;
  int Orientation = 1;   // Exif-style 1..8, written as the rotation and mirror properties
  int Columns = 1, Rows = 1;  // a grid of tiles (more than one: the tiles must divide the picture evenly)
  bool Lossless = false;
  std::string Exif;      // a TIFF block to carry as the picture's Exif metadata
};

// The file's bytes; throws std::runtime_error when the encoder fails.
std::string Encode(const TPixels& pixels, const TOptions& options);

}  // namespace vanta::heifwriter
