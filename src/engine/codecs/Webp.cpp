#include "engine/codecs/Webp.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/codecs/PixelRows.h"

namespace vanta {
namespace {

constexpr const char* kWhat = "WebP";

struct TDemux {
  WebPDemuxer* demux;
  explicit TDemux(const WebPData& data) : demux(WebPDemux(&data)) {}
  ~TDemux() { WebPDemuxDelete(demux); }
};

struct TFrame {
  WebPIterator it{};
  bool ok;
  TFrame(const WebPDemuxer* d) : ok(WebPDemuxGetFrame(d, 1, &it) != 0) {}
  ~TFrame() { WebPDemuxReleaseIterator(&it); }
};

std::string StatusText(VP8StatusCode status) {
  switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY: return "out of memory";
    case VP8_STATUS_INVALID_PARAM: return "invalid parameter";
    case VP8_STATUS_BITSTREAM_ERROR: return "damaged picture data";
    case VP8_STATUS_UNSUPPORTED_FEATURE: return "unsupported feature";
    case VP8_STATUS_NOT_ENOUGH_DATA: return "file ends before the picture does";
    default: return "cannot decode (status " + std::to_string(static_cast<int>(status)) + ")";
  }
}

int Orientation(const WebPDemuxer* d) {
  if (!(WebPDemuxGetI(d, WEBP_FF_FORMAT_FLAGS) & EXIF_FLAG)) return kOrientationAsStored;
  WebPChunkIterator chunk{};
  int orientation = kOrientationAsStored;
  if (WebPDemuxGetChunk(d, "EXIF", 1, &chunk)) orientation = ExifOrientation(TBytes(chunk.chunk.bytes, chunk.chunk.size));
  WebPDemuxReleaseChunkIterator(&chunk);
  return orientation;
}

// Decodes the frame's bitstream into `out` (width x height pixels at
// `stride`) in the given mode.
void DecodeInto(const WebPData& bits, WEBP_CSP_MODE mode, uint8_t* out, int stride, int width, int height) {
  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config)) RefusePicture(kWhat, "library version mismatch");
  config.output.colorspace = mode;
  config.output.is_external_memory = 1;
  config.output.u.RGBA.rgba = out;
  config.output.u.RGBA.stride = stride;
  config.output.u.RGBA.size = static_cast<size_t>(stride) * static_cast<size_t>(height - 1) +
                              static_cast<size_t>(width) * (mode == MODE_BGR ? 3 : 4);
  const VP8StatusCode status = WebPDecode(bits.bytes, bits.size, &config);
  WebPFreeDecBuffer(&config.output);
  if (status != VP8_STATUS_OK) RefusePicture(kWhat, StatusText(status));
}

}  // namespace

TStoredPicture DecodeWebp(TBytes data, TColor background) {
  if (data.size() < 12 || std::memcmp(data.data(), "RIFF", 4) != 0 || std::memcmp(data.data() + 8, "WEBP", 4) != 0)
    RefusePicture(kWhat, "not a WebP file");
  const WebPData whole{data.data(), data.size()};
  TDemux d(whole);
  if (!d.demux) RefusePicture(kWhat, "damaged or truncated file");
  const uint32_t cw = WebPDemuxGetI(d.demux, WEBP_FF_CANVAS_WIDTH), ch = WebPDemuxGetI(d.demux, WEBP_FF_CANVAS_HEIGHT);
  CheckPictureSize(cw, ch, kWhat);
  TFrame frame(d.demux);
  if (!frame.ok) RefusePicture(kWhat, "no picture in the file");
  const WebPIterator& f = frame.it;
  WebPBitstreamFeatures features;
  const VP8StatusCode status = WebPGetFeatures(f.fragment.bytes, f.fragment.size, &features);
  if (status != VP8_STATUS_OK) RefusePicture(kWhat, StatusText(status));
  if (features.width != f.width || features.height != f.height || f.x_offset < 0 || f.y_offset < 0 ||
      f.x_offset + f.width > static_cast<int>(cw) || f.y_offset + f.height > static_cast<int>(ch))
    RefusePicture(kWhat, "frame does not fit the canvas");

  TStoredPicture result;
  TBitmap24& bmp = result.Bitmap;
  bmp.SetSizeForOverwrite(static_cast<int>(cw), static_cast<int>(ch));
  const bool whole_canvas = f.width == static_cast<int>(cw) && f.height == static_cast<int>(ch);
  if (!whole_canvas) bmp.Fill(background);
  uint8_t* origin = bmp.Row(f.y_offset) + static_cast<size_t>(f.x_offset) * 3;
  if (!features.has_alpha) {
    // Straight into the bitmap's rows.
    DecodeInto(f.fragment, MODE_BGR, origin, static_cast<int>(bmp.Stride()), f.width, f.height);
  } else {
    const size_t w4 = static_cast<size_t>(f.width) * 4;
    std::vector<uint8_t> rgba(w4 * static_cast<size_t>(f.height));
    DecodeInto(f.fragment, MODE_RGBA, rgba.data(), static_cast<int>(w4), f.width, f.height);
    for (int y = 0; y < f.height; ++y)
      RgbaOntoBgrRow(rgba.data() + w4 * static_cast<size_t>(y), origin + bmp.Stride() * static_cast<size_t>(y),
                     f.width, background);
  }
  result.Orientation = Orientation(d.demux);
  return result;
}

}  // namespace vanta
