#include "saver/FullscreenFormP.h"

#include "base/Random.h"
#include "music/MusicSet.h"
#include "platform/win32/SystemLibrary.h"
#include "platform/win32/Win32Scheduler.h"
#include "settings/Instance.h"
#include "show/ShowCounter.h"
#include "show/ShowPlace.h"

namespace vanta {

namespace {
constexpr UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED, newer than the headers' target
}  // namespace

// So that every monitor gets real pixels. Once the awareness is set the
// calls fail harmlessly.
void DeclarePerMonitorDpi() {
  using TSetContext = BOOL(WINAPI*)(HANDLE);
  const HANDLE perMonitorV2 = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-4));
  if (auto set = platform::SystemProc<TSetContext>("user32.dll", "SetProcessDpiAwarenessContext")) {
    set(perMonitorV2);
    return;
  }
  SetProcessDPIAware();  // older systems: system-wide awareness
}

// A saver keeps its place, and logs its frame and processor rates, beside
// the user's settings.
TSaverFiles SaverFiles(const TInstanceIdentity& id) {
  if (id.UserFolder.empty() || IsBuilderInstance(id.InstanceName)) return {};
  return {ShowPlaceFileName(id.UserFolder, id.InstanceName), ShowLogFileName(id.UserFolder, id.InstanceName)};
}

TFullscreenForm::TFullscreenForm(const TShowSeams& seams, TWindowHandle parentWindow, bool mainWindow,
                                 const TSaverSetting& setting, TSaverFiles files, platform::IMonitors* monitors)
    : scheduler_(seams.Scheduler),
      registry_(seams.Registry),
      music_(seams.Music),
      files_(std::move(files)),
      parentWindow_(parentWindow),
      mainWindow_(mainWindow),
      setting_(setting),
      monitors_(monitors ? *monitors : systemMonitors_),
      exit_(*this, parentWindow, setting) {
  Randomize();
  // The manifest declares the process DPI-aware per monitor: physical pixels on every monitor.
  const TRect r = CurrentLayout().Window;
  host_ = std::make_unique<platform::TWin32SurfaceHost>(nullptr, RECT{r.Left, r.Top, r.Right, r.Bottom}, WS_POPUP,
                                                        kFullscreenCaption);
  const HWND w = host_->Window();
  // A tool window has no task-bar entry; topmost keeps the show above all.
  SetWindowLongPtrA(w, GWL_EXSTYLE, GetWindowLongPtrA(w, GWL_EXSTYLE) | WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
  host_->MessageHook = [this](UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) { return Handle(msg, wp, lp, result); };
  mouseTimer_ = scheduler_.SetTimer(TShowExit::kMouseTimerMs, [this] { exit_.MouseTimerTick(); });
}

TFullscreenForm::~TFullscreenForm() {
  if (showing_) FormClose();
  scheduler_.KillTimer(mouseTimer_);
  if (relayoutTimer_) scheduler_.KillTimer(relayoutTimer_);
  host_->MessageHook = nullptr;
  show_.reset();
}

TScreenLayout TFullscreenForm::CurrentLayout() {
  return LayOutScreens(monitors_.List(), monitors_.PrimaryScreen(), setting_.MultiScreen);
}

void TFullscreenForm::Place(const TScreenLayout& layout, bool show) {
  const TRect& r = layout.Window;
  SetWindowPos(host_->Window(), HWND_TOPMOST, r.Left, r.Top, r.Width(), r.Height(), show ? SWP_SHOWWINDOW : 0);
}

void TFullscreenForm::FormShow() {
  const HWND w = host_->Window();
  const TScreenLayout layout = CurrentLayout();
  Place(layout, true);
  SetForegroundWindow(w);
  SetFocus(w);
  showing_ = true;
  exit_.SetSaverRunning(parentWindow_ == 0);
  // Each showing starts afresh from the record, which may have changed meanwhile.
  if (show_) show_->Relayout(layout, true);
  else show_ = std::make_unique<TScreenShow>(*host_, scheduler_, setting_, layout, files_.Place, music_, files_.Log);
  show_->StartMusic();
  host_->InvalidateArea({0, 0, layout.Window.Width(), layout.Window.Height()});
  host_->UpdateNow();
}

void TFullscreenForm::DisplayChanged() {
  if (!show_ || !showing_) return;
  const TScreenLayout layout = CurrentLayout();
  if (layout == show_->Layout()) return;
  Place(layout, false);
  show_->Relayout(layout);
  host_->UpdateNow();
}

void TFullscreenForm::FormClose() {
  if (!showing_) return;
  showing_ = false;
  // Out of sight first: stopping the music can take a moment.
  ShowWindow(host_->Window(), SW_HIDE);
  try {
    if (music_) {
      music_->ClearMusicList();
      music_->StopMusic();
    }
  } catch (...) {
  }
  if (show_) show_->Stop();
  exit_.SetSaverRunning(false);
  if (mainWindow_) PostQuitMessage(0);
}

bool TFullscreenForm::Handle(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
  switch (msg) {
    // The mouse anywhere on the window, gaps between monitors too; the
    // surfaces still see it after.
    case WM_MOUSEMOVE: exit_.MouseMoved(); return false;
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
    case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_MBUTTONUP:
      exit_.MouseButton();
      return false;
    case WM_DISPLAYCHANGE:
      if (relayoutTimer_) scheduler_.KillTimer(relayoutTimer_);
      relayoutTimer_ = scheduler_.SetTimer(kRelayoutMs, [this] {
        scheduler_.KillTimer(relayoutTimer_);
        relayoutTimer_ = 0;
        DisplayChanged();
      });
      result = 0;
      return true;
    case kDpiChanged:
      // The window stays over the virtual screen, whatever DPI its centre's monitor has.
      result = 0;
      return true;
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
  return registry_.CurrentUserDword("Control Panel\\desktop", "ScreenSaveUsePassword");
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

void RunFullscreenForm(TWindowHandle parentWindow, const TSaverSetting& setting, const TShowSeams& seams,
                       const TSaverFiles& files) {
  TFullscreenForm form(seams, parentWindow, true, setting, files);
  form.FormShow();
  platform::RunMessageLoop();
}

}  // namespace vanta
