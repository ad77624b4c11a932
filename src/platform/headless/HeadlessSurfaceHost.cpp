#include "platform/headless/HeadlessSurfaceHost.h"

#include <algorithm>
#include <cstring>

namespace vanta::platform {

THeadlessSurfaceHost::THeadlessSurfaceHost(int width, int height, TColor fill) : display_(width, height) {
  display_.Fill(fill);
}

void THeadlessSurfaceHost::Detach(IPaintable& surface) {
  surfaces_.erase(std::remove(surfaces_.begin(), surfaces_.end(), &surface), surfaces_.end());
}

void THeadlessSurfaceHost::InvalidateArea(const TRect& area) {
  invalidations_.push_back(area);
  invalid_ = UnionRect(invalid_, IntersectRect(area, display_.Bounds()));
}

void THeadlessSurfaceHost::UpdateNow() {
  if (invalid_.IsEmpty()) return;
  paintArea_ = invalid_;
  invalid_ = {};
  ++paints_;
  for (IPaintable* s : surfaces_)
    if (!IntersectRect(s->BoundsRect(), paintArea_).IsEmpty()) s->Paint();
  paintArea_ = {};
}

void THeadlessSurfaceHost::PresentBuffer(const TBitmap24& buffer, TPoint at) {
  const TRect target = IntersectRect(
      IntersectRect({at.X, at.Y, at.X + buffer.Width(), at.Y + buffer.Height()}, paintArea_), display_.Bounds());
  if (target.IsEmpty()) return;
  const size_t bytes = static_cast<size_t>(target.Width()) * 3;
  for (int y = target.Top; y < target.Bottom; ++y)
    std::memcpy(display_.Row(y) + target.Left * 3, buffer.Row(y - at.Y) + (target.Left - at.X) * 3, bytes);
}

TPoint THeadlessSurfaceHost::MeasureText(const TCaptionFont& font, const std::string& text) {
  return {static_cast<int>(text.size()) * (font.Height / 2), font.Height};
}

void THeadlessSurfaceHost::DrawText(TPoint at, const std::string& text, const TCaptionFont&) {
  captions_.push_back({at, text});
}

void THeadlessSurfaceHost::ClearLog() {
  invalidations_.clear();
  captions_.clear();
  paints_ = 0;
}

}  // namespace vanta::platform
