#include "startup/ChangeSaverPassword.h"

#include <windows.h>

namespace vanta {

void ChangeSaverPasswordIn(std::string folder, TWindowHandle parent) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  HMODULE lib = LoadLibraryA((folder + "MPR.DLL").c_str());
  if (!lib) return;
  using TPwdChangePassword = DWORD(WINAPI*)(LPCSTR, HWND, UINT, UINT);
  if (auto change = reinterpret_cast<TPwdChangePassword>(
          reinterpret_cast<void*>(GetProcAddress(lib, "PwdChangePasswordA"))))
    change("SCRSAVE", reinterpret_cast<HWND>(parent), 0, 0);  // its result is of no use to us
  FreeLibrary(lib);
}

void ChangeSaverPassword(TWindowHandle parent) {
  char buf[MAX_PATH + 1] = {};
  const UINT n = GetSystemDirectoryA(buf, MAX_PATH);
  ChangeSaverPasswordIn(n > 0 && n < MAX_PATH ? std::string(buf, n) : std::string(), parent);
}

}  // namespace vanta
