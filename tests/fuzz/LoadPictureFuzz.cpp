// Loading as a whole: the first byte picks the kind (bit 3 set: PNG or
// WebP by bit 0, else one of four by bits 0-1) and the padding mode, the
// next four a box; then decode, shrink to fit and pad as the surface
// does, twice (the second load pads to the first).
#include <optional>

#include "PictureFuzz.h"
#include "engine/PictureLoader.h"
#include "engine/codecs/Jpeg.h"

using namespace vanta;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  static const TPictureKind kKinds[] = {TPictureKind::Jpeg, TPictureKind::Gif, TPictureKind::Bmp, TPictureKind::Ico};
  const TPictureKind kind = data[0] & 8 ? (data[0] & 1 ? TPictureKind::Webp : TPictureKind::Png) : kKinds[data[0] & 3];
  const bool padToClient = data[0] & 4;
  const TPictureSize box{data[1] | (data[2] & 7) << 8, data[3] | (data[4] & 7) << 8};
  const TBytes bytes(data + 5, size - 5);
  if (kind == TPictureKind::Jpeg) {  // as in the JPEG target: large pictures are only sized
    try {
      const TJpegPicture header = ReadJpegSize(bytes);
      if (int64_t{header.NaturalWidth} * header.NaturalHeight > (1 << 20)) return 0;
    } catch (const TPictureError&) {
      return 0;
    }
  }
  std::optional<TPictureSize> prev;
  for (int round = 0; round < 2; ++round) {
    try {
      TDecodedPicture d = DecodePicture(kind, bytes, 0x808080, box);
      // Scaling tens of megapixels twice under the sanitizers takes seconds
      // and covers nothing new: large pictures stop after decoding.
      if (int64_t{d.Bitmap.Width()} * d.Bitmap.Height() > (4 << 20)) return 0;
      const TPictureSize target = ShrinkToFitSize(d.Natural, box);
      if (box.Width > 0 && box.Height > 0)
        fuzz::Check(target.Width <= std::max(box.Width, d.Natural.Width) && target.Height <= std::max(box.Height, d.Natural.Height));
      TBitmap24 picture = target == TPictureSize{d.Bitmap.Width(), d.Bitmap.Height()} ? std::move(d.Bitmap)
                                                                                     : ScaleBitmap(d.Bitmap, target);
      fuzz::Check(picture.Width() == target.Width && picture.Height() == target.Height);
      const TRect content = PadPicture(picture, prev, padToClient, box, 0x808080);
      fuzz::Check(content.Width() == target.Width && content.Height() == target.Height);
      fuzz::Check(content.Left >= 0 && content.Right <= picture.Width() && content.Bottom <= picture.Height());
    } catch (const TPictureError&) {
      return 0;
    }
  }
  return 0;
}
