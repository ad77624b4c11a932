#include "startup/Startup.h"

#include "base/Text.h"
#include "settings/Instance.h"

namespace vanta {

TMainWindow MainWindowFor(TSaverMode mode, const std::string& instanceName) {
  switch (mode) {
    case smFullScreen:
      return TMainWindow::FullScreen;
    case smPreview:
      return TMainWindow::Preview;
    case smChangePassword:
      return TMainWindow::None;
    case smConfigure:
    case smConfigureAsked:
      break;
  }
  return IsBuilderInstance(instanceName) ? TMainWindow::Builder : TMainWindow::SettingDialog;
}

void RunStartup(const std::vector<std::string>& args, IStartupHost& host, const TIdentitySource& source) {
  const TCommandLine cl = ParseCommandLine(args, [&] { return host.GetForegroundWindow(); });
  TInstanceIdentity identity;
  try {
    identity = DetermineInstanceIdentity(source.ExecutablePath, source.Registry, source.UserFolders);
  } catch (...) {
  }
  TSettingsStore settings(std::move(identity));
  try {
    settings.Load();
  } catch (...) {
    // The show never reports: a settings file that cannot be had gives the defaults.
  }

  if (cl.SaverMode == smChangePassword) {
    if (cl.ParentWindow != 0) host.ChangeSaverPassword(cl.ParentWindow);
    return;
  }
  host.RunMainWindow(MainWindowFor(cl.SaverMode, settings.Identity().InstanceName), cl, settings);
  if (cl.SaverMode == smFullScreen && cl.PreviousForegroundWindow != 0)
    host.SetForegroundWindow(cl.PreviousForegroundWindow);
}

}  // namespace vanta
