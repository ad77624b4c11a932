// HEIC and AVIF files made here through the build machine's libheif
// encoders (tools/samples/HeifWriter), read back through the loader.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "HeifWriter.h"
#include "PictureWriters.h"
#include "engine/PictureLoader.h"
#include "engine/codecs/Heif.h"
#include "TempDir.h"

namespace vanta {
namespace {

using heifwriter::TOptions;
using heifwriter::TPixels;
using test::Bytes;

constexpr TColor kBackground = 0x503C28;
// Four quadrants of four colours: every turn and mirror puts them apart.
constexpr TColor kQuadrants[4] = {0x2020E0, 0x20E020, 0xE02020, 0xE0E0E0};  // top left, top right, bottom left, bottom right

TBitmap24 Quadrants(int w, int h) {
  TBitmap24 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, kQuadrants[(y >= h / 2) * 2 + (x >= w / 2)]);
  return b;
}

int InverseOrientation(int o) { return o == 6 ? 8 : o == 8 ? 6 : o; }

// The bitmap's pixels as the writer takes them; `bits` > 8 scales each 8-bit value up.
TPixels PixelsOf(const TBitmap24& b, int bits = 8, const std::vector<uint8_t>& alpha = {}) {
  TPixels p{b.Width(), b.Height(), bits, !alpha.empty(), {}};
  const int scale = (1 << (bits - 8));
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      const TColor c = b.Pixel(x, y);
      for (int s : {0, 8, 16}) p.Samples.push_back(static_cast<uint16_t>((c >> s & 255) * scale + (scale - 1) / 2));
      if (p.Alpha) p.Samples.push_back(static_cast<uint16_t>(alpha[static_cast<size_t>(y) * b.Width() + x] * scale));
    }
  return p;
}

int Distance(TColor a, TColor b) {
  int d = 0;
  for (int s : {0, 8, 16}) d = std::max(d, std::abs(static_cast<int>(a >> s & 255) - static_cast<int>(b >> s & 255)));
  return d;
}

// libheif 1.15 writes no 10-bit AVIF (its AV1 encoder picks the wrong
// profile): avifenc makes those, from a 16-bit PNG, with the rotation
// property of Exif orientations 1, 3, 6 and 8.
std::string Avifenc10(const TBitmap24& stored, int orientation) {
  test::TTempDir dir;
  test::TPngLayout png;
  png.width = stored.Width(), png.height = stored.Height(), png.bitDepth = 16;
  png.sample = [&](int x, int y, int c) { return static_cast<uint16_t>(stored.Row(y)[x * 3 + 2 - c] * 257); };
  dir.Write("in.png", test::MakePng(png));
  const int irot = orientation == 3 ? 2 : orientation == 6 ? 3 : orientation == 8 ? 1 : 0;
  const std::string command = "avifenc -d 10 -y 420 -s 8 --min 0 --max 8 --irot " + std::to_string(irot) + " " +
                              dir.Path("in.png") + " " + dir.Path("out.avif") + " >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("avifenc failed (make bootstrap installs it)");
  return dir.Read("out.avif");
}

// The middle of each quadrant is its colour (lossy coding leaves the edges soft).
void ExpectQuadrants(const TBitmap24& b, const char* name) {
  const int w = b.Width(), h = b.Height();
  for (int q = 0; q < 4; ++q) {
    const int x = (q % 2) * w / 2 + w / 4, y = (q / 2) * h / 2 + h / 4;
    EXPECT_LE(Distance(b.Pixel(x, y), kQuadrants[q]), 12) << name << " quadrant " << q;
  }
}

TEST(HeifReader, PrimaryImageUprightInEveryLayout) {
  struct Case {
    const char* name;
    bool av1;
    int bits, orientation, columns, rows;  // columns and rows of the stored picture's grid
  } cases[] = {
      {"HEIC", false, 8, 1, 1, 1},
      {"HEIC portrait stored sideways", false, 8, 6, 1, 1},
      {"HEIC turned anticlockwise", false, 8, 8, 1, 1},
      {"HEIC half turn", false, 8, 3, 1, 1},
      {"HEIC mirrored left-right", false, 8, 2, 1, 1},
      {"HEIC mirrored top-bottom", false, 8, 4, 1, 1},
      {"HEIC transposed", false, 8, 5, 1, 1},
      {"HEIC transversed", false, 8, 7, 1, 1},
      {"HEIC 10-bit", false, 10, 1, 1, 1},
      {"HEIC grid 2x2", false, 8, 1, 2, 2},
      {"HEIC grid 2x3 sideways, as phones write portraits", false, 8, 6, 2, 3},
      {"HEIC grid mirrored", false, 8, 2, 3, 2},
      {"HEIC grid 10-bit", false, 10, 1, 3, 2},
      {"AVIF", true, 8, 1, 1, 1},
      {"AVIF 10-bit", true, 10, 1, 1, 1},
      {"AVIF 10-bit turned", true, 10, 6, 1, 1},
      {"AVIF grid turned", true, 8, 8, 2, 3},
  };
  // Tiles of 64x64 or more: smaller ones the HEVC encoder pads and crops.
  const TBitmap24 upright = Quadrants(384, 256);
  for (const Case& c : cases) {
    const TBitmap24 stored = OrientBitmap(upright, InverseOrientation(c.orientation));
    TOptions o;
    o.Av1 = c.av1, o.Orientation = c.orientation, o.Columns = c.columns, o.Rows = c.rows;
    const std::string file = c.av1 && c.bits > 8 ? Avifenc10(stored, c.orientation)
                                                 : heifwriter::Encode(PixelsOf(stored, c.bits), o);
    TDecodedPicture d;
    ASSERT_NO_THROW(d = DecodePicture(TPictureKind::Heif, Bytes(file), kBackground)) << c.name;
    EXPECT_EQ(d.Natural, (TPictureSize{384, 256})) << c.name;
    ASSERT_EQ(d.Bitmap.Width(), 384) << c.name;
    ExpectQuadrants(d.Bitmap, c.name);
  }
}

TEST(HeifReader, ExifOrientationIsNotAppliedASecondTime) {
  const TBitmap24 upright = Quadrants(128, 64);
  struct Case { const char* name; int properties, exif; TBitmap24 expect; } cases[] = {
      {"turned by its properties, Exif saying the same", 6, 6, upright},
      {"no properties, Exif alone: as stored", 1, 6, upright},
  };
  for (const Case& c : cases) {
    TOptions o;
    o.Orientation = c.properties;
    o.Exif = test::MakeExifTiff(c.exif);
    const TBitmap24 stored = OrientBitmap(upright, InverseOrientation(c.properties));
    const TStoredPicture p = DecodeHeif(Bytes(heifwriter::Encode(PixelsOf(stored), o)), kBackground);
    EXPECT_EQ(p.Orientation, 1) << c.name;
    ASSERT_EQ(p.Bitmap.Width(), c.expect.Width()) << c.name;
    ExpectQuadrants(OrientBitmap(p.Bitmap, 1), c.name);
  }
}

TEST(HeifReader, AlphaOnTheBackground) {
  const TBitmap24 picture = Quadrants(64, 64);
  std::vector<uint8_t> alpha(64 * 64, 255);
  for (int y = 0; y < 32; ++y) std::fill_n(alpha.begin() + y * 64, 32, 0);  // top left: clear
  for (int y = 32; y < 64; ++y) std::fill_n(alpha.begin() + y * 64 + 32, 32, 128);  // bottom right: half
  const TColor half = 0xE0E0E0 / 2 + ((kBackground >> 1) & 0x7F7F7F);
  // (The build machine's AV1 encoder writes no 10-bit alpha.)
  for (const auto& [av1, bits] : {std::pair{false, 8}, std::pair{false, 10}, std::pair{true, 8}}) {
    TOptions o;
    o.Av1 = av1;
    const TBitmap24 b =
        DecodePicture(TPictureKind::Heif, Bytes(heifwriter::Encode(PixelsOf(picture, bits, alpha), o)), kBackground).Bitmap;
    const std::string name = std::string(av1 ? "AVIF" : "HEIC") + " " + std::to_string(bits) + "-bit";
    EXPECT_LE(Distance(b.Pixel(16, 16), kBackground), 6) << name;
    EXPECT_LE(Distance(b.Pixel(48, 16), kQuadrants[1]), 12) << name;
    EXPECT_LE(Distance(b.Pixel(48, 48), half), 12) << name;
  }
}

// The first box of `type` at or after `from`: the offset of its type.
size_t FindType(const std::string& f, const char* type, size_t from = 0) { return f.find(type, from); }
void Put32(std::string& f, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) f[at + i] = static_cast<char>(v >> (24 - 8 * i));
}

TEST(HeifReader, DamagedTruncatedAndOversizedFilesAreRefused) {
  const TBitmap24 picture = Quadrants(256, 128);
  const std::string heic = heifwriter::Encode(PixelsOf(picture), {});
  TOptions gridOptions;
  gridOptions.Columns = 2, gridOptions.Rows = 2;
  const std::string grid = heifwriter::Encode(PixelsOf(picture), gridOptions);
  const auto withIspe = [](std::string f, uint32_t w, uint32_t h) {
    const size_t at = FindType(f, "ispe");
    Put32(f, at + 8, w);
    Put32(f, at + 12, h);
    return f;
  };
  const auto gridSays = [&](uint32_t w, uint32_t h) {
    std::string f = grid;
    const size_t idat = FindType(f, "idat");
    f[idat + 8] = static_cast<char>(w >> 8), f[idat + 9] = static_cast<char>(w);
    f[idat + 10] = static_cast<char>(h >> 8), f[idat + 11] = static_cast<char>(h);
    return f;
  };
  std::string garbled = heic;
  for (size_t i = FindType(heic, "mdat") + 40; i < heic.size(); i += 7) garbled[i] = static_cast<char>(garbled[i] ^ 0x5A);
  struct Case { const char* name; std::string file; } cases[] = {
      {"empty", ""},
      {"not HEIF at all", test::MakeJpeg(picture)},
      {"the header alone", heic.substr(0, 40)},
      {"cut in its boxes", heic.substr(0, heic.size() / 4)},
      {"cut in its picture data", heic.substr(0, heic.size() - 200)},
      {"grid cut in its tiles", grid.substr(0, grid.size() - 300)},
      {"wider than any picture may be", withIspe(heic, 20000, 64)},
      {"more pixels than any picture may have", withIspe(heic, 16000, 16000)},
      {"a grid claiming more than it states", gridSays(16000, 16000)},
      {"a grid of no size", gridSays(0, 0)},
      {"damaged picture data", garbled},
  };
  for (const Case& c : cases) {
    try {
      const TStoredPicture p = DecodeHeif(Bytes(c.file), kBackground);
      // Damaged data may still decode to something; never beyond the bound.
      EXPECT_STREQ(c.name, "damaged picture data");
      EXPECT_LE(p.Bitmap.Width(), 256);
    } catch (const TPictureError& e) {
      EXPECT_NE(std::string(e.what()).find("HEIF"), std::string::npos) << c.name << ": " << e.what();
    } catch (...) {
      ADD_FAILURE() << c.name << ": not a picture error";
    }
  }
}

TEST(HeifReader, TheLoaderKnowsTheExtensions) {
  for (const char* name : {"a.heic", "b.HEIF", "c.Avif"}) EXPECT_EQ(PictureKindOf(name), TPictureKind::Heif) << name;
  EXPECT_EQ(PictureKindOf("d.hei"), TPictureKind::Unknown);
}

}  // namespace
}  // namespace vanta
