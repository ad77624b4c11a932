// Surfaces inside a real window. The host owns a window of its own class
// (a child of a form, or a top-level window); its WM_PAINT calls each
// surface's Paint, which presents the composed buffer with
// SetDIBitsToDevice into the paint DC, so only the update region reaches
// the screen. Captions are GDI text in the caption font, drawn straight
// onto the window.
#pragma once
#include <windows.h>

#include <functional>
#include <vector>

#include "platform/SurfaceHost.h"

namespace vanta::platform {

class TWin32SurfaceHost : public ISurfaceHost {
 public:
  // Creates the host window: style WS_CHILD with a parent, else a top-level
  // window; rect is its client area in the parent's (or screen) coordinates.
  TWin32SurfaceHost(HWND parent, const RECT& client, DWORD style, const char* title = "");
  ~TWin32SurfaceHost() override;
  TWin32SurfaceHost(const TWin32SurfaceHost&) = delete;
  TWin32SurfaceHost& operator=(const TWin32SurfaceHost&) = delete;

  HWND Window() const { return window_; }

  // Sees each message of the window first (the form that owns the window
  // handles its keys, commands and life here); true when it handled the
  // message, with the result in `result`.
  std::function<bool(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result)> MessageHook;

  void Attach(IPaintable& surface) override { surfaces_.push_back(&surface); }
  void Detach(IPaintable& surface) override;
  void InvalidateArea(const TRect& area) override;
  void UpdateNow() override;
  void PresentBuffer(const TBitmap24& buffer, TPoint at) override;
  TPoint MeasureText(const TCaptionFont& font, const std::string& text) override;
  void DrawText(TPoint at, const std::string& text, const TCaptionFont& font) override;

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void MouseMoved(POINT p);
  void MouseInput(IPaintable::TMouseAction action, LPARAM lp);

  HWND window_ = nullptr;
  HDC paintDC_ = nullptr;  // during WM_PAINT
  std::vector<IPaintable*> surfaces_;
  IPaintable* hovered_ = nullptr;
};

}  // namespace vanta::platform
