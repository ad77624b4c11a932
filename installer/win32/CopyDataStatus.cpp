#include "CopyDataStatus.h"

namespace vanta::build {
namespace {

struct TSearch {
  HWND visible = nullptr;
  HWND any = nullptr;
};

BOOL CALLBACK Visit(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TSearch*>(param);
  char caption[64];
  if (GetWindowTextA(window, caption, sizeof caption) <= 0 || lstrcmpA(caption, kBuilderCaption) != 0) return TRUE;
  if (!search->any) search->any = window;
  if (IsWindowVisible(window)) {
    search->visible = window;
    return FALSE;
  }
  return TRUE;
}

// Long enough for a builder busy painting; a hung one does not hold the
// compile forever.
constexpr UINT kSendTimeoutMs = 60000;

}  // namespace

HWND FindBuilderWindow() {
  TSearch search;
  EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
  return search.visible ? search.visible : search.any;
}

void TCopyDataStatus::Send(ULONG_PTR code, std::string_view text) {
  // The builder may open its window after the compile started.
  if (!window_ || !IsWindow(window_)) window_ = FindBuilderWindow();
  if (!window_) return;
  std::string data(text);
  COPYDATASTRUCT cds{code, DWORD(data.size() + 1), data.data()};
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
}

void TCopyDataStatus::StatusLine(std::string_view line) { Send(kStatusLineCode, line); }

void TCopyDataStatus::Finished(int code, std::string_view text) { Send(ULONG_PTR(code), text); }

}  // namespace vanta::build
