#include "WizardPictures.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "engine/PictureLoader.h"

namespace vanta::build {

TCrop CoverCrop(int width, int height, int toWidth, int toHeight) {
  if (width < 1 || height < 1 || toWidth < 1 || toHeight < 1) return {0, 0, std::max(width, 0), std::max(height, 0)};
  const int64_t w = width, h = height, tw = toWidth, th = toHeight;
  if (w * th > h * tw) {  // wider than the place: the sides go
    const int cw = int(std::max<int64_t>(1, (h * tw + th / 2) / th));
    return {(width - cw) / 2, 0, cw, height};
  }
  const int ch = int(std::max<int64_t>(1, (w * th + tw / 2) / tw));
  return {0, (height - ch) / 2, width, ch};
}

namespace {

TWizardPicture Fitted(const TBitmap24& source, uint32_t width, uint32_t height) {
  if (source.Empty()) throw std::runtime_error("the picture has no pixels");
  const TCrop crop = CoverCrop(source.Width(), source.Height(), int(width), int(height));
  TBitmap24 part(crop.width, crop.height);
  for (int y = 0; y < crop.height; ++y) std::memcpy(part.Row(y), source.Row(crop.y + y) + size_t(crop.x) * 3, size_t(crop.width) * 3);
  const TBitmap24 fitted = ScaleBitmap(part, {int(width), int(height)});
  TWizardPicture p;
  p.width = width;
  p.height = height;
  const size_t stride = TWizardPicture::Stride(width);
  p.rows.assign(stride * height, '\0');
  for (uint32_t y = 0; y < height; ++y) std::memcpy(p.rows.data() + stride * y, fitted.Row(int(y)), size_t(width) * 3);
  return p;
}

// Transparent parts on white, as the pages' band is.
TBitmap24 Decoded(const std::string& path) { return ReadPictureFile(path, 0xFFFFFF).Bitmap; }

}  // namespace

TWizardPicture ReadWizardPicture(const std::string& path, uint32_t width, uint32_t height) {
  return Fitted(Decoded(path), width, height);
}

std::function<TWizardPicture(const std::string&, uint32_t, uint32_t)> WizardPictureReader() {
  struct TLast {
    std::string path;
    TBitmap24 bitmap;
  };
  auto last = std::make_shared<TLast>();
  return [last](const std::string& path, uint32_t width, uint32_t height) {
    if (last->path != path || last->bitmap.Empty()) *last = {path, Decoded(path)};
    return Fitted(last->bitmap, width, height);
  };
}

}  // namespace vanta::build
