#include "platform/win32/Win32SurfaceHost.h"
#include "platform/win32/WideText.h"

#include <algorithm>
#include <stdexcept>

namespace vanta::platform {

namespace {

constexpr char kClassName[] = "VantaSurfaceWindow";

HFONT MakeFont(const TCaptionFont& f) {
  return CreateFontA(-f.Height, 0, 0, 0, f.Bold ? FW_BOLD : FW_NORMAL, f.Italic, f.Underline, f.Strikeout, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, f.Name.c_str());
}

}  // namespace

TWin32SurfaceHost::TWin32SurfaceHost(HWND parent, const RECT& client, DWORD style, const char* title) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &TWin32SurfaceHost::WndProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = kClassName;
  RegisterClassA(&wc);  // a second host finds the class registered
  RECT r = client;
  AdjustWindowRectEx(&r, style, FALSE, 0);
  window_ = CreateWindowExA(0, kClassName, title, style, r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
                            nullptr, wc.hInstance, this);
  if (!window_) throw std::runtime_error("cannot create the surface window");
}

TWin32SurfaceHost::~TWin32SurfaceHost() {
  SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
}

LRESULT CALLBACK TWin32SurfaceHost::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* self = reinterpret_cast<TWin32SurfaceHost*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  if (self && self->window_ == hwnd) return self->Handle(msg, wp, lp);
  return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT TWin32SurfaceHost::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT hooked = 0;
  if (MessageHook && MessageHook(msg, wp, lp, hooked)) return hooked;
  using A = IPaintable::TMouseAction;
  switch (msg) {
    case WM_ERASEBKGND: return 1;  // the paint covers every pixel
    case WM_PAINT: {
      PAINTSTRUCT ps;
      paintDC_ = BeginPaint(window_, &ps);
      const TRect area{ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom};
      for (IPaintable* s : std::vector<IPaintable*>(surfaces_))
        if (!IntersectRect(s->BoundsRect(), area).IsEmpty()) s->Paint();
      EndPaint(window_, &ps);
      paintDC_ = nullptr;
      return 0;
    }
    case WM_MOUSEMOVE:
      MouseMoved({static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))});
      MouseInput(A::Move, lp);
      return 0;
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN: MouseInput(A::Down, lp); return 0;
    case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP: MouseInput(A::Up, lp); return 0;
    case WM_MOUSELEAVE: MouseMoved({-1 << 20, -1 << 20}); return 0;
  }
  return DefWindowProcA(window_, msg, wp, lp);
}

void TWin32SurfaceHost::MouseMoved(POINT p) {
  IPaintable* now = nullptr;
  for (IPaintable* s : surfaces_)
    if (PtInRect(s->BoundsRect(), TPoint{p.x, p.y})) now = s;
  if (now == hovered_) return;
  if (hovered_) hovered_->MouseLeave();
  hovered_ = now;
  if (now) {
    TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, window_, 0};
    TrackMouseEvent(&t);
    now->MouseEnter();
  }
}

void TWin32SurfaceHost::MouseInput(IPaintable::TMouseAction action, LPARAM lp) {
  const TPoint p{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
  for (IPaintable* s : std::vector<IPaintable*>(surfaces_)) {
    const TRect b = s->BoundsRect();
    if (PtInRect(b, p)) s->MouseInput(action, {p.X - b.Left, p.Y - b.Top});
  }
}

void TWin32SurfaceHost::Detach(IPaintable& surface) {
  surfaces_.erase(std::remove(surfaces_.begin(), surfaces_.end(), &surface), surfaces_.end());
  if (hovered_ == &surface) hovered_ = nullptr;
}

void TWin32SurfaceHost::InvalidateArea(const TRect& area) {
  const RECT r{area.Left, area.Top, area.Right, area.Bottom};
  InvalidateRect(window_, &r, FALSE);
}

void TWin32SurfaceHost::UpdateNow() { UpdateWindow(window_); }

void TWin32SurfaceHost::PresentBuffer(const TBitmap24& buffer, TPoint at) {
  if (!paintDC_ || buffer.Empty()) return;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = buffer.Width();
  bi.bmiHeader.biHeight = -buffer.Height();  // top-down rows, as the bitmap keeps them
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  // The paint DC is clipped to the update region: only that reaches the screen.
  SetDIBitsToDevice(paintDC_, at.X, at.Y, static_cast<DWORD>(buffer.Width()), static_cast<DWORD>(buffer.Height()), 0, 0,
                    0, static_cast<UINT>(buffer.Height()), buffer.Bits(), &bi, DIB_RGB_COLORS);
}

TPoint TWin32SurfaceHost::MeasureText(const TCaptionFont& font, const std::string& text) {
  HDC dc = GetDC(window_);
  HFONT f = MakeFont(font);
  HGDIOBJ old = SelectObject(dc, f);
  SIZE size{0, 0};
  const std::wstring wide = Widen(text);
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  SelectObject(dc, old);
  DeleteObject(f);
  ReleaseDC(window_, dc);
  return {size.cx, size.cy};
}

void TWin32SurfaceHost::DrawText(TPoint at, const std::string& text, const TCaptionFont& font) {
  HDC dc = GetDC(window_);
  HFONT f = MakeFont(font);
  HGDIOBJ old = SelectObject(dc, f);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, font.Color);  // both keep red in the low byte
  const std::wstring wide = Widen(text);
  TextOutW(dc, at.X, at.Y, wide.c_str(), static_cast<int>(wide.size()));
  SelectObject(dc, old);
  DeleteObject(f);
  ReleaseDC(window_, dc);
}

}  // namespace vanta::platform
