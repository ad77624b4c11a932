// Photos as people have them: the Exif orientation (JPEG, PNG, WebP), PNG
// in every colour type and bit depth, WebP lossy, lossless, with alpha and
// animated. Files are made by our own writers (PNG), libjpeg and libwebp's
// encoder; PNG results are checked against a reference decode written out
// here from the format's rules.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "PictureWriters.h"
#include "engine/PictureLoader.h"
#include "engine/codecs/Exif.h"
#include "engine/codecs/Jpeg.h"
#include "engine/codecs/Png.h"
#include "engine/codecs/Webp.h"

namespace vanta {
namespace {

using test::Bytes;
using test::TFile;

constexpr TColor kBackground = 0x503C28;  // distinct channels: a swapped pair shows

// --- Orientation -----------------------------------------------------------

// The Exif standard's words for each value: which side of the upright
// picture the stored row 0 and column 0 are on.
enum TSide { Top, Bottom, Left, Right };
constexpr std::array<std::pair<TSide, TSide>, 9> kSides = {{
    {Top, Left}, {Top, Left}, {Top, Right}, {Bottom, Right}, {Bottom, Left},
    {Left, Top}, {Right, Top}, {Right, Bottom}, {Left, Bottom},
}};

// The stored picture for an upright one, read off the table above.
TBitmap24 Stored(const TBitmap24& upright, int orientation) {
  const auto [row0, col0] = kSides[orientation];
  const bool sideways = row0 == Left || row0 == Right;
  const int uw = upright.Width(), uh = upright.Height();
  TBitmap24 s(sideways ? uh : uw, sideways ? uw : uh);
  for (int sy = 0; sy < s.Height(); ++sy)
    for (int sx = 0; sx < s.Width(); ++sx) {
      // Stored rows run along the side row 0 is on; columns across it.
      int ux, uy;
      if (!sideways) {
        uy = row0 == Top ? sy : uh - 1 - sy;
        ux = col0 == Left ? sx : uw - 1 - sx;
      } else {
        ux = row0 == Left ? sy : uw - 1 - sy;
        uy = col0 == Top ? sx : uh - 1 - sx;
      }
      s.SetPixel(sx, sy, upright.Pixel(ux, uy));
    }
  return s;
}

// The inverse: the upright picture of a stored one.
TBitmap24 Upright(const TBitmap24& stored, int orientation) {
  const bool sideways = orientation >= 5;
  TBitmap24 probe(sideways ? stored.Height() : stored.Width(), sideways ? stored.Width() : stored.Height());
  // Number every upright pixel, store the numbers, and read back where each went.
  for (int y = 0; y < probe.Height(); ++y)
    for (int x = 0; x < probe.Width(); ++x) probe.SetPixel(x, y, static_cast<TColor>(y * probe.Width() + x));
  const TBitmap24 where = Stored(probe, orientation);
  TBitmap24 u(probe.Width(), probe.Height());
  for (int y = 0; y < where.Height(); ++y)
    for (int x = 0; x < where.Width(); ++x) {
      const TColor n = where.Pixel(x, y);
      u.SetPixel(static_cast<int>(n % probe.Width()), static_cast<int>(n / probe.Width()), stored.Pixel(x, y));
    }
  return u;
}

TEST(ExifOrientation, ReadsTheTagOrFallsBackToAsStored) {
  const TFile le = test::MakeExifTiff(6), be = test::MakeExifTiff(8, true);
  auto with = [](TFile f, size_t at, std::string bytes) { return f.replace(at, bytes.size(), bytes); };
  struct Case { const char* name; TFile tiff; int expect; } cases[] = {
      {"little-endian", le, 6},
      {"big-endian", be, 8},
      {"with Exif prefix", std::string("Exif\0\0", 6) + le, 6},
      {"every value", test::MakeExifTiff(3), 3},
      {"value 0", test::MakeExifTiff(0), 1},
      {"value 9", test::MakeExifTiff(9), 1},
      {"value high byte (wrong order)", with(le, 30, std::string("\0\x06", 2)), 1},
      {"type LONG", with(le, 24, std::string("\x04\0", 2)), 1},
      {"count 2", with(le, 26, std::string("\x02\0", 2)), 1},
      {"other tag", with(le, 22, std::string("\x13\x01", 2)), 1},
      {"no magic 42", with(le, 2, std::string("\x2B\0", 2)), 1},
      {"mixed byte order", with(le, 0, "MI"), 1},
      {"IFD offset past the end", with(le, 4, std::string("\xF0\0\0\0", 4)), 1},
      {"IFD offset huge", with(le, 4, "\xFF\xFF\xFF\xFF"), 1},
      {"entry count beyond the data", with(le, 8, std::string("\xFF\0", 2)), 6},  // the tag comes before the end
      {"cut inside the tag", le.substr(0, 30), 1},
      {"header only", le.substr(0, 8), 1},
      {"empty", "", 1},
  };
  const char* corpus = std::getenv("VANTA_WRITE_CORPUS");  // seeds for the Exif fuzz target
  int n = 0;
  for (const Case& c : cases) {
    EXPECT_EQ(ExifOrientation(Bytes(c.tiff)), c.expect) << c.name;
    if (corpus) {
      std::filesystem::create_directories(std::string(corpus) + "/exif");
      std::ofstream(std::string(corpus) + "/exif/seed-" + std::to_string(n++), std::ios::binary) << c.tiff;
    }
  }
}

TEST(Orientation, OrientBitmapMatchesTheExifTable) {
  const TBitmap24 upright = test::ReferencePicture(7, 4);
  for (int o = 1; o <= 8; ++o) EXPECT_TRUE(OrientBitmap(Stored(upright, o), o) == upright) << o;
  // Larger than a tile, odd sizes: the tiled turn meets itself.
  TBitmap24 big(77, 45);
  for (int y = 0; y < 45; ++y)
    for (int x = 0; x < 77; ++x) big.SetPixel(x, y, static_cast<TColor>(x | y << 8 | ((x * y) & 255) << 16));
  for (int o = 1; o <= 8; ++o) EXPECT_TRUE(OrientBitmap(Stored(big, o), o) == big) << o;
  EXPECT_TRUE(OrientBitmap(big, 0) == big);
  EXPECT_TRUE(OrientBitmap(big, 9) == big);
}

TEST(Orientation, TurningWhileDecodingMatchesTurningAfter) {
  TBitmap24 stored(45, 70);
  for (int y = 0; y < 70; ++y)
    for (int x = 0; x < 45; ++x) stored.SetPixel(x, y, static_cast<TColor>(x * 5 | y << 9 | (x ^ y) << 17));
  for (int o = 2; o <= 8; ++o)
    for (int stripRows : {1, 7, 32, 70}) {
      TUprightWriter writer(45, 70, o);
      for (int first = 0; first < 70; first += stripRows)
        writer.Put(first, std::min(stripRows, 70 - first), stored.Row(first), stored.Stride());
      EXPECT_TRUE(writer.Take() == OrientBitmap(stored, o)) << "orientation " << o << ", strips of " << stripRows;
    }
}

TEST(Orientation, EveryKindShowsTheSameUprightPicture) {
  const TBitmap24 upright = test::ReferencePicture(7, 4);  // differs on every row and column
  for (int o = 1; o <= 8; ++o) {
    const TBitmap24 stored = Stored(upright, o);
    const TFile tiff = test::MakeExifTiff(o, o % 2 == 0);
    struct Case { const char* kind; TPictureKind k; TFile file; } cases[] = {
        {"PNG eXIf before IDAT", TPictureKind::Png, test::MakePng(stored, {{"eXIf", tiff}})},
        {"WebP EXIF", TPictureKind::Webp,
         test::WebpWithExif(test::MakeWebp(stored, true), stored.Width(), stored.Height(), tiff)},
    };
    for (const Case& c : cases) {
      const TDecodedPicture d = DecodePicture(c.k, Bytes(c.file), kBackground);
      EXPECT_TRUE(d.Bitmap == upright) << c.kind << " orientation " << o;
      EXPECT_EQ(d.Natural, (TPictureSize{7, 4})) << c.kind << " orientation " << o;
    }
    // eXIf after the image data counts too.
    test::TPngLayout after;
    after.width = stored.Width(), after.height = stored.Height();
    after.sample = [&](int x, int y, int c) { return static_cast<uint16_t>(stored.Row(y)[x * 3 + 2 - c]); };
    after.after = {{"eXIf", tiff}};
    EXPECT_TRUE(DecodePicture(TPictureKind::Png, Bytes(test::MakePng(after)), 0).Bitmap == upright) << o;
  }
}

TEST(Orientation, JpegIsTurnedAfterDecodingAndScaling) {
  TBitmap24 upright(48, 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 48; ++x) upright.SetPixel(x, y, x < 16 ? 0x0000FF : y < 16 ? 0x00FF00 : 0xFF0000);
  for (int o = 1; o <= 8; ++o) {
    const TFile file = test::WithJpegExif(test::MakeJpeg(Stored(upright, o), 95), test::MakeExifTiff(o, o > 4));
    const TJpegPicture asStored = DecodeJpeg(Bytes(file));
    EXPECT_EQ(asStored.Orientation, o);
    const TDecodedPicture d = DecodePicture(TPictureKind::Jpeg, Bytes(file), 0);
    EXPECT_TRUE(d.Bitmap == Upright(asStored.Bitmap, o)) << o;
    EXPECT_EQ(d.Natural, (TPictureSize{48, 32})) << o;
    // Lossy, but the upright colour blocks are where they belong.
    EXPECT_NEAR(static_cast<int>(d.Bitmap.Pixel(4, 28) & 0xFF), 255, 24) << o;
    EXPECT_NEAR(static_cast<int>(d.Bitmap.Pixel(40, 4) >> 8 & 0xFF), 255, 24) << o;
    EXPECT_NEAR(static_cast<int>(d.Bitmap.Pixel(40, 28) >> 16 & 0xFF), 255, 24) << o;
    // A box of 24 x 16 upright: the decoder works at half size on the stored
    // picture, whichever way it lies, and the result is upright.
    const TDecodedPicture half = DecodePicture(TPictureKind::Jpeg, Bytes(file), 0, {24, 16});
    EXPECT_EQ(half.Natural, (TPictureSize{48, 32})) << o;
    EXPECT_EQ(half.Bitmap.Width(), 24) << o;
    EXPECT_EQ(half.Bitmap.Height(), 16) << o;
    EXPECT_TRUE(half.Bitmap == Upright(DecodeJpeg(Bytes(file), o >= 5 ? 16 : 24, o >= 5 ? 24 : 16).Bitmap, o)) << o;
  }
}

// --- PNG -------------------------------------------------------------------

// Sample values that cover the bit depth's range, different per channel.
uint16_t Sample(int x, int y, int c, int bits) {
  const uint32_t h = (static_cast<uint32_t>(x) * 73856093u) ^ (static_cast<uint32_t>(y) * 19349663u) ^ (c * 83492791u);
  return static_cast<uint16_t>((h ^ h >> 13) & ((1u << bits) - 1));
}

// What a pixel must become: samples to 8 bits (16-bit: the high byte;
// fewer bits: scaled to 0..255), transparency from the alpha channel or
// tRNS, then laid on the background.
TColor Reference(const test::TPngLayout& s, int x, int y) {
  const int bits = s.bitDepth;
  auto to8 = [&](uint16_t v) -> unsigned { return bits == 16 ? v >> 8 : bits == 8 ? v : v * 255 / ((1u << bits) - 1); };
  auto trnsAt = [&](int i) { return static_cast<uint16_t>(static_cast<uint8_t>(s.trns[i * 2]) << 8 | static_cast<uint8_t>(s.trns[i * 2 + 1])); };
  unsigned r, g, b, a = 255;
  const uint16_t s0 = s.sample(x, y, 0);
  switch (s.colorType) {
    case 0:
      r = g = b = to8(s0);
      if (!s.trns.empty() && s0 == trnsAt(0)) a = 0;
      break;
    case 2: {
      const uint16_t s1 = s.sample(x, y, 1), s2 = s.sample(x, y, 2);
      r = to8(s0), g = to8(s1), b = to8(s2);
      if (!s.trns.empty() && s0 == trnsAt(0) && s1 == trnsAt(1) && s2 == trnsAt(2)) a = 0;
      break;
    }
    case 3:
      r = s.palette[s0] & 255, g = s.palette[s0] >> 8 & 255, b = s.palette[s0] >> 16 & 255;
      if (s0 < s.trns.size()) a = static_cast<uint8_t>(s.trns[s0]);
      break;
    case 4:
      r = g = b = to8(s0);
      a = to8(s.sample(x, y, 1));
      break;
    default:
      r = to8(s0), g = to8(s.sample(x, y, 1)), b = to8(s.sample(x, y, 2));
      a = to8(s.sample(x, y, 3));
  }
  auto blend = [&](unsigned fg, unsigned bg) { return (fg * a + bg * (255 - a) + 127) / 255; };
  return blend(r, kBackground & 255) | blend(g, kBackground >> 8 & 255) << 8 | blend(b, kBackground >> 16 & 255) << 16;
}

TEST(PngReader, EveryColourTypeAndBitDepthAgainstTheReference) {
  const std::pair<int, std::vector<int>> kinds[] = {
      {0, {1, 2, 4, 8, 16}}, {2, {8, 16}}, {3, {1, 2, 4, 8}}, {4, {8, 16}}, {6, {8, 16}}};
  int checked = 0;
  for (const auto& [type, depths] : kinds)
    for (int bits : depths)
      for (bool interlaced : {false, true})
        for (bool trns : {false, true}) {
          if (trns && (type == 4 || type == 6)) continue;  // these have their own alpha
          test::TPngLayout s;
          s.width = 13, s.height = 9, s.colorType = type, s.bitDepth = bits, s.interlaced = interlaced;
          const int entries = type == 3 ? std::min(1 << bits, 37) : 0;
          s.sample = [=](int x, int y, int c) {
            return static_cast<uint16_t>(type == 3 ? Sample(x, y, c, 16) % entries : Sample(x, y, c, bits));
          };
          for (int i = 0; i < entries; ++i) s.palette.push_back(static_cast<TColor>(i * 0x0A1B2C + 0x102030) & 0xFFFFFF);
          if (trns && type == 3) {
            for (int i = 0; i < entries / 2 + 1; ++i) s.trns += static_cast<char>(i * 97 % 256);  // a short table
          } else if (trns) {
            // The colour of pixel (1, 0) is the transparent one.
            for (int c = 0; c < (type == 2 ? 3 : 1); ++c) {
              const uint16_t v = s.sample(1, 0, c);
              s.trns += {static_cast<char>(v >> 8), static_cast<char>(v & 255)};
            }
          }
          const std::string name = "type " + std::to_string(type) + " bits " + std::to_string(bits) +
                                   (interlaced ? " interlaced" : "") + (trns ? " tRNS" : "");
          TStoredPicture p;
          ASSERT_NO_THROW(p = DecodePng(Bytes(test::MakePng(s)), kBackground)) << name;
          ASSERT_EQ(p.Bitmap.Width(), 13) << name;
          ASSERT_EQ(p.Bitmap.Height(), 9) << name;
          EXPECT_EQ(p.Orientation, 1) << name;
          int wrong = 0;
          for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 13; ++x) wrong += p.Bitmap.Pixel(x, y) != Reference(s, x, y);
          EXPECT_EQ(wrong, 0) << name;
          if (trns && type != 3) {
            EXPECT_EQ(p.Bitmap.Pixel(1, 0), kBackground) << name;
          }
          ++checked;
        }
  EXPECT_EQ(checked, 2 * (5 + 2 + 4) * 2 + 2 * 4);
}

TEST(PngReader, AnimatedPngShowsItsFirstFrame) {
  const TBitmap24 first = test::ReferencePicture(6, 5), second = test::ReferencePicture(5, 6);
  auto be32 = [](std::initializer_list<uint32_t> values) {
    std::string s;
    for (uint32_t v : values) s += {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
    return s;
  };
  const std::string frameControl = be32({0, 6, 5, 0, 0}) + std::string("\0\x0A\0\x64\0\0", 6);
  const TFile secondFrame = test::MakePng(second);
  const TFile file = test::MakePng(
      first, {{"acTL", be32({2, 0})}, {"fcTL", frameControl}});
  // The second frame's data after the first: an fcTL and an fdAT chunk.
  const size_t iend = file.size() - 12;
  const TFile animated = file.substr(0, iend) + test::PngChunk("fcTL", be32({1, 6, 5, 0, 0}) + std::string("\0\x0A\0\x64\0\0", 6)) +
                         test::PngChunk("fdAT", be32({2}) + secondFrame.substr(secondFrame.find("IDAT") + 4, 40)) +
                         file.substr(iend);
  EXPECT_TRUE(DecodePng(Bytes(animated), 0).Bitmap == first);
}

// --- WebP ------------------------------------------------------------------

TBitmap24 Smooth(int w, int h) {
  TBitmap24 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, static_cast<TColor>((x * 255 / w) | (y * 255 / h) << 8 | 0x80 << 16));
  return b;
}

std::vector<uint8_t> Ramp(int w, int h) {
  std::vector<uint8_t> a(static_cast<size_t>(w) * h);
  for (size_t i = 0; i < a.size(); ++i) a[i] = static_cast<uint8_t>(i % 3 == 0 ? 0 : i % 3 == 1 ? 255 : i * 37 % 256);
  return a;
}

TBitmap24 OnBackground(const TBitmap24& p, const std::vector<uint8_t>& alpha) {
  TBitmap24 out(p.Width(), p.Height());
  for (int y = 0; y < p.Height(); ++y)
    for (int x = 0; x < p.Width(); ++x) {
      const unsigned a = alpha[static_cast<size_t>(y) * p.Width() + x];
      const TColor c = p.Pixel(x, y);
      TColor r = 0;
      for (int s = 0; s < 24; s += 8) r |= ((c >> s & 255) * a + (kBackground >> s & 255) * (255 - a) + 127) / 255 << s;
      out.SetPixel(x, y, r);
    }
  return out;
}

double MeanError(const TBitmap24& a, const TBitmap24& b) {
  double e = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width() * 3; ++x) e += std::abs(a.Row(y)[x] - b.Row(y)[x]);
  return e / (a.Width() * 3.0 * a.Height());
}

TEST(WebpReader, LossyLosslessAndAlpha) {
  const TBitmap24 picture = Smooth(40, 24);
  const std::vector<uint8_t> alpha = Ramp(40, 24);
  struct Case { const char* name; TFile file; TBitmap24 expect; double tolerance; } cases[] = {
      {"lossless", test::MakeWebp(picture, true), picture, 0},
      {"lossless alpha", test::MakeWebp(picture, true, alpha), OnBackground(picture, alpha), 0},
      {"lossy", test::MakeWebp(picture, false), picture, 3},
      {"lossy alpha", test::MakeWebp(picture, false, alpha), OnBackground(picture, alpha), 3},
  };
  for (const Case& c : cases) {
    TStoredPicture p;
    ASSERT_NO_THROW(p = DecodeWebp(Bytes(c.file), kBackground)) << c.name;
    ASSERT_EQ(p.Bitmap.Width(), 40) << c.name;
    ASSERT_EQ(p.Bitmap.Height(), 24) << c.name;
    if (c.tolerance == 0) {
      EXPECT_TRUE(p.Bitmap == c.expect) << c.name;
    } else {
      EXPECT_LT(MeanError(p.Bitmap, c.expect), c.tolerance) << c.name;
    }
  }
  // Fully transparent pixels are the background exactly, even when lossy.
  const TStoredPicture lossy = DecodeWebp(Bytes(cases[3].file), kBackground);
  EXPECT_EQ(lossy.Bitmap.Pixel(0, 0), kBackground);
}

TEST(WebpReader, AnimatedWebpShowsItsFirstFrameOnTheCanvas) {
  const TBitmap24 first = test::ReferencePicture(6, 4), second = Smooth(12, 10);
  auto frame = [](int x, int y, const TBitmap24& p) {
    TFile f;
    test::Put24(f, static_cast<uint32_t>(x / 2));
    test::Put24(f, static_cast<uint32_t>(y / 2));
    test::Put24(f, static_cast<uint32_t>(p.Width() - 1));
    test::Put24(f, static_cast<uint32_t>(p.Height() - 1));
    test::Put24(f, 100);
    f += '\0';
    return test::RiffChunk("ANMF", f + test::MakeWebp(p, true).substr(12));
  };
  TFile vp8x = "\x12" + std::string(3, '\0');  // animation, alpha
  test::Put24(vp8x, 11);
  test::Put24(vp8x, 9);
  const TFile body = "WEBP" + test::RiffChunk("VP8X", vp8x) + test::RiffChunk("ANIM", std::string(6, '\0')) +
                     frame(2, 4, first) + frame(0, 0, second);
  TFile file = "RIFF";
  test::Put32(file, static_cast<uint32_t>(body.size()));
  file += body;
  const TStoredPicture p = DecodeWebp(Bytes(file), kBackground);
  ASSERT_EQ(p.Bitmap.Width(), 12);
  ASSERT_EQ(p.Bitmap.Height(), 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 12; ++x) {
      const bool inside = x >= 2 && x < 8 && y >= 4 && y < 8;
      EXPECT_EQ(p.Bitmap.Pixel(x, y), inside ? first.Pixel(x - 2, y - 4) : kBackground) << x << "," << y;
    }
}

}  // namespace
}  // namespace vanta
