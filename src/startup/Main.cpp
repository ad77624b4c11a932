// The executable's entry: the Win32 side of start-up. What the process has
// is made here, once, and handed down.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "startup/ProcessContext.h"
#include "startup/Startup.h"
#include "startup/Win32StartupHost.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace vanta;
  std::vector<std::string> args;
  for (int i = 1; i < __argc; ++i) args.emplace_back(__argv[i]);
  const TProcessContext process{platform::SystemShell(),     platform::SystemRegistry(),
                                platform::SystemUserFolders(), platform::SystemLibraries(),
                                platform::CreateMediaControl, platform::ExecutablePath()};
  TWin32StartupHost host(process);
  RunStartup(args, host, {process.ExecutablePath, process.Registry, process.UserFolders});
  return 0;
}
