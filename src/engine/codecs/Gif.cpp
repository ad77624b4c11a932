#include "engine/codecs/Gif.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace vanta {
namespace {

constexpr const char* kWhat = "GIF";
constexpr int kMaxCodes = 4096;  // 12-bit codes

struct TPalette {
  std::array<TColor, 256> colors{};
  int count = 0;
};

TPalette ReadColorTable(TByteReader& in, int count) {
  TPalette p;
  p.count = count;
  const TBytes rgb = in.Take(static_cast<size_t>(count) * 3);
  for (int i = 0; i < count; ++i)
    p.colors[i] = static_cast<TColor>(rgb[i * 3]) | static_cast<TColor>(rgb[i * 3 + 1]) << 8 |
                  static_cast<TColor>(rgb[i * 3 + 2]) << 16;
  return p;
}

void SkipSubBlocks(TByteReader& in) {
  while (const uint8_t n = in.U8()) in.Skip(n);
}

// The bits of the image data, least significant first, across the data
// sub-blocks. Ends (returns -1) at the block terminator.
class TCodeReader {
 public:
  explicit TCodeReader(TByteReader& in) : in_(in) {}

  int Read(int bits) {
    while (count_ < bits) {
      if (blockLeft_ == 0) {
        if (ended_) return -1;
        blockLeft_ = in_.U8();
        if (blockLeft_ == 0) {
          ended_ = true;
          return -1;
        }
      }
      buffer_ |= static_cast<uint32_t>(in_.U8()) << count_;
      count_ += 8;
      --blockLeft_;
    }
    const int code = static_cast<int>(buffer_ & ((1u << bits) - 1));
    buffer_ >>= bits;
    count_ -= bits;
    return code;
  }

 private:
  TByteReader& in_;
  uint32_t buffer_ = 0;
  int count_ = 0;
  int blockLeft_ = 0;
  bool ended_ = false;
};

// Decodes exactly `pixels` colour indexes into out. It grows with the data,
// so a short file that claims a huge image costs no huge allocation.
void DecodeLzw(TByteReader& in, int minCodeSize, std::vector<uint8_t>& out, size_t pixels) {
  if (minCodeSize < 1 || minCodeSize > 8)
    RefusePicture(kWhat, "LZW code size " + std::to_string(minCodeSize) + " outside 1..8");
  const int clear = 1 << minCodeSize, end = clear + 1;
  std::vector<uint16_t> prefix(kMaxCodes);
  std::vector<uint8_t> suffix(kMaxCodes), first(kMaxCodes), stack(kMaxCodes + 1);
  for (int i = 0; i < clear; ++i) {
    suffix[i] = static_cast<uint8_t>(i);
    first[i] = static_cast<uint8_t>(i);
  }
  TCodeReader codes(in);
  int codeSize = minCodeSize + 1, next = clear + 2, prev = -1;
  out.clear();
  out.reserve(std::min<size_t>(pixels, size_t{1} << 20));
  while (out.size() < pixels) {
    const int code = codes.Read(codeSize);
    if (code < 0 || code == end) RefusePicture(kWhat, "image data ends before the image is complete");
    if (code == clear) {
      codeSize = minCodeSize + 1;
      next = clear + 2;
      prev = -1;
      continue;
    }
    if (code > next || (code == next && prev < 0) || (code >= clear && code < clear + 2) ||
        (prev < 0 && code >= clear))
      RefusePicture(kWhat, "LZW code " + std::to_string(code) + " not in the table");
    // Unwind the string of `code`; the code not yet defined (next) is the
    // previous string plus its own first byte.
    int sp = 0, c = code;
    if (code == next) {
      stack[sp++] = first[prev];
      c = prev;
    }
    while (c >= clear) {
      stack[sp++] = suffix[c];
      c = prefix[c];
    }
    stack[sp++] = static_cast<uint8_t>(c);
    const uint8_t head = static_cast<uint8_t>(c);
    while (sp > 0 && out.size() < pixels) out.push_back(stack[--sp]);
    if (prev >= 0 && next < kMaxCodes) {
      prefix[next] = static_cast<uint16_t>(prev);
      suffix[next] = head;
      first[next] = first[prev];
      ++next;
      if (next == (1 << codeSize) && codeSize < 12) ++codeSize;
    }
    prev = code;
  }
}

// The row in the picture of the n-th decoded row of an interlaced image.
std::vector<int> InterlacedRows(int height) {
  std::vector<int> rows;
  rows.reserve(static_cast<size_t>(height));
  for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
    for (int y = start; y < height; y += step) rows.push_back(y);
  return rows;
}

}  // namespace

TBitmap24 DecodeGif(TBytes data, TColor background) {
  TByteReader in(data, kWhat);
  if (data.size() < 6 || (std::memcmp(data.data(), "GIF87a", 6) != 0 && std::memcmp(data.data(), "GIF89a", 6) != 0))
    RefusePicture(kWhat, "not a GIF file");
  in.Skip(6);
  int screenW = in.U16(), screenH = in.U16();
  const uint8_t flags = in.U8();
  in.Skip(2);  // background index, aspect ratio: the show's own colour is the background
  TPalette global;
  if (flags & 0x80) global = ReadColorTable(in, 2 << (flags & 7));

  int transparent = -1;
  for (;;) {
    const uint8_t block = in.U8();
    if (block == 0x21) {
      const uint8_t label = in.U8();
      if (label == 0xF9) {
        // Graphic control: only its transparency matters for a still picture.
        const uint8_t n = in.U8();
        if (n < 4) RefusePicture(kWhat, "short graphic control extension");
        const TBytes gce = in.Take(n);
        transparent = (gce[0] & 1) ? gce[3] : -1;
      }
      SkipSubBlocks(in);
      continue;
    }
    if (block == 0x3B) RefusePicture(kWhat, "no image in the file");
    if (block != 0x2C) RefusePicture(kWhat, "unknown block type " + std::to_string(block));

    const int left = in.U16(), top = in.U16(), w = in.U16(), h = in.U16();
    const uint8_t imageFlags = in.U8();
    const TPalette local = (imageFlags & 0x80) ? ReadColorTable(in, 2 << (imageFlags & 7)) : TPalette{};
    const TPalette& palette = (imageFlags & 0x80) ? local : global;
    if (palette.count == 0) RefusePicture(kWhat, "no colour table");
    CheckPictureSize(w, h, kWhat);
    // A first image reaching past the logical screen widens it rather than
    // being cut: the picture shows what the file holds.
    screenW = std::max(screenW, left + w);
    screenH = std::max(screenH, top + h);
    CheckPictureSize(screenW, screenH, kWhat);

    const int minCodeSize = in.U8();
    std::vector<uint8_t> indexes;
    DecodeLzw(in, minCodeSize, indexes, static_cast<size_t>(w) * static_cast<size_t>(h));

    TBitmap24 bmp(screenW, screenH);
    bmp.Fill(background);
    const std::vector<int> rows = (imageFlags & 0x40) ? InterlacedRows(h) : std::vector<int>{};
    for (int n = 0; n < h; ++n) {
      const int y = rows.empty() ? n : rows[n];
      uint8_t* dst = bmp.Row(top + y) + left * 3;
      const uint8_t* src = indexes.data() + static_cast<size_t>(n) * w;
      for (int x = 0; x < w; ++x, dst += 3) {
        const int i = src[x];
        if (i == transparent) continue;
        if (i >= palette.count) RefusePicture(kWhat, "colour index " + std::to_string(i) + " outside the colour table");
        const TColor c = palette.colors[i];
        dst[0] = static_cast<uint8_t>(c >> 16);
        dst[1] = static_cast<uint8_t>(c >> 8);
        dst[2] = static_cast<uint8_t>(c);
      }
    }
    return bmp;
  }
}

}  // namespace vanta
