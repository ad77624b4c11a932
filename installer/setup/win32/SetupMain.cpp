// The setup program. Before anything else it restricts where DLLs load
// from, so a planted DLL beside a downloaded setup is never taken.
// Built with VANTA_SETUP_TEST_SWITCHES (the tests' copy, never shipped) it
// also takes /TESTPAUSE=ms: each file or item held back that long, so that
// a test can press Cancel or take a screenshot in time.
#include <windows.h>

#include <cstdlib>
#include <vector>

#include "../Installer.h"
#include "SetupRoles.h"

namespace {

void HardenDllSearch() {
  using TSetDefault = BOOL(WINAPI*)(DWORD);
  // Present from Windows 8 (and 7 with KB2533623); taken by name so that
  // the setup still starts without it.
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (auto set = reinterpret_cast<TSetDefault>(reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories"))))
    set(LOAD_LIBRARY_SEARCH_SYSTEM32);
  SetDllDirectoryA("");
}

std::string OwnPath() {
  char buf[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
  return std::string(buf, n < MAX_PATH ? n : 0);
}

bool IsUninstaller(const std::string& self) {
  const std::string name = self.substr(self.find_last_of('\\') + 1);
  if (lstrcmpiA(name.c_str(), vanta::build::kUninstallerName) != 0) return false;
  const std::string log = vanta::build::FolderOfPath(self) + "\\" + vanta::build::kUninstallLogName;
  const DWORD a = GetFileAttributesA(log.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// The test build's own switch, taken out before the setup's are read.
vanta::build::TSetupHooks TestHooks(std::vector<std::string>& args) {
  vanta::build::TSetupHooks hooks;
#ifdef VANTA_SETUP_TEST_SWITCHES
  for (auto it = args.begin(); it != args.end();) {
    if (lstrcmpiA(it->substr(0, 11).c_str(), "/TESTPAUSE=") != 0 || it->size() > 16) {
      ++it;
      continue;
    }
    hooks.pauseMs = unsigned(std::strtoul(it->c_str() + 11, nullptr, 10));
    hooks.copyArguments = " " + *it;
    it = args.erase(it);
  }
#else
  (void)args;
#endif
  return hooks;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace vanta::build;
  HardenDllSearch();
  std::vector<std::string> args(__argv + 1, __argv + __argc);
  const TSetupHooks hooks = TestHooks(args);
  const TSetupCommand command = ParseSetupCommand(args);
  const std::string self = OwnPath();
  if (!command.uninstallFrom.empty()) return RunUninstallCopy(command, self, hooks);
  if (IsUninstaller(self)) return StartUninstallCopy(command, self, hooks);
  return RunSetup(command, self, hooks);
}
