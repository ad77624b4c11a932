// The icon reader on any bytes; PNG entries go to a stand-in decoder so
// that the path to the platform's decoder is covered too.
#include "PictureFuzz.h"
#include "engine/codecs/Ico.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const bool png = size > 0 && (data[size - 1] & 1);
  vanta::fuzz::Run([&] {
    return png ? vanta::DecodeIco({data, size}, 0x123456,
                                  [](vanta::TBytes bytes, vanta::TColor) {
                                    vanta::fuzz::Check(bytes.size() >= 8);
                                    return vanta::TBitmap24(1, 1);
                                  })
               : vanta::DecodeIco({data, size}, 0x123456);
  });
  return 0;
}
