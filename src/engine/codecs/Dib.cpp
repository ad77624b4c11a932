#include "engine/codecs/Dib.h"

#include <bit>
#include <cstring>

namespace vanta {
namespace {

// How one bit-field mask becomes an 8-bit channel.
struct TChannel {
  uint32_t mask = 0;
  int shift = 0, bits = 0;

  explicit TChannel(uint32_t m, const char* what) : mask(m) {
    if (m == 0) return;
    shift = std::countr_zero(m);
    bits = std::popcount(m);
    if (bits != 32 && (m >> shift) != (1u << bits) - 1) RefusePicture(what, "bit field mask with gaps");
  }
  uint8_t operator()(uint32_t pixel) const {
    if (mask == 0) return 0;
    const uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8) return static_cast<uint8_t>(v >> (bits - 8));
    const uint32_t max = (1u << bits) - 1;
    return static_cast<uint8_t>((v * 255 + max / 2) / max);
  }
};

void Put(uint8_t* p, TColor c) {
  p[0] = static_cast<uint8_t>(c >> 16);
  p[1] = static_cast<uint8_t>(c >> 8);
  p[2] = static_cast<uint8_t>(c);
}

TColor PaletteColor(const TDibHeader& h, unsigned index, const char* what) {
  if (index >= h.Palette.size())
    RefusePicture(what, "colour index " + std::to_string(index) + " outside the colour table");
  return h.Palette[index];
}

// Run-length data: pixels are written bottom-up. Some writers encode
// whole stored rows, padding included, so a run may reach into the row's
// padding (and is cut at the picture's edge); a run beyond that, or above
// the last row, refuses the file.
void DecodeRle(const TDibHeader& h, TBytes data, TBitmap24& out, const char* what) {
  const bool four = h.Compression == kBiRle4;
  const int rowPixels = static_cast<int>(DibStride(h.Width, h.BitCount) * 8 / h.BitCount);
  TByteReader in(data, what);
  int x = 0, y = 0;  // y counts rows from the bottom
  auto run = [&](int count) {
    if (x + count > rowPixels || y >= h.Height) RefusePicture(what, "run leaves the picture");
  };
  auto put = [&](unsigned index) {
    const TColor c = PaletteColor(h, index, what);
    if (x < h.Width) Put(out.Row(h.Height - 1 - y) + x * 3, c);
    ++x;
  };
  for (;;) {
    if (in.AtEnd()) RefusePicture(what, "run-length data ends without its end mark");
    const uint8_t count = in.U8(), value = in.U8();
    if (count > 0) {
      run(count);
      for (int i = 0; i < count; ++i) put(four ? ((i & 1) ? value & 15 : value >> 4) : value);
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        ++y;
        break;
      case 1:  // end of picture
        return;
      case 2: {  // move right and up
        const int dx = in.U8(), dy = in.U8();
        x += dx;
        y += dy;
        if (x > rowPixels || y > h.Height) RefusePicture(what, "run moves outside the picture");
        break;
      }
      default: {  // `value` pixels stored as they are, padded to 2 bytes
        const size_t bytes = four ? (value + 1u) / 2 : value;
        const TBytes raw = in.Take(bytes);
        run(value);
        for (int i = 0; i < value; ++i) put(four ? ((i & 1) ? raw[i / 2] & 15 : raw[i / 2] >> 4) : raw[i]);
        if (bytes & 1) in.Skip(1);
      }
    }
  }
}

}  // namespace

uint64_t DibStride(int width, int bits) {
  return (static_cast<uint64_t>(width) * static_cast<uint64_t>(bits) + 31) / 32 * 4;
}

namespace {

// The header's own fields; `height` is the stored (signed) row count, and
// `colorsUsed` the colour table's length as the header gives it.
void ReadHeaderFields(TByteReader& in, const char* what, size_t start, uint32_t size, TDibHeader& h,
                      int64_t& height, int& colorsUsed) {
  if (size == 12) {
    h.Width = in.U16();
    height = in.U16();
    in.Skip(2);  // planes
    h.BitCount = in.U16();
    if (h.BitCount != 1 && h.BitCount != 4 && h.BitCount != 8 && h.BitCount != 24)
      RefusePicture(what, "unsupported bit count " + std::to_string(h.BitCount));
  } else if (size == 40 || size == 52 || size == 56 || size == 108 || size == 124) {
    const int32_t w = in.I32();
    height = in.I32();
    in.Skip(2);
    h.BitCount = in.U16();
    h.Compression = in.U32();
    in.Skip(12);  // image size, resolution
    const uint32_t used = in.U32();
    in.Skip(4);  // important colours
    if (w <= 0) RefusePicture(what, "width " + std::to_string(w) + " is not positive");
    h.Width = w;
    if (used > 65536) RefusePicture(what, "colour table of " + std::to_string(used) + " entries");
    colorsUsed = static_cast<int>(used);
    if (size >= 52) {
      for (int i = 0; i < (size >= 56 ? 4 : 3); ++i) h.Masks[i] = in.U32();
    }
    in.Seek(start + size);
  } else {
    RefusePicture(what, "unsupported header size " + std::to_string(size));
  }
}

// The bit count each compression allows, and the default masks.
void CheckCompression(TByteReader& in, const char* what, uint32_t size, TDibHeader& h) {
  switch (h.Compression) {
    case kBiRgb:
      if (h.BitCount != 1 && h.BitCount != 4 && h.BitCount != 8 && h.BitCount != 16 && h.BitCount != 24 &&
          h.BitCount != 32)
        RefusePicture(what, "unsupported bit count " + std::to_string(h.BitCount));
      if (h.BitCount == 16) h.Masks = {0x7C00, 0x03E0, 0x001F, 0};
      if (h.BitCount == 32) h.Masks = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
      break;
    case kBiRle8:
    case kBiRle4:
      if (h.BitCount != (h.Compression == kBiRle8 ? 8 : 4))
        RefusePicture(what, "run-length compression with " + std::to_string(h.BitCount) + " bits a pixel");
      if (h.TopDown) RefusePicture(what, "top-down run-length picture");
      break;
    case kBiBitfields:
    case kBiAlphaBitfields:
      if (h.BitCount != 16 && h.BitCount != 32)
        RefusePicture(what, "bit fields with " + std::to_string(h.BitCount) + " bits a pixel");
      if (size == 40) {
        // The masks follow the short header.
        for (int i = 0; i < (h.Compression == kBiAlphaBitfields ? 4 : 3); ++i) h.Masks[i] = in.U32();
      }
      break;
    default:
      RefusePicture(what, "unsupported compression " + std::to_string(h.Compression));
  }
}

void ReadPalette(TByteReader& in, uint32_t size, int colorsUsed, TDibHeader& h) {
  const int entryBytes = size == 12 ? 3 : 4;
  if (h.BitCount <= 8) {
    const int max = 1 << h.BitCount;
    const int count = colorsUsed == 0 ? max : colorsUsed;
    const TBytes table = in.Take(static_cast<size_t>(count) * entryBytes);
    h.Palette.resize(static_cast<size_t>(std::min(count, max)));
    for (size_t i = 0; i < h.Palette.size(); ++i) {
      const uint8_t* e = table.data() + i * entryBytes;
      h.Palette[i] = static_cast<TColor>(e[2]) | static_cast<TColor>(e[1]) << 8 | static_cast<TColor>(e[0]) << 16;
    }
  } else {
    in.Skip(static_cast<size_t>(colorsUsed) * entryBytes);  // an optional table for display hints
  }
}

}  // namespace

TDibHeader ReadDibHeader(TByteReader& in, const char* what, int heightRows) {
  TDibHeader h;
  const size_t start = in.Pos();
  const uint32_t size = in.U32();
  int64_t height = 0;
  int colorsUsed = 0;
  ReadHeaderFields(in, what, start, size, h, height, colorsUsed);
  if (height < 0) {
    h.TopDown = true;
    height = -height;
  }
  if (height % heightRows != 0 && heightRows > 1) RefusePicture(what, "odd icon height");
  height /= heightRows;
  CheckPictureSize(h.Width, height, what);
  h.Height = static_cast<int>(height);
  CheckCompression(in, what, size, h);
  ReadPalette(in, size, colorsUsed, h);
  return h;
}

TBitmap24 DecodeDibPixels(const TDibHeader& h, TBytes pixels, const char* what, std::vector<uint8_t>* alpha) {
  if (h.Compression == kBiRle8 || h.Compression == kBiRle4) {
    TBitmap24 out(h.Width, h.Height);
    DecodeRle(h, pixels, out, what);
    return out;
  }
  // Checked before anything is allocated: a short file claiming a huge
  // picture is refused at once.
  const uint64_t stride = DibStride(h.Width, h.BitCount);
  if (stride * static_cast<uint64_t>(h.Height) > pixels.size()) RefusePicture(what, "truncated pixel data");
  TBitmap24 out(h.Width, h.Height);
  const TChannel red(h.Masks[0], what), green(h.Masks[1], what), blue(h.Masks[2], what),
      alphaChannel(h.Masks[3], what);
  const bool wantAlpha = alpha && h.BitCount == 32 && h.Masks[3] != 0;
  if (wantAlpha) alpha->assign(static_cast<size_t>(h.Width) * static_cast<size_t>(h.Height), 0);
  else if (alpha) alpha->clear();

  for (int row = 0; row < h.Height; ++row) {
    const uint8_t* src = pixels.data() + static_cast<size_t>(stride) * static_cast<size_t>(row);
    const int y = h.TopDown ? row : h.Height - 1 - row;
    uint8_t* dst = out.Row(y);
    switch (h.BitCount) {
      case 1:
      case 4:
      case 8: {
        const int bits = h.BitCount, perByte = 8 / bits, maskBits = (1 << bits) - 1;
        for (int x = 0; x < h.Width; ++x) {
          const int shift = 8 - bits * (x % perByte + 1);
          Put(dst + x * 3, PaletteColor(h, (src[x / perByte] >> shift) & maskBits, what));
        }
        break;
      }
      case 24:
        std::memcpy(dst, src, static_cast<size_t>(h.Width) * 3);
        break;
      case 16:
      case 32: {
        const int bytes = h.BitCount / 8;
        uint8_t* a = wantAlpha ? alpha->data() + static_cast<size_t>(y) * h.Width : nullptr;
        for (int x = 0; x < h.Width; ++x) {
          const uint8_t* s = src + x * bytes;
          const uint32_t p = bytes == 2 ? (s[0] | s[1] << 8u)
                                        : (s[0] | s[1] << 8u | s[2] << 16u | static_cast<uint32_t>(s[3]) << 24);
          dst[x * 3] = blue(p);
          dst[x * 3 + 1] = green(p);
          dst[x * 3 + 2] = red(p);
          if (a) a[x] = alphaChannel(p);
        }
        break;
      }
    }
  }
  return out;
}

}  // namespace vanta
