#include "builder/BuilderPage.h"

#include <exception>
#include <stdexcept>

#include "builder/ConfigFormRes.h"
#include "forms/Controls.h"
#include "forms/FormLayout.h"
#include "forms/PageHost.h"

namespace vanta {
namespace {

constexpr TPlace kBottomBar[] = {
    {kOnPage, IDC_BARLINE, 8, 288, 422, 2},
    {kOnPage, IDC_NEXTBUTTON, 8, 298, 44, 26},
    {kOnPage, IDC_PREVIEWBUTTON, 196, 298, 74, 26},
    {kOnPage, IDC_OKBUTTON, 276, 298, 74, 26},
    {kOnPage, IDC_CANCELBUTTON, 356, 298, 74, 26},
};
// The bar keeps to the bottom; its buttons but Next to the right.
constexpr TAnchor kBottomBarAnchors[] = {
    {kOnPage, IDC_BARLINE, form::kAnchorBottomWide},      {kOnPage, IDC_NEXTBUTTON, form::kAnchorBottom},
    {kOnPage, IDC_PREVIEWBUTTON, form::kAnchorCorner},    {kOnPage, IDC_OKBUTTON, form::kAnchorCorner},
    {kOnPage, IDC_CANCELBUTTON, form::kAnchorCorner},
};

const TAnchor* AnchorOf(std::span<const TAnchor> anchors, const TPlace& p) {
  for (const TAnchor& a : anchors)
    if (a.sub == p.sub && a.id == p.id) return &a;
  return nullptr;
}

form::TBox BoxOf(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

}  // namespace

std::span<const TPlace> BottomBarLayout() { return kBottomBar; }

TBuilderPageBase::TBuilderPageBase(IBuilderFrame& frame, TBuilderPage page) : frame_(frame), page_(page) {}

int TBuilderPageBase::Scaled(int pixels) const { return form::Scaled(pixels, frame_.Host().Dpi); }

void TBuilderPageBase::Make() {
  HWND frame = frame_.Host().Window;
  if (window_ || !frame) return;
  const auto create = [this](int templateId, HWND parent, int windowId) {
    HWND w = form::CreatePage(templateId, parent, windowId, *this);
    if (!w) throw std::runtime_error("A page of the builder window could not be created.");
    return w;
  };
  window_ = create(IDD_TAB1 + page_, frame, IDC_TAB1 + page_);
  for (const auto& [templateId, windowId] : SubPages()) subs_.push_back(create(templateId, window_, windowId));
  // Made for a control while another page shows: hidden until selected.
  ShowWindow(window_, SW_HIDE);
  const UINT dpi = frame_.Host().Dpi;
  form::PlaceAll(Layout(), window_, subs_, dpi);
  if (HasBottomBar()) form::PlaceAll(kBottomBar, window_, {}, dpi);
  // The page fills the rest of the window.
  const int left = Scaled(kSideBarWidth);
  MoveWindow(window_, left, 0, Scaled(kSideBarWidth + kPageWidth) - left, Scaled(kClientHeight), FALSE);
  if (HasBottomBar()) SetUpBottomBar();
  SetUp();
  for (HWND sub : subs_) subPlaces_.push_back(form::PlaceOf(sub));
  // Made while the window is larger than its template: as large.
  RECT client;
  GetClientRect(frame, &client);
  if (client.right - left > Scaled(kPageWidth) || client.bottom > Scaled(kClientHeight))
    Resize(client.right - left, client.bottom);
  Write(frame_.Record());
}

void TBuilderPageBase::Resize(int width, int height) {
  if (!window_) return;
  const UINT dpi = frame_.Host().Dpi;
  const int left = Scaled(kSideBarWidth);
  const form::TExtent from{Scaled(kSideBarWidth + kPageWidth) - left, Scaled(kClientHeight)};
  const form::TExtent to{width, height};
  form::TDeferredMoves moves;
  moves.Move(window_, {left, 0, width, height});
  const bool subsGrow = SubPagesGrow();
  if (subsGrow)
    for (size_t i = 0; i < subs_.size(); ++i)
      moves.Move(subs_[i], form::Anchored(BoxOf(subPlaces_[i]), form::kAnchorStretch, from, to));
  const auto follow = [&](const TPlace& p, std::span<const TAnchor> anchors) {
    const TAnchor* a = AnchorOf(anchors, p);
    if (!a || (p.sub != kOnPage && !subsGrow)) return;
    HWND parent = p.sub == kOnPage ? window_ : Sub(static_cast<size_t>(p.sub));
    moves.Move(GetDlgItem(parent, p.id), form::Anchored(form::ScaledBox(p.x, p.y, p.w, p.h, dpi), a->anchors, from, to));
  };
  for (const TPlace& p : Layout()) follow(p, Anchors());
  if (HasBottomBar())
    for (const TPlace& p : kBottomBar) follow(p, kBottomBarAnchors);
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
  subPlaces_.clear();
}

void TBuilderPageBase::SetUpBottomBar() {
  const auto setIcon = [](HWND button, HICON icon) {
    SendMessageA(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
  };
  const std::string next = "Next (" + std::to_string(page_ + 1) + "/" + std::to_string(kBuilderPages) + ")";
  setIcon(Own(IDC_NEXTBUTTON), frame_.Host().Icon(TButtonIcon::Next));
  HWND hints = frame_.Host().Hints;
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
