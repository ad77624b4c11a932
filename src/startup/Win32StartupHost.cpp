#include "startup/Win32StartupHost.h"

#include <windows.h>

#include "saver/FullscreenFormP.h"
#include "saver/PreviewFormP.h"
#include "setting_dialog/DistributeConfigFormP.h"
#include "settings/SaverSettings.h"
#include "startup/ChangeSaverPassword.h"
#include "startup/Instance.h"

namespace vanta {
namespace {

// OK in the "Setting" dialog: the edited record becomes the process's and is
// written while the dialog is still open, so that a file that cannot be
// written keeps the dialog open.
void KeepEditedSetting(const TSaverSetting& edited) {
  SaverSetting() = edited;
  SaveSaverSettings();
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
  // Each window runs its own message loop until it closes. The builder is
  // not part of the program yet: its mode ends here without a window.
  switch (window) {
    case TMainWindow::SettingDialog:
      RunDistributeConfigForm(SaverSetting(), Instance().InstanceName, Instance().InstallFolder, KeepEditedSetting);
      break;
    case TMainWindow::FullScreen:
      RunFullscreenForm(cl.ParentWindow);
      break;
    case TMainWindow::Preview:
      RunPreviewForm(cl.ParentWindow);
      break;
    case TMainWindow::None:
    case TMainWindow::Builder:
      break;
  }
}

}  // namespace vanta
