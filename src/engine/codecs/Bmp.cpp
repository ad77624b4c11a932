#include "engine/codecs/Bmp.h"

#include "engine/codecs/Dib.h"

namespace vanta {

TBitmap24 DecodeBmp(TBytes data) {
  constexpr const char* kWhat = "BMP";
  TByteReader in(data, kWhat);
  if (data.size() < 2 || data[0] != 'B' || data[1] != 'M') RefusePicture(kWhat, "not a BMP file");
  in.Skip(10);
  const uint32_t offset = in.U32();
  const TDibHeader h = ReadDibHeader(in, kWhat);
  if (offset < in.Pos() || offset > data.size())
    RefusePicture(kWhat, "pixel data offset " + std::to_string(offset) + " outside the file");
  return DecodeDibPixels(h, data.subspan(offset), kWhat);
}

}  // namespace vanta
