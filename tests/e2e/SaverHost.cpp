// Plays the system's side of a saver's life.
//
//   vanta-saver-host SAVER.scr SETTLE_MS
// The display control panel: makes a 320x240 top-level window, starts the
// saver with /p and the window's handle, looks for the preview among the
// host's children, then destroys the host window and measures how long the
// saver process takes to end. Prints
//   host LEFT TOP RIGHT BOTTOM          the host's client area on screen
//   host_window WIDTH HEIGHT            the host's outer size
//   child FOUND PARENT_OK LEFT TOP RIGHT BOTTOM   the saver's window among the
//                                       host's children and its client area
//   child_style STYLE                   its window style, in hex
//   alive_before 0|1                    the saver still ran when the host went
//   exit_ms N                           time from destroying the host to the
//                                       saver's end (-1: not within 10 s)
//
//   vanta-saver-host SAVER.scr --foreground
// The desktop before a full-screen show: window A in front, window B above it
// in the z-order but not active. Starts the saver with /s, waits for its
// window, ends the show with a key and prints
//   show_found 0|1
//   saver_ended 0|1
//   foreground A|B|other                which window is in front afterwards
// Without being handed back the foreground would go to B, the next window
// below the show.
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

bool Start(const std::string& cmd, PROCESS_INFORMATION& pi) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  std::string line = cmd;
  if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return true;
  std::fprintf(stderr, "host: cannot start %s (%lu)\n", cmd.c_str(), GetLastError());
  return false;
}

int Foreground(const char* saver) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "VantaDesktopWindow";
  RegisterClassA(&wc);
  HWND a = CreateWindowExA(0, wc.lpszClassName, "Window A", WS_OVERLAPPEDWINDOW, 40, 40, 300, 200, nullptr,
                           nullptr, wc.hInstance, nullptr);
  HWND b = CreateWindowExA(0, wc.lpszClassName, "Window B", WS_OVERLAPPEDWINDOW, 400, 40, 300, 200, nullptr,
                           nullptr, wc.hInstance, nullptr);
  ShowWindow(a, SW_SHOW);
  SetForegroundWindow(a);
  ShowWindow(b, SW_SHOWNOACTIVATE);
  SetWindowPos(b, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Pump(300);
  if (GetForegroundWindow() != a) {
    std::fprintf(stderr, "host: window A did not come to the front\n");
    return 1;
  }
  PROCESS_INFORMATION pi{};
  if (!Start(std::string("\"") + saver + "\" /s", pi)) return 1;
  HWND show = nullptr;
  for (int i = 0; i < 300 && !show; ++i) {
    Pump(20);
    show = FindWindowA(nullptr, "Screen Show");
    if (show && !IsWindowVisible(show)) show = nullptr;
  }
  std::printf("show_found %d\n", show ? 1 : 0);
  if (show) {
    Pump(1000);  // the first picture
    PostMessageA(show, WM_KEYDOWN, 'X', 1);
    PostMessageA(show, WM_KEYUP, 'X', 1 | (1u << 30) | (1u << 31));
  }
  bool ended = false;
  for (int i = 0; i < 250 && !ended; ++i) {
    ended = WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0;
    if (!ended) Pump(20);
  }
  if (!ended) TerminateProcess(pi.hProcess, 1);
  Pump(300);
  std::printf("saver_ended %d\n", ended ? 1 : 0);
  const HWND front = GetForegroundWindow();
  std::printf("foreground %s\n", front == a ? "A" : front == b ? "B" : "other");
  std::fflush(stdout);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: vanta-saver-host SAVER.scr SETTLE_MS | --foreground\n");
    return 1;
  }
  if (std::string(argv[2]) == "--foreground") return Foreground(argv[1]);
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

  PROCESS_INFORMATION pi{};
  if (!Start(std::string("\"") + argv[1] + "\" /p " + std::to_string(reinterpret_cast<UINT_PTR>(host)), pi))
    return 1;
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
