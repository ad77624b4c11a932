#include "builder/BuilderPage.h"

#include <exception>
#include <stdexcept>

#include "builder/ConfigFormRes.h"
#include "forms/Controls.h"
#include "forms/FormLayout.h"

namespace vanta {
namespace {

constexpr TPlace kBottomBar[] = {
    {kOnPage, IDC_BARLINE, 8, 288, 422, 2},
    {kOnPage, IDC_NEXTBUTTON, 8, 298, 44, 26},
    {kOnPage, IDC_PREVIEWBUTTON, 196, 298, 74, 26},
    {kOnPage, IDC_OKBUTTON, 276, 298, 74, 26},
    {kOnPage, IDC_CANCELBUTTON, 356, 298, 74, 26},
};

}  // namespace

std::span<const TPlace> BottomBarLayout() { return kBottomBar; }

TBuilderPageBase::TBuilderPageBase(IBuilderFrame& frame, TBuilderPage page) : frame_(frame), page_(page) {}

int TBuilderPageBase::Scaled(int pixels) const { return form::Scaled(pixels, frame_.Dpi()); }

void TBuilderPageBase::Make() {
  if (window_ || !frame_.Window()) return;
  const auto create = [this](int templateId, HWND parent, int windowId) {
    HWND w = form::CreateDialogFor(templateId, parent, *this);
    if (!w) throw std::runtime_error("A page of the builder window could not be created.");
    SetWindowLongPtrA(w, GWLP_ID, windowId);
    return w;
  };
  window_ = create(IDD_TAB1 + page_, frame_.Window(), IDC_TAB1 + page_);
  for (const auto& [templateId, windowId] : SubPages()) subs_.push_back(create(templateId, window_, windowId));
  // Made for a control while another page shows: hidden until selected.
  ShowWindow(window_, SW_HIDE);
  const UINT dpi = frame_.Dpi();
  const auto place = [&](const TPlace& p) {
    form::Place(p.sub == kOnPage ? window_ : Sub(static_cast<size_t>(p.sub)), p.id, p.x, p.y, p.w, p.h, dpi);
  };
  for (const TPlace& p : Layout()) place(p);
  if (page_ < bpBuild)
    for (const TPlace& p : kBottomBar) place(p);
  // The page fills the rest of the window.
  const int left = Scaled(kSideBarWidth);
  MoveWindow(window_, left, 0, Scaled(kSideBarWidth + kPageWidth) - left, Scaled(kClientHeight), FALSE);
  if (page_ < bpBuild) SetUpBottomBar();
  SetUp();
  Write(frame_.Record());
}

HWND TBuilderPageBase::Find(int id) const {
  if (!window_) return nullptr;
  if (HWND w = GetDlgItem(window_, id)) return w;
  for (HWND sub : subs_)
    if (HWND w = GetDlgItem(sub, id)) return w;
  return nullptr;
}

void TBuilderPageBase::Forget() {
  window_ = nullptr;
  subs_.clear();
}

void TBuilderPageBase::SetUpBottomBar() {
  const auto setIcon = [](HWND button, HICON icon) {
    SendMessageA(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
  };
  const std::string next = "Next (" + std::to_string(page_ + 1) + "/5)";
  setIcon(Own(IDC_NEXTBUTTON), frame_.ButtonIcon(TButtonIcon::Next));
  HWND hints = frame_.Hints();
  form::AddHint(hints, Own(IDC_NEXTBUTTON), next.c_str());
  form::AddHint(hints, Own(IDC_PREVIEWBUTTON), "Preview in full screen");
  form::AddHint(hints, Own(IDC_OKBUTTON), "Save and Exit");
  form::AddHint(hints, Own(IDC_CANCELBUTTON), "Undo and Exit");
}

INT_PTR TBuilderPageBase::Drawn(HWND window) {
  SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
  return TRUE;
}

INT_PTR TBuilderPageBase::HandleMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND) {
    bool taken = false;
    try {
      taken = Command(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
    } catch (const std::exception& e) {
      frame_.Fail(e.what());  // a file error reaches the error box, as every builder failure does
      return TRUE;
    }
    if (taken) return TRUE;
  } else if (const INT_PTR r = PageMessage(window, msg, wp, lp)) {
    return r;
  }
  return frame_.FrameMessage(window, msg, wp, lp);
}

}  // namespace vanta
