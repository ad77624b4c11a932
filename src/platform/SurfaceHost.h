// What a picture surface needs of the window it lives in. The surface is
// windowless: it paints into its parent's area inside its own bounds. The
// host turns invalidations into repaints and calls back the surface's
// Paint for each, presents the composed buffer clipped to the invalid area,
// and measures and draws caption text.
#pragma once
#include <string>

#include "base/Bitmap.h"

namespace vanta::platform {

struct TCaptionFont {
  std::string Name = "Arial";
  int Height = 20;  // character cell height in pixels
  TColor Color = 0xFFFFFF;
  bool Bold = false, Italic = false, Underline = false, Strikeout = false;
};

// The surface side, as the host sees it.
class IPaintable {
 public:
  virtual ~IPaintable() = default;
  virtual TRect BoundsRect() const = 0;  // in the parent's client coordinates
  virtual void Paint() = 0;              // composes and calls PresentBuffer
  virtual void MouseEnter() {}
  virtual void MouseLeave() {}
  // Mouse input at a point of the surface (its own coordinates).
  enum class TMouseAction { Move, Down, Up };
  virtual void MouseInput(TMouseAction, TPoint) {}
};

class ISurfaceHost {
 public:
  virtual ~ISurfaceHost() = default;
  virtual void Attach(IPaintable& surface) = 0;
  virtual void Detach(IPaintable& surface) = 0;
  // Marks an area of the parent (client coordinates) for repainting, without erasing.
  virtual void InvalidateArea(const TRect& area) = 0;
  // Repaints the invalid area now.
  virtual void UpdateNow() = 0;
  // During Paint: the buffer goes to the display with its top-left at `at`;
  // only the invalid area reaches it.
  virtual void PresentBuffer(const TBitmap24& buffer, TPoint at) = 0;
  // Width and height of the text in the font.
  virtual TPoint MeasureText(const TCaptionFont& font, const std::string& text) = 0;
  // Text straight onto the display (not through any buffer), transparent background.
  virtual void DrawText(TPoint at, const std::string& text, const TCaptionFont& font) = 0;
};

}  // namespace vanta::platform
