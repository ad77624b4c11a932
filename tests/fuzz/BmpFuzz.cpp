// The BMP reader on any bytes.
#include "PictureFuzz.h"
#include "engine/codecs/Bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vanta::fuzz::Run([&] { return vanta::DecodeBmp({data, size}); });
  return 0;
}
