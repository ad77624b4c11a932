// Driving a running setup from a test: its dialogs found and pressed, and
// what Wine shows of its windows measured from the Unix side.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "setup/win32/WizardIds.h"

namespace vanta::build::test {

struct TDialogSearch {
  DWORD pid;
  bool wizard;
  HWND found;
};

inline BOOL CALLBACK VisitDialog(HWND w, LPARAM lp) {
  auto* s = reinterpret_cast<TDialogSearch*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  char cls[32] = "";
  GetClassNameA(w, cls, sizeof cls);
  if (pid != s->pid || std::string(cls) != "#32770" || !IsWindowVisible(w)) return TRUE;
  if ((GetDlgItem(w, IDC_NEXT) != nullptr) != s->wizard) return TRUE;
  s->found = w;
  return FALSE;
}

// A process left running while the test drives its windows.
class TRunning {
 public:
  TRunning(const std::string& exe, const std::string& arguments) {
    std::string line = "\"" + exe + "\" " + arguments;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_)) pi_ = {};
  }
  ~TRunning() {
    if (!pi_.hProcess) return;
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 99);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }
  DWORD Wait() {
    if (!pi_.hProcess || WaitForSingleObject(pi_.hProcess, 60000) != WAIT_OBJECT_0) return 998;
    DWORD code = 997;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
  }
  // A dialog of this process: the setup's own (it has a Next button) or a
  // message box over it.
  HWND Find(bool wizard, int timeoutMs = 15000) const {
    TDialogSearch search{pi_.dwProcessId, wizard, nullptr};
    for (int waited = 0; waited < timeoutMs && !search.found; waited += 50) {
      EnumWindows(VisitDialog, reinterpret_cast<LPARAM>(&search));
      if (!search.found) Sleep(50);
    }
    return search.found;
  }

 private:
  PROCESS_INFORMATION pi_{};
};

inline std::wstring Wide(const std::string& utf8) {
  std::wstring w(utf8.size(), L'\0');
  w.resize(size_t(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), w.data(), int(w.size()))));
  return w;
}

inline std::optional<std::string> LoadWide(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buf[4096];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
  CloseHandle(h);
  return bytes;
}

inline std::string ItemText(HWND dialog, int id) {
  char buf[1024] = "";
  SendMessageA(GetDlgItem(dialog, id), WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
  return buf;
}

inline void Press(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Answers a message box and waits until it is gone, so that the next
// search cannot find it again.
inline void Answer(HWND box, int button) {
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  for (int i = 0; i < 200 && IsWindow(box); ++i) Sleep(25);
  EXPECT_FALSE(IsWindow(box)) << "the message box stayed";
}

// Waits until the page heading reads `heading`.
inline bool OnPage(HWND dialog, const std::string& heading) {
  for (int i = 0; i < 300; ++i) {
    if (ItemText(dialog, IDC_HEADING) == heading) return true;
    Sleep(50);
  }
  ADD_FAILURE() << "page \"" << ItemText(dialog, IDC_HEADING) << "\" instead of \"" << heading << "\"";
  return false;
}

// Where Wine keeps a Windows path on the Unix side.
inline std::string UnixPath(const std::string& path) {
  using TUnixName = char*(CDECL*)(const WCHAR*);
  auto unixName = reinterpret_cast<TUnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!unixName) return {};
  char* name = unixName(Wide(path).c_str());
  if (!name) return {};
  std::string s = name;
  HeapFree(GetProcessHeap(), 0, name);
  return s;
}

// Runs a Unix shell command line, UTF-8, no double quotes in it. Wine
// starts Unix programs but gives no handle to wait on: the command ends by
// making `done`, and this waits for that file.
inline bool RunUnix(const std::string& command, const std::filesystem::path& done, int timeoutMs = 20000) {
  std::filesystem::remove(done);
  std::wstring line = Wide("/bin/sh -c \"" + command + " ; touch '" + UnixPath(done.string()) + "'\"");
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(L"Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  if (pi.hThread) CloseHandle(pi.hThread);
  if (pi.hProcess) CloseHandle(pi.hProcess);
  for (int waited = 0; waited < timeoutMs; waited += 50) {
    if (std::filesystem::exists(done)) return true;
    Sleep(50);
  }
  return false;
}

// What a screenshot shows of a window: how many colours, and the share of
// the dialog face's colour.
struct TShot {
  int colours = 0;
  double faceShare = 0;
};

// The screen as X shows it (ImageMagick's import, as the end-to-end tests
// take theirs), kept as `png`; measured inside the window's rectangle.
inline std::optional<TShot> Screenshot(HWND window, const std::filesystem::path& png) {
  RECT r;
  if (!GetWindowRect(window, &r)) return std::nullopt;
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  char crop[64], colour[32];
  std::snprintf(crop, sizeof crop, "%ldx%ld+%ld+%ld", r.right - r.left, r.bottom - r.top, r.left, r.top);
  std::snprintf(colour, sizeof colour, "rgb(%d,%d,%d)", GetRValue(face), GetGValue(face), GetBValue(face));
  const std::string image = "'" + UnixPath(png.string()) + "'";
  const std::filesystem::path numbers = png.string() + ".txt";
  const std::string n = "'" + UnixPath(numbers.string()) + "'";
  std::filesystem::remove(numbers);
  const std::string command =
      "/usr/bin/import -window root " + image + " && /usr/bin/convert " + image + " -crop " + crop +
      " +repage -format '%k ' info: > " + n + " && /usr/bin/convert " + image + " -crop " + crop +
      " +repage -fill black +opaque '" + colour + "' -fill white -opaque '" + colour + "' -format '%[fx:mean]' info: >> " + n;
  if (!RunUnix(command, png.string() + ".done")) return std::nullopt;
  TShot shot;
  bool read = false;
  {
    std::ifstream in(numbers);
    read = static_cast<bool>(in >> shot.colours >> shot.faceShare);
  }
  if (!read) return std::nullopt;
  std::filesystem::remove(numbers);
  std::filesystem::remove(png.string() + ".done");
  return shot;
}

// The share of a screenshot's pixels in a rectangle of the screen that are
// near `colour` (each channel within 40); nullopt when it cannot be measured.
inline std::optional<double> ShareOf(const std::filesystem::path& png, RECT r, COLORREF colour) {
  char crop[64], rgb[32];
  std::snprintf(crop, sizeof crop, "%ldx%ld+%ld+%ld", r.right - r.left, r.bottom - r.top, r.left, r.top);
  std::snprintf(rgb, sizeof rgb, "rgb(%d,%d,%d)", GetRValue(colour), GetGValue(colour), GetBValue(colour));
  const std::filesystem::path numbers = png.string() + ".share";
  std::filesystem::remove(numbers);
  const std::string command = "/usr/bin/convert '" + UnixPath(png.string()) + "' -crop " + crop + " +repage -fuzz 16% -fill black +opaque '" +
                              rgb + "' -fill white -opaque '" + rgb + "' -format '%[fx:mean]' info: > '" + UnixPath(numbers.string()) + "'";
  if (!RunUnix(command, png.string() + ".share.done")) return std::nullopt;
  double share = -1;
  std::ifstream(numbers) >> share;
  std::filesystem::remove(numbers);
  std::filesystem::remove(png.string() + ".share.done");
  if (share < 0) return std::nullopt;
  return share;
}

}  // namespace vanta::build::test
