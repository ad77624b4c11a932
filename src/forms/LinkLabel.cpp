#include "forms/LinkLabel.h"

#include <algorithm>
#include <string>

#include "forms/Controls.h"
#include "forms/FormLayout.h"
#include "platform/win32/WideText.h"

namespace vanta::form {
namespace {

LOGFONTA WindowFont(HWND window) {
  LOGFONTA lf{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), sizeof lf, &lf);
  return lf;
}

}  // namespace

HFONT CreateLinkFont(HWND window) {
  LOGFONTA lf = WindowFont(window);
  lf.lfUnderline = TRUE;
  return CreateFontIndirectA(&lf);
}

HFONT CreateBoldFont(HWND window, int height) {
  LOGFONTA lf = WindowFont(window);
  lf.lfWeight = FW_BOLD;
  if (height) lf.lfHeight = -height;
  return CreateFontIndirectA(&lf);
}

void SetFont(HWND control, HFONT font) { SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE); }

int TextWidth(HWND label) {
  const std::wstring wide = platform::Widen(WindowText(label));
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
  SIZE size{};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  return size.cx;
}

void FitToText(HWND label, int maxWidth) {
  const RECT r = PlaceOf(label);
  MoveWindow(label, r.left, r.top, std::clamp<int>(TextWidth(label), 1, maxWidth), r.bottom - r.top, TRUE);
}

bool ShowHandOverLink(HWND dialog, HWND over, std::initializer_list<HWND> links) {
  if (!over || std::find(links.begin(), links.end(), over) == links.end()) return false;
  SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));  // the hand
  SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
  return true;
}

}  // namespace vanta::form
