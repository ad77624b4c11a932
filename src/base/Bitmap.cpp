#include "base/Bitmap.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace vanta {

void TBitmap24::Resize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  const uint64_t stride = (static_cast<uint64_t>(width) * 3 + 3) & ~uint64_t{3};
  const uint64_t bytes = stride * static_cast<uint64_t>(height);
  if (bytes > kMaxBytes) throw std::length_error("picture too large");
  width_ = width;
  height_ = height;
  stride_ = static_cast<size_t>(stride);
  bits_.clear();
  bits_.resize(static_cast<size_t>(bytes));
}

void TBitmap24::SetSize(int width, int height) {
  Resize(width, height);
  std::fill(bits_.begin(), bits_.end(), uint8_t{0});
}

void TBitmap24::SetSizeForOverwrite(int width, int height) {
  Resize(width, height);
  const size_t used = static_cast<size_t>(width_) * 3;
  if (used == stride_) return;
  for (int y = 0; y < height_; ++y) std::fill(Row(y) + used, Row(y) + stride_, uint8_t{0});
}

void TBitmap24::Fill(TColor color) { FillRect(Bounds(), color); }

void TBitmap24::FillRect(const TRect& rect, TColor color) {
  const TRect r = IntersectRect(rect, Bounds());
  if (r.IsEmpty()) return;
  const uint8_t b = static_cast<uint8_t>(color >> 16), g = static_cast<uint8_t>(color >> 8),
                red = static_cast<uint8_t>(color);
  uint8_t* first = Row(r.Top) + r.Left * 3;
  for (int x = 0; x < r.Width(); ++x) {
    first[x * 3] = b;
    first[x * 3 + 1] = g;
    first[x * 3 + 2] = red;
  }
  for (int y = r.Top + 1; y < r.Bottom; ++y) std::memcpy(Row(y) + r.Left * 3, first, static_cast<size_t>(r.Width()) * 3);
}

TColor TBitmap24::Pixel(int x, int y) const {
  const uint8_t* p = Row(y) + x * 3;
  return static_cast<TColor>(p[2]) | static_cast<TColor>(p[1]) << 8 | static_cast<TColor>(p[0]) << 16;
}

void TBitmap24::SetPixel(int x, int y, TColor color) {
  uint8_t* p = Row(y) + x * 3;
  p[0] = static_cast<uint8_t>(color >> 16);
  p[1] = static_cast<uint8_t>(color >> 8);
  p[2] = static_cast<uint8_t>(color);
}

bool operator==(const TBitmap24& a, const TBitmap24& b) {
  if (a.width_ != b.width_ || a.height_ != b.height_) return false;
  const size_t rowBytes = static_cast<size_t>(a.width_) * 3;
  for (int y = 0; y < a.height_; ++y)
    if (std::memcmp(a.Row(y), b.Row(y), rowBytes) != 0) return false;
  return true;
}

}  // namespace vanta
