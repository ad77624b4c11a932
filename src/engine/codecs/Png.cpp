#include "engine/codecs/Png.h"

#include <spng.h>

#include <cstring>
#include <new>
#include <vector>

#include "engine/codecs/PixelRows.h"

namespace vanta {
namespace {

constexpr const char* kWhat = "PNG";
// What the ancillary chunks that libspng keeps (texts, eXIf ...) may take
// together; a file that holds more is refused rather than inflated.
constexpr size_t kChunkCacheBytes = size_t{32} << 20;

struct TContext {
  spng_ctx* ctx = spng_ctx_new(0);
  ~TContext() { spng_ctx_free(ctx); }
};

void Check(int ret) {
  if (ret != 0) RefusePicture(kWhat, spng_strerror(ret));
}

// Decodes row by row; `row` gives the buffer for image row y (interlaced
// files visit rows several times, each pass adding its pixels), `done`
// is called after each row of a non-interlaced file.
template <typename RowBuffer, typename RowDone>
void DecodeRows(spng_ctx* ctx, int fmt, RowBuffer row, size_t rowBytes, RowDone done) {
  Check(spng_decode_image(ctx, nullptr, 0, fmt, SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE));
  int ret;
  do {
    spng_row_info info{};
    ret = spng_get_row_info(ctx, &info);
    if (ret) break;
    ret = spng_decode_row(ctx, row(static_cast<int>(info.row_num)), rowBytes);
    if (ret == 0 || ret == SPNG_EOI) done(static_cast<int>(info.row_num));  // the last row comes with EOI
  } while (ret == 0);
  if (ret != SPNG_EOI) Check(ret);
}

int Orientation(spng_ctx* ctx) {
  spng_exif exif{};
  // The chunk may come after the image data: read the chunks that follow.
  if (spng_get_exif(ctx, &exif) != 0 && (spng_decode_chunks(ctx) != 0 || spng_get_exif(ctx, &exif) != 0))
    return kOrientationAsStored;
  return ExifOrientation(TBytes(reinterpret_cast<const uint8_t*>(exif.data), exif.length));
}

}  // namespace

bool IsPng(TBytes data) {
  static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  return data.size() >= 8 && std::memcmp(data.data(), kSignature, 8) == 0;
}

TStoredPicture DecodePng(TBytes data, TColor background) {
  if (!IsPng(data)) RefusePicture(kWhat, "not a PNG file");
  TContext c;
  if (!c.ctx) throw std::bad_alloc();
  spng_ctx* ctx = c.ctx;
  Check(spng_set_crc_action(ctx, SPNG_CRC_ERROR, SPNG_CRC_DISCARD));
  Check(spng_set_image_limits(ctx, kMaxPictureSide, kMaxPictureSide));
  Check(spng_set_chunk_limits(ctx, data.size(), kChunkCacheBytes));
  Check(spng_set_png_buffer(ctx, data.data(), data.size()));
  spng_ihdr ihdr{};
  Check(spng_get_ihdr(ctx, &ihdr));
  CheckPictureSize(ihdr.width, ihdr.height, kWhat);
  const int w = static_cast<int>(ihdr.width), h = static_cast<int>(ihdr.height);

  spng_trns trns{};
  const bool alpha = ihdr.color_type == SPNG_COLOR_TYPE_GRAYSCALE_ALPHA ||
                     ihdr.color_type == SPNG_COLOR_TYPE_TRUECOLOR_ALPHA || spng_get_trns(ctx, &trns) == 0;
  TStoredPicture result;
  result.Bitmap.SetSizeForOverwrite(w, h);  // every row is decoded or the file refused
  TBitmap24& bmp = result.Bitmap;
  const bool interlaced = ihdr.interlace_method != SPNG_INTERLACE_NONE;
  const size_t w3 = static_cast<size_t>(w) * 3, w4 = static_cast<size_t>(w) * 4;
  if (!alpha) {
    // Straight into the bitmap's rows, then red and blue swapped.
    DecodeRows(ctx, SPNG_FMT_RGB8, [&](int y) { return bmp.Row(y); }, w3, [&](int y) {
      if (!interlaced) RgbToBgrRow(bmp.Row(y), w);
    });
    if (interlaced)
      for (int y = 0; y < h; ++y) RgbToBgrRow(bmp.Row(y), w);
  } else if (!interlaced) {
    std::vector<uint8_t> rgba(w4);
    DecodeRows(ctx, SPNG_FMT_RGBA8, [&](int) { return rgba.data(); }, w4,
               [&](int y) { RgbaOntoBgrRow(rgba.data(), bmp.Row(y), w, background); });
  } else {
    // Interlaced passes add pixels to every row: the whole picture first.
    std::vector<uint8_t> rgba(w4 * static_cast<size_t>(h));
    DecodeRows(ctx, SPNG_FMT_RGBA8, [&](int y) { return rgba.data() + w4 * static_cast<size_t>(y); }, w4,
               [](int) {});
    for (int y = 0; y < h; ++y) RgbaOntoBgrRow(rgba.data() + w4 * static_cast<size_t>(y), bmp.Row(y), w, background);
  }
  result.Orientation = Orientation(ctx);
  return result;
}

}  // namespace vanta
