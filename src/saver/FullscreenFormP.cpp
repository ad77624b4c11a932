#include "saver/FullscreenFormP.h"

#include "base/Random.h"
#include "music/MusicSet.h"
#include "platform/Registry.h"
#include "platform/win32/SystemLibrary.h"
#include "platform/win32/Win32Scheduler.h"
#include "show/ShowPlace.h"
#include "startup/Instance.h"

namespace vanta {

namespace {
RECT ScreenRect() {
  // The manifest declares the process DPI-aware, so these are physical pixels.
  return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// A saver keeps its place beside the user's settings; the builder's test
// show is a preview and keeps none.
std::string ShowPlaceFile() {
  const TInstanceIdentity& id = Instance();
  if (id.UserFolder.empty() || IsBuilderInstance(id.InstanceName)) return {};
  return ShowPlaceFileName(id.UserFolder, id.InstanceName);
}
}  // namespace

TFullscreenForm::TFullscreenForm(platform::IScheduler& scheduler, TWindowHandle parentWindow, bool mainWindow,
                                 const TSaverSetting& setting)
    : scheduler_(scheduler),
      parentWindow_(parentWindow),
      mainWindow_(mainWindow),
      setting_(setting),
      exit_(*this, parentWindow, setting) {
  Randomize();
  host_ = std::make_unique<platform::TWin32SurfaceHost>(nullptr, ScreenRect(), WS_POPUP, kFullscreenCaption);
  const HWND w = host_->Window();
  // A tool window has no task-bar entry; topmost keeps the show above all.
  SetWindowLongPtrA(w, GWL_EXSTYLE, GetWindowLongPtrA(w, GWL_EXSTYLE) | WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
  host_->MessageHook = [this](UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) { return Handle(msg, wp, lp, result); };
  mouseTimer_ = scheduler_.SetTimer(TShowExit::kMouseTimerMs, [this] { exit_.MouseTimerTick(); });
}

TFullscreenForm::~TFullscreenForm() {
  if (showing_) FormClose();
  scheduler_.KillTimer(mouseTimer_);
  host_->MessageHook = nullptr;
  runScreen_.reset();
}

void TFullscreenForm::FormShow() {
  const HWND w = host_->Window();
  const RECT r = ScreenRect();
  SetWindowPos(w, HWND_TOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_SHOWWINDOW);
  SetForegroundWindow(w);
  SetFocus(w);
  showing_ = true;
  exit_.SetSaverRunning(parentWindow_ == 0);
  if (runScreen_) {
    runScreen_->Surface().Start();
  } else {
    TShowMouseHandlers mouse;
    mouse.OnMouseMove = [this](TCustomVantascreen&, TPoint) { exit_.MouseMoved(); };
    mouse.OnMouseDown = [this](TCustomVantascreen&, TPoint) { exit_.MouseButton(); };
    mouse.OnMouseUp = [this](TCustomVantascreen&, TPoint) { exit_.MouseButton(); };
    runScreen_ = std::make_unique<TRunVantascreen>(
        TShowParent{*host_, scheduler_, r.right - r.left, r.bottom - r.top}, setting_, std::move(mouse), false, false,
        1, ShowPlaceFile());
  }
  runScreen_->StartMusic();
  host_->InvalidateArea({0, 0, r.right - r.left, r.bottom - r.top});
  host_->UpdateNow();
}

void TFullscreenForm::FormClose() {
  if (!showing_) return;
  showing_ = false;
  // Out of sight first: stopping the music can take a moment.
  ShowWindow(host_->Window(), SW_HIDE);
  try {
    ClearMusicList();
    StopMusic();
  } catch (...) {
  }
  if (runScreen_) {
    try {
      runScreen_->Surface().Stop();
    } catch (...) {
    }
    runScreen_->SetShowTimerEnabled(false);
  }
  exit_.SetSaverRunning(false);
  if (mainWindow_) PostQuitMessage(0);
}

bool TFullscreenForm::Handle(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      // No key, Alt combinations included, goes on to the default handling.
      exit_.KeyPressed();
      result = 0;
      return true;
    case WM_SYSCOMMAND:
      if (!TShowExit::RefusesSystemCommand(static_cast<uint32_t>(wp))) return false;
      result = 1;
      return true;
    case WM_CLOSE:
      FormClose();
      result = 0;
      return true;
  }
  return false;
}

void TFullscreenForm::SetScreenSaverRunning(bool running) {
  BOOL previous = FALSE;
  SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, running ? TRUE : FALSE, &previous, 0);
}

void TFullscreenForm::ShowCursor(bool show) { ::ShowCursor(show ? TRUE : FALSE); }

std::optional<int32_t> TFullscreenForm::ScreenSaveUsePassword() {
  return platform::ReadCurrentUserDword("Control Panel\\desktop", "ScreenSaveUsePassword");
}

std::optional<bool> TFullscreenForm::VerifyScreenSavePwd() {
  using TVerify = BOOL(WINAPI*)(HWND);
  std::optional<bool> verdict;
  platform::WithLibraryProc(platform::SystemFolder() + "PASSWORD.CPL", "VerifyScreenSavePwd", [&](FARPROC entry) {
    const BOOL ok = reinterpret_cast<TVerify>(reinterpret_cast<void*>(entry))(host_->Window());
    verdict = (ok & 0xFF) != 0;  // only the low byte carries the answer
  });
  return verdict;
}

void RunFullscreenForm(TWindowHandle parentWindow, const TSaverSetting& setting) {
  TFullscreenForm form(platform::MainScheduler(), parentWindow, true, setting);
  form.FormShow();
  platform::RunMessageLoop();
}

}  // namespace vanta
