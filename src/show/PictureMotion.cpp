#include "show/PictureMotion.h"

#include <algorithm>
#include <cmath>

#include "base/MulDiv.h"
#include "base/Random.h"
#include "engine/Blit.h"

namespace vanta {

void TPictureMotion::Prepare(TPanZoom strength) {
  Halt();
  ready_ = false;
  source_ = TBitmap24{};
  const TRect content = IntersectRect(surface_.ContentRect, surface_.Picture().Bounds());
  if (PanZoomMaxZoom(strength) <= 1 || content.IsEmpty()) return;
  // The picture as it stands, at the size it is shown: every framing then
  // enlarges it a little, which the two-tap way draws fast and without the
  // shimmer of a reduction, and zoom 100 % is today's picture exactly.
  source_.SetSizeForOverwrite(content.Width(), content.Height());
  CopyRect(source_, 0, 0, surface_.Picture(), content);
  const TSourceWindow whole{0, 0, static_cast<double>(source_.Width()), static_cast<double>(source_.Height())};
  TPanZoomChoice choice;
  choice.Direction = Random(8);
  choice.ZoomIn = Random(2) == 0;
  path_ = MakePanZoomPath(whole, source_.Width(), source_.Height(), strength, choice);
  surface_.DrawPictureFrom(source_, path_.At(0));
  ready_ = true;
}

void TPictureMotion::Begin(uint32_t durationMs) {
  Halt();
  if (!ready_) return;
  durationMs_ = durationMs;
  // Paced by the picture's width as shown, not the surface's.
  const TRect place = surface_.PlaceRect(), shown = surface_.DisplayRect();
  const int contentWidth = std::min(surface_.ContentRect.Width(), place.Width());
  const int displayWidth = place.Width() > 0 ? MulDiv(contentWidth, shown.Width(), place.Width()) : surface_.Width();
  intervalMs_ = PanZoomFrameIntervalMs(path_, displayWidth, durationMs, kRefreshMs);
  if (intervalMs_ == 0) return;
  startTick_ = scheduler_.TickCount();
  timerId_ = scheduler_.SetTimer(intervalMs_, [this] { Tick(); });
}

void TPictureMotion::Halt() {
  if (timerId_ != 0) scheduler_.KillTimer(timerId_);
  timerId_ = 0;
}

void TPictureMotion::Tick() {
  if (surface_.Running()) return;
  const double t = static_cast<double>(scheduler_.TickCount() - startTick_) / durationMs_;
  surface_.DrawStandingFrom(source_, path_.At(t));
  if (t >= 1) Halt();  // at the end of its path it stands until the next picture
}

}  // namespace vanta
