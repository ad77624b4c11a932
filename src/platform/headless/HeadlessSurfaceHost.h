// A surface host without a window: the "display" is a bitmap of the
// parent's client size that receives exactly what a real window would show
// (only invalid areas are repainted), and every invalidation, repaint and
// caption is recorded for tests. Text is measured as a fixed-pitch font:
// each character is half the font height wide.
#pragma once
#include <vector>

#include "platform/SurfaceHost.h"

namespace vanta::platform {

class THeadlessSurfaceHost : public ISurfaceHost {
 public:
  THeadlessSurfaceHost(int width, int height, TColor fill = 0);

  void Attach(IPaintable& surface) override { surfaces_.push_back(&surface); }
  void Detach(IPaintable& surface) override;
  void InvalidateArea(const TRect& area) override;
  void UpdateNow() override;
  void PresentBuffer(const TBitmap24& buffer, TPoint at) override;
  TPoint MeasureText(const TCaptionFont& font, const std::string& text) override;
  void DrawText(TPoint at, const std::string& text, const TCaptionFont& font) override;

  struct TCaptionDrawn {
    TPoint At;
    std::string Text;
  };
  const TBitmap24& Display() const { return display_; }
  const std::vector<TRect>& Invalidations() const { return invalidations_; }
  const std::vector<TCaptionDrawn>& Captions() const { return captions_; }
  int Paints() const { return paints_; }
  TRect PendingArea() const { return invalid_; }
  void ClearLog();

 private:
  TBitmap24 display_;
  std::vector<IPaintable*> surfaces_;
  TRect invalid_;        // union of what is waiting to be repainted
  TRect paintArea_;      // the area of the paint in progress
  std::vector<TRect> invalidations_;
  std::vector<TCaptionDrawn> captions_;
  int paints_ = 0;
};

}  // namespace vanta::platform
