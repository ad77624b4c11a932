#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "PictureWriters.h"
#include "TempDir.h"
#include "engine/FitRule.h"
#include "engine/PictureLoader.h"
#include "engine/codecs/Jpeg.h"

namespace vanta {
namespace {

TEST(PictureLoader, KindFollowsTheUpperCasedExtension) {
  struct Case { const char* name; TPictureKind kind; } cases[] = {
      {"a.jpeg", TPictureKind::Jpeg}, {"b.JPG", TPictureKind::Jpeg}, {"c.Jpg", TPictureKind::Jpeg},
      {"d.Gif", TPictureKind::Gif},   {"e.wmf", TPictureKind::Wmf},  {"f.EMF", TPictureKind::Emf},
      {"g.ico", TPictureKind::Ico},   {"h.Bmp", TPictureKind::Bmp},  {"i.png", TPictureKind::Png},
      {"i.PNG", TPictureKind::Png},   {"w.WebP", TPictureKind::Webp}, {"w.web", TPictureKind::Unknown},
      {"jpg", TPictureKind::Unknown}, {"k.jpg.txt", TPictureKind::Unknown}, {"l.jpe", TPictureKind::Unknown},
      {"dir.gif/m", TPictureKind::Unknown}, {"n.", TPictureKind::Unknown},
  };
  for (const Case& c : cases) EXPECT_EQ(PictureKindOf(c.name), c.kind) << c.name;
}

TEST(PictureLoader, ShrinkToFitSizes) {
  struct Case { TPictureSize picture, box, expect; } cases[] = {
      {{1280, 720}, {640, 480}, {640, 360}},
      {{600, 900}, {640, 480}, {320, 480}},
      {{1000, 900}, {1024, 768}, {853, 768}},
      {{640, 480}, {640, 480}, {640, 480}},   // fits exactly: left alone
      {{100, 50}, {640, 480}, {100, 50}},     // smaller: not enlarged
      {{641, 10}, {640, 480}, {640, 9}},      // Trunc(10 / (641/640)) = 9
      {{800, 600}, {400, 300}, {400, 300}},   // same shape: the box's height branch
      {{6000, 4000}, {320, 240}, {320, 213}},
      {{4000, 6000}, {1920, 1080}, {720, 1080}},
      {{10000, 1}, {100, 100}, {100, 1}},     // would truncate to 0: kept at 1
      {{1280, 720}, {0, 480}, {1280, 720}},   // no box
      {{1280, 720}, {640, -1}, {1280, 720}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ShrinkToFitSize(c.picture, c.box), c.expect) << c.picture.Width << "x" << c.picture.Height;
}

TEST(PictureLoader, FitAndFillRectangles) {
  const TRect screen{0, 0, 1024, 768};
  struct Case { TPictureSize picture; TRect box; TFitMode mode; TRect want; } cases[] = {
      {{4000, 3000}, screen, TFitMode::Fit, {0, 0, 1024, 768}},          // same shape: the whole screen
      {{4000, 3000}, screen, TFitMode::Fill, {0, 0, 1024, 768}},
      {{3000, 4000}, screen, TFitMode::Fit, {224, 0, 800, 768}},         // portrait: bars left and right
      {{3000, 4000}, screen, TFitMode::Fill, {0, -298, 1024, 1067}},     // 1365 high, 597 cut: 298 above, 299 below
      {{12000, 2000}, screen, TFitMode::Fit, {0, 299, 1024, 469}},       // panorama: 170.67 high, truncated
      {{12000, 2000}, screen, TFitMode::Fill, {-1792, 0, 2816, 768}},
      {{40, 30}, screen, TFitMode::Fit, {0, 0, 1024, 768}},              // tiny: enlarged
      {{1, 1}, screen, TFitMode::Fit, {128, 0, 896, 768}},
      {{10000, 1}, screen, TFitMode::Fit, {0, 383, 1024, 384}},          // never below a pixel
      {{1921, 1080}, {0, 0, 1920, 1080}, TFitMode::Fit, {0, 0, 1920, 1079}},  // 1079.44: the odd pixel below
      {{1919, 1081}, {0, 0, 1920, 1080}, TFitMode::Fit, {1, 0, 1918, 1080}},  // 1917.22: 3 pixels of margin
      {{1919, 1081}, {0, 0, 1920, 1080}, TFitMode::Fill, {0, 0, 1920, 1081}},  // 1081.56: one row cut below
      {{800, 600}, {10, 20, 410, 320}, TFitMode::Fit, {10, 20, 410, 320}},   // the box's own corner
      {{800, 600}, screen, TFitMode::None, {112, 84, 912, 684}},           // centred at its size
  };
  for (const Case& c : cases)
    EXPECT_EQ(FitPictureRect(c.picture, c.box, c.mode), c.want)
        << c.picture.Width << "x" << c.picture.Height << " mode " << static_cast<int>(c.mode);
}

TEST(PictureLoader, TheLoaderShrinksAFittedPictureToExactlyItsDisplaySize) {
  const TPictureSize screen{1024, 768};
  for (TPictureSize p : {TPictureSize{4000, 3000}, {3000, 4000}, {12000, 2000}, {1919, 1081}, {5000, 5001}})
    for (TFitMode mode : {TFitMode::Fit, TFitMode::Fill}) {
      const TPictureSize shrunk = ShrinkForMode(p, screen, mode);
      EXPECT_EQ(FitSize(shrunk, screen, mode), shrunk) << p.Width << "x" << p.Height;
      if (mode == TFitMode::Fit) {
        EXPECT_EQ(shrunk, ShrinkToFitSize(p, screen));
      }
    }
  EXPECT_EQ(ShrinkForMode({300, 200}, screen, TFitMode::Fill), (TPictureSize{300, 200}));  // never enlarged
  EXPECT_EQ(FitSize({300, 200}, {0, 768}, TFitMode::Fit), (TPictureSize{300, 200}));       // no box
}

TEST(PictureLoader, ScaleBitmapAveragesWhatEachPixelCovers) {
  TBitmap24 src(4, 2);
  src.SetPixel(0, 0, 0x000000);
  src.SetPixel(1, 0, 0x0000FF);
  src.SetPixel(0, 1, 0x0000FF);
  src.SetPixel(1, 1, 0x0000FF);  // left block: red (255*3 + 0)/4 = 191
  src.FillRect({2, 0, 4, 2}, 0x00FF00);
  const TBitmap24 half = ScaleBitmap(src, {2, 1});
  EXPECT_EQ(half.Pixel(0, 0), 0x0000BFu);
  EXPECT_EQ(half.Pixel(1, 0), 0x00FF00u);
  // Odd ratios keep a plain colour plain, edges included.
  TBitmap24 plain(7, 5);
  plain.Fill(0x123456);
  const TBitmap24 small = ScaleBitmap(plain, {3, 2});
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(small.Pixel(x, y), 0x123456u);
  // A whole picture into one pixel: 17.6 million white pixels overflow a 32-bit sum.
  TBitmap24 white(4200, 4200);
  white.Fill(0xFFFFFF);
  EXPECT_EQ(ScaleBitmap(white, {1, 1}).Pixel(0, 0), 0xFFFFFFu);
}

TBitmap24 Plain(int w, int h, TColor c) {
  TBitmap24 b(w, h);
  b.Fill(c);
  return b;
}

TEST(PictureLoader, PaddingFollowsThePreviousPictureOrTheClient) {
  struct Step { int w, h; bool padToClient; TPictureSize client, padded; TRect content; } steps[] = {
      {800, 600, false, {1024, 768}, {800, 600}, {0, 0, 800, 600}},       // first: its own size
      {400, 300, false, {1024, 768}, {803, 603}, {202, 152, 602, 452}},   // smaller: padded
      {1024, 768, false, {1024, 768}, {1024, 768}, {0, 0, 1024, 768}},    // larger: not
      {1024, 700, false, {1024, 768}, {1027, 771}, {2, 36, 1026, 736}},   // lower only
      {320, 180, true, {320, 240}, {323, 243}, {2, 32, 322, 212}},
      {320, 240, true, {320, 240}, {323, 243}, {2, 2, 322, 242}},         // client size: padded too
      {500, 100, true, {320, 240}, {503, 243}, {2, 72, 502, 172}},        // wider than the client
  };
  std::optional<TPictureSize> prev;
  const TColor color = 0x00AA55;
  for (const Step& s : steps) {
    TBitmap24 picture = Plain(s.w, s.h, 0xFFFFFF);
    const TRect content = PadPicture(picture, prev, s.padToClient, s.client, color);
    EXPECT_EQ(content, s.content) << s.w << "x" << s.h;
    ASSERT_EQ(picture.Width(), s.padded.Width) << s.w << "x" << s.h;
    ASSERT_EQ(picture.Height(), s.padded.Height);
    EXPECT_EQ(*prev, (TPictureSize{s.w, s.h})) << "the unpadded size is remembered";
    for (auto [x, y] : {std::pair{0, 0}, {picture.Width() - 1, picture.Height() - 1}, {content.Left, content.Top},
                              {content.Right - 1, content.Bottom - 1}, {content.Left - 1, content.Top},
                              {content.Left, content.Bottom}}) {
      if (x < 0 || y < 0 || x >= picture.Width() || y >= picture.Height()) continue;
      EXPECT_EQ(picture.Pixel(x, y), PtInRect(content, {x, y}) ? 0xFFFFFFu : color) << x << "," << y;
    }
  }
  // The very first picture is padded only with PadToClient.
  std::optional<TPictureSize> none;
  TBitmap24 first = Plain(100, 50, 1);
  EXPECT_EQ(PadPicture(first, none, false, {1000, 1000}, color), (TRect{0, 0, 100, 50}));
  EXPECT_EQ(first.Width(), 100);
}

struct TFakeSurface {
  TBitmap24 picture;
  std::optional<TPictureSize> prev;
  TRect content{-1, -1, -1, -1};
  TPictureSize client{640, 480};
  int changes = 0;
  TColor color = 0x0000FF;
  bool shrink = false, padToClient = false;

  bool Load(const std::string& name) {
    return LoadPictureFile({picture, prev, content, color, shrink, padToClient, false, [this] { return client; },
                            [this] { ++changes; }},
                           name);
  }
};

TEST(PictureLoader, LoadPictureShrinksPadsAndKeepsThePictureOnFailure) {
  test::TTempDir dir;
  const std::string big = dir.Write("big.JPEG", test::MakeJpeg(test::ReferencePicture(1280, 720), 85));
  const std::string small = dir.Write("small.bmp", test::MakeBmp(Plain(200, 100, 0x00FF00)));
  const std::string broken = dir.Write("broken.gif", "GIF89a\x05");
  dir.Write("odd.txt", "hello");

  TFakeSurface s;
  s.shrink = true;
  ASSERT_TRUE(s.Load(big));
  EXPECT_EQ(s.picture.Width(), 640);
  EXPECT_EQ(s.picture.Height(), 360);
  EXPECT_EQ(s.content, (TRect{0, 0, 640, 360}));
  EXPECT_GE(s.changes, 1);

  ASSERT_TRUE(s.Load(small));  // padded to the 640 x 360 before it
  EXPECT_EQ(s.picture.Width(), 643);
  EXPECT_EQ(s.picture.Height(), 363);
  EXPECT_EQ(s.content, (TRect{222, 132, 422, 232}));
  EXPECT_EQ(s.picture.Pixel(0, 0), s.color);
  EXPECT_EQ(s.picture.Pixel(300, 200), 0x00FF00u);

  const TBitmap24 before = s.picture;
  const TRect contentBefore = s.content;
  const int changesBefore = s.changes;
  for (const std::string& bad : {broken, dir.Path("missing.jpg"), dir.Path("odd.txt"), dir.Path("pic.wmf")}) {
    EXPECT_FALSE(s.Load(bad)) << bad;
    EXPECT_TRUE(s.picture == before) << bad;
    EXPECT_EQ(s.content, contentBefore);
    EXPECT_EQ(s.changes, changesBefore);
  }
}

TEST(PictureLoader, ScaledJpegDecodeMatchesTheFullDecodeShrunk) {
  test::TTempDir dir;
  TBitmap24 photo(1200, 800);
  for (int y = 0; y < 800; ++y)
    for (int x = 0; x < 1200; ++x) photo.SetPixel(x, y, static_cast<TColor>((x / 5) | (y * 255 / 800) << 8 | ((x + y) % 256) << 16));
  const std::string file = dir.Write("p.jpg", test::MakeJpeg(photo, 90));
  TBitmap24 scaled, reference;
  LoadPictureToBitmap(scaled, file, 320, 240, 0);
  LoadPictureToBitmap(reference, file, 0, 0, 0);
  ASSERT_EQ(reference.Width(), 1200);
  reference = ScaleBitmap(reference, {320, 213});
  ASSERT_EQ(scaled.Width(), 320);
  ASSERT_EQ(scaled.Height(), 213);
  double error = 0;
  for (int y = 0; y < 213; ++y)
    for (int x = 0; x < 960; ++x) error += std::abs(scaled.Row(y)[x] - reference.Row(y)[x]);
  EXPECT_LT(error / (213 * 960), 6.0);
}

TEST(PictureLoader, LoadPictureToBitmapFlattensAndPassesFailuresOn) {
  test::TTempDir dir;
  const TBitmap24 picture = test::ReferencePicture(6, 4);
  const std::string gif = dir.Write("t.Gif", test::MakeGif(picture, {.transparent = 0}));  // black is transparent
  TBitmap24 out;
  LoadPictureToBitmap(out, gif, 0, 0, 0x445566);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(out.Pixel(x, y), picture.Pixel(x, y) == 0 ? 0x445566u : picture.Pixel(x, y));

  const TBitmap24 kept = out;
  LoadPictureToBitmap(out, "", 10, 10, 0);
  EXPECT_TRUE(out == kept);
  struct Case { std::string name; const char* message; } cases[] = {
      {dir.Path("none.jpg"), "not found"},
      {dir.Write("x.tif", "II*"), "unsupported picture file kind"},
      {dir.Write("x.png", "\x89PNG"), "PNG: not a PNG file"},
      {dir.Write("x.webp", "RIFF\0\0\0\0WEBPVP8 "), "WebP: "},
      {dir.Write("x.wmf", "\xD7\xCD\xC6\x9A"), "only be shown on Windows"},
      {dir.Write("x.emf", "\x01"), "only be shown on Windows"},
      {dir.Write("x.jpg", "GIF89a"), "JPEG: not a JPEG file"},
  };
  for (const Case& c : cases) {
    try {
      LoadPictureToBitmap(out, c.name, 0, 0, 0);
      ADD_FAILURE() << c.name << " loaded";
    } catch (const TPictureError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << c.name << ": " << e.what();
    }
    EXPECT_TRUE(out == kept);
  }
}

TEST(PictureLoader, SamplePicturesBesideTheProgram) {
  TBitmap24 t1, t2;
  LoadPictureToBitmap(t1, std::string(VANTA_BIN_DIR) + "/t1.jpg", 0, 0, 0);
  LoadPictureToBitmap(t2, std::string(VANTA_BIN_DIR) + "/t2.jpg", 0, 0, 0);
  EXPECT_EQ(t1.Width(), 640);
  EXPECT_EQ(t1.Height(), 480);
  EXPECT_EQ(t2.Width(), 640);
  EXPECT_EQ(t2.Height(), 480);
  EXPECT_FALSE(t1 == t2);
  // The portrait sample is stored on its side, tagged to be turned upright.
  const std::string t3 = std::string(VANTA_BIN_DIR) + "/t3.jpg";
  EXPECT_EQ(LoadPictureToBitmap(t1, t3, 0, 0, 0), (TPictureSize{480, 640}));
  EXPECT_EQ(t1.Width(), 480);
  EXPECT_EQ(t1.Height(), 640);
  std::ifstream in(t3, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const TJpegPicture stored = ReadJpegSize(test::Bytes(bytes));
  EXPECT_EQ(stored.NaturalWidth, 640);
  EXPECT_EQ(stored.Orientation, 6);
}

}  // namespace
}  // namespace vanta
