#include "startup/ChangeSaverPassword.h"

#include <windows.h>

#include "platform/win32/SystemLibrary.h"

namespace vanta {

void ChangeSaverPasswordIn(std::string folder, TWindowHandle parent) {
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  using TPwdChangePassword = DWORD(WINAPI*)(LPCSTR, HWND, UINT, UINT);
  platform::WithLibraryProc(folder + "MPR.DLL", "PwdChangePasswordA", [&](FARPROC entry) {
    // Its result is of no use to us: the dialog has told the user.
    reinterpret_cast<TPwdChangePassword>(reinterpret_cast<void*>(entry))("SCRSAVE", reinterpret_cast<HWND>(parent), 0,
                                                                         0);
  });
}

void ChangeSaverPassword(TWindowHandle parent) { ChangeSaverPasswordIn(platform::SystemFolder(), parent); }

}  // namespace vanta
