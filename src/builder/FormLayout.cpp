#include "builder/FormLayout.h"

#include <commctrl.h>

#include <vector>

namespace vanta::form {
namespace {

template <typename TProc>
TProc SystemProc(const char* library, const char* name) {
  HMODULE module = GetModuleHandleA(library);
  if (!module) module = LoadLibraryA(library);
  return module ? reinterpret_cast<TProc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace

UINT WindowDpi(HWND w) {
  using TGetDpiForWindow = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = SystemProc<TGetDpiForWindow>("user32.dll", "GetDpiForWindow");
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

std::string WindowText(HWND w) {
  std::string s(static_cast<size_t>(GetWindowTextLengthA(w)) + 1, '\0');
  s.resize(static_cast<size_t>(GetWindowTextA(w, s.data(), static_cast<int>(s.size()))));
  return s;
}

bool Checked(HWND w) { return SendMessageA(w, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void SetChecked(HWND w, bool on) { SendMessageA(w, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }

HICON CreateBuilderIcon(TBuilderIcon icon, int size) {
  const TIconImage image = DrawBuilderIcon(icon, size);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = image.Size;
  bi.bmiHeader.biHeight = -image.Size;  // top-down, as the image is
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP color = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!color) return nullptr;
  // 0xAARRGGBB in memory is B, G, R, A: the DIB's own order.
  CopyMemory(bits, image.Pixels.data(), image.Pixels.size() * sizeof(uint32_t));
  // The alpha channel decides; an all-clear mask keeps older drawing paths
  // from punching holes. Monochrome rows are padded to 16 bits.
  const std::vector<uint8_t> zeros(static_cast<size_t>((image.Size + 15) / 16 * 2) * image.Size, 0);
  HBITMAP mask = CreateBitmap(image.Size, image.Size, 1, 1, zeros.data());
  ICONINFO info{TRUE, 0, 0, mask, color};
  HICON handle = CreateIconIndirect(&info);
  DeleteObject(mask);
  DeleteObject(color);
  return handle;
}

HWND CreateHints(HWND owner, UINT delayMs) {
  HWND tips = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  SendMessageA(tips, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(delayMs, 0));
  return tips;
}

void AddHint(HWND tips, HWND control, const char* text) {
  TTTOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = GetParent(control);
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = const_cast<char*>(text);
  SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

std::string HintOf(HWND tips, HWND control) {
  char text[256] = {};
  TTTOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = GetParent(control);
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text;
  SendMessageA(tips, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
  return text;
}

}  // namespace vanta::form
