#include "startup/Win32StartupHost.h"

#include <windows.h>

#include "builder/ConfigFormP.h"
#include "music/MusicSet.h"
#include "platform/Files.h"
#include "platform/win32/Win32Scheduler.h"
#include "saver/FullscreenFormP.h"
#include "saver/PreviewFormP.h"
#include "setting_dialog/DistributeConfigFormP.h"
#include "settings/Instance.h"
#include "settings/SaverSettings.h"
#include "startup/ChangeSaverPassword.h"

namespace vanta {
namespace {

// OK in the "Setting" dialog: the edited record becomes the process's and is
// written while the dialog is still open, so that a file that cannot be
// written keeps the dialog open.
void KeepEditedSetting(TSettingsStore& settings, const TSaverSetting& edited) {
  settings.Setting() = edited;
  settings.Save();
}

// OK in the builder: the edited controls go into the process's record and,
// with the list sections they changed, into the settings file, in one
// replacement of the file while the window is still open. A file that
// cannot be written keeps the window open.
void KeepBuilderControls(TSettingsStore& settings, const TConfigControls& edited) {
  TIniFile& ini = settings.Ini();
  TIniFile::TBatch batch(ini);
  ApplyControls(edited, settings.Setting(), &ini);
  settings.Save();
}

void RunBuilder(const TProcessContext& process, const TBuilderSeams& seams, TSettingsStore& settings) {
  const TInstanceIdentity& id = settings.Identity();
  RunVantaConfigForm(settings,
                     {id.InstallFolder, process.ExecutablePath, id.UserFolder,
                      process.UserFolders.Folder(platform::TUserFolder::Documents), id.CompilerFolder},
                     seams, [&settings](const TConfigControls& edited) { KeepBuilderControls(settings, edited); });
}

}  // namespace

TWindowHandle TWin32StartupHost::GetForegroundWindow() {
  return reinterpret_cast<TWindowHandle>(::GetForegroundWindow());
}

void TWin32StartupHost::SetForegroundWindow(TWindowHandle window) {
  ::SetForegroundWindow(reinterpret_cast<HWND>(window));
}

void TWin32StartupHost::ChangeSaverPassword(TWindowHandle parent) { vanta::ChangeSaverPassword(parent); }

void TWin32StartupHost::RunMainWindow(TMainWindow window, const TCommandLine& cl, TSettingsStore& settings) {
  const TInstanceIdentity& id = settings.Identity();
  // The show asks for every monitor's own pixels before the process's first
  // window, the scheduler's, is made.
  if (window == TMainWindow::FullScreen) DeclarePerMonitorDpi();
  // The main thread's, for the life of the window; the music set's players
  // run their timers on it and go before it.
  platform::TWin32Scheduler scheduler;
  TMusicSet music(scheduler, process_.Libraries, process_.MakeMediaDevice);
  // Each window runs its own message loop until it closes.
  switch (window) {
    case TMainWindow::Builder:
      RunBuilder(process_, {scheduler, process_.Shell, process_.Registry, music}, settings);
      break;
    case TMainWindow::SettingDialog:
      RunDistributeConfigForm(settings.Setting(), id.InstanceName, id.InstallFolder, process_.Shell,
                              [&settings](const TSaverSetting& edited) { KeepEditedSetting(settings, edited); });
      break;
    case TMainWindow::FullScreen:
      RunFullscreenForm(cl.ParentWindow, settings.Setting(), {scheduler, process_.Registry, &music},
                        SaverFiles(id));
      break;
    case TMainWindow::Preview:
      RunPreviewForm(cl.ParentWindow, settings.Setting(), scheduler);
      break;
    case TMainWindow::None:
      break;
  }
}

}  // namespace vanta
