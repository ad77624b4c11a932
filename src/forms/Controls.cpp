#include "forms/Controls.h"

#include <commctrl.h>

namespace vanta::form {

std::string WindowText(HWND w) {
  std::string s(static_cast<size_t>(GetWindowTextLengthA(w)) + 1, '\0');
  s.resize(static_cast<size_t>(GetWindowTextA(w, s.data(), static_cast<int>(s.size()))));
  return s;
}

bool Checked(HWND w) { return SendMessageA(w, BM_GETCHECK, 0, 0) == BST_CHECKED; }
void SetChecked(HWND w, bool on) { SendMessageA(w, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }

void SetUpSpin(HWND edit, HWND upDown, const TSpinRange& range) {
  SendMessageA(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
  SendMessageA(upDown, UDM_SETRANGE32, range.MinValue, range.MaxValue);
}

void WriteSpin(HWND edit, HWND upDown, const TSpinRange& range, int32_t value) {
  const int32_t v = range.Clamp(value);
  SendMessageA(upDown, UDM_SETPOS32, 0, v);
  SetWindowTextA(edit, std::to_string(v).c_str());
}

int32_t ReadSpin(HWND edit, const TSpinRange& range) { return range.Read(WindowText(edit)); }

HWND CreateHints(HWND owner, UINT delayMs) {
  HWND tips = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  SendMessageA(tips, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(delayMs, 0));
  return tips;
}

void AddHint(HWND tips, HWND control, const char* text) {
  TTTOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = GetParent(control);
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = const_cast<char*>(text);
  SendMessageA(tips, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

std::string HintOf(HWND tips, HWND control) {
  char text[256] = {};
  TTTOOLINFOA tool{};
  tool.cbSize = sizeof tool;
  tool.hwnd = GetParent(control);
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text;
  SendMessageA(tips, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
  return text;
}

}  // namespace vanta::form
