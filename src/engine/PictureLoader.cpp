#include "engine/PictureLoader.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "base/Text.h"
#include "engine/FitRule.h"
#include "engine/codecs/Bmp.h"
#include "engine/codecs/Gif.h"
#include "engine/codecs/Heif.h"
#include "engine/codecs/Ico.h"
#include "engine/codecs/Jpeg.h"
#include "engine/codecs/Png.h"
#include "engine/codecs/Webp.h"
#include "platform/Files.h"
#include "platform/PlatformPictures.h"

namespace vanta {
namespace {

TPictureSize SizeOf(const TBitmap24& b) { return {b.Width(), b.Height()}; }
TPictureSize Swapped(TPictureSize s) { return {s.Height, s.Width}; }

std::string ReadFileBytes(const std::string& fileName) {
  std::string bytes;
  switch (platform::ReadWholeFile(fileName, bytes, kMaxPictureFileBytes)) {
    case platform::TReadResult::Ok:
      return bytes;
    case platform::TReadResult::Missing:
      throw TPictureError("picture file not found: " + fileName);
    default:
      throw TPictureError("cannot read picture file (or larger than " +
                          std::to_string(kMaxPictureFileBytes >> 20) + " MB): " + fileName);
  }
}

// Source span [first, last) of target index i when n source pixels map to m.
void SourceSpan(int i, int n, int m, int& first, int& last) {
  first = static_cast<int>(int64_t{i} * n / m);
  last = std::max(first + 1, static_cast<int>(int64_t{i + 1} * n / m));
}

}  // namespace

TPictureKind PictureKindOf(std::string_view fileName) {
  const std::string ext = UpperCase(ExtractFileExt(fileName));
  if (ext == ".JPG" || ext == ".JPEG") return TPictureKind::Jpeg;
  if (ext == ".GIF") return TPictureKind::Gif;
  if (ext == ".BMP") return TPictureKind::Bmp;
  if (ext == ".ICO") return TPictureKind::Ico;
  if (ext == ".WMF") return TPictureKind::Wmf;
  if (ext == ".EMF") return TPictureKind::Emf;
  if (ext == ".PNG") return TPictureKind::Png;
  if (ext == ".WEBP") return TPictureKind::Webp;
  if (ext == ".HEIC" || ext == ".HEIF" || ext == ".AVIF") return TPictureKind::Heif;
  return TPictureKind::Unknown;
}

TPictureSize ShrinkToFitSize(TPictureSize p, TPictureSize box) {
  if (box.Width < 1 || box.Height < 1 || p.Width < 1 || p.Height < 1) return p;
  if (p.Width <= box.Width && p.Height <= box.Height) return p;
  const int64_t pw = p.Width, ph = p.Height, bw = box.Width, bh = box.Height;
  // pw / bw > ph / bh, without division
  if (pw * bh > ph * bw) return {box.Width, static_cast<int>(std::max<int64_t>(1, ph * bw / pw))};
  return {static_cast<int>(std::max<int64_t>(1, pw * bh / ph)), box.Height};
}

TBitmap24 ScaleBitmap(const TBitmap24& src, TPictureSize size) {
  TBitmap24 dst;
  if (src.Empty()) {
    dst.SetSize(size.Width, size.Height);  // nothing to scale: black
    return dst;
  }
  dst.SetSizeForOverwrite(size.Width, size.Height);
  if (dst.Empty()) return dst;
  const int sw = src.Width(), sh = src.Height();
  std::vector<int> x0(static_cast<size_t>(size.Width)), x1(static_cast<size_t>(size.Width));
  for (int x = 0; x < size.Width; ++x) SourceSpan(x, sw, size.Width, x0[x], x1[x]);
  std::vector<uint32_t> sums(static_cast<size_t>(sw) * 3);
  for (int y = 0; y < size.Height; ++y) {
    int y0, y1;
    SourceSpan(y, sh, size.Height, y0, y1);
    std::fill(sums.begin(), sums.end(), 0);
    for (int sy = y0; sy < y1; ++sy) {
      const uint8_t* row = src.Row(sy);
      for (int i = 0; i < sw * 3; ++i) sums[i] += row[i];
    }
    uint8_t* out = dst.Row(y);
    const uint32_t rows = static_cast<uint32_t>(y1 - y0);
    for (int x = 0; x < size.Width; ++x) {
      uint64_t b = 0, g = 0, r = 0;  // a whole large picture may fall into one pixel
      for (int sx = x0[x]; sx < x1[x]; ++sx) {
        b += sums[sx * 3];
        g += sums[sx * 3 + 1];
        r += sums[sx * 3 + 2];
      }
      const uint64_t n = uint64_t{rows} * static_cast<uint64_t>(x1[x] - x0[x]);
      out[x * 3] = static_cast<uint8_t>((b + n / 2) / n);
      out[x * 3 + 1] = static_cast<uint8_t>((g + n / 2) / n);
      out[x * 3 + 2] = static_cast<uint8_t>((r + n / 2) / n);
    }
  }
  return dst;
}

TDecodedPicture ReadPictureFile(const std::string& fileName, TColor color, TPictureSize shrinkBox) {
  const TPictureKind kind = PictureKindOf(fileName);
  if (kind == TPictureKind::Unknown)
    throw TPictureError("unsupported picture file kind \"" + ExtractFileExt(fileName) + "\": " + fileName);
  const std::string bytes = ReadFileBytes(fileName);
  return DecodePicture(kind, TBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), color, shrinkBox);
}

TDecodedPicture DecodePicture(TPictureKind kind, TBytes data, TColor color, TPictureSize shrinkBox) {
  TDecodedPicture result;
  switch (kind) {
    case TPictureKind::Jpeg: {
      // The box applies to the upright picture; the decoder scales the
      // stored one, so a quarter turn asks it for the swapped size.
      const TJpegPicture header = ReadJpegSize(data);
      const bool swap = OrientationSwapsSides(header.Orientation);
      const TPictureSize stored{header.NaturalWidth, header.NaturalHeight};
      const TPictureSize full = swap ? Swapped(stored) : stored;
      TPictureSize target = ShrinkToFitSize(full, shrinkBox);
      if (swap) target = Swapped(target);
      TJpegPicture jpeg = target == stored ? DecodeJpeg(data, 0, 0, true) : DecodeJpeg(data, target.Width, target.Height, true);
      result.Bitmap = std::move(jpeg.Bitmap);
      result.Natural = full;
      return result;
    }
    case TPictureKind::Png:
    case TPictureKind::Webp:
    case TPictureKind::Heif: {
      TStoredPicture stored = kind == TPictureKind::Png    ? DecodePng(data, color)
                              : kind == TPictureKind::Webp ? DecodeWebp(data, color)
                                                           : DecodeHeif(data, color);
      result.Bitmap = OrientBitmap(std::move(stored.Bitmap), stored.Orientation);
      break;
    }
    case TPictureKind::Gif:
      result.Bitmap = DecodeGif(data, color);
      break;
    case TPictureKind::Bmp:
      result.Bitmap = DecodeBmp(data);
      break;
    case TPictureKind::Ico:
      result.Bitmap = DecodeIco(data, color, PlatformPngDecoder());
      break;
    case TPictureKind::Wmf:
    case TPictureKind::Emf:
      result.Bitmap = RenderMetafile(data, kind == TPictureKind::Emf, color);
      break;
    case TPictureKind::Unknown:
      throw TPictureError("unsupported picture file kind");
  }
  result.Natural = SizeOf(result.Bitmap);
  return result;
}

TPictureSize LoadPictureToBitmap(TBitmap24& bitmap, const std::string& fileName, int boxWidth, int boxHeight,
                                 TColor color) {
  if (fileName.empty()) return {};
  const TPictureSize box{boxWidth, boxHeight};
  TDecodedPicture picture = ReadPictureFile(fileName, color, box);
  const TPictureSize target = ShrinkToFitSize(picture.Natural, box);
  if (target != SizeOf(picture.Bitmap)) picture.Bitmap = ScaleBitmap(picture.Bitmap, target);
  bitmap = std::move(picture.Bitmap);
  return picture.Natural;
}

TRect PadPicture(TBitmap24& picture, std::optional<TPictureSize>& prevSize, bool padToClient, TPictureSize client,
                 TColor color) {
  const TPictureSize size = SizeOf(picture);
  if (!prevSize) prevSize = size;
  TRect content{0, 0, size.Width, size.Height};
  const TPictureSize target = padToClient ? client : *prevSize;
  const bool needed = padToClient || target.Width > size.Width || target.Height > size.Height;
  *prevSize = size;
  if (!needed) return content;

  TBitmap24 padded(std::max(size.Width, target.Width) + 3, std::max(size.Height, target.Height) + 3);
  padded.Fill(color);
  const int ox = std::abs(padded.Width() - size.Width) / 2 + 1;
  const int oy = std::abs(padded.Height() - size.Height) / 2 + 1;
  const size_t rowBytes = static_cast<size_t>(size.Width) * 3;
  for (int y = 0; y < size.Height; ++y)
    std::copy_n(picture.Row(y), rowBytes, padded.Row(oy + y) + static_cast<size_t>(ox) * 3);
  content = {ox, oy, ox + size.Width, oy + size.Height};
  picture = std::move(padded);
  return content;
}

bool LoadPictureFile(const TPictureSurfaceState& s, const std::string& fileName) noexcept {
  try {
    const auto changed = [&] {
      if (s.Changed) s.Changed();
    };
    const auto client = [&] { return s.ClientSize ? s.ClientSize() : TPictureSize{}; };
    // The decoder may work at a smaller scale only when the control's size
    // does not follow the picture (else shrinking never happens).
    const TPictureSize hint =
        s.ShrinkToFit && !s.ShrinkToCover && !s.SizeFollowsPicture ? client() : TPictureSize{};
    TDecodedPicture decoded = ReadPictureFile(fileName, s.Color, hint);
    s.Picture = std::move(decoded.Bitmap);
    changed();

    if (s.ShrinkToFit) {
      const TPictureSize target = s.ShrinkToCover ? ShrinkForMode(decoded.Natural, client(), TFitMode::Fill)
                                                  : ShrinkToFitSize(decoded.Natural, client());
      if (target != SizeOf(s.Picture)) {
        s.Picture = ScaleBitmap(s.Picture, target);
        changed();
      }
    }

    const TPictureSize before = SizeOf(s.Picture);
    s.ContentRect = PadPicture(s.Picture, s.PrevPicture, s.PadToClient, client(), s.Color);
    if (SizeOf(s.Picture) != before) changed();
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace vanta
