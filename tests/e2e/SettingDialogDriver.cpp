// Drives the "Setting" dialog of a running saver, or the builder window,
// from outside, as a user's clicks would: finds the window by its title and
// sends its controls messages.
//
//   vanta-dialog-driver TITLE STEP...
// Of several windows with the title (a question box of the builder has its
// caption), the one that takes input counts: the box, not its owner.
//     wait          wait for the window to show; print "client LEFT TOP WIDTH HEIGHT"
//     await:NAME    wait for a window with the title that has the control NAME
//                   (a question's IDYES, a file dialog's FileName)
//     set:NAME=TEXT give a control its text
//     type:NAME=TEXT type TEXT into a control, a character at a time
//     text:NAME     print a control's text (UTF-8)
//     enabled:NAME  print "enabled 1" when a control takes input, else "enabled 0"
//     click:NAME    click a button
//     press:NAME@X,Y press and release the mouse at X,Y of a control (a tab, a link)
//     key:NAME=VK   press and release a key (a decimal virtual-key code) on a control
//     pick:NAME=TEXT select the entry TEXT of a drop-down list, as a user does
//     select:NAME=N select entry N of a list box and tell its window, as a click does
//     menu:NAME     choose an item of the window's menu
//     count:NAME    print the number of entries of a list box
//     where:NAME    print "where LEFT TOP WIDTH HEIGHT", a control's place on the screen
//     gone          wait for the window to close
//     settle        wait until the window's thread has taken what was posted to
//                   it and what it posted itself in handling that
//     dump          print the window's controls: id, class, text (to find names)
//     style         print "style STYLE EXSTYLE" of the window, in hex
//     rect          print "rect LEFT TOP WIDTH HEIGHT" of the window, frame included
//     close         ask the window to close (WM_CLOSE), as the system does
//     saverrunning  print "saverrunning 1" while the system counts a screensaver
//                   as running, else "saverrunning 0"
//     cursor        print "cursor 1" when the mouse cursor shows, else "cursor 0"
//                   (the state of the thread whose window is in front)
//     link:PATH     print a shortcut's target, and its arguments on the next
//                   line, as the shell reads them (needs no window)
// Exit code 0 when every step worked, 1 otherwise (with the reason on stderr).
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "DriverNames.h"
#include "setting_dialog/DistributeConfigFormRes.h"
#include "setup/win32/WizardIds.h"

namespace {

constexpr TNamed kControls[] = {
    {"TitlePanel", IDC_TITLEPANEL},       {"_BtnOK", IDOK},
    {"Button1", IDCANCEL},                {"IntervalEdit", IDC_INTERVALEDIT},
    {"SpeedEdit", IDC_SPEEDEDIT},         {"StretchRadio", IDC_STRETCHRADIO},
    {"RandomizeRadio", IDC_RANDOMIZERADIO}, {"PlayMusicCheck", IDC_PLAYMUSICCHECK},
    {"CaptionCheck", IDC_CAPTIONCHECK},   {"AuthorLabel", IDC_AUTHORLABEL},
    {"WebsiteLabel", IDC_WEBSITELABEL},   {"ScreensCombo", IDC_SCREENSCOMBO}, {"MotionCombo", IDC_MOTIONCOMBO},
    {"PageControl1", IDC_PAGECONTROL1},   {"Memo1", IDC_MEMO1},
    {"BackcolorCb", IDC_BACKCOLORCB},     {"IDOK", IDOK},  // any dialog's OK
    {"IDYES", IDYES},                     {"IDNO", IDNO},  // a question's answers
    {"MessageText", 0xffff},              // and its text
    // A file dialog's name box: an edit in the old layout, a combo box in the
    // one Windows draws today.
    {"FileName", 0x47c},                  {"FileName", 0x480},
    // The setup's wizard.
    {"WizardHeading", IDC_HEADING},       {"WizardNext", IDC_NEXT},
    {"ViewReadme", IDC_VIEWREADME},
};
std::vector<TNamed> AllNamed() {
  std::vector<TNamed> all(std::begin(kControls), std::end(kControls));
  all.insert(all.end(), std::begin(kBuilderControls), std::end(kBuilderControls));
  return all;
}

constexpr DWORD kWaitMs = 30000;
constexpr DWORD kStepMs = 50;
constexpr int kSettleRounds = 16;

struct TSearch {
  int id;
  const char* cls;  // nullptr: any class
  HWND found;
};

BOOL CALLBACK PrintControl(HWND w, LPARAM) {
  char cls[64] = {}, text[128] = {};
  GetClassNameA(w, cls, sizeof cls);
  GetWindowTextA(w, text, sizeof text);
  std::printf("%#x %s \"%s\"%s\n", GetDlgCtrlID(w), cls, text, IsWindowVisible(w) ? "" : " (hidden)");
  return TRUE;
}

BOOL CALLBACK FindById(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<TSearch*>(p);
  if (GetDlgCtrlID(w) != s->id) return TRUE;
  char cls[64] = {};
  if (s->cls && (!GetClassNameA(w, cls, sizeof cls) || std::strcmp(cls, s->cls) != 0)) return TRUE;
  s->found = w;
  return FALSE;
}

// A name may stand for a control of either window: the first found counts,
// one of the class cls first (a file dialog's list and its Save button
// share an id; its name box is an edit inside two combo boxes of one id).
HWND Control(HWND dialog, const std::string& name, const char* cls = nullptr) {
  for (const char* pass : {cls, static_cast<const char*>(nullptr)}) {
    for (const TNamed& c : AllNamed()) {
      if (name != c.name) continue;
      TSearch s{c.id, pass, nullptr};
      EnumChildWindows(dialog, FindById, reinterpret_cast<LPARAM>(&s));  // pages included
      if (s.found) return s.found;
    }
    if (!cls) break;
  }
  return nullptr;
}

struct TFind {
  const char* title;
  HWND enabled, shown;
};

BOOL CALLBACK FindByTitle(HWND w, LPARAM p) {
  auto* f = reinterpret_cast<TFind*>(p);
  char text[512] = {};
  if (!IsWindowVisible(w) || !GetWindowTextA(w, text, sizeof text) || std::strcmp(text, f->title) != 0) return TRUE;
  if (!f->shown) f->shown = w;
  if (IsWindowEnabled(w) && !f->enabled) f->enabled = w;
  return TRUE;
}

// The shown window with the title that takes input, else any shown one.
HWND FindTarget(const char* title) {
  TFind f{title, nullptr, nullptr};
  EnumWindows(FindByTitle, reinterpret_cast<LPARAM>(&f));
  return f.enabled ? f.enabled : f.shown;
}

int MenuCommand(const std::string& name) {
  for (const TNamed& c : kBuilderMenu)
    if (name == c.name) return c.id;
  return 0;
}

int Fail(const std::string& why) {
  std::fprintf(stderr, "driver: %s\n", why.c_str());
  return 1;
}

std::wstring Wide(const std::string& utf8) {
  std::wstring w(utf8.size() + 1, L'\0');
  w.resize(static_cast<size_t>(
      std::max(0, MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, w.data(), static_cast<int>(w.size())) - 1)));
  return w;
}
std::string Utf8(const wchar_t* wide) {
  std::string s(std::wcslen(wide) * 3 + 1, '\0');
  s.resize(static_cast<size_t>(
      std::max(0, WideCharToMultiByte(CP_UTF8, 0, wide, -1, s.data(), static_cast<int>(s.size()), nullptr, nullptr) - 1)));
  return s;
}

// A shortcut's target and arguments, read through the shell's own object.
int PrintLink(const std::string& path) {
  if (FAILED(CoInitialize(nullptr))) return Fail("no COM");
  IShellLinkW* link = nullptr;
  IPersistFile* file = nullptr;
  wchar_t target[MAX_PATH] = L"", args[1024] = L"";
  const bool read = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                               reinterpret_cast<void**>(&link))) &&
                    SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
                    SUCCEEDED(file->Load(Wide(path).c_str(), STGM_READ)) &&
                    SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0)) &&
                    SUCCEEDED(link->GetArguments(args, 1024));
  if (file) file->Release();
  if (link) link->Release();
  CoUninitialize();
  if (!read) return Fail("cannot read the shortcut " + path);
  std::printf("%s\n%s\n", Utf8(target).c_str(), Utf8(args).c_str());
  std::fflush(stdout);
  return 0;
}

}  // namespace

int main() {
  // The wide command line: a step may name a file in any language, which
  // the system's code page of char arguments could not carry.
  int argc = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> argv;
  for (int i = 0; i < argc; ++i) argv.push_back(Utf8(wide[i]));
  LocalFree(wide);
  if (argc < 3) return Fail("usage: vanta-dialog-driver TITLE STEP...");
  const std::string titleText = argv[1];
  const char* title = titleText.c_str();
  HWND dialog = nullptr;
  for (int i = 2; i < argc; ++i) {
    const std::string step = argv[i];
    if (step == "wait") {
      for (DWORD waited = 0; waited < kWaitMs; waited += kStepMs) {
        dialog = FindTarget(title);
        if (dialog) break;
        Sleep(kStepMs);
      }
      if (!dialog) return Fail(std::string("no window \"") + title + "\"");
      // Shown is not yet painted: wait until the saver has nothing left to do.
      DWORD pid = 0;
      GetWindowThreadProcessId(dialog, &pid);
      if (HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, pid)) {
        WaitForInputIdle(process, kWaitMs);
        CloseHandle(process);
      }
      DWORD_PTR ignored = 0;
      SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kWaitMs, &ignored);
      RECT r;
      GetClientRect(dialog, &r);
      POINT origin{0, 0};
      ClientToScreen(dialog, &origin);
      std::printf("client %ld %ld %ld %ld\n", origin.x, origin.y, r.right, r.bottom);
      std::fflush(stdout);
      continue;
    }
    if (step.rfind("await:", 0) == 0) {
      const std::string name = step.substr(6);
      for (DWORD waited = 0; waited < kWaitMs; waited += kStepMs) {
        dialog = FindTarget(title);
        if (dialog && Control(dialog, name)) break;
        Sleep(kStepMs);
      }
      if (!dialog || !Control(dialog, name)) return Fail(std::string("no window \"") + title + "\" with " + name);
      DWORD_PTR ignored = 0;  // shown and ready for input
      SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kWaitMs, &ignored);
      continue;
    }
    if (!dialog) dialog = FindTarget(title);
    if (step == "gone") {
      DWORD waited = 0;
      while (IsWindow(dialog) && waited < kWaitMs) {
        Sleep(kStepMs);
        waited += kStepMs;
      }
      if (IsWindow(dialog)) return Fail("the window did not close");
      continue;
    }
    if (step == "settle") {
      if (!dialog) return Fail(std::string("no window \"") + title + "\"");
      // A message sent from another thread is answered only between two
      // messages the thread takes from its queue, so each answer means one
      // more posted message was handled, or the queue is empty.
      DWORD_PTR ignored = 0;
      for (int round = 0; round < kSettleRounds; ++round)
        SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kWaitMs, &ignored);
      continue;
    }
    if (step == "close") {
      if (!dialog) return Fail(std::string("no window \"") + title + "\"");
      PostMessageA(dialog, WM_CLOSE, 0, 0);
      continue;
    }
    if (step == "saverrunning") {
      BOOL running = FALSE;
      if (!SystemParametersInfoA(SPI_GETSCREENSAVERRUNNING, 0, &running, 0)) return Fail("no screensaver state");
      std::printf("saverrunning %d\n", running ? 1 : 0);
      std::fflush(stdout);
      continue;
    }
    if (step.rfind("link:", 0) == 0) {
      if (PrintLink(step.substr(5))) return 1;
      continue;
    }
    if (step == "cursor") {
      CURSORINFO info{};
      info.cbSize = sizeof info;
      if (!GetCursorInfo(&info)) return Fail("no cursor information");
      std::printf("cursor %d\n", (info.flags & CURSOR_SHOWING) ? 1 : 0);
      std::fflush(stdout);
      continue;
    }
    if (step.rfind("menu:", 0) == 0) {
      const int id = MenuCommand(step.substr(5));
      if (!dialog || !id) return Fail("no window or no menu item " + step.substr(5));
      PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, 0), 0);  // posted: the item may open a modal box
      continue;
    }
    if (step == "rect") {
      RECT r;
      if (!dialog || !GetWindowRect(dialog, &r)) return Fail(std::string("no window \"") + title + "\"");
      std::printf("rect %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
      std::fflush(stdout);
      continue;
    }
    if (step == "dump") {
      if (!dialog) return Fail(std::string("no window \"") + title + "\"");
      EnumChildWindows(dialog, PrintControl, 0);
      std::fflush(stdout);
      continue;
    }
    if (step == "style") {
      if (!dialog) return Fail(std::string("no window \"") + title + "\"");
      std::printf("style %08lx %08lx\n", static_cast<unsigned long>(GetWindowLongA(dialog, GWL_STYLE)),
                  static_cast<unsigned long>(GetWindowLongA(dialog, GWL_EXSTYLE)));
      std::fflush(stdout);
      continue;
    }
    const size_t colon = step.find(':');
    const std::string verb = step.substr(0, colon);
    std::string name = colon == std::string::npos ? "" : step.substr(colon + 1);
    std::string value;
    int x = 0, y = 0;
    if (verb == "press") {
      const size_t at = name.find('@');
      if (at == std::string::npos || std::sscanf(name.c_str() + at + 1, "%d,%d", &x, &y) != 2)
        return Fail("press needs NAME@X,Y");
      name.resize(at);
    }
    if (verb == "set" || verb == "type" || verb == "key" || verb == "pick" || verb == "select") {
      const size_t eq = name.find('=');
      if (eq == std::string::npos) return Fail(verb + " needs NAME=VALUE");
      value = name.substr(eq + 1);
      name.resize(eq);
    }
    const char* cls = verb == "click" ? "Button" : verb == "type" ? "Edit" : nullptr;
    HWND control = dialog ? Control(dialog, name, cls) : nullptr;
    if (!control) return Fail("no control " + name);
    DWORD_PTR result = 0;
    if (verb == "set") {
      SendMessageTimeoutA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()), SMTO_ABORTIFHUNG,
                          kWaitMs, &result);
    } else if (verb == "type") {
      const std::wstring wide = Wide(value);
      SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""), SMTO_ABORTIFHUNG, kWaitMs, &result);
      // Sent, not posted: typed before the next step reads it.
      for (wchar_t c : wide) SendMessageTimeoutW(control, WM_CHAR, c, 1, SMTO_ABORTIFHUNG, kWaitMs, &result);
    } else if (verb == "text") {
      // Asked, not read from the window: an edit control of another process
      // keeps its text to itself.
      std::wstring text(65536, L'\0');
      SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                          kWaitMs, &result);
      std::printf("%s\n", Utf8(text.c_str()).c_str());
      std::fflush(stdout);
    } else if (verb == "enabled") {
      std::printf("enabled %d\n", IsWindowEnabled(control) ? 1 : 0);
      std::fflush(stdout);
    } else if (verb == "click") {
      // Posted: the click may close the window before a sent message returns.
      PostMessageA(control, BM_CLICK, 0, 0);
    } else if (verb == "pick") {
      SendMessageTimeoutA(control, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                          reinterpret_cast<LPARAM>(value.c_str()), SMTO_ABORTIFHUNG, kWaitMs, &result);
      if (static_cast<LRESULT>(result) == CB_ERR) return Fail("no entry " + value);
      SendMessageTimeoutA(control, CB_SETCURSEL, result, 0, SMTO_ABORTIFHUNG, kWaitMs, &result);
      // Posted: the choice may open a dialog that waits for its own answer.
      PostMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(control));
    } else if (verb == "select") {
      const int index = std::atoi(value.c_str());
      if (GetWindowLongA(control, GWL_STYLE) & LBS_EXTENDEDSEL) {  // one entry, as a plain click selects it
        SendMessageTimeoutA(control, LB_SETSEL, FALSE, static_cast<LPARAM>(-1), SMTO_ABORTIFHUNG, kWaitMs, &result);
        SendMessageTimeoutA(control, LB_SETSEL, TRUE, index, SMTO_ABORTIFHUNG, kWaitMs, &result);
        SendMessageTimeoutA(control, LB_SETCARETINDEX, index, FALSE, SMTO_ABORTIFHUNG, kWaitMs, &result);
      } else {
        SendMessageTimeoutA(control, LB_SETCURSEL, index, 0, SMTO_ABORTIFHUNG, kWaitMs, &result);
      }
      SendMessageTimeoutA(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), LBN_SELCHANGE),
                          reinterpret_cast<LPARAM>(control), SMTO_ABORTIFHUNG, kWaitMs, &result);
    } else if (verb == "count") {
      SendMessageTimeoutA(control, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, kWaitMs, &result);
      std::printf("%ld\n", static_cast<long>(result));
      std::fflush(stdout);
    } else if (verb == "where") {
      RECT r;
      GetWindowRect(control, &r);
      std::printf("where %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
      std::fflush(stdout);
    } else if (verb == "key") {
      // Through the saver's message loop, as typed keys arrive.
      const WPARAM vk = static_cast<WPARAM>(std::atoi(value.c_str()));
      PostMessageA(control, WM_KEYDOWN, vk, 1);
      PostMessageA(control, WM_KEYUP, vk, 1 | (1u << 30) | (1u << 31));
    } else if (verb == "press") {
      PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
      PostMessageA(control, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
      SendMessageTimeoutA(control, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kWaitMs, &result);
    } else {
      return Fail("unknown step " + step);
    }
  }
  return 0;
}
