// Plays the display control panel for a saver's preview: makes a 320x240
// top-level window, starts the saver with /p and the window's handle, looks
// for the preview among the host's children, then destroys the host window
// and measures how long the saver process takes to end.
//
//   vanta-preview-host SAVER.scr SETTLE_MS
// Prints
//   host LEFT TOP RIGHT BOTTOM          the host's client area on screen
//   host_window WIDTH HEIGHT            the host's outer size
//   child FOUND PARENT_OK LEFT TOP RIGHT BOTTOM   the saver's window among the
//                                       host's children and its client area
//   child_style STYLE                   its window style, in hex
//   alive_before 0|1                    the saver still ran when the host went
//   exit_ms N                           time from destroying the host to the
//                                       saver's end (-1: not within 10 s)
// Exit code 0 when all this could be measured, 1 otherwise.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct TSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindSaverChild(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<TSearch*>(p);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != s->pid) return TRUE;
  s->found = w;
  return FALSE;
}

// Serves the host window's messages for a while, as a control panel would.
void Pump(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  while (static_cast<LONG>(end - GetTickCount()) > 0) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

RECT ClientOnScreen(HWND w) {
  RECT r{};
  GetClientRect(w, &r);
  MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: vanta-preview-host SAVER.scr SETTLE_MS\n");
    return 1;
  }
  const DWORD settle = static_cast<DWORD>(std::atoi(argv[2]));
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = "VantaPreviewHost";
  RegisterClassA(&wc);
  HWND host = CreateWindowExA(0, wc.lpszClassName, "Preview host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 40,
                              40, 320, 240, nullptr, nullptr, wc.hInstance, nullptr);
  if (!host) {
    std::fprintf(stderr, "host: no window\n");
    return 1;
  }
  ShowWindow(host, SW_SHOW);
  Pump(200);

  std::string cmd = std::string("\"") + argv[1] + "\" /p " + std::to_string(reinterpret_cast<UINT_PTR>(host));
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::fprintf(stderr, "host: cannot start %s (%lu)\n", cmd.c_str(), GetLastError());
    return 1;
  }
  Pump(settle);

  const RECT h = ClientOnScreen(host);
  std::printf("host %ld %ld %ld %ld\n", h.left, h.top, h.right, h.bottom);
  RECT outer{};
  GetWindowRect(host, &outer);
  std::printf("host_window %ld %ld\n", outer.right - outer.left, outer.bottom - outer.top);
  TSearch s{pi.dwProcessId, nullptr};
  EnumChildWindows(host, FindSaverChild, reinterpret_cast<LPARAM>(&s));
  if (s.found) {
    const RECT c = ClientOnScreen(s.found);
    std::printf("child 1 %d %ld %ld %ld %ld\n", GetParent(s.found) == host ? 1 : 0, c.left, c.top, c.right,
                c.bottom);
    std::printf("child_style %08lx\n", static_cast<unsigned long>(GetWindowLongA(s.found, GWL_STYLE)));
  } else {
    std::printf("child 0 0 0 0 0 0\n");
  }
  const bool alive = WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT;
  std::printf("alive_before %d\n", alive ? 1 : 0);
  std::fflush(stdout);

  const DWORD start = GetTickCount();
  DestroyWindow(host);
  long exitMs = -1;
  for (;;) {
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) {
      exitMs = static_cast<long>(GetTickCount() - start);
      break;
    }
    if (GetTickCount() - start > 10000) break;
    Pump(20);
  }
  if (exitMs < 0) TerminateProcess(pi.hProcess, 1);  // leave no saver behind
  std::printf("exit_ms %ld\n", exitMs);
  std::fflush(stdout);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 0;
}
