// The readers on pictures that the tests write themselves and on files made
// by an independent encoder (ImageMagick's convert, when installed).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>


#include "PictureWriters.h"
#include "TempDir.h"
#include "engine/codecs/Bmp.h"
#include "engine/codecs/Gif.h"
#include "engine/codecs/Ico.h"
#include "engine/codecs/Jpeg.h"

namespace vanta {
namespace {

using test::TFile;

using test::Bytes;

TBitmap24 TwoColours(int w, int h) {
  TBitmap24 b = test::ReferencePicture(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, test::kPalette8[test::PaletteIndex(b.Pixel(x, y)) & 1]);
  return b;
}

TEST(BmpReader, EveryLayoutGivesThePicture) {
  struct Case {
    const char* name;
    test::TBmpOptions options;
    bool twoColours;
  } cases[] = {
      {"24 bottom-up", {24, 0, false, false}, false},
      {"24 top-down", {24, 0, true, false}, false},
      {"32", {32, 0, false, false}, false},
      {"32 top-down", {32, 0, true, false}, false},
      {"16 555", {16, 0, false, false}, false},
      {"16 565 bit fields", {16, 3, false, false}, false},
      {"32 bit fields RGBA order", {32, 3, false, false, {0xFF, 0xFF00, 0xFF0000}}, false},
      {"32 bit fields 10-bit", {32, 3, false, false, {0x3FF00000, 0xFFC00, 0x3FF}}, false},
      {"8 palette", {8, 0, false, false}, false},
      {"8 top-down", {8, 0, true, false}, false},
      {"4 palette", {4, 0, false, false}, false},
      {"1 palette", {1, 0, false, false}, true},
      {"RLE8", {8, 1, false, false}, false},
      {"RLE4", {4, 2, false, false}, false},
      {"core 24", {24, 0, false, true}, false},
      {"core 8", {8, 0, false, true}, false},
      {"core 1", {1, 0, false, true}, true},
  };
  for (const Case& c : cases)
    for (auto [w, h] : {std::pair{1, 1}, {7, 5}, {33, 4}}) {
      const TBitmap24 picture = c.twoColours ? TwoColours(w, h) : test::ReferencePicture(w, h);
      const TFile file = test::MakeBmp(picture, c.options);
      TBitmap24 decoded;
      ASSERT_NO_THROW(decoded = DecodeBmp(Bytes(file))) << c.name << " " << w << "x" << h;
      EXPECT_TRUE(decoded == picture) << c.name << " " << w << "x" << h;
    }
}

TEST(BmpReader, RunLengthEscapes) {
  // 4 x 3 RLE8 by hand: an absolute run, a delta that skips pixels (they
  // stay black) and the end marks.
  TFile pixels = std::string("\x00\x03\x01\x02\x03\x00", 6);  // absolute 1 2 3, padded
  pixels += std::string("\x01\x07\x00\x00", 4);               // one 7, end of line
  pixels += std::string("\x00\x02\x01\x01", 4);               // delta right 1, up 1
  pixels += std::string("\x02\x04\x00\x01", 4);               // two 4s, end of picture
  TFile header;
  test::Put32(header, 40);
  test::Put32(header, 4);
  test::Put32(header, 3);
  test::Put16(header, 1);
  test::Put16(header, 8);
  test::Put32(header, 1);
  for (int i = 0; i < 5; ++i) test::Put32(header, 0);
  for (int i = 0; i < 256; ++i) test::Put32(header, i < 8 ? ((test::kPalette8[i] & 0xFF) << 16 | (test::kPalette8[i] & 0xFF00) | test::kPalette8[i] >> 16) : 0);
  TFile file = "BM";
  test::Put32(file, static_cast<uint32_t>(14 + header.size() + pixels.size()));
  test::Put32(file, 0);
  test::Put32(file, static_cast<uint32_t>(14 + header.size()));
  file += header + pixels;
  const TBitmap24 b = DecodeBmp(Bytes(file));
  const int expect[3][4] = {{0, 4, 4, 0}, {0, 0, 0, 0}, {1, 2, 3, 7}};  // top row first
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(b.Pixel(x, y), test::kPalette8[expect[y][x]]) << x << "," << y;
}

TEST(GifReader, EveryLayoutGivesThePicture) {
  struct Case {
    const char* name;
    test::TGifOptions options;
  } cases[] = {
      {"plain", {}},
      {"interlaced", {.interlaced = true}},
      {"local colour table", {.localTable = true}},
      {"extensions skipped", {.extensions = true}},
      {"code size 8", {.minCodeSize = 8}},
  };
  for (const Case& c : cases)
    for (auto [w, h] : {std::pair{1, 1}, {9, 13}, {40, 3}}) {
      const TBitmap24 picture = test::ReferencePicture(w, h);
      TBitmap24 decoded;
      ASSERT_NO_THROW(decoded = DecodeGif(Bytes(test::MakeGif(picture, c.options)), 0x123456)) << c.name;
      EXPECT_TRUE(decoded == picture) << c.name << " " << w << "x" << h;
    }
}

TEST(GifReader, FirstImageOnTheLogicalScreenWithTransparency) {
  const TBitmap24 picture = test::ReferencePicture(5, 4);
  const TColor bg = 0x808080;
  // Colour index 7 (white) is transparent; the image sits at (2, 3) on a 10 x 8 screen.
  const TBitmap24 b = DecodeGif(Bytes(test::MakeGif(picture, {.screenW = 10, .screenH = 8, .left = 2, .top = 3, .transparent = 7})), bg);
  ASSERT_EQ(b.Width(), 10);
  ASSERT_EQ(b.Height(), 8);
  int transparentSeen = 0;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 2 && x < 7 && y >= 3 && y < 7;
      const TColor src = inside ? picture.Pixel(x - 2, y - 3) : 0;
      const bool showsBg = !inside || src == 0xFFFFFF;
      transparentSeen += inside && showsBg;
      EXPECT_EQ(b.Pixel(x, y), showsBg ? bg : src) << x << "," << y;
    }
  EXPECT_GT(transparentSeen, 0);
  // An image reaching past a too small screen widens it.
  const TBitmap24 wide = DecodeGif(Bytes(test::MakeGif(picture, {.screenW = 3, .screenH = 3, .left = 1})), bg);
  EXPECT_EQ(wide.Width(), 6);
  EXPECT_EQ(wide.Height(), 4);
}

TEST(IcoReader, BestEntryOnTheBackgroundThroughMaskOrAlpha) {
  const TColor bg = 0x204060;
  test::TIconImage small{test::ReferencePicture(16, 16), {}, std::vector<bool>(256, false)};
  test::TIconImage masked{test::ReferencePicture(32, 32), {}, std::vector<bool>(1024, false)};
  for (int i = 0; i < 1024; i += 3) masked.mask[i] = true;
  const TBitmap24 b = DecodeIco(Bytes(test::MakeIco({small, masked})), bg);
  ASSERT_EQ(b.Width(), 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x)
      EXPECT_EQ(b.Pixel(x, y), masked.mask[y * 32 + x] ? bg : masked.picture.Pixel(x, y)) << x << "," << y;

  // 32-bit entries blend by alpha: 0 is the background, 255 the pixel, 128 halfway.
  test::TIconImage alpha{TBitmap24(3, 1), {0, 128, 255}, {}};
  alpha.picture.Fill(0xFFFFFF);
  const TBitmap24 a = DecodeIco(Bytes(test::MakeIco({small, alpha})), 0x000000);
  ASSERT_EQ(a.Width(), 16);  // 16 x 16 beats 3 x 1
  const TBitmap24 only = DecodeIco(Bytes(test::MakeIco({alpha})), 0x000000);
  EXPECT_EQ(only.Pixel(0, 0), 0x000000u);
  EXPECT_EQ(only.Pixel(1, 0), 0x808080u);
  EXPECT_EQ(only.Pixel(2, 0), 0xFFFFFFu);
}

TEST(IcoReader, PngEntriesGoToThePlatformOrAreRefused) {
  TFile ico = test::MakeIco({{test::ReferencePicture(4, 4), {}, {}}});
  ico.replace(22, 8, "\x89PNG\r\n\x1a\n");
  EXPECT_THROW(DecodeIco(Bytes(ico), 0), TPictureError);
  int calls = 0;
  const TBitmap24 b = DecodeIco(Bytes(ico), 0, [&](TBytes png, TColor) {
    ++calls;
    EXPECT_EQ(png[1], 'P');
    return TBitmap24(2, 2);
  });
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(b.Width(), 2);
}

// Mean absolute difference per channel: JPEG is lossy.
double MeanError(const TBitmap24& a, const TBitmap24& b) {
  double sum = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width() * 3; ++x) sum += std::abs(a.Row(y)[x] - b.Row(y)[x]);
  return sum / (a.Width() * 3.0 * a.Height());
}

TBitmap24 Gradient(int w, int h) {
  TBitmap24 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, static_cast<TColor>((x * 255 / w) | (y * 255 / h) << 8 | 0x80 << 16));
  return b;
}

TEST(JpegReader, ColourAndGreyAtFullSize) {
  const TBitmap24 picture = Gradient(64, 48);
  const TJpegPicture colour = DecodeJpeg(Bytes(test::MakeJpeg(picture, 95)));
  ASSERT_EQ(colour.Bitmap.Width(), 64);
  ASSERT_EQ(colour.Bitmap.Height(), 48);
  EXPECT_LT(MeanError(colour.Bitmap, picture), 3.0);
  const TJpegPicture grey = DecodeJpeg(Bytes(test::MakeJpeg(picture, 95, true)));
  EXPECT_EQ(grey.Bitmap.Pixel(40, 30) & 0xFF, grey.Bitmap.Pixel(40, 30) >> 16);  // red = blue
  EXPECT_NEAR(static_cast<int>(grey.Bitmap.Pixel(40, 30) >> 8 & 0xFF), static_cast<int>(picture.Pixel(40, 30) >> 8 & 0xFF), 4);
}

TEST(JpegReader, SmallestScaleThatStillCoversTheTarget) {
  const TFile file = test::MakeJpeg(Gradient(1600, 1200), 80);
  struct Case { int minW, minH, w, h; } cases[] = {
      {0, 0, 1600, 1200},      // no target: full size
      {200, 150, 200, 150},    // 1/8 exactly
      {201, 150, 400, 300},    // one pixel more: 2/8
      {320, 240, 400, 300},
      {640, 360, 800, 600},    // 4/8
      {1000, 10, 1000, 750},   // 5/8
      {1599, 1199, 1600, 1200},
  };
  for (const Case& c : cases) {
    const TJpegPicture j = DecodeJpeg(Bytes(file), c.minW, c.minH);
    EXPECT_EQ(j.Bitmap.Width(), c.w) << c.minW;
    EXPECT_EQ(j.Bitmap.Height(), c.h) << c.minW;
    EXPECT_EQ(j.NaturalWidth, 1600);
    EXPECT_EQ(j.NaturalHeight, 1200);
  }
}

// CMYK as Adobe writes it (inks stored inverted): white, red, black.
TEST(JpegReader, AdobeCmykBecomesRgb) {
  std::vector<uint8_t> row(48 * 4);
  for (int x = 0; x < 48; ++x) {
    const uint8_t inverted[3][4] = {{255, 255, 255, 255}, {255, 0, 0, 255}, {255, 255, 255, 0}};
    std::copy_n(inverted[x / 16], 4, &row[x * 4]);
  }
  const TFile file = test::MakeJpegFromRows(48, 16, test::TJpegInput::AdobeCmyk, 100, [&](int) { return row.data(); });
  const TBitmap24 b = DecodeJpeg(Bytes(file)).Bitmap;
  const TColor expect[3] = {0xFFFFFF, 0x0000FF, 0x000000};
  for (int i = 0; i < 3; ++i)
    for (int ch = 0; ch < 24; ch += 8)
      EXPECT_NEAR(static_cast<int>(b.Pixel(i * 16 + 8, 8) >> ch & 255), static_cast<int>(expect[i] >> ch & 255), 6) << i;
}

// Files written by an independent encoder. Skipped where ImageMagick is
// not installed (bootstrap installs it).
TEST(Readers, AgreeWithAnIndependentEncoder) {
  const char* convert = "/usr/bin/convert";
  if (!std::filesystem::exists(convert)) GTEST_SKIP() << "no ImageMagick";
  test::TTempDir dir;
  const TBitmap24 picture = test::ReferencePicture(37, 23);
  TFile ppm = "P6\n37 23\n255\n";
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 37; ++x) {
      const TColor c = picture.Pixel(x, y);
      ppm += static_cast<char>(c & 255);
      ppm += static_cast<char>(c >> 8 & 255);
      ppm += static_cast<char>(c >> 16);
    }
  dir.Write("in.ppm", ppm);
  struct Case { const char* args; const char* out; } cases[] = {
      {"", "plain.gif"},
      {"-interlace GIF", "interlaced.gif"},
      {"-loop 0", "loop.gif"},
      {"", "bmp3:v3.bmp"},
      {"", "bmp2:core.bmp"},
      {"-type Palette", "bmp3:palette.bmp"},
      {"-type Palette -compress RLE", "bmp3:rle.bmp"},
      {"-define bmp:subtype=RGB565", "rgb565.bmp"},
      {"", "bmp:v5.bmp"},
      {"", "icon.ico"},
  };
  for (const Case& c : cases) {
    const std::string out = c.out, file = out.substr(out.find(':') + 1);
    const std::string cmd = std::string(convert) + " " + dir.Path("in.ppm") + " " + c.args + " " +
                            (out.find(':') != std::string::npos ? out.substr(0, out.find(':') + 1) : "") + dir.Path(file) + " 2>/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    const TFile bytes = dir.Read(file);
    TBitmap24 b;
    const std::string ext = file.substr(file.size() - 3);
    ASSERT_NO_THROW(b = ext == "gif" ? DecodeGif(Bytes(bytes), 0) : ext == "ico" ? DecodeIco(Bytes(bytes), 0) : DecodeBmp(Bytes(bytes)))
        << file;
    EXPECT_TRUE(b == picture) << file;
  }
}

}  // namespace
}  // namespace vanta
