#include "show/PictureMotion.h"

#include <algorithm>
#include <cmath>

#include "base/MulDiv.h"

#include "base/Random.h"
#include "engine/PictureLoader.h"

namespace vanta {

void TPictureMotion::Prepare(const std::string& file, TPanZoom strength) {
  Halt();
  ready_ = false;
  source_ = TBitmap24{};
  const double maxZoom = PanZoomMaxZoom(strength);
  const TRect content = IntersectRect(surface_.ContentRect, surface_.Picture().Bounds());
  if (maxZoom <= 1 || content.IsEmpty()) return;
  try {
    // The shown picture may have been shrunk to the screen: read it again,
    // shrunk only as far as the deepest zoom still has a pixel per pixel.
    const TPictureSize box{static_cast<int>(std::ceil(content.Width() * maxZoom)),
                           static_cast<int>(std::ceil(content.Height() * maxZoom))};
    TDecodedPicture decoded = ReadPictureFile(file, surface_.Color(), box);
    const TPictureSize natural{decoded.Bitmap.Width(), decoded.Bitmap.Height()};
    const TPictureSize size = ShrinkToFitSize(natural, box);
    source_ = size == natural ? std::move(decoded.Bitmap) : ScaleBitmap(decoded.Bitmap, size);
  } catch (...) {
    return;  // it stands still
  }
  if (source_.Empty()) return;
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
