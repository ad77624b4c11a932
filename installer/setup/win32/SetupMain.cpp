// The setup program. Before anything else it restricts where DLLs load
// from, so a planted DLL beside a downloaded setup is never taken.
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

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  using namespace vanta::build;
  HardenDllSearch();
  const TSetupCommand command = ParseSetupCommand(std::vector<std::string>(__argv + 1, __argv + __argc));
  const std::string self = OwnPath();
  if (!command.uninstallFrom.empty()) return RunUninstallCopy(command, self);
  if (IsUninstaller(self)) return StartUninstallCopy(command, self);
  return RunSetup(command, self);
}
