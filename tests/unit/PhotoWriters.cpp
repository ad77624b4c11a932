// The writers for PNG, WebP and Exif test files (declared in PictureWriters.h).
#include <webp/encode.h>

#include <array>
#include <cstring>
#include <stdexcept>

#include "PictureWriters.h"

namespace vanta::test {
namespace {

void PutBE32(TFile& f, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) f += static_cast<char>(v >> s & 255);
}

uint32_t Crc32(const std::string& bytes) {
  uint32_t c = 0xFFFFFFFF;
  for (unsigned char b : bytes) {
    c ^= b;
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320 ^ (c >> 1) : c >> 1;
  }
  return ~c;
}

// A zlib stream of stored blocks.
std::string StoredZlib(const std::string& raw) {
  std::string z = "\x78\x01";
  uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  size_t pos = 0;
  do {
    const size_t n = std::min<size_t>(65535, raw.size() - pos);
    z += static_cast<char>(pos + n == raw.size() ? 1 : 0);
    Put16(z, static_cast<uint32_t>(n));
    Put16(z, static_cast<uint32_t>(~n & 0xFFFF));
    z += raw.substr(pos, n);
    pos += n;
  } while (pos < raw.size());
  PutBE32(z, b << 16 | a);
  return z;
}

// Rows of one image (or one interlace pass), each with filter byte 0.
void PackRows(const TPngLayout& s, int x0, int y0, int dx, int dy, std::string& out) {
  const int channels = PngChannels(s.colorType);
  for (int y = y0; y < s.height; y += dy) {
    if (x0 >= s.width) return;
    out += '\0';
    uint32_t acc = 0;
    int bits = 0;
    for (int x = x0; x < s.width; x += dx)
      for (int c = 0; c < channels; ++c) {
        const uint16_t v = s.sample(x, y, c);
        if (s.bitDepth == 16) {
          out += static_cast<char>(v >> 8);
          out += static_cast<char>(v & 255);
          continue;
        }
        acc = acc << s.bitDepth | v;
        bits += s.bitDepth;
        if (bits == 8) out += static_cast<char>(acc), acc = 0, bits = 0;
      }
    if (bits) out += static_cast<char>(acc << (8 - bits));
  }
}

}  // namespace

int PngChannels(int colorType) {
  switch (colorType) {
    case 0: case 3: return 1;
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
  }
  throw std::invalid_argument("PNG colour type");
}

TFile PngChunk(const std::string& type, const std::string& data) {
  TFile f;
  PutBE32(f, static_cast<uint32_t>(data.size()));
  f += type + data;
  PutBE32(f, Crc32(type + data));
  return f;
}

TFile MakePng(const TPngLayout& s) {
  std::string ihdr;
  PutBE32(ihdr, static_cast<uint32_t>(s.width));
  PutBE32(ihdr, static_cast<uint32_t>(s.height));
  ihdr += {static_cast<char>(s.bitDepth), static_cast<char>(s.colorType), 0, 0, static_cast<char>(s.interlaced)};
  TFile f = "\x89PNG\r\n\x1A\n" + PngChunk("IHDR", ihdr);
  for (const auto& [type, data] : s.before) f += PngChunk(type, data);
  if (!s.palette.empty()) {
    std::string plte;
    for (TColor c : s.palette) plte += {static_cast<char>(c & 255), static_cast<char>(c >> 8 & 255), static_cast<char>(c >> 16 & 255)};
    f += PngChunk("PLTE", plte);
  }
  if (!s.trns.empty()) f += PngChunk("tRNS", s.trns);
  std::string raw;
  if (!s.interlaced) {
    PackRows(s, 0, 0, 1, 1, raw);
  } else {
    constexpr int kPass[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    for (const auto& p : kPass) PackRows(s, p[0], p[1], p[2], p[3], raw);
  }
  f += PngChunk("IDAT", StoredZlib(raw));
  for (const auto& [type, data] : s.after) f += PngChunk(type, data);
  return f + PngChunk("IEND", "");
}

TFile MakePng(const TBitmap24& p, std::vector<std::pair<std::string, std::string>> before) {
  TPngLayout s;
  s.width = p.Width();
  s.height = p.Height();
  s.sample = [&p](int x, int y, int c) { return static_cast<uint16_t>(p.Row(y)[x * 3 + 2 - c]); };
  s.before = std::move(before);
  return MakePng(s);
}

TFile MakeExifTiff(int orientation, bool bigEndian) {
  TFile f = bigEndian ? "MM" : "II";
  auto u16 = [&](uint32_t v) {
    if (bigEndian) f += {static_cast<char>(v >> 8), static_cast<char>(v & 255)};
    else Put16(f, v);
  };
  auto u32 = [&](uint32_t v) {
    if (bigEndian) PutBE32(f, v);
    else Put32(f, v);
  };
  u16(42);
  u32(8);
  // Three entries, the orientation between two others (as cameras write).
  u16(3);
  u16(0x010F), u16(2), u32(4), f += std::string("Cam\0", 4);  // Make, ASCII, fits the value field
  u16(0x0112), u16(3), u32(1), u16(static_cast<uint32_t>(orientation)), u16(0);
  u16(0x011A), u16(5), u32(1), u32(50);  // XResolution, RATIONAL at offset 50
  u32(0);
  u32(72), u32(1);
  return f;
}

TFile WithJpegExif(const TFile& jpeg, const TFile& tiff) {
  const std::string body = std::string("Exif\0\0", 6) + tiff;
  TFile app1 = "\xFF\xE1";
  app1 += {static_cast<char>((body.size() + 2) >> 8), static_cast<char>((body.size() + 2) & 255)};
  return jpeg.substr(0, 2) + app1 + body + jpeg.substr(2);
}

void Put24(TFile& f, uint32_t v) {
  Put16(f, v & 0xFFFF);
  f += static_cast<char>(v >> 16 & 255);
}

TFile RiffChunk(const std::string& type, const std::string& data) {
  TFile f = type;
  Put32(f, static_cast<uint32_t>(data.size()));
  f += data;
  if (data.size() & 1) f += '\0';
  return f;
}

TFile MakeWebp(const TBitmap24& p, bool lossless, const std::vector<uint8_t>& alpha, int quality) {
  const int w = p.Width(), h = p.Height();
  std::vector<uint8_t> bgra(static_cast<size_t>(w) * h * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* q = &bgra[(static_cast<size_t>(y) * w + x) * 4];
      std::memcpy(q, p.Row(y) + x * 3, 3);
      q[3] = alpha.empty() ? 255 : alpha[static_cast<size_t>(y) * w + x];
    }
  uint8_t* out = nullptr;
  const size_t n = lossless ? WebPEncodeLosslessBGRA(bgra.data(), w, h, w * 4, &out)
                            : WebPEncodeBGRA(bgra.data(), w, h, w * 4, static_cast<float>(quality), &out);
  if (!n) throw std::runtime_error("WebP encoder failed");
  TFile f(reinterpret_cast<const char*>(out), n);
  WebPFree(out);
  return f;
}

TFile WebpWithExif(const TFile& simple, int width, int height, const TFile& exif, bool alpha) {
  TFile vp8x;
  vp8x += static_cast<char>(0x08 | (alpha ? 0x10 : 0));  // EXIF (and alpha) present
  vp8x += std::string(3, '\0');
  Put24(vp8x, static_cast<uint32_t>(width - 1));
  Put24(vp8x, static_cast<uint32_t>(height - 1));
  // A lossy picture with alpha comes in the extended layout already.
  const size_t picture = simple.compare(12, 4, "VP8X") == 0 ? 30 : 12;
  const TFile body = "WEBP" + RiffChunk("VP8X", vp8x) + simple.substr(picture) + RiffChunk("EXIF", exif);
  TFile f = "RIFF";
  Put32(f, static_cast<uint32_t>(body.size()));
  return f + body;
}

}  // namespace vanta::test
