// The JPEG path on any bytes: the last two bytes choose a target size, so
// the scaled decodes are covered too; a scaled picture is never smaller
// than asked (unless the whole picture is). Pictures of more than a
// megapixel are only sized: decoding them under the sanitizers takes
// seconds and finds nothing that small ones do not.
#include "PictureFuzz.h"
#include "engine/codecs/Jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int minW = size >= 2 ? data[size - 2] : 0, minH = size >= 2 ? data[size - 1] : 0;
  try {
    const vanta::TJpegPicture header = vanta::ReadJpegSize({data, size});
    if (int64_t{header.NaturalWidth} * header.NaturalHeight > (1 << 20)) return 0;
  } catch (const vanta::TPictureError&) {
    return 0;
  }
  vanta::fuzz::Run([&] {
    vanta::TJpegPicture j = vanta::DecodeJpeg({data, size}, minW, minH);
    const bool full = j.Bitmap.Width() == j.NaturalWidth && j.Bitmap.Height() == j.NaturalHeight;
    vanta::fuzz::Check(full || (j.Bitmap.Width() >= minW && j.Bitmap.Height() >= minH));
    return std::move(j.Bitmap);
  });
  return 0;
}
