// Reading and setting the controls of the program's windows (Win32): text,
// check boxes, number editors with their arrows, and tool-tip hints.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "base/SpinRange.h"

namespace vanta::form {

std::string WindowText(HWND w);
bool Checked(HWND w);
void SetChecked(HWND w, bool on);

// A number editor with its arrows (an up-down control): the arrows bound to
// the editor and to the range; the value written clamped into the range;
// the value read as the range reads typed text.
void SetUpSpin(HWND edit, HWND upDown, const TSpinRange& range);
void WriteSpin(HWND edit, HWND upDown, const TSpinRange& range, int32_t value);
int32_t ReadSpin(HWND edit, const TSpinRange& range);

// Tool-tip hints: a tip window for the owner that shows after delayMs, and
// a hint on one of its controls.
HWND CreateHints(HWND owner, UINT delayMs);
void AddHint(HWND tips, HWND control, const char* text);
// The hint a control has in the tip window ("" when none).
std::string HintOf(HWND tips, HWND control);

}  // namespace vanta::form
