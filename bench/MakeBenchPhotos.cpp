// Writes the photos that bench/picture-load-bench.sh times: a 1080p and a
// 24-megapixel photo-like picture as PNG (libspng's encoder, zlib's default
// level, as most programs save), as lossy WebP (quality 85) and, 1080p, as
// lossless WebP; and the 24-megapixel one as JPEG (quality 90) with and
// without an Exif orientation 6 (stored on its side); a 12-megapixel one
// (4032x3024, a phone's size) as HEIC in a phone's grid of tiles, as AVIF
// and as JPEG.
//
//   vanta-make-bench-photos FOLDER
#include <spng.h>
#include <webp/encode.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "HeifWriter.h"
#include "PictureWriters.h"

#include "BenchPhoto.h"

namespace {

using vanta::TBitmap24;

TBitmap24 Photo(int w, int h) { return vanta::bench::Photo(w, h, 4); }

std::vector<uint8_t> Rgb(const TBitmap24& b) {
  std::vector<uint8_t> rgb(static_cast<size_t>(b.Width()) * b.Height() * 3);
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      for (int c = 0; c < 3; ++c) rgb[(static_cast<size_t>(y) * b.Width() + x) * 3 + c] = b.Row(y)[x * 3 + 2 - c];
  return rgb;
}

bool Save(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  return static_cast<bool>(out);
}

std::string Png(const TBitmap24& b) {
  std::vector<uint8_t> rgb = Rgb(b);
  spng_ctx* ctx = spng_ctx_new(SPNG_CTX_ENCODER);
  spng_set_option(ctx, SPNG_ENCODE_TO_BUFFER, 1);
  spng_ihdr ihdr{};
  ihdr.width = static_cast<uint32_t>(b.Width());
  ihdr.height = static_cast<uint32_t>(b.Height());
  ihdr.bit_depth = 8;
  ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
  spng_set_ihdr(ctx, &ihdr);
  std::string out;
  if (spng_encode_image(ctx, rgb.data(), rgb.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE) == 0) {
    size_t size = 0;
    int error = 0;
    void* png = spng_get_png_buffer(ctx, &size, &error);
    if (png) out.assign(static_cast<const char*>(png), size);
    free(png);
  }
  spng_ctx_free(ctx);
  return out;
}

std::string Webp(const TBitmap24& b, bool lossless) {
  const std::vector<uint8_t> rgb = Rgb(b);
  uint8_t* out = nullptr;
  const size_t n = lossless ? WebPEncodeLosslessRGB(rgb.data(), b.Width(), b.Height(), b.Width() * 3, &out)
                            : WebPEncodeRGB(rgb.data(), b.Width(), b.Height(), b.Width() * 3, 85, &out);
  std::string s(reinterpret_cast<const char*>(out), n);
  WebPFree(out);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vanta-make-bench-photos FOLDER\n");
    return 2;
  }
  const std::string dir = std::string(argv[1]) + "/";
  const TBitmap24 hd = Photo(1920, 1080), big = Photo(6000, 4000), bigSideways = Photo(4000, 6000);
  bool ok = Save(dir + "photo-1080p.png", Png(hd)) && Save(dir + "photo-24mp.png", Png(big)) &&
            Save(dir + "photo-1080p.webp", Webp(hd, false)) && Save(dir + "photo-24mp.webp", Webp(big, false)) &&
            Save(dir + "photo-1080p-lossless.webp", Webp(hd, true));
  // The same stored picture, once plain and once tagged to be turned.
  const std::string jpeg = vanta::test::MakeJpeg(bigSideways, 90);
  ok = ok && Save(dir + "photo-24mp.jpg", jpeg) &&
       Save(dir + "photo-24mp-o6.jpg", vanta::test::WithJpegExif(jpeg, vanta::test::MakeExifTiff(6)));
  // A phone's photo: HEIC as a grid of 8x6 tiles, AVIF whole, JPEG for comparison.
  const TBitmap24 phone = Photo(4032, 3024);
  vanta::heifwriter::TPixels pixels{phone.Width(), phone.Height(), 8, false, {}};
  for (uint8_t v : Rgb(phone)) pixels.Samples.push_back(v);
  vanta::heifwriter::TOptions heic;
  heic.Quality = 85, heic.Columns = 8, heic.Rows = 6;
  vanta::heifwriter::TOptions avif;
  avif.Quality = 85, avif.Av1 = true;
  ok = ok && Save(dir + "photo-12mp.jpg", vanta::test::MakeJpeg(phone, 90)) &&
       Save(dir + "photo-12mp.heic", vanta::heifwriter::Encode(pixels, heic)) &&
       Save(dir + "photo-12mp.avif", vanta::heifwriter::Encode(pixels, avif));
  if (!ok) std::fprintf(stderr, "error: cannot write the photos to %s\n", argv[1]);
  return ok ? 0 : 1;
}
