#include "engine/codecs/Ico.h"

#include <cstring>
#include <vector>

#include "engine/codecs/Dib.h"

namespace vanta {
namespace {

constexpr const char* kWhat = "ICO";

struct TEntry {
  int width, height, bitCount;
  uint32_t size, offset;
};

uint8_t Blend(uint8_t fg, uint8_t bg, unsigned a) { return static_cast<uint8_t>((fg * a + bg * (255 - a) + 127) / 255); }

}  // namespace

TBitmap24 DecodeIco(TBytes data, TColor background, const TPngDecoder& decodePng) {
  TByteReader in(data, kWhat);
  const uint16_t reserved = in.U16(), type = in.U16(), count = in.U16();
  if (reserved != 0 || (type != 1 && type != 2)) RefusePicture(kWhat, "not an icon file");
  if (count == 0) RefusePicture(kWhat, "no icon in the file");
  const uint64_t directoryEnd = 6 + uint64_t{16} * count;

  std::vector<TEntry> entries;
  for (int i = 0; i < count; ++i) {
    TEntry e{};
    e.width = in.U8();
    e.height = in.U8();
    in.Skip(4);  // colour count, reserved, planes (hot spot for cursors)
    e.bitCount = in.U16();
    e.size = in.U32();
    e.offset = in.U32();
    if (e.width == 0) e.width = 256;
    if (e.height == 0) e.height = 256;
    if (e.offset < directoryEnd || e.size < 12 || uint64_t{e.offset} + e.size > data.size())
      RefusePicture(kWhat, "directory entry " + std::to_string(i) + " points outside the file");
    entries.push_back(e);
  }
  const TEntry* best = &entries[0];
  for (const TEntry& e : entries) {
    const int64_t area = int64_t{e.width} * e.height, bestArea = int64_t{best->width} * best->height;
    if (area > bestArea || (area == bestArea && e.bitCount > best->bitCount)) best = &e;
  }

  const TBytes image = data.subspan(best->offset, best->size);
  if (image.size() >= 8 && std::memcmp(image.data(), "\x89PNG\r\n\x1a\n", 8) == 0) {
    if (!decodePng) RefusePicture(kWhat, "icons stored as PNG are not supported on this platform");
    return decodePng(image, background);
  }

  TByteReader dib(image, kWhat);
  const TDibHeader h = ReadDibHeader(dib, kWhat, 2);
  if (h.TopDown) RefusePicture(kWhat, "top-down icon");
  if (h.Compression == kBiRle8 || h.Compression == kBiRle4) RefusePicture(kWhat, "run-length compressed icon entry");
  std::vector<uint8_t> alpha;
  const TBytes pixels = image.subspan(dib.Pos());
  TBitmap24 bmp = DecodeDibPixels(h, pixels, kWhat, &alpha);
  bool useAlpha = false;
  for (uint8_t a : alpha) useAlpha |= a != 0;

  // The AND mask follows the colour rows: one bit a pixel, set where the
  // background shows.
  const uint64_t maskStride = DibStride(h.Width, 1);
  const uint64_t colorBytes = DibStride(h.Width, h.BitCount) * static_cast<uint64_t>(h.Height);
  const bool hasMask = colorBytes + maskStride * static_cast<uint64_t>(h.Height) <= pixels.size();
  if (!hasMask && !useAlpha) RefusePicture(kWhat, "truncated AND mask");

  const uint8_t bg[3] = {static_cast<uint8_t>(background >> 16), static_cast<uint8_t>(background >> 8),
                         static_cast<uint8_t>(background)};
  for (int y = 0; y < h.Height; ++y) {
    uint8_t* row = bmp.Row(y);
    const uint8_t* mask =
        hasMask ? pixels.data() + colorBytes + maskStride * static_cast<uint64_t>(h.Height - 1 - y) : nullptr;
    for (int x = 0; x < h.Width; ++x) {
      uint8_t* p = row + x * 3;
      if (useAlpha) {
        const unsigned a = alpha[static_cast<size_t>(y) * h.Width + x];
        for (int c = 0; c < 3; ++c) p[c] = Blend(p[c], bg[c], a);
      } else if (mask && (mask[x >> 3] >> (7 - (x & 7)) & 1)) {
        std::memcpy(p, bg, 3);
      }
    }
  }
  return bmp;
}

}  // namespace vanta
