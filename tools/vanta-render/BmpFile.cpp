#include "BmpFile.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <vector>

namespace vanta {

namespace {

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
void Put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
void Put16(std::vector<uint8_t>& v, uint16_t x) {
  v.push_back(static_cast<uint8_t>(x));
  v.push_back(static_cast<uint8_t>(x >> 8));
}

}  // namespace

bool ReadBmp24(const std::string& path, TBitmap24& out, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open " + path;
    return false;
  }
  const std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), {});
  if (data.size() < 54 || data[0] != 'B' || data[1] != 'M') {
    error = path + " is not a BMP file";
    return false;
  }
  const uint32_t offset = U32(&data[10]), headerSize = U32(&data[14]);
  const int32_t width = static_cast<int32_t>(U32(&data[18])), height = static_cast<int32_t>(U32(&data[22]));
  const uint16_t planes = U16(&data[26]), bits = U16(&data[28]);
  const uint32_t compression = U32(&data[30]);
  if (headerSize < 40 || planes != 1 || bits != 24 || compression != 0) {
    error = path + " is not an uncompressed 24-bit BMP";
    return false;
  }
  if (width <= 0 || height == 0 || height == std::numeric_limits<int32_t>::min()) {
    error = path + " has no pixels";
    return false;
  }
  const bool topDown = height < 0;
  const int h = topDown ? -height : height;
  const uint64_t stride = (static_cast<uint64_t>(width) * 3 + 3) & ~uint64_t{3};
  if (offset > data.size() || stride * static_cast<uint64_t>(h) > data.size() - offset) {
    error = path + " is cut short";
    return false;
  }
  try {
    out.SetSize(width, h);
  } catch (const std::exception&) {
    error = path + " is too large";
    return false;
  }
  for (int y = 0; y < h; ++y) {
    const size_t row = static_cast<size_t>(topDown ? y : h - 1 - y);
    std::memcpy(out.Row(y), &data[offset + row * stride], static_cast<size_t>(width) * 3);
  }
  return true;
}

bool WriteBmp24(const std::string& path, const TBitmap24& bmp) {
  const uint32_t stride = static_cast<uint32_t>(bmp.Stride()), image = stride * static_cast<uint32_t>(bmp.Height());
  std::vector<uint8_t> v;
  v.reserve(54 + image);
  v.push_back('B');
  v.push_back('M');
  Put32(v, 54 + image);
  Put32(v, 0);
  Put32(v, 54);
  Put32(v, 40);
  Put32(v, static_cast<uint32_t>(bmp.Width()));
  Put32(v, static_cast<uint32_t>(bmp.Height()));
  Put16(v, 1);
  Put16(v, 24);
  Put32(v, 0);
  Put32(v, image);
  Put32(v, 2835);  // 72 dots per inch
  Put32(v, 2835);
  Put32(v, 0);
  Put32(v, 0);
  for (int y = bmp.Height() - 1; y >= 0; --y) {
    const uint8_t* r = bmp.Row(y);
    v.insert(v.end(), r, r + stride);
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(v.data()), static_cast<std::streamsize>(v.size()));
  return static_cast<bool>(out.flush());
}

}  // namespace vanta
