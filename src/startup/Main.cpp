// The executable's entry: the Win32 side of start-up.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "startup/Startup.h"
#include "startup/Win32StartupHost.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::vector<std::string> args;
  for (int i = 1; i < __argc; ++i) args.emplace_back(__argv[i]);
  vanta::TWin32StartupHost host;
  vanta::RunStartup(args, host);
  return 0;
}
