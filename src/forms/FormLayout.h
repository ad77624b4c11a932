// Layout and DPI for the program's windows (Win32: the builder, a saver's
// "Setting" dialog, the About box): placing controls by a table in pixels of
// a 96-DPI design scaled to the window's DPI, and icons from plain pixels.
//
// Dialog units are not used because they follow the font's metrics: the
// windows grow with the DPI, not with the system's font size. Edges are
// scaled, not sizes, so that controls that meet at 96 DPI still meet.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "forms/Anchor.h"

namespace vanta::form {

inline constexpr int kDesignDpi = 96;

// The DPI the window is shown at: its monitor's where the system tells
// (Windows 10 and later), else the system's.
UINT WindowDpi(HWND w);
inline int Scaled(int pixels, UINT dpi) { return MulDiv(pixels, static_cast<int>(dpi), kDesignDpi); }

// Moves control id of parent to the design rectangle (x, y, w, h), scaled.
void Place(HWND parent, int id, int x, int y, int w, int h, UINT dpi);

// Where a control stands, in pixels at 96 DPI: on the window itself
// (kOnPage) or on its page (or sub-page) of that index.
struct TPlace {
  int sub;
  int id;
  int x, y, w, h;
};
inline constexpr int kOnPage = -1;
// Places every control of the table on window or on pages[sub].
void PlaceAll(std::span<const TPlace> layout, HWND window, std::span<const HWND> pages, UINT dpi);

// A group box (x, y, w, h) and its radio buttons, laid out from the box:
// the first button `inset` from its left and `top` from its top, each
// button `height` high. The Options page and the Setting dialog lay out
// their picture size and order groups by it.
struct TRadioGroup {
  int sub, group;
  int x, y, w, h;
  int inset, top, height;
};
// The box, then its buttons down a column `pitch` apart, as wide as the box
// leaves (kRadioRightInset short of its right edge).
inline constexpr int kRadioRightInset = 4;
void AddRadioColumn(std::vector<TPlace>& layout, const TRadioGroup& g, std::span<const int> buttons, int pitch);
// The box, then its buttons side by side, each as wide as given, `gap` apart.
void AddRadioRow(std::vector<TPlace>& layout, const TRadioGroup& g, std::span<const int> buttons,
                 std::span<const int> widths, int gap);
// Sizes the window for a client area of the design size (its menu bar
// included in the frame) and centres it on the desktop.
void SetClientSizeCentred(HWND w, int width, int height, UINT dpi);
// A child's rectangle in its parent's client coordinates.
RECT PlaceOf(HWND child);
// The design rectangle scaled as Place scales it, and back to a RECT.
TBox ScaledBox(int x, int y, int w, int h, UINT dpi);

// Moves many children at once, each parent's in one deferred batch, so a
// window being sized does not draw each control on its way: done when it goes.
class TDeferredMoves {
 public:
  TDeferredMoves() = default;
  ~TDeferredMoves();
  TDeferredMoves(const TDeferredMoves&) = delete;
  TDeferredMoves& operator=(const TDeferredMoves&) = delete;
  void Move(HWND child, const TBox& to);

 private:
  std::vector<std::pair<HWND, HDWP>> batches_;  // by parent
};

// An icon of size x size pixels, top-down, each 0xAARRGGBB with straight
// alpha; the caller destroys it.
HICON CreateAlphaIcon(int size, const std::vector<uint32_t>& pixels);

}  // namespace vanta::form
