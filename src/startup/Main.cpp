// The executable's entry: the Win32 side of start-up.
#include <windows.h>

#include <cstdlib>

#include "saver/FullscreenFormP.h"
#include "saver/PreviewFormP.h"
#include "setting_dialog/DistributeConfigFormP.h"
#include "startup/ChangeSaverPassword.h"
#include "startup/Startup.h"

namespace vanta {
namespace {

class TWin32StartupHost final : public IStartupHost {
 public:
  TWindowHandle GetForegroundWindow() override {
    return reinterpret_cast<TWindowHandle>(::GetForegroundWindow());
  }
  void SetForegroundWindow(TWindowHandle window) override {
    ::SetForegroundWindow(reinterpret_cast<HWND>(window));
  }
  void ChangeSaverPassword(TWindowHandle parent) override { vanta::ChangeSaverPassword(parent); }
  void RunMainWindow(TMainWindow window, const TCommandLine& cl) override {
    // Each window runs its own message loop until it closes. The builder
    // is not part of the program yet: its mode ends here without a window.
    switch (window) {
      case TMainWindow::SettingDialog:
        RunDistributeConfigForm();
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
};

}  // namespace
}  // namespace vanta

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::vector<std::string> args;
  for (int i = 1; i < __argc; ++i) args.emplace_back(__argv[i]);
  vanta::TWin32StartupHost host;
  vanta::RunStartup(args, host);
  return 0;
}
