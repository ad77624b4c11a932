#include "builder/CheckListView.h"

#include <commctrl.h>

#include "forms/FormLayout.h"
#include "platform/win32/SystemLibrary.h"
#include "platform/win32/WideText.h"

namespace vanta {
namespace {

constexpr int kTickBoxSize = 13;  // at 96 DPI, as the system draws check boxes
constexpr int kTickMargin = 2;
constexpr int kTextGap = 4;
// A splice this large is made with drawing off and shown with one redraw.
constexpr size_t kQuietSplice = 16;

// Themed tick boxes where the system has visual styles; classic ones elsewhere.
struct TThemeApi {
  using TOpen = HANDLE(WINAPI*)(HWND, LPCWSTR);
  using TClose = HRESULT(WINAPI*)(HANDLE);
  using TDraw = HRESULT(WINAPI*)(HANDLE, HDC, int, int, const RECT*, const RECT*);
  TOpen open = nullptr;
  TClose close = nullptr;
  TDraw draw = nullptr;
  TThemeApi()
      : open(platform::SystemProc<TOpen>("uxtheme.dll", "OpenThemeData")),
        close(platform::SystemProc<TClose>("uxtheme.dll", "CloseThemeData")),
        draw(platform::SystemProc<TDraw>("uxtheme.dll", "DrawThemeBackground")) {}
};

void DrawTick(HWND box, HDC dc, RECT r, bool checked) {
  static const TThemeApi api;
  constexpr int kButtonCheckBox = 3, kUnchecked = 1, kChecked = 5;  // BP_CHECKBOX, CBS_*NORMAL
  if (api.open && api.close && api.draw)
    if (HANDLE theme = api.open(box, L"BUTTON")) {
      api.draw(theme, dc, kButtonCheckBox, checked ? kChecked : kUnchecked, &r, nullptr);
      api.close(theme);
      return;
    }
  DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (checked ? DFCS_CHECKED : 0));
}

}  // namespace

void TCheckListView::Attach(HWND box, UINT dpi, int horizontalExtent) {
  box_ = box;
  dpi_ = dpi;
  shown_.clear();
  SendMessageA(box_, LB_RESETCONTENT, 0, 0);
  SendMessageA(box_, LB_SETITEMHEIGHT, 0, form::Scaled(kItemHeight, dpi_));
  SendMessageA(box_, LB_SETHORIZONTALEXTENT, form::Scaled(horizontalExtent, dpi_), 0);
  // Subclassed by its procedure, not SetWindowSubclass: under Wine that
  // chain looks up a window property for every message, 150 us an entry
  // when ten thousand pictures are listed (1.5 s against 10 ms).
  SetWindowLongPtrW(box_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  boxDefault_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(box_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BoxProc)));
}

bool TCheckListView::Several() const { return box_ && (GetWindowLongA(box_, GWL_STYLE) & LBS_EXTENDEDSEL); }

std::vector<int> TCheckListView::SelectedIndices() const {
  if (!Several()) {
    const LRESULT sel = SendMessageA(box_, LB_GETCURSEL, 0, 0);
    return sel == LB_ERR ? std::vector<int>{} : std::vector<int>{static_cast<int>(sel)};
  }
  const LRESULT n = SendMessageA(box_, LB_GETSELCOUNT, 0, 0);
  std::vector<int> indices(n > 0 ? static_cast<size_t>(n) : 0);
  if (n > 0) SendMessageA(box_, LB_GETSELITEMS, n, reinterpret_cast<LPARAM>(indices.data()));
  return indices;
}

int TCheckListView::FocusIndex() const {
  if (!Several()) return static_cast<int>(SendMessageA(box_, LB_GETCURSEL, 0, 0));
  // The caret of a box with nothing selected is no selection.
  if (SendMessageA(box_, LB_GETSELCOUNT, 0, 0) <= 0) return -1;
  return static_cast<int>(SendMessageA(box_, LB_GETCARETINDEX, 0, 0));
}

void TCheckListView::Show(const TMediaList& list, const std::vector<int>* several) {
  const TListSplice s = SpliceBetween(shown_, list);
  const bool quiet = s.Remove + s.Insert > kQuietSplice;
  if (quiet) SendMessageA(box_, WM_SETREDRAW, FALSE, 0);
  if (s.Remove > 0 && s.Remove == shown_.size()) {
    SendMessageA(box_, LB_RESETCONTENT, 0, 0);
  } else {
    for (size_t i = 0; i < s.Remove; ++i) SendMessageA(box_, LB_DELETESTRING, s.At, 0);
  }
  shown_.erase(shown_.begin() + s.At, shown_.begin() + s.At + s.Remove);
  if (s.Insert > 0) {
    size_t bytes = 0;
    for (size_t i = 0; i < s.Insert; ++i) bytes += list.Items[s.At + i].Text.size() + 1;
    SendMessageA(box_, LB_INITSTORAGE, s.Insert, bytes);
    const bool appending = s.At == shown_.size();
    for (size_t i = 0; i < s.Insert; ++i) {
      const char* text = list.Items[s.At + i].Text.c_str();
      if (appending) SendMessageA(box_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
      else SendMessageA(box_, LB_INSERTSTRING, s.At + i, reinterpret_cast<LPARAM>(text));
    }
    std::vector<std::string> inserted;
    inserted.reserve(s.Insert);
    for (size_t i = 0; i < s.Insert; ++i) inserted.push_back(list.Items[s.At + i].Text);
    shown_.insert(shown_.begin() + s.At, inserted.begin(), inserted.end());
  }
  if (!Several()) {
    SendMessageA(box_, LB_SETCURSEL, list.HasSelection() ? list.Selected : -1, 0);
  } else {
    SendMessageA(box_, LB_SETSEL, FALSE, -1);
    const std::vector<int> one{list.Selected};
    for (int i : several ? *several : one)
      if (i >= 0 && i < static_cast<int>(list.Items.size())) SendMessageA(box_, LB_SETSEL, TRUE, i);
    if (list.HasSelection()) SendMessageA(box_, LB_SETCARETINDEX, list.Selected, FALSE);
  }
  if (quiet) SendMessageA(box_, WM_SETREDRAW, TRUE, 0);
  // Ticks may have changed without the texts: the box draws them anew.
  InvalidateRect(box_, nullptr, quiet);
}

RECT TCheckListView::TickBox(const RECT& item) const {
  const int size = form::Scaled(kTickBoxSize, dpi_);
  const int left = item.left + form::Scaled(kTickMargin, dpi_);
  const int top = item.top + (item.bottom - item.top - size) / 2;
  return {left, top, left + size, top + size};
}

bool TCheckListView::OnTickBox(int index, int x) const {
  RECT item;
  if (SendMessageA(box_, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)) == LB_ERR) return false;
  const RECT tick = TickBox(item);
  return x >= item.left && x < tick.right + form::Scaled(kTickMargin, dpi_);
}

void TCheckListView::DrawItem(const DRAWITEMSTRUCT& d, const TMediaList& list) const {
  if (d.itemID == static_cast<UINT>(-1) || d.itemID >= list.Items.size()) {
    FillRect(d.hDC, &d.rcItem, GetSysColorBrush(COLOR_WINDOW));
    if (d.itemState & ODS_FOCUS) DrawFocusRect(d.hDC, &d.rcItem);
    return;
  }
  const TListEntry& entry = list.Items[d.itemID];
  const bool selected = d.itemState & ODS_SELECTED;
  HDC dc = d.hDC;
  FillRect(dc, &d.rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  const RECT tick = TickBox(d.rcItem);
  DrawTick(box_, dc, tick, entry.Checked);
  RECT text = d.rcItem;
  text.left = tick.right + form::Scaled(kTextGap, dpi_);
  SetBkMode(dc, TRANSPARENT);
  // An entry without a tick is left out of the show: it reads as switched off.
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : entry.Checked ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
  // Names are UTF-8; narrow drawing would go by the font's character set.
  const std::wstring wide = platform::Widen(EntryCaption(entry.Text));
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  if (d.itemState & ODS_FOCUS) DrawFocusRect(dc, &d.rcItem);
}

void TCheckListView::ClickCheck(int index) const {
  try {
    if (OnClickCheck) OnClickCheck(index);
  } catch (...) {
    // Nothing may unwind through the system's window code.
  }
}

LRESULT CALLBACK TCheckListView::BoxProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<TCheckListView*>(GetWindowLongPtrW(w, GWLP_USERDATA));
  const WNDPROC next = self->boxDefault_;
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const LRESULT hit = SendMessageA(w, LB_ITEMFROMPOINT, 0, lp);
      const int index = LOWORD(hit);
      const int x = static_cast<short>(LOWORD(lp));
      if (HIWORD(hit) || !self->OnTickBox(index, x)) break;
      // A click on the box selects the entry and turns its tick; a double
      // click there is two turns, never the entry's double click.
      const LRESULT r = CallWindowProcW(next, w, WM_LBUTTONDOWN, wp, lp);
      self->ClickCheck(index);
      return r;
    }
    case WM_KEYDOWN:
      if (wp == 'A' && GetKeyState(VK_CONTROL) < 0 && self->Several()) {
        SendMessageA(w, LB_SETSEL, TRUE, -1);
        SendMessageA(GetParent(w), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(w), LBN_SELCHANGE), reinterpret_cast<LPARAM>(w));
        return 0;
      }
      if (wp != VK_SPACE) break;
      if (const int sel = self->FocusIndex(); sel >= 0) self->ClickCheck(sel);
      return 0;
    case WM_CHAR:
      if (wp == ' ') return 0;  // taken by WM_KEYDOWN
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrW(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(next));
      self->box_ = nullptr;
      break;
  }
  return CallWindowProcW(next, w, msg, wp, lp);
}

}  // namespace vanta
