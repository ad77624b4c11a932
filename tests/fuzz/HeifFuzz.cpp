// The HEIF reader (HEIC and AVIF through libheif) on any bytes: a bitmap
// within the bound, or a refusal.
#include "PictureFuzz.h"
#include "engine/codecs/Heif.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vanta::fuzz::Run([&] {
    vanta::TStoredPicture p = vanta::DecodeHeif({data, size}, 0x808080);
    vanta::fuzz::Check(p.Orientation == 1);
    return std::move(p.Bitmap);
  });
  return 0;
}
