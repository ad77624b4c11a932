#include "builder/SetupArt.h"

#include <spng.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "builder/BuildPipeline.h"
#include "builder/IconArt.h"
#include "platform/Files.h"

namespace vanta {
namespace {

// The logo's tile colour (IconArt's Logo), the ground of the pages' art.
constexpr uint32_t kArtGround = 0x2A2F6B;
// The tall page picture's shape, as the setup draws it (328 x 628).
constexpr int kArtWidth = 328, kArtHeight = 628, kSmallArtSide = 110;

void Put(std::string& s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A 32-bit icon image: the header (twice the height: the mask follows),
// the rows bottom-up, and an all-shown mask.
std::string IconBitmap(int side) {
  const TIconImage art = DrawBuilderIcon(TBuilderIcon::Logo, side);
  std::string b;
  for (uint32_t v : {40u, uint32_t(side), uint32_t(2 * side)}) Put(b, v, 4);
  Put(b, 1, 2);
  Put(b, 32, 2);
  b.append(24, '\0');
  for (int y = side - 1; y >= 0; --y)
    for (int x = 0; x < side; ++x) Put(b, art.At(x, y), 4);  // 0xAARRGGBB is BGRA in memory
  b.append(static_cast<size_t>((side + 31) / 32 * 4) * side, '\0');
  return b;
}

std::string IconPng(int side) {
  const TIconImage art = DrawBuilderIcon(TBuilderIcon::Logo, side);
  std::string rgba;
  for (uint32_t p : art.Pixels) {
    rgba += static_cast<char>((p >> 16) & 0xFF);
    rgba += static_cast<char>((p >> 8) & 0xFF);
    rgba += static_cast<char>(p & 0xFF);
    rgba += static_cast<char>(p >> 24);
  }
  std::unique_ptr<spng_ctx, void (*)(spng_ctx*)> ctx(spng_ctx_new(SPNG_CTX_ENCODER), spng_ctx_free);
  spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1);
  spng_ihdr ihdr{uint32_t(side), uint32_t(side), 8, SPNG_COLOR_TYPE_TRUECOLOR_ALPHA, 0, 0, 0};
  spng_set_ihdr(ctx.get(), &ihdr);
  if (spng_encode_image(ctx.get(), rgba.data(), rgba.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE) != 0)
    throw TBuildError("Cannot make the setup's icon");
  size_t size = 0;
  int error = 0;
  void* png = spng_get_png_buffer(ctx.get(), &size, &error);
  if (!png) throw TBuildError("Cannot make the setup's icon");
  std::string out(static_cast<const char*>(png), size);
  std::free(png);
  return out;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  if (!platform::WriteFileAtomically(path, bytes)) throw TBuildError("Cannot create file " + path);
}

}  // namespace

std::string SaverIconFile() {
  struct TImage {
    int side;
    std::string bytes;
  };
  std::vector<TImage> images;
  for (int side : {16, 24, 32, 48, 64}) images.push_back({side, IconBitmap(side)});
  images.push_back({256, IconPng(256)});
  std::string f;
  Put(f, 0, 2);
  Put(f, 1, 2);
  Put(f, uint32_t(images.size()), 2);
  size_t offset = 6 + 16 * images.size();
  for (const TImage& i : images) {
    f += static_cast<char>(i.side & 0xFF);  // 256 is written 0
    f += static_cast<char>(i.side & 0xFF);
    f.append(2, '\0');
    Put(f, 1, 2);
    Put(f, 32, 2);
    Put(f, uint32_t(i.bytes.size()), 4);
    Put(f, uint32_t(offset), 4);
    offset += i.bytes.size();
  }
  for (const TImage& i : images) f += i.bytes;
  return f;
}

std::string ArtBitmapFile(int width, int height) {
  const int side = std::max(1, std::min(width, height) * 3 / 5);
  const TIconImage logo = DrawBuilderIcon(TBuilderIcon::Logo, side);
  const int left = (width - side) / 2, top = (height - side) / 2;
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  std::string b = "BM";
  Put(b, uint32_t(54 + stride * height), 4);
  Put(b, 0, 4);
  for (uint32_t v : {54u, 40u, uint32_t(width), uint32_t(height)}) Put(b, v, 4);
  Put(b, 1, 2);
  Put(b, 24, 2);
  b.append(24, '\0');
  for (int y = height - 1; y >= 0; --y) {
    std::string row;
    for (int x = 0; x < width; ++x) {
      const bool in = x >= left && x < left + side && y >= top && y < top + side;
      const uint32_t p = in ? logo.At(x - left, y - top) : 0;
      const uint32_t a = p >> 24;
      for (int shift : {0, 8, 16}) {  // blue, green, red over the ground
        const uint32_t over = (p >> shift) & 0xFF, under = (kArtGround >> shift) & 0xFF;
        row += static_cast<char>((over * a + under * (255 - a) + 127) / 255);
      }
    }
    row.resize(stride, '\0');
    b += row;
  }
  return b;
}

TSetupArt SetupArtFiles(const std::string& compileDir, const std::string& pagePicture) {
  if (!pagePicture.empty()) return {compileDir + kSetupIconName, pagePicture, pagePicture};
  return {compileDir + kSetupIconName, compileDir + kSetupArtName, compileDir + kSetupSmallArtName};
}

void WriteSetupArt(const std::string& compileDir, const std::string& pagePicture) {
  WriteFile(compileDir + kSetupIconName, SaverIconFile());
  if (!pagePicture.empty()) return;
  WriteFile(compileDir + kSetupArtName, ArtBitmapFile(kArtWidth, kArtHeight));
  WriteFile(compileDir + kSetupSmallArtName, ArtBitmapFile(kSmallArtSide, kSmallArtSide));
}

}  // namespace vanta
