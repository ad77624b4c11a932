// The show in miniature inside the display control panel's preview area
// (/p <window>): a child of that window whose area covers the host's whole
// area, pictures fitted into it, no caption, no music, no exit logic. With
// no usable host it is an ordinary window titled "PreviewForm". Windows only.
#pragma once
#include <windows.h>

#include <memory>

#include "base/Types.h"
#include "platform/Scheduler.h"
#include "platform/win32/Win32SurfaceHost.h"
#include "show/RunVantascreen.h"

namespace vanta {

inline constexpr char kPreviewCaption[] = "PreviewForm";
inline constexpr RECT kPreviewDesignRect{235, 129, 235 + 517, 129 + 392};  // outer frame, no host
inline constexpr uint32_t kHostCheckMs = 500;

class TPreviewForm {
 public:
  // setting is the record the preview shows; it must outlive the form.
  TPreviewForm(platform::IScheduler& scheduler, TWindowHandle parentWindow, const TSaverSetting& setting);
  ~TPreviewForm();
  TPreviewForm(const TPreviewForm&) = delete;
  TPreviewForm& operator=(const TPreviewForm&) = delete;

  void FormShow();
  HWND Window() const { return host_->Window(); }
  TRunVantascreen* RunScreen() { return runScreen_.get(); }

 private:
  bool Handle(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

  platform::IScheduler& scheduler_;
  const TSaverSetting& setting_;
  HWND parent_;
  std::unique_ptr<platform::TWin32SurfaceHost> host_;
  std::unique_ptr<TRunVantascreen> runScreen_;
  uint32_t hostCheck_ = 0;
};

// Runs the preview as the main window. The process ends when the window is
// closed or destroyed, or when its host window goes away, so no saver is
// left running without a place to draw. Runs on scheduler,
// showing setting.
void RunPreviewForm(TWindowHandle parentWindow, const TSaverSetting& setting, platform::IScheduler& scheduler);

}  // namespace vanta
