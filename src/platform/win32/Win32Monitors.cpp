#include "platform/win32/Win32Monitors.h"

#include <windows.h>

namespace vanta::platform {

namespace {
BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoA(monitor, &info)) {
    const RECT& r = info.rcMonitor;
    reinterpret_cast<std::vector<TMonitor>*>(data)->push_back(
        {{r.left, r.top, r.right, r.bottom}, (info.dwFlags & MONITORINFOF_PRIMARY) != 0});
  }
  return TRUE;
}
}  // namespace

std::vector<TMonitor> TWin32Monitors::List() {
  std::vector<TMonitor> monitors;
  if (!EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors))) monitors.clear();
  return monitors;
}

TRect TWin32Monitors::PrimaryScreen() { return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

}  // namespace vanta::platform
