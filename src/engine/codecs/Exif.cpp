#include "engine/codecs/Exif.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vanta {
namespace {

constexpr uint16_t kOrientationTag = 0x0112;
constexpr uint16_t kTypeShort = 3;

struct TTiffReader {
  TBytes data;
  bool bigEndian;

  bool Has(size_t pos, size_t n) const { return pos <= data.size() && n <= data.size() - pos; }
  uint16_t U16(size_t p) const {
    return bigEndian ? static_cast<uint16_t>(data[p] << 8 | data[p + 1])
                     : static_cast<uint16_t>(data[p] | data[p + 1] << 8);
  }
  uint32_t U32(size_t p) const {
    const uint32_t a = U16(p), b = U16(p + 2);
    return bigEndian ? a << 16 | b : b << 16 | a;
  }
};

// Copies one pixel (3 bytes).
inline void Put3(uint8_t* d, const uint8_t* s) {
  d[0] = s[0];
  d[1] = s[1];
  d[2] = s[2];
}

// Orientations 2 to 4: whole rows, perhaps taken from the bottom up, perhaps
// reversed.
TBitmap24 FlipRows(const TBitmap24& s, bool mirrorX, bool mirrorY) {
  const int w = s.Width(), h = s.Height();
  TBitmap24 d;
  d.SetSizeForOverwrite(w, h);
  for (int y = 0; y < h; ++y) {
    const uint8_t* src = s.Row(mirrorY ? h - 1 - y : y);
    uint8_t* dst = d.Row(y);
    if (!mirrorX) {
      std::memcpy(dst, src, static_cast<size_t>(w) * 3);
      continue;
    }
    for (int x = 0; x < w; ++x) Put3(dst + x * 3, src + (w - 1 - x) * 3);
  }
  return d;
}

// Orientations 5 to 8: the result's (x, y) comes from the stored picture's
// column y (or W-1-y) and row x (or H-1-x). Done in square tiles, so the
// stored rows that a tile reads stay in the cache while it is written.
TBitmap24 Transpose(const TBitmap24& s, bool reverseColumns, bool reverseRows) {
  constexpr int kTile = 32;
  const int sw = s.Width(), sh = s.Height();
  TBitmap24 d;
  d.SetSizeForOverwrite(sh, sw);
  const uint8_t* base = s.Bits();
  const ptrdiff_t stride = static_cast<ptrdiff_t>(s.Stride());
  for (int ty = 0; ty < sw; ty += kTile) {
    const int yEnd = std::min(sw, ty + kTile);
    for (int tx = 0; tx < sh; tx += kTile) {
      const int xEnd = std::min(sh, tx + kTile);
      for (int y = ty; y < yEnd; ++y) {
        const int sx = reverseColumns ? sw - 1 - y : y;
        uint8_t* dst = d.Row(y);
        if (!reverseRows) {
          const uint8_t* src = base + static_cast<ptrdiff_t>(tx) * stride + sx * 3;
          for (int x = tx; x < xEnd; ++x, src += stride) Put3(dst + x * 3, src);
        } else {
          const uint8_t* src = base + static_cast<ptrdiff_t>(sh - 1 - tx) * stride + sx * 3;
          for (int x = tx; x < xEnd; ++x, src -= stride) Put3(dst + x * 3, src);
        }
      }
    }
  }
  return d;
}

}  // namespace

namespace {
constexpr uint16_t kDateTimeTag = 0x0132, kExifIfdTag = 0x8769, kDateTimeOriginalTag = 0x9003;
constexpr uint16_t kTypeAscii = 2, kTypeLong = 4;
constexpr size_t kDateLength = 19;  // "YYYY:MM:DD HH:MM:SS"

// The entry of tag in the IFD at ifd, or 0.
size_t FindEntry(const TTiffReader& r, size_t ifd, uint16_t tag) {
  if (!r.Has(ifd, 2)) return 0;
  const size_t count = r.U16(ifd);
  for (size_t i = 0; i < count; ++i) {
    const size_t entry = ifd + 2 + i * 12;
    if (!r.Has(entry, 12)) return 0;
    if (r.U16(entry) == tag) return entry;
  }
  return 0;
}

std::string DateAt(const TTiffReader& r, size_t entry) {
  if (!entry || r.U16(entry + 2) != kTypeAscii || r.U32(entry + 4) < kDateLength) return {};
  const size_t at = r.U32(entry + 8);
  if (!r.Has(at, kDateLength)) return {};
  std::string date(reinterpret_cast<const char*>(r.data.data() + at), kDateLength);
  for (size_t i = 0; i < kDateLength; ++i) {
    const bool digit = date[i] >= '0' && date[i] <= '9';
    const char sep = i == 4 || i == 7 || i == 13 || i == 16 ? ':' : i == 10 ? ' ' : 0;
    if (sep ? date[i] != sep : !digit) return {};
  }
  return date;
}
}  // namespace

std::string ExifDateTaken(TBytes tiff) noexcept {
  try {
    static constexpr uint8_t kExifPrefix[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (tiff.size() >= 6 && std::memcmp(tiff.data(), kExifPrefix, 6) == 0) tiff = tiff.subspan(6);
    if (tiff.size() < 8) return {};
    TTiffReader r{tiff, false};
    if (tiff[0] == 'M' && tiff[1] == 'M') r.bigEndian = true;
    else if (tiff[0] != 'I' || tiff[1] != 'I') return {};
    if (r.U16(2) != 42) return {};
    const size_t ifd = r.U32(4);
    if (const size_t exif = FindEntry(r, ifd, kExifIfdTag); exif && r.U16(exif + 2) == kTypeLong) {
      const std::string taken = DateAt(r, FindEntry(r, r.U32(exif + 8), kDateTimeOriginalTag));
      if (!taken.empty()) return taken;
    }
    return DateAt(r, FindEntry(r, ifd, kDateTimeTag));
  } catch (...) {
    return {};
  }
}

TBytes JpegExifBlock(TBytes jpeg) noexcept {
  static constexpr uint8_t kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
  if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) return {};
  size_t at = 2;
  while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF) {
    const uint8_t marker = jpeg[at + 1];
    const size_t length = static_cast<size_t>(jpeg[at + 2]) << 8 | jpeg[at + 3];
    if (marker == 0xDA || marker == 0xD9 || length < 2 || at + 2 + length > jpeg.size()) break;  // the picture data
    if (marker == 0xE1 && length >= 8 && std::memcmp(jpeg.data() + at + 4, kExif, 6) == 0)
      return jpeg.subspan(at + 10, length - 8);
    at += 2 + length;
  }
  return {};
}

int ExifOrientation(TBytes tiff) noexcept {
  static constexpr uint8_t kExifPrefix[6] = {'E', 'x', 'i', 'f', 0, 0};
  if (tiff.size() >= 6 && std::memcmp(tiff.data(), kExifPrefix, 6) == 0) tiff = tiff.subspan(6);
  if (tiff.size() < 8) return kOrientationAsStored;
  TTiffReader r{tiff, false};
  if (tiff[0] == 'M' && tiff[1] == 'M') r.bigEndian = true;
  else if (tiff[0] != 'I' || tiff[1] != 'I') return kOrientationAsStored;
  if (r.U16(2) != 42) return kOrientationAsStored;
  const size_t ifd = r.U32(4);
  if (!r.Has(ifd, 2)) return kOrientationAsStored;
  const size_t count = r.U16(ifd);
  for (size_t i = 0; i < count; ++i) {
    const size_t entry = ifd + 2 + i * 12;
    if (!r.Has(entry, 12)) return kOrientationAsStored;
    // Tags are sorted in a well-formed IFD, but a reader that stops early
    // gains nothing here: at most a few hundred entries fit in 64 KB.
    if (r.U16(entry) != kOrientationTag) continue;
    if (r.U16(entry + 2) != kTypeShort || r.U32(entry + 4) != 1) return kOrientationAsStored;
    const int value = r.U16(entry + 8);  // a single SHORT sits at the start of the value field
    return value >= 1 && value <= 8 ? value : kOrientationAsStored;
  }
  return kOrientationAsStored;
}

TUprightWriter::TUprightWriter(int storedWidth, int storedHeight, int orientation)
    : width_(storedWidth), height_(storedHeight), orientation_(orientation) {
  if (OrientationSwapsSides(orientation)) upright_.SetSizeForOverwrite(storedHeight, storedWidth);
  else upright_.SetSizeForOverwrite(storedWidth, storedHeight);
}

void TUprightWriter::Put(int first, int count, const uint8_t* rows, size_t stride) {
  const int o = orientation_, w = width_, h = height_;
  if (!OrientationSwapsSides(o)) {
    const bool mirrorX = o == 2 || o == 3, mirrorY = o == 3 || o == 4;
    for (int k = 0; k < count; ++k) {
      const uint8_t* src = rows + stride * static_cast<size_t>(k);
      uint8_t* dst = upright_.Row(mirrorY ? h - 1 - (first + k) : first + k);
      if (!mirrorX) std::memcpy(dst, src, static_cast<size_t>(w) * 3);
      else
        for (int x = 0; x < w; ++x) Put3(dst + x * 3, src + (w - 1 - x) * 3);
    }
    return;
  }
  // Stored column sx becomes upright row sx (or w-1-sx); the strip's rows
  // become `count` neighbouring pixels of it, in order or reversed. Columns
  // go in tiles, so the strip's rows stay in the cache while a tile is read.
  constexpr int kTile = 32, kAhead = 4, kRun = 64;
  const bool reverseColumns = o == 7 || o == 8, reverseRows = o == 6 || o == 7;
  const int x0 = reverseRows ? h - first - count : first;
  for (int t = 0; t < w; t += kTile) {
    const int end = std::min(w, t + kTile);
    for (int sx = t; sx < end; ++sx) {
      uint8_t* dst = upright_.Row(reverseColumns ? w - 1 - sx : sx) + static_cast<size_t>(x0) * 3;
      // The upright rows are far apart and visited once a strip: ask for
      // the ones a few columns ahead before they are written.
      if (sx + kAhead < w) {
        uint8_t* next = upright_.Row(reverseColumns ? w - 1 - sx - kAhead : sx + kAhead) + static_cast<size_t>(x0) * 3;
        for (int b = 0; b < count * 3; b += 64) __builtin_prefetch(next + b, 1);
      }
      // Gathered in a small buffer, then written in whole blocks. Pixels
      // move as 4 bytes (the 4th overwritten by the next pixel) except in
      // the last column, whose 4th byte would lie past the row.
      const bool wide = sx + 1 < w;
      for (int k0 = 0; k0 < count; k0 += kRun) {
        const int n = std::min(kRun, count - k0);
        uint8_t run[kRun * 3 + 1];
        // Filled in the order of the upright row; reversed rows read upwards.
        const uint8_t* src = rows + stride * static_cast<size_t>(reverseRows ? k0 + n - 1 : k0) + sx * 3;
        const ptrdiff_t step = reverseRows ? -static_cast<ptrdiff_t>(stride) : static_cast<ptrdiff_t>(stride);
        if (wide)
          for (int i = 0; i < n; ++i, src += step) std::memcpy(run + i * 3, src, 4);
        else
          for (int i = 0; i < n; ++i, src += step) Put3(run + i * 3, src);
        std::memcpy(dst + (reverseRows ? count - k0 - n : k0) * 3, run, static_cast<size_t>(n) * 3);
      }
    }
  }
}

TBitmap24 OrientBitmap(TBitmap24 stored, int orientation) {
  switch (orientation) {
    case 2: return FlipRows(stored, true, false);
    case 3: return FlipRows(stored, true, true);
    case 4: return FlipRows(stored, false, true);
    case 5: return Transpose(stored, false, false);
    case 6: return Transpose(stored, false, true);
    case 7: return Transpose(stored, true, true);
    case 8: return Transpose(stored, true, false);
    default: return stored;
  }
}

}  // namespace vanta
