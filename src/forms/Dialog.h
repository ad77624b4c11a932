// Dialogs from templates and the message loop (Win32): what every window of
// the program does the same way.
//
// A window made from a dialog template hands its messages to a
// TDialogHandler: one dialog procedure finds the handler, and no exception
// unwinds through the system's window code (a handler that throws has not
// handled the message).
#pragma once
#include <windows.h>

#include <functional>
#include <optional>
#include <type_traits>

namespace vanta::form {

class TDialogHandler {
 public:
  virtual ~TDialogHandler() = default;
  // WM_INITDIALOG: the window is made, its controls too. TRUE lets the
  // system give the focus to the first control.
  virtual INT_PTR InitDialog(HWND window) {
    (void)window;
    return FALSE;
  }
  // Every later message; FALSE when not handled.
  virtual INT_PTR HandleMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp) = 0;
  // A message before WM_INITDIALOG, while the template's controls are made
  // (WM_MEASUREITEM of an owner-drawn list).
  virtual INT_PTR EarlyMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    (void)window, (void)msg, (void)wp, (void)lp;
    return FALSE;
  }
};

// Makes the modeless dialog of resource templateId for handler, a child of
// parent when that is given. Null when the system could not make it.
HWND CreateDialogFor(int templateId, HWND parent, TDialogHandler& handler);

// Runs the thread's message loop: each message goes first to preTranslate
// (true: taken), else to the window. Ends at WM_QUIT, giving its code, or
// with nullopt once running() (asked before each message) turns false.
using TPreTranslate = std::function<bool(MSG&)>;
std::optional<int> RunMessageLoop(const TPreTranslate& preTranslate, const std::function<bool()>& running = {});

// Runs form as the program's main window: shown, then the loop until its
// window is gone (its close posts the quit). Gives the form's Result(), or
// an empty one when the window could not be made.
template <typename TForm>
auto RunAsMainWindow(TForm& form) {
  using TResult = std::decay_t<decltype(form.Result())>;
  form.OnClose = [] { PostQuitMessage(0); };
  try {
    form.Show();
  } catch (...) {
    return TResult{};  // no window: the program ends as if it had been cancelled
  }
  RunMessageLoop([&form](MSG& msg) { return form.PreTranslateMessage(msg); });
  return TResult(form.Result());
}

}  // namespace vanta::form
