#include <gtest/gtest.h>

#include "base/Bitmap.h"

namespace vanta {
namespace {

TEST(Bitmap, RowsArePaddedToFourBytes) {
  struct Case { int w, h; size_t stride; } cases[] = {{1, 1, 4}, {3, 2, 12}, {4, 1, 12}, {5, 7, 16}, {0, 5, 0}};
  for (const Case& k : cases) {
    const TBitmap24 bmp(k.w, k.h);
    EXPECT_EQ(bmp.Stride(), k.stride) << k.w;
    EXPECT_EQ(bmp.SizeBytes(), k.stride * static_cast<size_t>(k.h));
  }
}

TEST(Bitmap, PixelsAreBlueGreenRed) {
  TBitmap24 bmp(3, 2);
  bmp.SetPixel(1, 1, 0x00332211);  // red 0x11, green 0x22, blue 0x33
  const uint8_t* p = bmp.Row(1) + 3;
  EXPECT_EQ(p[0], 0x33);
  EXPECT_EQ(p[1], 0x22);
  EXPECT_EQ(p[2], 0x11);
  EXPECT_EQ(bmp.Pixel(1, 1), 0x00332211u);
  EXPECT_EQ(bmp.Pixel(0, 0), 0u);
}

TEST(Bitmap, FillRectIsClippedAndEqualityIgnoresPadding) {
  TBitmap24 a(5, 3), b(5, 3);
  a.FillRect({-2, 1, 2, 9}, 0xABCDEF);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(a.Pixel(x, y), (y >= 1 && x < 2) ? 0xABCDEFu : 0u) << x << "," << y;
  b.FillRect({0, 1, 2, 3}, 0xABCDEF);
  b.Row(0)[15] = 99;  // padding byte
  EXPECT_TRUE(a == b);
  b.SetPixel(4, 2, 1);
  EXPECT_FALSE(a == b);
}

TEST(Bitmap, RefusesSizesBeyondTheBound) {
  TBitmap24 bmp;
  EXPECT_THROW(bmp.SetSize(100000, 100000), std::length_error);
  EXPECT_TRUE(bmp.Empty());
  bmp.SetSize(-3, 4);
  EXPECT_TRUE(bmp.Empty());
}

}  // namespace
}  // namespace vanta
