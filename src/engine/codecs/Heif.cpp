#include "engine/codecs/Heif.h"

#include <libheif/heif.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <memory>
#include <string>

#include "engine/codecs/PixelRows.h"

namespace vanta {
namespace {

constexpr const char* kWhat = "HEIF";

struct TContextFree {
  void operator()(heif_context* c) const { heif_context_free(c); }
};
struct THandleFree {
  void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct TImageFree {
  void operator()(heif_image* i) const { heif_image_release(i); }
};
struct TOptionsFree {
  void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};

void Check(const heif_error& e, const char* doing) {
  if (e.code == heif_error_Ok) return;
  std::string why = doing;
  if (e.message && *e.message) why += std::string(": ") + e.message;
  RefusePicture(kWhat, why);
}

// The brands a still HEIF or AVIF picture declares (major or compatible).
bool IsPictureBrand(const uint8_t* b) {
  static constexpr const char* kBrands[] = {"heic", "heix", "heim", "heis", "hevc", "hevx",
                                            "mif1", "msf1", "avif", "avis", "mif2"};
  for (const char* brand : kBrands)
    if (std::memcmp(b, brand, 4) == 0) return true;
  return false;
}

// Composes premultiplied RGBA (colour already times alpha) on the background.
void PremultipliedOntoBgrRow(const uint8_t* rgba, uint8_t* bgr, int width, TColor background) {
  const unsigned bg[3] = {background >> 16 & 0xFF, background >> 8 & 0xFF, background & 0xFF};  // b, g, r
  for (int x = 0; x < width; ++x, rgba += 4, bgr += 3) {
    const unsigned a = rgba[3];
    for (int c = 0; c < 3; ++c) {
      const unsigned v = rgba[2 - c] + (bg[c] * (255 - a) + 127) / 255;
      bgr[c] = static_cast<uint8_t>(v > 255 ? 255 : v);
    }
  }
}

}  // namespace

bool LooksLikeHeif(TBytes data) {
  if (data.size() < 16 || std::memcmp(data.data() + 4, "ftyp", 4) != 0) return false;
  const uint32_t boxSize = uint32_t{data[0]} << 24 | uint32_t{data[1]} << 16 | uint32_t{data[2]} << 8 | data[3];
  if (boxSize < 16 || boxSize > data.size()) return false;
  if (IsPictureBrand(data.data() + 8)) return true;
  for (uint32_t at = 16; at + 4 <= boxSize; at += 4)
    if (IsPictureBrand(data.data() + at)) return true;
  return false;
}

TStoredPicture DecodeHeif(TBytes data, TColor background) {
  if (!LooksLikeHeif(data)) RefusePicture(kWhat, "not a HEIF or AVIF file");
  std::unique_ptr<heif_context, TContextFree> ctx(heif_context_alloc());
  if (!ctx) RefusePicture(kWhat, "out of memory");
  heif_context_set_maximum_image_size_limit(ctx.get(), kMaxPictureSide + 1);  // the library refuses sides >= this
  Check(heif_context_read_from_memory_without_copy(ctx.get(), data.data(), data.size(), nullptr),
        "damaged or truncated file");
  heif_image_handle* raw = nullptr;
  Check(heif_context_get_primary_image_handle(ctx.get(), &raw), "no picture in the file");
  std::unique_ptr<heif_image_handle, THandleFree> handle(raw);
  // The stated size, before the library takes any memory for pixels.
  CheckPictureSize(heif_image_handle_get_width(handle.get()), heif_image_handle_get_height(handle.get()), kWhat);
  const int statedW = heif_image_handle_get_ispe_width(handle.get()), statedH = heif_image_handle_get_ispe_height(handle.get());
  CheckPictureSize(statedW, statedH, kWhat);
  // A grid's own record of its size is not checked by the library against
  // the stated one: no side may be longer than the stated longer side.
  heif_context_set_maximum_image_size_limit(ctx.get(), std::max(statedW, statedH) + 1);

  const bool alpha = heif_image_handle_has_alpha_channel(handle.get()) != 0;
  std::unique_ptr<heif_decoding_options, TOptionsFree> options(heif_decoding_options_alloc());
  if (!options) RefusePicture(kWhat, "out of memory");
  options->convert_hdr_to_8bit = 1;  // more than 8 bits a sample: the top 8 bits, as a screen shows them
  heif_image* decoded = nullptr;
  try {
    Check(heif_decode_image(handle.get(), &decoded, heif_colorspace_RGB,
                            alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get()),
          "cannot decode the picture");
  } catch (const std::bad_alloc&) {
    RefusePicture(kWhat, "out of memory");
  }
  std::unique_ptr<heif_image, TImageFree> image(decoded);
  const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
  const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
  CheckPictureSize(width, height, kWhat);
  // Turned or cropped (clean aperture), never larger than stated.
  if (int64_t{width} * height > int64_t{statedW} * statedH || std::max(width, height) > std::max(statedW, statedH))
    RefusePicture(kWhat, "picture larger than its stated size");
  int stride = 0;
  const uint8_t* pixels = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
  if (!pixels || heif_image_get_bits_per_pixel_range(image.get(), heif_channel_interleaved) != 8 ||
      stride < width * (alpha ? 4 : 3))
    RefusePicture(kWhat, "unexpected pixel layout from the decoder");

  TStoredPicture result;
  TBitmap24& bmp = result.Bitmap;
  bmp.SetSizeForOverwrite(width, height);
  const bool premultiplied = alpha && heif_image_is_premultiplied_alpha(image.get()) != 0;
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  for (int y = 0; y < height; ++y) {
    const uint8_t* in = pixels + static_cast<size_t>(stride) * static_cast<size_t>(y);
    uint8_t* out = bmp.Row(y);
    if (!alpha) {
      std::memcpy(out, in, rowBytes);
      RgbToBgrRow(out, width);
    } else if (premultiplied) {
      PremultipliedOntoBgrRow(in, out, width, background);
    } else {
      RgbaOntoBgrRow(in, out, width, background);
    }
  }
  return result;  // the container's transformations are applied: upright as decoded
}

}  // namespace vanta
