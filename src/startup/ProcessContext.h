// What a process has: the platform's seams and the executable's path. Main
// builds it once; start-up adds the identity and the settings, the host the
// main thread's scheduler and the music set for the main window's life; each
// window is handed only the parts it uses. Nothing reaches for them through
// free functions, so a test builds its own with fakes.
#pragma once
#include <string>

#include "platform/DynamicLibrary.h"
#include "platform/Files.h"
#include "platform/MediaControl.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

namespace vanta {

struct TProcessContext {
  platform::IShell& Shell;
  platform::IRegistry& Registry;
  platform::IUserFolders& UserFolders;
  platform::IDynamicLibraries& Libraries;  // mpegdll.dll
  platform::TMediaControlFactory MakeMediaDevice;
  std::string ExecutablePath;
};

}  // namespace vanta
