// The PNG reader on any bytes: a bitmap within the bound, or a refusal.
#include "PictureFuzz.h"
#include "engine/codecs/Png.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vanta::fuzz::Run([&] {
    vanta::TStoredPicture p = vanta::DecodePng({data, size}, 0x808080);
    vanta::fuzz::Check(p.Orientation >= 1 && p.Orientation <= 8);
    return std::move(p.Bitmap);
  });
  return 0;
}
