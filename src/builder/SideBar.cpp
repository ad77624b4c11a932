#include "builder/SideBar.h"

#include "builder/BuilderIcon.h"
#include "forms/FormLayout.h"

namespace vanta {
namespace {

constexpr COLORREF kStripColor = RGB(38, 50, 72);
constexpr COLORREF kSelectedColor = RGB(72, 98, 140);
constexpr COLORREF kCaptionColor = RGB(236, 240, 246);
constexpr int kIconTop = 8;
constexpr int kSelectionInset = 5;
constexpr int kSelectionRound = 10;

constexpr TBuilderIcon kIcons[kBuilderPages] = {TBuilderIcon::Images, TBuilderIcon::Music, TBuilderIcon::Effects,
                                                TBuilderIcon::Options, TBuilderIcon::Build};

}  // namespace

TSideBar::~TSideBar() {
  for (HICON i : icons_)
    if (i) DestroyIcon(i);
  if (background_) DeleteObject(background_);
}

void TSideBar::Attach(HWND box, UINT dpi) {
  box_ = box;
  dpi_ = dpi;
  if (!background_) background_ = CreateSolidBrush(kStripColor);
  for (int i = 0; i < kBuilderPages; ++i)
    if (!icons_[i]) icons_[i] = CreateBuilderIcon(kIcons[i], form::Scaled(kIconSize, dpi_));
  SendMessageA(box_, LB_RESETCONTENT, 0, 0);
  for (const char* caption : kPageCaptions) SendMessageA(box_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(caption));
  SendMessageA(box_, LB_SETITEMHEIGHT, 0, form::Scaled(kItemHeight, dpi_));
  Select(bpImages);
}

TBuilderPage TSideBar::Selected() const {
  const LRESULT sel = SendMessageA(box_, LB_GETCURSEL, 0, 0);
  return sel >= 0 && sel < kBuilderPages ? static_cast<TBuilderPage>(sel) : bpImages;
}

void TSideBar::Select(TBuilderPage page) { SendMessageA(box_, LB_SETCURSEL, page, 0); }

void TSideBar::DrawItem(const DRAWITEMSTRUCT& d) const {
  if (d.itemID >= static_cast<UINT>(kBuilderPages)) return;
  HDC dc = d.hDC;
  RECT rc = d.rcItem;
  FillRect(dc, &rc, background_);
  if (d.itemState & ODS_SELECTED) {
    const int inset = form::Scaled(kSelectionInset, dpi_), round = form::Scaled(kSelectionRound, dpi_);
    HBRUSH brush = CreateSolidBrush(kSelectedColor);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    RoundRect(dc, rc.left + inset, rc.top + inset / 2, rc.right - inset + 1, rc.bottom - inset / 2 + 1, round, round);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
  }
  const int icon = form::Scaled(kIconSize, dpi_);
  const int iconTop = rc.top + form::Scaled(kIconTop, dpi_);
  DrawIconEx(dc, (rc.left + rc.right - icon) / 2, iconTop, icons_[d.itemID], icon, icon, 0, nullptr, DI_NORMAL);
  RECT text{rc.left, iconTop + icon, rc.right, rc.bottom};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kCaptionColor);
  DrawTextA(dc, kPageCaptions[d.itemID], -1, &text, DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  if ((d.itemState & ODS_FOCUS) && !(d.itemState & ODS_NOFOCUSRECT)) {
    RECT focus = rc;
    InflateRect(&focus, -form::Scaled(2, dpi_), -form::Scaled(2, dpi_));
    DrawFocusRect(dc, &focus);
  }
}

}  // namespace vanta
