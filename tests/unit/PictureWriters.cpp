#include "PictureWriters.h"

#include <cstdio>
#include <stdexcept>

#include <jpeglib.h>

namespace vanta::test {

const TColor kPalette8[8] = {0x000000, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

int PaletteIndex(TColor c) {
  for (int i = 0; i < 8; ++i)
    if (kPalette8[i] == c) return i;
  throw std::invalid_argument("colour outside the 8-colour palette");
}

TBitmap24 ReferencePicture(int w, int h) {
  TBitmap24 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, kPalette8[(x + 2 * y + (x * y) % 5) % 8]);
  return b;
}

void Put16(TFile& f, uint32_t v) {
  f += static_cast<char>(v & 255);
  f += static_cast<char>(v >> 8 & 255);
}
void Put32(TFile& f, uint32_t v) {
  Put16(f, v & 0xFFFF);
  Put16(f, v >> 16);
}
void Set32(TFile& f, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) f[at + i] = static_cast<char>(v >> (8 * i) & 255);
}

namespace {

uint32_t Pack(TColor c, const uint32_t masks[3]) {
  uint32_t p = 0;
  const uint8_t channel[3] = {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c >> 16)};
  for (int i = 0; i < 3; ++i) {
    uint32_t m = masks[i];
    if (!m) continue;
    int shift = 0, bits = 0;
    while (!(m >> shift & 1)) ++shift;
    while (shift + bits < 32 && (m >> (shift + bits) & 1)) ++bits;
    const uint32_t v = bits >= 8 ? uint32_t{channel[i]} << (bits - 8) : channel[i] >> (8 - bits);
    p |= v << shift;
  }
  return p;
}

void Palette(TFile& f, int entries, bool core) {
  for (int i = 0; i < entries; ++i) {
    const TColor c = i < 8 ? kPalette8[i] : 0;
    f += static_cast<char>(c >> 16);
    f += static_cast<char>(c >> 8 & 255);
    f += static_cast<char>(c & 255);
    if (!core) f += '\0';
  }
}

TFile Rle(const TBitmap24& p, bool four) {
  TFile f;
  for (int row = 0; row < p.Height(); ++row) {
    const int y = p.Height() - 1 - row;
    for (int x = 0; x < p.Width();) {
      const int idx = PaletteIndex(p.Pixel(x, y));
      int n = 1;
      while (x + n < p.Width() && n < 255 && PaletteIndex(p.Pixel(x + n, y)) == idx) ++n;
      f += static_cast<char>(n);
      f += static_cast<char>(four ? (idx << 4 | idx) : idx);
      x += n;
    }
    f += '\0';
    f += static_cast<char>(row + 1 == p.Height() ? 1 : 0);
  }
  return f;
}

// GIF colour tables hold red, green, blue.
void GifPalette(TFile& f) {
  for (TColor c : kPalette8) {
    f += static_cast<char>(c & 255);
    f += static_cast<char>(c >> 8 & 255);
    f += static_cast<char>(c >> 16);
  }
}

}  // namespace

TFile MakeBmp(const TBitmap24& p, const TBmpOptions& o) {
  const int w = p.Width(), h = p.Height();
  uint32_t masks[3] = {o.masks[0], o.masks[1], o.masks[2]};
  if (o.bits == 16 && !masks[0]) {
    if (o.compression == 3) masks[0] = 0xF800, masks[1] = 0x07E0, masks[2] = 0x001F;
    else masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
  }
  if (o.bits == 32 && !masks[0]) masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;

  TFile pixels;
  if (o.compression == 1 || o.compression == 2) {
    pixels = Rle(p, o.compression == 2);
  } else {
    const size_t stride = (static_cast<size_t>(w) * o.bits + 31) / 32 * 4;
    for (int row = 0; row < h; ++row) {
      const int y = o.topDown ? row : h - 1 - row;
      TFile line(stride, '\0');
      for (int x = 0; x < w; ++x) {
        const TColor c = p.Pixel(x, y);
        if (o.bits <= 8) {
          const int idx = PaletteIndex(c);
          if (idx >= (1 << o.bits)) throw std::invalid_argument("colour index too large for the bit count");
          const int perByte = 8 / o.bits;
          line[x / perByte] = static_cast<char>(line[x / perByte] | idx << (8 - o.bits * (x % perByte + 1)));
        } else if (o.bits == 24) {
          line[x * 3] = static_cast<char>(c >> 16);
          line[x * 3 + 1] = static_cast<char>(c >> 8 & 255);
          line[x * 3 + 2] = static_cast<char>(c & 255);
        } else {
          const uint32_t v = Pack(c, masks);
          for (int i = 0; i < o.bits / 8; ++i) line[x * (o.bits / 8) + i] = static_cast<char>(v >> (8 * i) & 255);
        }
      }
      pixels += line;
    }
  }

  TFile header;
  if (o.coreHeader) {
    Put32(header, 12);
    Put16(header, w);
    Put16(header, h);
    Put16(header, 1);
    Put16(header, o.bits);
  } else {
    Put32(header, 40);
    Put32(header, w);
    Put32(header, o.topDown ? static_cast<uint32_t>(-h) : h);
    Put16(header, 1);
    Put16(header, o.bits);
    Put32(header, o.compression);
    Put32(header, static_cast<uint32_t>(pixels.size()));
    Put32(header, 2835);
    Put32(header, 2835);
    Put32(header, 0);
    Put32(header, 0);
    if (o.compression == 3)
      for (uint32_t m : masks) Put32(header, m);
  }
  if (o.bits <= 8) Palette(header, 1 << o.bits, o.coreHeader);

  TFile f = "BM";
  Put32(f, static_cast<uint32_t>(14 + header.size() + pixels.size()));
  Put32(f, 0);
  Put32(f, static_cast<uint32_t>(14 + header.size()));
  return f + header + pixels;
}

TFile MakeGif(const TBitmap24& p, const TGifOptions& o) {
  const int w = p.Width(), h = p.Height();
  TFile f = "GIF89a";
  Put16(f, o.screenW ? o.screenW : w);
  Put16(f, o.screenH ? o.screenH : h);
  f += static_cast<char>(o.localTable ? 0x70 : 0xF2);
  f += '\0';
  f += '\0';
  if (!o.localTable) GifPalette(f);
  if (o.extensions) {
    f += "\x21\xFE\x05hello";
    f += '\0';
    f += "\x21\xFF\x0BNETSCAPE2.0\x03\x01";
    f += std::string("\0\0\0", 3);
  }
  if (o.transparent >= 0) {
    f += "\x21\xF9\x04\x01";
    f += std::string("\0\0", 2);
    f += static_cast<char>(o.transparent);
    f += '\0';
  }
  f += '\x2C';
  Put16(f, o.left);
  Put16(f, o.top);
  Put16(f, w);
  Put16(f, h);
  f += static_cast<char>((o.localTable ? 0x82 : 0) | (o.interlaced ? 0x40 : 0));
  if (o.localTable) GifPalette(f);
  f += static_cast<char>(o.minCodeSize);

  std::vector<int> rows;
  if (o.interlaced) {
    for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
      for (int y = start; y < h; y += step) rows.push_back(y);
  } else {
    for (int y = 0; y < h; ++y) rows.push_back(y);
  }
  // Literal codes only, with a clear code before the table would make the
  // code size grow.
  const int clear = 1 << o.minCodeSize, size = o.minCodeSize + 1, chunk = (1 << size) - clear - 3;
  TFile data;
  uint32_t buffer = 0;
  int count = 0, sinceClear = chunk;
  auto emit = [&](int code) {
    buffer |= static_cast<uint32_t>(code) << count;
    count += size;
    while (count >= 8) {
      data += static_cast<char>(buffer & 255);
      buffer >>= 8;
      count -= 8;
    }
  };
  for (int y : rows)
    for (int x = 0; x < w; ++x) {
      if (sinceClear == chunk) {
        emit(clear);
        sinceClear = 0;
      }
      emit(PaletteIndex(p.Pixel(x, y)));
      ++sinceClear;
    }
  emit(clear + 1);
  if (count > 0) data += static_cast<char>(buffer & 255);
  for (size_t i = 0; i < data.size(); i += 255) {
    const size_t n = std::min<size_t>(255, data.size() - i);
    f += static_cast<char>(n);
    f += data.substr(i, n);
  }
  f += '\0';
  f += ';';
  return f;
}

TFile MakeIco(const std::vector<TIconImage>& images) {
  TFile dir, body;
  Put16(dir, 0);
  Put16(dir, 1);
  Put16(dir, static_cast<uint32_t>(images.size()));
  const size_t first = 6 + 16 * images.size();
  for (const TIconImage& im : images) {
    const int w = im.picture.Width(), h = im.picture.Height();
    const bool alpha = !im.alpha.empty();
    TFile e;
    Put32(e, 40);
    Put32(e, w);
    Put32(e, 2 * h);
    Put16(e, 1);
    Put16(e, alpha ? 32 : 8);
    Put32(e, 0);
    for (int i = 0; i < 5; ++i) Put32(e, 0);
    if (!alpha) Palette(e, 256, false);
    const size_t stride = alpha ? static_cast<size_t>(w) * 4 : (static_cast<size_t>(w) + 3) / 4 * 4;
    for (int row = 0; row < h; ++row) {
      const int y = h - 1 - row;
      TFile line(stride, '\0');
      for (int x = 0; x < w; ++x) {
        const TColor c = im.picture.Pixel(x, y);
        if (alpha) {
          line[x * 4] = static_cast<char>(c >> 16);
          line[x * 4 + 1] = static_cast<char>(c >> 8 & 255);
          line[x * 4 + 2] = static_cast<char>(c & 255);
          line[x * 4 + 3] = static_cast<char>(im.alpha[static_cast<size_t>(y) * w + x]);
        } else {
          line[x] = static_cast<char>(PaletteIndex(c));
        }
      }
      e += line;
    }
    const size_t maskStride = (static_cast<size_t>(w) + 31) / 32 * 4;
    for (int row = 0; row < h; ++row) {
      const int y = h - 1 - row;
      TFile line(maskStride, '\0');
      for (int x = 0; x < w; ++x)
        if (!im.mask.empty() && im.mask[static_cast<size_t>(y) * w + x])
          line[x / 8] = static_cast<char>(line[x / 8] | 0x80 >> (x % 8));
      e += line;
    }
    dir += static_cast<char>(w >= 256 ? 0 : w);
    dir += static_cast<char>(h >= 256 ? 0 : h);
    dir += std::string("\0\0", 2);
    Put16(dir, 1);
    Put16(dir, alpha ? 32 : 8);
    Put32(dir, static_cast<uint32_t>(e.size()));
    Put32(dir, static_cast<uint32_t>(first + body.size()));
    body += e;
  }
  return dir + body;
}

TFile MakeJpegFromRows(int width, int height, TJpegInput input, int quality,
                       const std::function<const uint8_t*(int y)>& row) {
  jpeg_compress_struct c{};
  jpeg_error_mgr err{};
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = static_cast<JDIMENSION>(width);
  c.image_height = static_cast<JDIMENSION>(height);
  c.input_components = input == TJpegInput::Gray ? 1 : input == TJpegInput::Bgr ? 3 : 4;
  c.in_color_space = input == TJpegInput::Gray ? JCS_GRAYSCALE : input == TJpegInput::Bgr ? JCS_EXT_BGR : JCS_CMYK;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, quality, TRUE);
  jpeg_start_compress(&c, TRUE);
  while (c.next_scanline < c.image_height) {
    JSAMPROW rows[1] = {const_cast<uint8_t*>(row(static_cast<int>(c.next_scanline)))};
    jpeg_write_scanlines(&c, rows, 1);
  }
  jpeg_finish_compress(&c);
  TFile f(reinterpret_cast<const char*>(out), size);
  jpeg_destroy_compress(&c);
  free(out);
  return f;
}

TFile MakeJpeg(const TBitmap24& p, int quality, bool grayscale) {
  if (!grayscale) return MakeJpegFromRows(p.Width(), p.Height(), TJpegInput::Bgr, quality, [&](int y) { return p.Row(y); });
  std::vector<uint8_t> gray(static_cast<size_t>(p.Width()));
  return MakeJpegFromRows(p.Width(), p.Height(), TJpegInput::Gray, quality, [&](int y) {
    const uint8_t* row = p.Row(y);
    for (int x = 0; x < p.Width(); ++x) gray[x] = row[x * 3 + 1];
    return gray.data();
  });
}

}  // namespace vanta::test
