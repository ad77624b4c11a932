#include "forms/Dialog.h"

namespace vanta::form {
namespace {

// The handler of the dialog being made on this thread: the messages before
// WM_INITDIALOG carry no pointer to it.
thread_local TDialogHandler* creating = nullptr;

INT_PTR CALLBACK DialogProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  auto* handler = reinterpret_cast<TDialogHandler*>(GetWindowLongPtrA(w, DWLP_USER));
  try {
    if (msg == WM_INITDIALOG) {
      handler = reinterpret_cast<TDialogHandler*>(lp);
      SetWindowLongPtrA(w, DWLP_USER, lp);
      return handler->InitDialog(w);
    }
    if (handler) return handler->HandleMessage(w, msg, wp, lp);
    return creating ? creating->EarlyMessage(w, msg, wp, lp) : FALSE;
  } catch (...) {
    return FALSE;  // nothing may unwind through the system's window code
  }
}

}  // namespace

HWND CreateDialogFor(int templateId, HWND parent, TDialogHandler& handler) {
  TDialogHandler* const outer = creating;  // a page made while its window is made
  creating = &handler;
  HWND w = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), parent, DialogProc,
                              reinterpret_cast<LPARAM>(&handler));
  creating = outer;
  return w;
}

std::optional<int> RunMessageLoop(const TPreTranslate& preTranslate, const std::function<bool()>& running) {
  MSG msg{};
  while (!running || running()) {
    if (GetMessageA(&msg, nullptr, 0, 0) <= 0) return static_cast<int>(msg.wParam);
    if (preTranslate && preTranslate(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return std::nullopt;
}

}  // namespace vanta::form
