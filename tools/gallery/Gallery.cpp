// Contact sheet of every effect 1..127: for each effect number, its frames
// at p = 25, 50 and 75 side by side between two pictures (two picture files
// scaled to the thumbnail size, or generated ones: old a cool grid, new warm
// rings), composed as the surface composes them and labelled with the
// number. Writes a binary PPM.
//
//   vanta-gallery OUT.ppm [thumb-width thumb-height [seed [OLD NEW]]]
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/MulDiv.h"
#include "base/Random.h"
#include "engine/Effects.h"
#include "engine/PictureLoader.h"

using namespace vanta;

namespace {

void MakePictures(int w, int h, TBitmap24& old, TBitmap24& fresh) {
  old.SetSize(w, h), fresh.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool line = x % 16 == 0 || y % 16 == 0;
      const int shade = 40 + 60 * (x + y) / (w + h);
      old.SetPixel(x, y, line ? 0x00C08040 : TColor(shade / 2 | (shade << 8) | ((shade + 60) << 16)));
      const double r = std::hypot(x - w / 2.0, y - h / 2.0);
      const int ring = int(r / 6) % 2;
      fresh.SetPixel(x, y, ring ? 0x0030B0F0 : 0x0060E0FF);
    }
}

// 3 x 5 digits, one row of three bits a line.
constexpr uint8_t kDigits[10][5] = {{7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7},
                                    {5, 5, 7, 1, 1}, {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1},
                                    {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}};

void DrawNumber(TBitmap24& sheet, int x, int y, int n, int scale) {
  const std::string text = std::to_string(n);
  for (char ch : text) {
    const uint8_t* glyph = kDigits[ch - '0'];
    for (int row = 0; row < 5; ++row)
      for (int col = 0; col < 3; ++col)
        if (glyph[row] & (4 >> col)) sheet.FillRect({x + col * scale, y + row * scale, x + (col + 1) * scale, y + (row + 1) * scale}, 0xFFFFFF);
    x += 4 * scale;
  }
}


}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUT.ppm [thumb-width thumb-height] [seed]\n", argv[0]);
    return 2;
  }
  const int tw = argc > 3 ? std::atoi(argv[2]) : 240, th = argc > 3 ? std::atoi(argv[3]) : 135;
  const uint32_t seed = argc > 4 ? uint32_t(std::strtoul(argv[4], nullptr, 10)) : 1;
  if (tw < 8 || th < 8 || tw > 4000 || th > 4000) {
    std::fprintf(stderr, "thumbnail size out of range\n");
    return 2;
  }
  const int kPerRow = 5, kGap = 3, kLabel = 14, kScale = 2;
  const int progress[3] = {25, 50, 75};
  int styles[128], count = 0;
  for (int s = 1; s < 128; ++s) styles[count++] = s;
  const int cellW = 3 * tw + 2 * kGap + 4 * kGap, cellH = kLabel + th + 2 * kGap;
  const int rows = (count + kPerRow - 1) / kPerRow;
  TBitmap24 sheet(kPerRow * cellW, rows * cellH), old, fresh, screen;
  sheet.Fill(0x00202020);
  if (argc > 6) {
    try {
      old = ScaleBitmap(ReadPictureFile(argv[5], 0).Bitmap, {tw, th});
      fresh = ScaleBitmap(ReadPictureFile(argv[6], 0).Bitmap, {tw, th});
    } catch (const std::exception& e) {
      std::fprintf(stderr, "%s\n", e.what());
      return 1;
    }
  } else {
    MakePictures(tw, th, old, fresh);
  }
  for (int i = 0; i < count; ++i) {
    const int cx = (i % kPerRow) * cellW + 2 * kGap, cy = (i / kPerRow) * cellH + kGap;
    DrawNumber(sheet, cx, cy, styles[i], kScale);
    for (int k = 0; k < 3; ++k) {
      SetRandSeed(seed);
      ComposeFrame(old, fresh, screen, progress[k], 5, styles[i]);
      const int ox = cx + k * (tw + kGap), oy = cy + kLabel;
      for (int y = 0; y < th; ++y) std::memcpy(sheet.Row(oy + y) + ox * 3, screen.Row(y), size_t(tw) * 3);
    }
  }
  FILE* f = std::fopen(argv[1], "wb");
  if (!f) {
    std::perror(argv[1]);
    return 1;
  }
  std::fprintf(f, "P6\n%d %d\n255\n", sheet.Width(), sheet.Height());
  std::string row(size_t(sheet.Width()) * 3, '\0');
  for (int y = 0; y < sheet.Height(); ++y) {
    const uint8_t* src = sheet.Row(y);
    for (int x = 0; x < sheet.Width(); ++x) {
      row[size_t(x) * 3] = char(src[x * 3 + 2]);
      row[size_t(x) * 3 + 1] = char(src[x * 3 + 1]);
      row[size_t(x) * 3 + 2] = char(src[x * 3]);
    }
    std::fwrite(row.data(), 1, row.size(), f);
  }
  const bool ok = std::fclose(f) == 0;
  std::printf("%s: %d effects, frames at p = 25, 50, 75\n", argv[1], count);
  return ok ? 0 : 1;
}
