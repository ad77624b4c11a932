// The Exif reader on any bytes: an orientation 1..8, never a read outside
// the block; and turning a small picture that way keeps every pixel.
#include "PictureFuzz.h"
#include "engine/codecs/Exif.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int o = vanta::ExifOrientation({data, size});
  vanta::fuzz::Check(o >= 1 && o <= 8);
  vanta::TBitmap24 b(3 + static_cast<int>(size % 5), 2 + static_cast<int>(size % 3));
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) b.SetPixel(x, y, static_cast<vanta::TColor>(y * 16 + x));
  const vanta::TBitmap24 turned = vanta::OrientBitmap(b, o);
  vanta::fuzz::Check(turned.Width() * turned.Height() == b.Width() * b.Height());
  // Turning back the other way (the inverse of 6 is 8, every other is its own).
  const int back = o == 6 ? 8 : o == 8 ? 6 : o;
  vanta::fuzz::Check(vanta::OrientBitmap(turned, back) == b);
  return 0;
}
