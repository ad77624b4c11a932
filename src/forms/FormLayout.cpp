#include "forms/FormLayout.h"

#include "platform/win32/SystemLibrary.h"

namespace vanta::form {

UINT WindowDpi(HWND w) {
  using TGetDpiForWindow = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = platform::SystemProc<TGetDpiForWindow>("user32.dll", "GetDpiForWindow");
  if (getDpiForWindow)
    if (const UINT dpi = getDpiForWindow(w)) return dpi;
  HDC dc = GetDC(w);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(w, dc);
  return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

void Place(HWND parent, int id, int x, int y, int w, int h, UINT dpi) {
  const int left = Scaled(x, dpi), top = Scaled(y, dpi);
  MoveWindow(GetDlgItem(parent, id), left, top, Scaled(x + w, dpi) - left, Scaled(y + h, dpi) - top, FALSE);
}

void PlaceAll(std::span<const TPlace> layout, HWND window, std::span<const HWND> pages, UINT dpi) {
  for (const TPlace& p : layout) {
    HWND parent = p.sub == kOnPage ? window : static_cast<size_t>(p.sub) < pages.size() ? pages[p.sub] : nullptr;
    if (parent) Place(parent, p.id, p.x, p.y, p.w, p.h, dpi);
  }
}

void AddRadioColumn(std::vector<TPlace>& layout, const TRadioGroup& g, std::span<const int> buttons, int pitch) {
  layout.push_back({g.sub, g.group, g.x, g.y, g.w, g.h});
  for (size_t i = 0; i < buttons.size(); ++i)
    layout.push_back({g.sub, buttons[i], g.x + g.inset, g.y + g.top + static_cast<int>(i) * pitch,
                      g.w - g.inset - kRadioRightInset, g.height});
}

void AddRadioRow(std::vector<TPlace>& layout, const TRadioGroup& g, std::span<const int> buttons,
                 std::span<const int> widths, int gap) {
  layout.push_back({g.sub, g.group, g.x, g.y, g.w, g.h});
  int x = g.x + g.inset;
  for (size_t i = 0; i < buttons.size() && i < widths.size(); ++i) {
    layout.push_back({g.sub, buttons[i], x, g.y + g.top, widths[i], g.height});
    x += widths[i] + gap;
  }
}

void SetClientSizeCentred(HWND w, int width, int height, UINT dpi) {
  RECT frame{0, 0, Scaled(width, dpi), Scaled(height, dpi)};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(w, GWL_STYLE)), GetMenu(w) != nullptr,
                     static_cast<DWORD>(GetWindowLongPtrA(w, GWL_EXSTYLE)));
  const int fw = frame.right - frame.left, fh = frame.bottom - frame.top;
  SetWindowPos(w, nullptr, (GetSystemMetrics(SM_CXSCREEN) - fw) / 2, (GetSystemMetrics(SM_CYSCREEN) - fh) / 2, fw,
               fh, SWP_NOZORDER | SWP_NOACTIVATE);
  // A menu bar that wraps takes room from the client area: give it back.
  RECT client;
  GetClientRect(w, &client);
  const int missing = Scaled(height, dpi) - client.bottom;
  if (missing > 0)
    SetWindowPos(w, nullptr, 0, 0, fw, fh + missing, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}

RECT PlaceOf(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TBox ScaledBox(int x, int y, int w, int h, UINT dpi) {
  const int left = Scaled(x, dpi), top = Scaled(y, dpi);
  return {left, top, Scaled(x + w, dpi) - left, Scaled(y + h, dpi) - top};
}

void TDeferredMoves::Move(HWND child, const TBox& to) {
  if (!child) return;
  HWND parent = GetParent(child);
  auto batch = batches_.begin();
  while (batch != batches_.end() && batch->first != parent) ++batch;
  if (batch == batches_.end()) batch = batches_.insert(batches_.end(), {parent, BeginDeferWindowPos(8)});
  constexpr UINT kFlags = SWP_NOZORDER | SWP_NOACTIVATE;
  if (batch->second) batch->second = DeferWindowPos(batch->second, child, nullptr, to.x, to.y, to.w, to.h, kFlags);
  // A batch the system could not keep: this move goes at once.
  if (!batch->second) SetWindowPos(child, nullptr, to.x, to.y, to.w, to.h, kFlags);
}

TDeferredMoves::~TDeferredMoves() {
  for (const auto& [parent, batch] : batches_)
    if (batch) EndDeferWindowPos(batch);
}

HICON CreateAlphaIcon(int size, const std::vector<uint32_t>& pixels) {
  if (size <= 0 || pixels.size() != static_cast<size_t>(size) * size) return nullptr;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = size;
  bi.bmiHeader.biHeight = -size;  // top-down, as the image is
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP color = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!color) return nullptr;
  // 0xAARRGGBB in memory is B, G, R, A: the DIB's own order.
  CopyMemory(bits, pixels.data(), pixels.size() * sizeof(uint32_t));
  // The alpha channel decides; an all-clear mask keeps older drawing paths
  // from punching holes. Monochrome rows are padded to 16 bits.
  const std::vector<uint8_t> zeros(static_cast<size_t>((size + 15) / 16 * 2) * size, 0);
  HBITMAP mask = CreateBitmap(size, size, 1, 1, zeros.data());
  ICONINFO info{TRUE, 0, 0, mask, color};
  HICON handle = CreateIconIndirect(&info);
  DeleteObject(mask);
  DeleteObject(color);
  return handle;
}

}  // namespace vanta::form
