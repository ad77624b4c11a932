// The start-up sequence, apart from the platform that carries it out.
//
// Parse the command line, work out the instance identity and load its
// settings (in every mode), then either
// change the password and end, or open the one main window the mode calls
// for and run its message loop; after a full-screen show give the
// foreground back to the window that had it.
#pragma once
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/Registry.h"
#include "settings/SaverSettings.h"
#include "startup/CommandLine.h"

namespace vanta {

enum class TMainWindow {
  None,           // mode 5 (the password change runs without a window)
  Builder,        // configure, instance "vantasaver" in any letter case
  SettingDialog,  // configure, any other instance
  FullScreen,     // mode 3
  Preview,        // mode 4
};

TMainWindow MainWindowFor(TSaverMode mode, const std::string& instanceName);

// What start-up asks of its platform.
class IStartupHost {
 public:
  virtual ~IStartupHost() = default;
  virtual TWindowHandle GetForegroundWindow() = 0;
  virtual void SetForegroundWindow(TWindowHandle window) = 0;
  virtual void ChangeSaverPassword(TWindowHandle parent) = 0;
  // Creates the window on the loaded settings and runs the message loop
  // until it closes.
  virtual void RunMainWindow(TMainWindow window, const TCommandLine& cl, TSettingsStore& settings) = 0;
};

// Where start-up finds out who this copy is.
struct TIdentitySource {
  std::string ExecutablePath;
  platform::IRegistry& Registry;
  platform::IUserFolders& UserFolders;
};

// The whole life of the process; args without the program name.
void RunStartup(const std::vector<std::string>& args, IStartupHost& host, const TIdentitySource& source);

}  // namespace vanta
