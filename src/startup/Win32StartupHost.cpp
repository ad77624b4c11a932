#include "startup/Win32StartupHost.h"

#include <windows.h>

#include "builder/ConfigFormP.h"
#include "platform/Files.h"
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
void KeepEditedSetting(const TSaverSetting& edited) {
  SaverSetting() = edited;
  SaveSaverSettings();
}

// OK in the builder: the edited controls go into the process's record and,
// with the list sections they changed, into the settings file, in one
// replacement of the file while the window is still open. A file that
// cannot be written keeps the window open.
void KeepBuilderControls(const TConfigControls& edited) {
  TIniFile& ini = SettingsIni();
  TIniFile::TBatch batch(ini);
  ApplyControls(edited, SaverSetting(), &ini);
  SaveSaverSettings();
}

void RunBuilder() {
  TIniFile* ini = nullptr;
  try {
    ini = &SettingsIni();
  } catch (...) {
    return;  // no settings file to edit: no builder
  }
  RunVantaConfigForm(SaverSetting(), *ini,
                     {Instance().InstallFolder, InstanceExecutablePath(), Instance().UserFolder,
                      platform::UserFolder(platform::TUserFolder::Documents), Instance().CompilerFolder},
                     KeepBuilderControls);
}

}  // namespace

TWindowHandle TWin32StartupHost::GetForegroundWindow() {
  return reinterpret_cast<TWindowHandle>(::GetForegroundWindow());
}

void TWin32StartupHost::SetForegroundWindow(TWindowHandle window) {
  ::SetForegroundWindow(reinterpret_cast<HWND>(window));
}

void TWin32StartupHost::ChangeSaverPassword(TWindowHandle parent) { vanta::ChangeSaverPassword(parent); }

void TWin32StartupHost::RunMainWindow(TMainWindow window, const TCommandLine& cl) {
  // Each window runs its own message loop until it closes.
  switch (window) {
    case TMainWindow::Builder:
      RunBuilder();
      break;
    case TMainWindow::SettingDialog:
      RunDistributeConfigForm(SaverSetting(), Instance().InstanceName, Instance().InstallFolder, KeepEditedSetting);
      break;
    case TMainWindow::FullScreen:
      RunFullscreenForm(cl.ParentWindow, SaverSetting());
      break;
    case TMainWindow::Preview:
      RunPreviewForm(cl.ParentWindow, SaverSetting());
      break;
    case TMainWindow::None:
      break;
  }
}

}  // namespace vanta
