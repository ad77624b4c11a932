// The window of the running screensaver and of the builder's full-screen
// preview: borderless, topmost, covering the screen in physical pixels,
// without a task-bar entry. It hosts a show driver on its whole area and
// ends the show by the exit rules of TShowExit. Windows only.
#pragma once
#include <windows.h>

#include <memory>

#include "platform/Scheduler.h"
#include "platform/win32/Win32SurfaceHost.h"
#include "saver/ShowExit.h"
#include "show/RunVantascreen.h"

namespace vanta {

inline constexpr char kFullscreenCaption[] = "Screen Show";

class TFullscreenForm final : private ISaverHost {
 public:
  // As the main window its closing ends the message loop; otherwise closing
  // only hides it and keeps its show driver for the next showing. The
  // scheduler is the main one (the music set's too) outside tests.
  // setting is the record the show shows and whose inputs end it; it must
  // outlive the form.
  TFullscreenForm(platform::IScheduler& scheduler, TWindowHandle parentWindow, bool mainWindow,
                  const TSaverSetting& setting);
  ~TFullscreenForm() override;
  TFullscreenForm(const TFullscreenForm&) = delete;
  TFullscreenForm& operator=(const TFullscreenForm&) = delete;

  void FormShow();
  void FormClose();
  HWND Window() const { return host_->Window(); }
  TRunVantascreen* RunScreen() { return runScreen_.get(); }

 private:
  bool Handle(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

  // ISaverHost
  void SetScreenSaverRunning(bool running) override;
  void ShowCursor(bool show) override;
  std::optional<int32_t> ScreenSaveUsePassword() override;
  std::optional<bool> VerifyScreenSavePwd() override;
  void CloseWindow() override { FormClose(); }

  platform::IScheduler& scheduler_;
  TWindowHandle parentWindow_;
  bool mainWindow_;
  const TSaverSetting& setting_;
  std::unique_ptr<platform::TWin32SurfaceHost> host_;
  std::unique_ptr<TRunVantascreen> runScreen_;
  TShowExit exit_;
  uint32_t mouseTimer_ = 0;
  bool showing_ = false;
};

// Runs the full-screen show as the process's main window until it closes,
// on platform::MainScheduler(), showing setting.
void RunFullscreenForm(TWindowHandle parentWindow, const TSaverSetting& setting);

}  // namespace vanta
