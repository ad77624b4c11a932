// A stand-in for the system's password check, installed as PASSWORD.CPL for
// one test run. VANTA_TEST_PASSWORD decides the answer ("accept" or anything
// else to refuse); every call is counted in the file VANTA_TEST_PASSWORD_LOG
// names, so a test sees that the saver asked and did not just close.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" __declspec(dllexport) BOOL WINAPI VerifyScreenSavePwd(HWND window) {
  if (const char* log = std::getenv("VANTA_TEST_PASSWORD_LOG")) {
    if (FILE* f = std::fopen(log, "a")) {
      std::fprintf(f, "asked %s\n", IsWindow(window) ? "window" : "no-window");
      std::fclose(f);
    }
  }
  const char* answer = std::getenv("VANTA_TEST_PASSWORD");
  return answer && std::strcmp(answer, "accept") == 0 ? TRUE : FALSE;
}
