// Test stand-in for MPR.DLL: appends each PwdChangePasswordA call to the
// file named by VANTA_FAKE_MPR_LOG.
#include <windows.h>

#include <cstdio>

extern "C" __declspec(dllexport) DWORD WINAPI PwdChangePasswordA(LPCSTR provider, HWND owner, UINT r1, UINT r2) {
  char log[MAX_PATH];
  if (!GetEnvironmentVariableA("VANTA_FAKE_MPR_LOG", log, sizeof log)) return 1;
  if (FILE* f = std::fopen(log, "ab")) {
    std::fprintf(f, "%s %ld %u %u\n", provider ? provider : "(null)", static_cast<long>(reinterpret_cast<INT_PTR>(owner)),
                 r1, r2);
    std::fclose(f);
  }
  return 0;
}
