#include "saver/PreviewFormP.h"

#include "platform/win32/Win32Scheduler.h"

namespace vanta {

namespace {
// The client area in the parent's coordinates, or the design place of an
// ordinary window. In a host the area is 10 pixels wider and higher than the
// host and begins above and left of it by the widths of a sizeable frame's
// right and bottom edges, where the preview has always put it (it used to
// be a framed window pushed up and left by its own frame).
RECT ClientPlace(HWND parent) {
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
  if (parent) {
    RECT host{};
    GetWindowRect(parent, &host);
    return {-frame.right, -frame.bottom, host.right - host.left + 10 - frame.right,
            host.bottom - host.top + 10 - frame.bottom};
  }
  const RECT r = kPreviewDesignRect;
  return {r.left - frame.left, r.top - frame.top, r.right - frame.right, r.bottom - frame.bottom};
}
}  // namespace

TPreviewForm::TPreviewForm(platform::IScheduler& scheduler, TWindowHandle parentWindow, const TSaverSetting& setting)
    : scheduler_(scheduler), setting_(setting) {
  HWND parent = reinterpret_cast<HWND>(parentWindow);
  if (parent && !IsWindow(parent)) parent = nullptr;  // a stale handle gives an ordinary window
  parent_ = parent;
  const DWORD style = parent ? WS_CHILD : WS_OVERLAPPEDWINDOW;
  host_ = std::make_unique<platform::TWin32SurfaceHost>(parent, ClientPlace(parent), style, kPreviewCaption);
  host_->MessageHook = [this](UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) { return Handle(msg, wp, lp, result); };
  if (parent_) {
    hostCheck_ = scheduler_.SetTimer(kHostCheckMs, [this] {
      if (!IsWindow(parent_)) PostQuitMessage(0);
    });
  }
}

TPreviewForm::~TPreviewForm() {
  if (hostCheck_) scheduler_.KillTimer(hostCheck_);
  runScreen_.reset();
  host_->MessageHook = nullptr;
}

void TPreviewForm::FormShow() {
  ShowWindow(host_->Window(), SW_SHOWNOACTIVATE);
  RECT client{};
  GetClientRect(host_->Window(), &client);
  runScreen_ = std::make_unique<TRunVantascreen>(TShowParent{*host_, scheduler_, client.right, client.bottom},
                                                 setting_, TShowMouseHandlers{}, true, false, 1);
}

bool TPreviewForm::Handle(UINT msg, WPARAM, LPARAM, LRESULT& result) {
  if (msg == WM_DESTROY) {
    // The host destroys its children with itself.
    PostQuitMessage(0);
    result = 0;
    return false;
  }
  if (msg == WM_CLOSE && !parent_) {
    PostQuitMessage(0);
    result = 0;
    return true;
  }
  return false;
}

void RunPreviewForm(TWindowHandle parentWindow, const TSaverSetting& setting, platform::IScheduler& scheduler) {
  TPreviewForm form(scheduler, parentWindow, setting);
  form.FormShow();
  platform::RunMessageLoop();
}

}  // namespace vanta
