#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include "platform/Shell.h"

namespace vanta::platform {
namespace {
TShellHook gShellHook;
TPickColorHook gPickColorHook;

const char* OrNull(const std::string& s) { return s.empty() ? nullptr : s.c_str(); }
}  // namespace

void ShellOpen(const TShellRequest& r) {
  if (gShellHook) return gShellHook(r);
  ShellExecuteA(nullptr, OrNull(r.Verb), r.File.c_str(), OrNull(r.Parameters), OrNull(r.Directory), SW_SHOW);
}

std::optional<uint32_t> PickColor(std::intptr_t owner, uint32_t initial) {
  if (gPickColorHook) return gPickColorHook(initial);
  COLORREF custom[16];
  for (COLORREF& c : custom) c = RGB(255, 255, 255);
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = reinterpret_cast<HWND>(owner);
  // The dialog knows nothing of a high byte; it starts on the plain colour.
  cc.rgbResult = initial & 0xFFFFFF;
  cc.lpCustColors = custom;
  cc.Flags = CC_RGBINIT | CC_FULLOPEN;
  if (!ChooseColorA(&cc)) return std::nullopt;
  return static_cast<uint32_t>(cc.rgbResult);
}

void SetShellHooksForTests(TShellHook shell, TPickColorHook pickColor) {
  gShellHook = std::move(shell);
  gPickColorHook = std::move(pickColor);
}

}  // namespace vanta::platform
