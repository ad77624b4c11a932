// The window of the running screensaver and of the builder's full-screen
// preview: borderless, topmost, covering every monitor (the virtual screen)
// in physical pixels, without a task-bar entry. It hosts the show on all
// monitors and ends it by the exit rules of TShowExit, wherever on the
// virtual screen the mouse or a key is used. Windows only.
#pragma once
#include <windows.h>

#include <memory>

#include "platform/Registry.h"
#include "platform/Scheduler.h"
#include "platform/win32/Win32Monitors.h"
#include "platform/win32/Win32SurfaceHost.h"
#include "saver/ShowExit.h"
#include "show/ScreenShow.h"

namespace vanta {

inline constexpr char kFullscreenCaption[] = "Screen Show";

class TMusicSet;

// What the show window works with; each must outlive the form.
struct TShowSeams {
  platform::IScheduler& Scheduler;
  platform::IRegistry& Registry;  // the system's password setting
  TMusicSet* Music = nullptr;     // what the show plays; none: silent
};

// Where a saver keeps its place in the show and its frame-rate log; empty
// for none.
struct TSaverFiles {
  std::string Place;
  std::string Log;
};

class TFullscreenForm final : private ISaverHost {
 public:
  // After a display change the show lays itself out again this much later
  // (the system sends several changes in a row).
  static constexpr uint32_t kRelayoutMs = 250;

  // As the main window its closing ends the message loop; otherwise closing
  // only hides it, and the next showing starts the show afresh. The
  // scheduler is the main one (the music set's too) outside tests.
  // setting is the record the show shows and whose inputs end it; it must
  // outlive the form. files: where a saver keeps its place and its log
  // (empty: none). monitors: the system's when null; else it must outlive the form.
  TFullscreenForm(const TShowSeams& seams, TWindowHandle parentWindow, bool mainWindow, const TSaverSetting& setting,
                  TSaverFiles files = {}, platform::IMonitors* monitors = nullptr);
  ~TFullscreenForm() override;
  TFullscreenForm(const TFullscreenForm&) = delete;
  TFullscreenForm& operator=(const TFullscreenForm&) = delete;

  void FormShow();
  void FormClose();
  HWND Window() const { return host_->Window(); }
  TScreenShow* Show() { return show_.get(); }
  // The monitors asked again; the window and the show follow them.
  void DisplayChanged();

 private:
  bool Handle(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  TScreenLayout CurrentLayout();
  void Place(const TScreenLayout& layout, bool show);

  // ISaverHost
  void SetScreenSaverRunning(bool running) override;
  void ShowCursor(bool show) override;
  std::optional<int32_t> ScreenSaveUsePassword() override;
  std::optional<bool> VerifyScreenSavePwd() override;
  void CloseWindow() override { FormClose(); }

  platform::IScheduler& scheduler_;
  platform::IRegistry& registry_;
  TMusicSet* music_;
  TSaverFiles files_;
  TWindowHandle parentWindow_;
  bool mainWindow_;
  const TSaverSetting& setting_;
  platform::TWin32Monitors systemMonitors_;
  platform::IMonitors& monitors_;
  std::unique_ptr<platform::TWin32SurfaceHost> host_;
  std::unique_ptr<TScreenShow> show_;
  TShowExit exit_;
  uint32_t mouseTimer_ = 0;
  uint32_t relayoutTimer_ = 0;
  bool showing_ = false;
};

// The manifest asks for per-monitor awareness (V2, else system-wide); this
// asks again where a host ignored it. Before the process's first window.
void DeclarePerMonitorDpi();

// Where a saver of that identity keeps its place in the show and logs its
// frame rates; the builder's test show is a preview and keeps neither.
TSaverFiles SaverFiles(const TInstanceIdentity& id);

// Runs the full-screen show as the process's main window until it closes,
// on the scheduler of its seams, showing setting.
void RunFullscreenForm(TWindowHandle parentWindow, const TSaverSetting& setting, const TShowSeams& seams,
                       const TSaverFiles& files);

}  // namespace vanta
