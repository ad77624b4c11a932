// Test pictures made by the tests themselves: small writers for BMP, GIF,
// ICO and (through libjpeg) JPEG, and a reference picture whose colours
// every format can hold exactly.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/Bitmap.h"
#include "base/PictureLimits.h"

namespace vanta::test {

using TFile = std::string;  // bytes of a file

// A w x h picture of the 8 colours with channels 0 or 255, in a pattern
// that differs on every row and column (so flips and shifts show).
TBitmap24 ReferencePicture(int w, int h);
// The index (0..7) of such a colour; the palette is kPalette8.
extern const TColor kPalette8[8];
int PaletteIndex(TColor c);

struct TBmpOptions {
  int bits = 24;              // 1, 4, 8, 16, 24, 32
  uint32_t compression = 0;   // 0 plain, 1 RLE8, 2 RLE4, 3 bit fields
  bool topDown = false;
  bool coreHeader = false;    // the old 12-byte header
  uint32_t masks[3] = {0, 0, 0};  // with bit fields (16 bits: 5-6-5 when 0)
};
TFile MakeBmp(const TBitmap24& picture, const TBmpOptions& options = {});

// A GIF of the picture (at most 8 colours) made of literal codes only, at
// (left, top) on a screen of screenW x screenH; transparent: a colour
// index written as transparent (-1 none); interlaced rows when asked.
struct TGifOptions {
  int screenW = 0, screenH = 0, left = 0, top = 0;
  int transparent = -1;
  bool interlaced = false;
  bool localTable = false;
  bool extensions = false;  // a comment and a looping extension before the image
  int minCodeSize = 3;
};
TFile MakeGif(const TBitmap24& picture, const TGifOptions& options = {});

// An icon entry: 32-bit with alpha when alpha is given, else 8-bit with an
// AND mask (mask[y*w+x] true = background shows).
struct TIconImage {
  TBitmap24 picture;
  std::vector<uint8_t> alpha;  // empty: 8-bit entry with the mask
  std::vector<bool> mask;
};
TFile MakeIco(const std::vector<TIconImage>& images);

// JPEG through libjpeg at the given quality (colour or grayscale).
TFile MakeJpeg(const TBitmap24& picture, int quality = 90, bool grayscale = false);
// JPEG from raw rows: 3 bytes a pixel (blue, green, red), 1 (grey), or 4
// (CMYK with the inks stored inverted, as Adobe writes it).
enum class TJpegInput { Bgr, Gray, AdobeCmyk };
TFile MakeJpegFromRows(int width, int height, TJpegInput input, int quality,
                       const std::function<const uint8_t*(int y)>& row);

// PNG by our own writer (PhotoWriters.cpp): rows with filter 0, stored
// deflate blocks, our own checksums, so neither libspng nor zlib has a hand
// in the files they are tested on. `sample` gives each channel's value
// (palette index for colour type 3) within the bit depth.
struct TPngLayout {
  int width = 1, height = 1, colorType = 2, bitDepth = 8;
  bool interlaced = false;
  std::function<uint16_t(int x, int y, int channel)> sample;
  std::vector<TColor> palette;  // PLTE, for colour type 3 (or as a suggestion)
  std::string trns;             // tRNS contents; empty: none
  std::vector<std::pair<std::string, std::string>> before, after;  // more chunks around IDAT
};
int PngChannels(int colorType);
TFile MakePng(const TPngLayout& layout);
TFile PngChunk(const std::string& type, const std::string& data);
// An 8-bit RGB PNG of a bitmap.
TFile MakePng(const TBitmap24& picture, std::vector<std::pair<std::string, std::string>> before = {});

// A TIFF block (as Exif carries it) whose first IFD holds three tags, the
// orientation (0x0112, SHORT, count 1) the second, at byte 22; big-endian
// ("MM") or little-endian ("II").
TFile MakeExifTiff(int orientation, bool bigEndian = false);
// The JPEG with an APP1 "Exif" segment holding the TIFF block after SOI.
TFile WithJpegExif(const TFile& jpeg, const TFile& tiff);

// WebP through libwebp's encoder: lossless or lossy (quality), with alpha
// (one byte a pixel) when given.
TFile MakeWebp(const TBitmap24& picture, bool lossless, const std::vector<uint8_t>& alpha = {}, int quality = 90);
// A simple WebP file (as MakeWebp writes it) in the extended layout with
// an EXIF chunk after the picture.
TFile WebpWithExif(const TFile& simple, int width, int height, const TFile& exif, bool alpha = false);
// RIFF chunk helper: type, little-endian size, data, padding to even.
TFile RiffChunk(const std::string& type, const std::string& data);
void Put24(TFile& f, uint32_t v);

// A file's bytes as the decoders take them.
inline TBytes Bytes(const TFile& f) { return {reinterpret_cast<const uint8_t*>(f.data()), f.size()}; }

// Little-endian helpers to write headers.
void Put16(TFile& f, uint32_t v);
void Put32(TFile& f, uint32_t v);
void Set32(TFile& f, size_t at, uint32_t v);

}  // namespace vanta::test
