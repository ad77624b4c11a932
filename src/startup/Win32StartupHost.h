// The Win32 side of start-up: what RunStartup asks of the system, and the
// one main window of each mode with its message loop.
#pragma once
#include "startup/ProcessContext.h"
#include "startup/Startup.h"

namespace vanta {

class TWin32StartupHost final : public IStartupHost {
 public:
  // process must outlive the host.
  explicit TWin32StartupHost(const TProcessContext& process) : process_(process) {}

  TWindowHandle GetForegroundWindow() override;
  void SetForegroundWindow(TWindowHandle window) override;
  void ChangeSaverPassword(TWindowHandle parent) override;
  void RunMainWindow(TMainWindow window, const TCommandLine& cl, TSettingsStore& settings) override;

 private:
  const TProcessContext& process_;
};

}  // namespace vanta
