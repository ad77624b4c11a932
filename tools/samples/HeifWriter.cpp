#include "HeifWriter.h"

#include <libheif/heif.h>

#include <cstring>
#include <memory>
#include <stdexcept>

namespace vanta::heifwriter {
namespace {

void Check(const heif_error& e, const char* what) {
  if (e.code != heif_error_Ok) throw std::runtime_error(std::string(what) + ": " + (e.message ? e.message : "?"));
}

struct TContext {
  heif_context* ctx = heif_context_alloc();
  ~TContext() { heif_context_free(ctx); }
};

heif_image* MakeImage(const TPixels& p, int x0, int y0, int w, int h) {
  const int channels = p.Alpha ? 4 : 3;
  const heif_chroma chroma = p.Bits == 8 ? (p.Alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB)
                                         : (p.Alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE);
  heif_image* image = nullptr;
  Check(heif_image_create(w, h, heif_colorspace_RGB, chroma, &image), "image");
  Check(heif_image_add_plane(image, heif_channel_interleaved, w, h, p.Bits), "plane");
  int stride = 0;
  uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w * channels; ++x) {
      const uint16_t v = p.Samples[(static_cast<size_t>(y0 + y) * p.Width + x0) * channels + x];
      if (p.Bits == 8) {
        plane[y * stride + x] = static_cast<uint8_t>(v);
      } else {
        plane[y * stride + 2 * x] = static_cast<uint8_t>(v);
        plane[y * stride + 2 * x + 1] = static_cast<uint8_t>(v >> 8);
      }
    }
  return image;
}

heif_error WriteToString(heif_context*, const void* data, size_t size, void* out) {
  static_cast<std::string*>(out)->append(static_cast<const char*>(data), size);
  return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

// One picture (or tile) as a whole file.
std::string EncodeOne(const TPixels& p, int x0, int y0, int w, int h, const TOptions& o, int orientation) {
  TContext c;
  heif_encoder* encoder = nullptr;
  Check(heif_context_get_encoder_for_format(c.ctx, o.Av1 ? heif_compression_AV1 : heif_compression_HEVC, &encoder),
        "encoder");
  if (o.Lossless) heif_encoder_set_lossless(encoder, 1);
  if (o.Av1) {
    heif_encoder_set_parameter_integer(encoder, "speed", 6);  // aom's default takes minutes on a photo
    // The build machine's aom asserts on 10-bit 4:2:0 through libheif.
    if (p.Bits > 8) heif_encoder_set_parameter_string(encoder, "chroma", "444");
  }
  heif_encoder_set_lossy_quality(encoder, o.Quality);
  heif_image* image = MakeImage(p, x0, y0, w, h);
  heif_encoding_options* options = heif_encoding_options_alloc();
  options->image_orientation = static_cast<heif_orientation>(orientation);
  options->macOS_compatibility_workaround = 0;
  heif_image_handle* handle = nullptr;
  const heif_error e = heif_context_encode_image(c.ctx, image, encoder, options, &handle);
  heif_encoding_options_free(options);
  heif_image_release(image);
  heif_encoder_release(encoder);
  Check(e, "encode");
  if (!o.Exif.empty()) Check(heif_context_add_exif_metadata(c.ctx, handle, o.Exif.data(), static_cast<int>(o.Exif.size())), "exif");
  heif_image_handle_release(handle);
  std::string out;
  heif_writer writer{1, WriteToString};
  Check(heif_context_write(c.ctx, &writer, &out), "write");
  return out;
}

// --- the boxes of a grid file ---

void Put32(std::string& s, uint32_t v) {
  for (int i = 3; i >= 0; --i) s += static_cast<char>(v >> (8 * i));
}
void Put16(std::string& s, uint32_t v) {
  s += static_cast<char>(v >> 8);
  s += static_cast<char>(v);
}
std::string Box(const char* type, const std::string& body) {
  std::string b;
  Put32(b, static_cast<uint32_t>(body.size() + 8));
  return b + type + body;
}
std::string FullBox(const char* type, uint8_t version, uint32_t flags, const std::string& body) {
  std::string head;
  Put32(head, uint32_t{version} << 24 | flags);
  return Box(type, head + body);
}
uint32_t Get32(const std::string& s, size_t at) {
  return uint32_t{static_cast<uint8_t>(s[at])} << 24 | uint32_t{static_cast<uint8_t>(s[at + 1])} << 16 |
         uint32_t{static_cast<uint8_t>(s[at + 2])} << 8 | static_cast<uint8_t>(s[at + 3]);
}
// The child box `type` within [from, to) of s: its offset, or npos.
size_t FindBox(const std::string& s, size_t from, size_t to, const char* type) {
  while (from + 8 <= to) {
    const uint32_t size = Get32(s, from);
    if (size < 8) break;
    if (s.compare(from + 4, 4, type) == 0) return from;
    from += size;
  }
  return std::string::npos;
}

// The coded tile: its codec configuration box and its one extent's bytes.
struct TTile {
  std::string Config, Data;
};
TTile ParseTile(const std::string& f) {
  const size_t meta = FindBox(f, 0, f.size(), "meta");
  const size_t metaEnd = meta + Get32(f, meta), inner = meta + 12;
  const size_t iprp = FindBox(f, inner, metaEnd, "iprp");
  const size_t ipco = FindBox(f, iprp + 8, iprp + Get32(f, iprp), "ipco");
  size_t config = FindBox(f, ipco + 8, ipco + Get32(f, ipco), "hvcC");
  if (config == std::string::npos) config = FindBox(f, ipco + 8, ipco + Get32(f, ipco), "av1C");
  const size_t iloc = FindBox(f, inner, metaEnd, "iloc");
  if (config == std::string::npos || iloc == std::string::npos) throw std::runtime_error("tile: unexpected layout");
  // An encoder that pads a small tile crops it back with a clean aperture,
  // which a grid's tiles may not have.
  if (FindBox(f, ipco + 8, ipco + Get32(f, ipco), "clap") != std::string::npos)
    throw std::runtime_error("tile: cropped by its encoder; use tiles of 64x64 or more, in multiples of 8");
  // libheif writes iloc version 0 with 4-byte fields and one item of one
  // extent, its place in the base offset or the extent's offset.
  const size_t at = iloc + 12;
  const uint8_t sizes = static_cast<uint8_t>(f[at]), base = static_cast<uint8_t>(f[at + 1]) >> 4;
  if (f[iloc + 8] != 0 || sizes != 0x44 || (base != 0 && base != 4)) throw std::runtime_error("tile: unexpected iloc");
  size_t item = at + 4 + 4;  // past the sizes, the item count, the item's ID and data reference
  uint32_t offset = 0;
  if (base == 4) offset = Get32(f, item), item += 4;
  item += 2;  // the extent count
  offset += Get32(f, item);
  const uint32_t length = Get32(f, item + 4);
  return {f.substr(config, Get32(f, config)), f.substr(offset, length)};
}

// The rotation (anticlockwise quarter turns) and mirror axis of an Exif
// orientation, as libheif itself maps them (-1: no mirror).
void Transforms(int orientation, int& quarters, int& mirror) {
  static constexpr int kQuarters[9] = {0, 0, 0, 2, 0, 3, 3, 3, 1};
  static constexpr int kMirror[9] = {-1, -1, 1, -1, 0, 1, -1, 0, -1};
  quarters = kQuarters[orientation];
  mirror = kMirror[orientation];
}

// hdlr, pitm, iinf and iref of n tiles (items 1..n, hidden) and their grid (item n + 1).
std::string ItemBoxes(uint16_t n, const char* type) {
  const uint16_t grid = static_cast<uint16_t>(n + 1);
  std::string hdlr(4, '\0');
  hdlr += "pict" + std::string(13, '\0');
  std::string pitm;
  Put16(pitm, grid);
  std::string iinf;
  Put16(iinf, grid);
  for (uint16_t id = 1; id <= grid; ++id) {
    std::string infe;
    Put16(infe, id);
    Put16(infe, 0);
    infe += id == grid ? "grid" : type;
    infe += '\0';
    iinf += FullBox("infe", 2, id == grid ? 0 : 1, infe);  // tiles are hidden: not pictures of their own
  }
  std::string dimg;
  Put16(dimg, grid);
  Put16(dimg, n);
  for (uint16_t id = 1; id <= n; ++id) Put16(dimg, id);
  return FullBox("hdlr", 0, 0, hdlr) + FullBox("pitm", 0, 0, pitm) + FullBox("iinf", 0, 0, iinf) +
         FullBox("iref", 0, 0, Box("dimg", dimg));
}

std::string EncodeGrid(const TPixels& p, const TOptions& o) {
  const int cols = o.Columns, rows = o.Rows, tw = p.Width / cols, th = p.Height / rows;
  if (tw * cols != p.Width || th * rows != p.Height) throw std::runtime_error("grid: tiles must divide the picture");
  std::vector<TTile> tiles;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) tiles.push_back(ParseTile(EncodeOne(p, c * tw, r * th, tw, th, o, 1)));
  const uint16_t n = static_cast<uint16_t>(tiles.size()), grid = static_cast<uint16_t>(n + 1);
  const char* type = o.Av1 ? "av01" : "hvc1";
  int quarters = 0, mirror = -1;
  Transforms(o.Orientation, quarters, mirror);

  const std::string items = ItemBoxes(n, type);
  // Properties: each tile's configuration, the tile size, the grid size, rotation, mirror.
  std::string ipco;
  for (const TTile& t : tiles) ipco += t.Config;
  std::string ispe;
  Put32(ispe, tw);
  Put32(ispe, th);
  ipco += FullBox("ispe", 0, 0, ispe);
  ispe.clear();
  Put32(ispe, p.Width);
  Put32(ispe, p.Height);
  ipco += FullBox("ispe", 0, 0, ispe);
  if (quarters) ipco += Box("irot", std::string(1, static_cast<char>(quarters)));
  if (mirror >= 0) ipco += Box("imir", std::string(1, static_cast<char>(mirror)));
  std::string ipma;
  Put32(ipma, grid);
  for (uint16_t id = 1; id <= n; ++id) {
    Put16(ipma, id);
    ipma += static_cast<char>(2);
    ipma += static_cast<char>(0x80 | id);
    ipma += static_cast<char>(n + 1);
  }
  Put16(ipma, grid);
  ipma += static_cast<char>(1 + (quarters ? 1 : 0) + (mirror >= 0 ? 1 : 0));
  ipma += static_cast<char>(n + 2);
  int next = n + 3;
  if (quarters) ipma += static_cast<char>(0x80 | next++);
  if (mirror >= 0) ipma += static_cast<char>(0x80 | next++);
  std::string idat(2, '\0');
  idat += static_cast<char>(rows - 1);
  idat += static_cast<char>(cols - 1);
  Put16(idat, p.Width);
  Put16(idat, p.Height);

  std::string brands = o.Av1 ? "avif" : "heic";
  brands += std::string(4, '\0') + "mif1" + (o.Av1 ? "avifmiaf" : "heic");
  const std::string ftyp = Box("ftyp", brands);
  const auto meta = [&](uint32_t mdatData) {
    std::string iloc;
    iloc += static_cast<char>(0x44);
    iloc += static_cast<char>(0);
    Put16(iloc, grid);
    for (uint16_t id = 1; id <= grid; ++id) {
      Put16(iloc, id);
      Put16(iloc, id == grid ? 1 : 0);  // construction method: the grid's data is in idat
      Put16(iloc, 0);
      Put16(iloc, 1);
      Put32(iloc, id == grid ? 0 : mdatData);
      Put32(iloc, id == grid ? static_cast<uint32_t>(idat.size()) : static_cast<uint32_t>(tiles[id - 1].Data.size()));
      if (id != grid) mdatData += static_cast<uint32_t>(tiles[id - 1].Data.size());
    }
    return FullBox("meta", 0, 0,
                   items + Box("iprp", Box("ipco", ipco) + FullBox("ipma", 0, 0, ipma)) + Box("idat", idat) +
                       FullBox("iloc", 1, 0, iloc));
  };
  const size_t head = ftyp.size() + meta(0).size() + 8;
  std::string mdat;
  for (const TTile& t : tiles) mdat += t.Data;
  return ftyp + meta(static_cast<uint32_t>(head)) + Box("mdat", mdat);
}

}  // namespace

std::string Encode(const TPixels& pixels, const TOptions& options) {
  if (options.Orientation < 1 || options.Orientation > 8) throw std::runtime_error("orientation 1..8");
  if (options.Columns * options.Rows > 1) return EncodeGrid(pixels, options);
  return EncodeOne(pixels, 0, 0, pixels.Width, pixels.Height, options, options.Orientation);
}

}  // namespace vanta::heifwriter
