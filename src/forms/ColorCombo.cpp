#include "forms/ColorCombo.h"

#include "forms/ColorList.h"
#include "forms/FormLayout.h"
#include "platform/Shell.h"

namespace vanta {
namespace {
constexpr int kSwatchMargin = 2;
constexpr int kSwatchWidth = 20;
constexpr int kColorTextLeft = 26;  // after the swatch
constexpr int kOtherTextLeft = 4;   // "Other color..." has no swatch
}  // namespace

void TColorCombo::Attach(HWND combo, UINT dpi) {
  combo_ = combo;
  dpi_ = dpi;
  const int height = form::Scaled(kItemHeight, dpi_);
  SendMessageA(combo_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);  // the closed list's field
  SendMessageA(combo_, CB_SETITEMHEIGHT, 0, height);
  SetColor(0);
}

void TColorCombo::SetColor(TColor color) {
  const TColorList items = ColorListFor(color);
  SendMessageA(combo_, CB_RESETCONTENT, 0, 0);
  for (const TColorListItem& item : items.Items) {
    const LRESULT i = SendMessageA(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.Text.c_str()));
    SendMessageA(combo_, CB_SETITEMDATA, i, static_cast<LPARAM>(item.Color));
  }
  SendMessageA(combo_, CB_SETCURSEL, items.Selected, 0);
  color_ = color;
}

void TColorCombo::Chosen(HWND owner, platform::IShell& shell) {
  const LRESULT sel = SendMessageA(combo_, CB_GETCURSEL, 0, 0);
  if (sel == CB_ERR) return;
  if (sel + 1 < SendMessageA(combo_, CB_GETCOUNT, 0, 0)) {
    color_ = static_cast<TColor>(SendMessageA(combo_, CB_GETITEMDATA, sel, 0));
    return;
  }
  SetColor(shell.PickColor(reinterpret_cast<std::intptr_t>(owner), color_).value_or(color_));
}

void DrawColorListItem(const DRAWITEMSTRUCT& d, UINT dpi) {
  if (d.itemID == static_cast<UINT>(-1)) return;
  HWND combo = d.hwndItem;
  const bool selected = d.itemState & ODS_SELECTED;
  const bool other = static_cast<LRESULT>(d.itemID) + 1 == SendMessageA(combo, CB_GETCOUNT, 0, 0);
  HDC dc = d.hDC;
  RECT rc = d.rcItem;
  FillRect(dc, &rc, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (!other) {
    const int margin = form::Scaled(kSwatchMargin, dpi);
    RECT swatch{rc.left + margin, rc.top + margin, rc.left + margin + form::Scaled(kSwatchWidth, dpi),
                rc.bottom - margin};
    HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(d.itemData) & 0xFFFFFF);
    FillRect(dc, &swatch, brush);
    DeleteObject(brush);
    FrameRect(dc, &swatch, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  }
  char text[64] = {};
  if (SendMessageA(combo, CB_GETLBTEXTLEN, d.itemID, 0) < static_cast<LRESULT>(sizeof text))
    SendMessageA(combo, CB_GETLBTEXT, d.itemID, reinterpret_cast<LPARAM>(text));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  rc.left += form::Scaled(other ? kOtherTextLeft : kColorTextLeft, dpi);
  DrawTextA(dc, text, -1, &rc, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  if (d.itemState & ODS_FOCUS) DrawFocusRect(dc, &d.rcItem);
}

void TColorCombo::DrawItem(const DRAWITEMSTRUCT& d) const { DrawColorListItem(d, dpi_); }

}  // namespace vanta
