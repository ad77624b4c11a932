// The GIF reader on any bytes.
#include "PictureFuzz.h"
#include "engine/codecs/Gif.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vanta::fuzz::Run([&] { return vanta::DecodeGif({data, size}, 0x00FF00FF); });
  return 0;
}
