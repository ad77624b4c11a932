#include "forms/PageHost.h"

#include <utility>

#include "forms/FormLayout.h"

namespace vanta::form {

HWND CreatePage(int templateId, HWND parent, int windowId, TDialogHandler& handler) {
  HWND page = CreateDialogFor(templateId, parent, handler);
  if (page) SetWindowLongPtrA(page, GWLP_ID, windowId);
  return page;
}

void TTabPages::Attach(HWND tab, std::vector<HWND> pages, std::span<const char* const> captions) {
  tab_ = tab;
  pages_ = std::move(pages);
  for (size_t i = 0; i < captions.size(); ++i) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(captions[i]);
    SendMessageA(tab_, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
  }
}

void TTabPages::Fit(HWND after) const {
  RECT area = PlaceOf(tab_);
  SendMessageA(tab_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
  for (HWND page : pages_)
    SetWindowPos(page, after, area.left, area.top, area.right - area.left, area.bottom - area.top, SWP_NOACTIVATE);
}

void TTabPages::Select(int index) const {
  SendMessageA(tab_, TCM_SETCURSEL, index, 0);
  for (size_t i = 0; i < pages_.size(); ++i) ShowWindow(pages_[i], static_cast<int>(i) == index ? SW_SHOW : SW_HIDE);
}

bool TTabPages::Notified(const NMHDR& n) const {
  if (!tab_ || n.hwndFrom != tab_ || n.code != TCN_SELCHANGE) return false;
  Select(static_cast<int>(SendMessageA(tab_, TCM_GETCURSEL, 0, 0)));
  return true;
}

void TTabPages::Clear() {
  tab_ = nullptr;
  pages_.clear();
}

}  // namespace vanta::form
