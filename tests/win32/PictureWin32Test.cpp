// Metafiles of our own making, drawn by GDI, loaded at their natural size
// and put on the background colour.
#include <gtest/gtest.h>

#include "../unit/PictureWriters.h"
#include "Win32TestSupport.h"
#include "engine/PictureLoader.h"
#include "base/Text.h"
#include "engine/codecs/Exif.h"

namespace vanta {
namespace {

constexpr TColor kRed = 0x0000FF, kBlue = 0xFF0000, kGreen = 0x00FF00;

void Box(HDC dc, int l, int t, int r, int b, COLORREF c) {
  HBRUSH brush = CreateSolidBrush(c);
  HGDIOBJ oldBrush = SelectObject(dc, brush), oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
  Rectangle(dc, l, t, r + 1, b + 1);  // without a pen the right and bottom edges stay out
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(brush);
}

// A 120 x 80 pixel EMF: red on the left, blue in the middle, nothing on the right.
std::string MakeEmf(const test::TTempDir& dir) {
  const std::string path = dir.Path("own.emf");
  const RECT frame{0, 0, 3175, 2117};  // hundredths of a millimetre: 120 x 80 at 96 an inch
  HDC dc = CreateEnhMetaFileA(nullptr, path.c_str(), &frame, nullptr);
  Box(dc, 0, 0, 60, 80, kRed);
  Box(dc, 60, 0, 100, 80, kBlue);
  DeleteEnhMetaFile(CloseEnhMetaFile(dc));
  return path;
}

// A WMF whose window is 100 x 50 units: red left half, blue right half
// except a strip at the bottom right.
std::string MakeWmfBody(const test::TTempDir& dir) {
  const std::string path = dir.Path("body.wmf");
  HDC dc = CreateMetaFileA(path.c_str());
  SetWindowOrgEx(dc, 0, 0, nullptr);
  SetWindowExtEx(dc, 100, 50, nullptr);
  Box(dc, 0, 0, 50, 50, kRed);
  Box(dc, 50, 0, 100, 40, kBlue);
  DeleteMetaFile(CloseMetaFile(dc));
  return dir.Read("body.wmf");
}

std::string Placeable(const std::string& body, int16_t w, int16_t h, uint16_t inch) {
  std::string head(22, '\0');
  auto put16 = [&](size_t at, uint16_t v) {
    head[at] = static_cast<char>(v & 255);
    head[at + 1] = static_cast<char>(v >> 8);
  };
  put16(0, 0xCDD7);
  put16(2, 0x9AC6);
  put16(10, static_cast<uint16_t>(w));
  put16(12, static_cast<uint16_t>(h));
  put16(14, inch);
  uint16_t sum = 0;
  for (int i = 0; i < 20; i += 2) sum ^= static_cast<uint16_t>(static_cast<uint8_t>(head[i]) | static_cast<uint8_t>(head[i + 1]) << 8);
  put16(20, sum);
  return head + body;
}

TEST(Win32Pictures, MetafilesAtTheirNaturalSizeOnTheColour) {
  test::TTempDir dir;
  const std::string body = MakeWmfBody(dir);
  struct Probe { int x, y; TColor c; };
  struct Case {
    std::string file;
    int w, h;
    std::vector<Probe> probes;
  } cases[] = {
      {MakeEmf(dir), 120, 80, {{5, 5, kRed}, {55, 75, kRed}, {65, 40, kBlue}, {95, 5, kBlue}, {105, 40, kGreen}, {119, 79, kGreen}}},
      {dir.Write("plain.WMF", body), 100, 50, {{5, 5, kRed}, {45, 45, kRed}, {55, 5, kBlue}, {95, 35, kBlue}, {95, 47, kGreen}}},
      // 150 x 75 units at 96 an inch: the same drawing half as large again.
      {dir.Write("placeable.wmf", Placeable(body, 150, 75, 96)), 150, 75,
       {{5, 5, kRed}, {70, 70, kRed}, {80, 5, kBlue}, {145, 55, kBlue}, {145, 72, kGreen}}},
      // 2 inches by 1 inch at 1440 units an inch: 192 x 96 pixels.
      {dir.Write("twips.wmf", Placeable(body, 2880, 1440, 1440)), 192, 96, {{10, 10, kRed}, {180, 10, kBlue}, {188, 92, kGreen}}},
  };
  for (const Case& c : cases) {
    TBitmap24 b;
    ASSERT_NO_THROW(LoadPictureToBitmap(b, c.file, 0, 0, kGreen)) << c.file;
    ASSERT_EQ(b.Width(), c.w) << c.file;
    ASSERT_EQ(b.Height(), c.h) << c.file;
    for (const Probe& p : c.probes) EXPECT_EQ(b.Pixel(p.x, p.y), p.c) << c.file << " at " << p.x << "," << p.y;
  }
  // Shrunk like any other picture.
  TBitmap24 small;
  LoadPictureToBitmap(small, cases[0].file, 60, 60, kGreen);
  EXPECT_EQ(small.Width(), 60);
  EXPECT_EQ(small.Height(), 40);
}

TEST(Win32Pictures, BadMetafilesAreRefused) {
  test::TTempDir dir;
  const std::string body = MakeWmfBody(dir);
  std::string noSize = body;
  for (size_t i = 18; i + 6 <= noSize.size(); i += 2)  // turn the window extent record into an unknown one
    if (static_cast<uint8_t>(noSize[i + 4]) == 0x0C && noSize[i + 5] == 0x02) noSize[i + 4] = 0x7F;
  const char* files[][2] = {
      {"empty.emf", ""},
      {"text.emf", "this is not a metafile at all, not even close to one......"},
      {"empty.wmf", ""},
      {"text.wmf", "this is not a metafile"},
  };
  for (const auto& f : files) {
    TBitmap24 b;
    EXPECT_THROW(LoadPictureToBitmap(b, dir.Write(f[0], f[1]), 0, 0, 0), TPictureError) << f[0];
  }
  TBitmap24 b;
  EXPECT_THROW(LoadPictureToBitmap(b, dir.Write("nosize.wmf", noSize), 0, 0, 0), TPictureError);
  EXPECT_THROW(LoadPictureToBitmap(b, dir.Write("inch0.wmf", Placeable(body, 10, 10, 0)), 0, 0, 0), TPictureError);
  EXPECT_THROW(LoadPictureToBitmap(b, dir.Write("huge.wmf", Placeable(body, 32000, 32000, 96)), 0, 0, 0), TPictureError);
}

// A 4 x 2 RGBA PNG: red, blue, half-transparent green, clear / clear, clear, clear, white.
const unsigned char kPng[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00,
    0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x02, 0x08, 0x06, 0x00, 0x00, 0x00, 0x7f, 0xa8, 0x7d, 0x63, 0x00,
    0x00, 0x00, 0x19, 0x49, 0x44, 0x41, 0x54, 0x08, 0xd7, 0x5d, 0xc1, 0xb1, 0x01, 0x00, 0x00, 0x08, 0xc3,
    0xa0, 0x9c, 0xee, 0xe7, 0x74, 0x17, 0x52, 0x8a, 0x74, 0x7d, 0x30, 0xa0, 0x8c, 0x09, 0x78, 0xae, 0x54,
    0xcc, 0x55, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

TEST(Win32Pictures, PngIconEntriesDecodeThroughThePlatform) {
  test::TTempDir dir;
  std::string ico("\0\0\1\0\1\0", 6);
  ico += std::string("\4\2\0\0\1\0\x20\0", 8);
  test::Put32(ico, sizeof kPng);
  test::Put32(ico, 22);
  ico += std::string(reinterpret_cast<const char*>(kPng), sizeof kPng);
  TBitmap24 b;
  ASSERT_NO_THROW(LoadPictureToBitmap(b, dir.Write("png.ico", ico), 0, 0, 0x000000)) << "PNG icon";
  ASSERT_EQ(b.Width(), 4);
  ASSERT_EQ(b.Height(), 2);
  EXPECT_EQ(b.Pixel(0, 0), kRed);
  EXPECT_EQ(b.Pixel(1, 0), kBlue);
  EXPECT_EQ(b.Pixel(2, 0), 0x008000u);  // half of green on black
  EXPECT_EQ(b.Pixel(3, 0), 0u);
  EXPECT_EQ(b.Pixel(3, 1), 0xFFFFFFu);
  std::string broken = ico;
  broken[22 + 20] = 'X';  // damage the PNG header
  EXPECT_THROW(LoadPictureToBitmap(b, dir.Write("broken.ico", broken), 0, 0, 0), TPictureError);
}

// The readers and the cross-built libjpeg, libspng and libwebp as the
// Windows program runs them; photos stored on their side come upright.
TEST(Win32Pictures, ReadersAndJpegScalingOnWindows) {
  test::TTempDir dir;
  const TBitmap24 picture = test::ReferencePicture(96, 64);
  const TBitmap24 sideways = OrientBitmap(picture, 8);  // what orientation 6 turns back
  const std::string tag = test::MakeExifTiff(6);
  struct Case { const char* name; std::string bytes; int box; int w, h; bool exact; } cases[] = {
      {"p.JPG", test::MakeJpeg(picture, 100), 0, 96, 64, false},
      {"q.jpeg", test::MakeJpeg(picture, 90), 24, 24, 16, false},
      {"r.Gif", test::MakeGif(picture), 0, 96, 64, true},
      {"s.bmp", test::MakeBmp(picture, {4, 2}), 0, 96, 64, true},
      {"t.ico", test::MakeIco({{picture, {}, std::vector<bool>(96 * 64, false)}}), 0, 96, 64, true},
      {"u.png", test::MakePng(sideways, {{"eXIf", tag}}), 0, 96, 64, true},
      {"v.webp", test::WebpWithExif(test::MakeWebp(sideways, true), 64, 96, tag), 0, 96, 64, true},
      {"w.webp", test::MakeWebp(picture, false), 48, 48, 32, false},
      {"x.jpg", test::WithJpegExif(test::MakeJpeg(sideways, 90), tag), 48, 48, 32, false},
  };
  for (const Case& c : cases) {
    TBitmap24 b;
    ASSERT_NO_THROW(LoadPictureToBitmap(b, dir.Write(c.name, c.bytes), c.box, c.box, 0)) << c.name;
    EXPECT_EQ(b.Width(), c.w) << c.name;
    EXPECT_EQ(b.Height(), c.h) << c.name;
    if (c.exact) {
      EXPECT_TRUE(b == picture) << c.name;
    }
  }
}

// The HEIF samples made at build time beside the program (t4.heic: t3's
// lighthouse in a grid of HEVC tiles with a rotation; t5.avif: t2 in AV1)
// through the cross-built libheif, libde265 and dav1d: the same pictures
// as the JPEGs they were made from, t4 upright as t3's Exif tag stands it.
TEST(Win32Pictures, HeicAndAvifSamplesMatchTheirJpegs) {
  const std::string bin = ExtractFilePath(platform::ExecutablePath());
  struct Case { const char* heif; const char* jpeg; int w, h; } cases[] = {
      {"t4.heic", "t3.jpg", 480, 640},
      {"t5.avif", "t2.jpg", 640, 480},
  };
  for (const Case& c : cases) {
    TBitmap24 heif, jpeg;
    ASSERT_NO_THROW(LoadPictureToBitmap(heif, bin + c.heif, 0, 0, 0)) << c.heif;
    ASSERT_NO_THROW(LoadPictureToBitmap(jpeg, bin + c.jpeg, 0, 0, 0)) << c.jpeg;
    ASSERT_EQ(heif.Width(), c.w) << c.heif;
    ASSERT_EQ(heif.Height(), c.h) << c.heif;
    ASSERT_EQ(jpeg.Width(), c.w) << c.jpeg;
    double error = 0;
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w * 3; ++x) error += std::abs(heif.Row(y)[x] - jpeg.Row(y)[x]);
    EXPECT_LT(error / (c.w * 3.0 * c.h), 4.0) << c.heif;
  }
  // Cut short: refused, as everywhere else.
  test::TTempDir dir;
  std::ifstream in(bin + "t4.heic", std::ios::binary);
  const std::string whole((std::istreambuf_iterator<char>(in)), {});
  TBitmap24 b;
  EXPECT_THROW(LoadPictureToBitmap(b, dir.Write("cut.heic", whole.substr(0, whole.size() / 2)), 0, 0, 0),
               TPictureError);
}

}  // namespace
}  // namespace vanta
