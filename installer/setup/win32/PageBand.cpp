#include "PageBand.h"

#include <commctrl.h>

#include "ProgramResources.h"

namespace vanta::build {

RECT BandRect(HWND dialog) {
  RECT client, band{0, 0, 0, kBandHeight};
  GetClientRect(dialog, &client);
  MapDialogRect(dialog, &band);
  band.right = client.right;
  return band;
}

RECT BandPicturePlace(const RECT& band) {
  const LONG margin = (band.bottom - band.top) / 8, side = band.bottom - band.top - 2 * margin;
  return {band.right - margin - side, band.top + margin, band.right - margin, band.top + margin + side};
}

void DrawWizardPicture(HDC dc, const TWizardPicture& p, const RECT& to) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), LONG(p.width), -LONG(p.height), 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchDIBits(dc, to.left, to.top, to.right - to.left, to.bottom - to.top, 0, 0, int(p.width), int(p.height), p.rows.data(), &info,
                DIB_RGB_COLORS, SRCCOPY);
}

void PaintBand(HDC dc, const RECT& band, const TWizardPicture& small, HICON icon) {
  FillRect(dc, &band, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  RECT line{band.left, band.bottom, band.right, band.bottom + 2};
  DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
  const RECT place = BandPicturePlace(band);
  if (!small.Empty()) {
    DrawWizardPicture(dc, small, place);
  } else if (icon) {
    // The icon at its own size, in the middle of the picture's place.
    const int side = GetSystemMetrics(SM_CXICON);
    DrawIconEx(dc, (place.left + place.right - side) / 2, (place.top + place.bottom - side) / 2, icon, side, side, 0, nullptr, DI_NORMAL);
  }
}

HFONT BoldFontOf(HWND dialog) {
  LOGFONTA lf{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof lf, &lf);
  lf.lfWeight = FW_BOLD;
  return CreateFontIndirectA(&lf);
}

void TWindowIcons::Give(HWND window) {
  const auto load = [](int metric) {
    const int side = GetSystemMetrics(metric);
    return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kSetupIconGroup), IMAGE_ICON, side, side, 0));
  };
  big_ = load(SM_CXICON);
  small_ = load(SM_CXSMICON);
  if (big_) SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_));
  if (small_) SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_));
}

TWindowIcons::~TWindowIcons() {
  if (big_) DestroyIcon(big_);
  if (small_) DestroyIcon(small_);
}

void LoadProgressControls() {
  using TInit = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  const INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
  if (HMODULE common = LoadLibraryA("comctl32.dll"))
    if (auto init = reinterpret_cast<TInit>(reinterpret_cast<void*>(GetProcAddress(common, "InitCommonControlsEx"))))
      init(&icc);
}

}  // namespace vanta::build
