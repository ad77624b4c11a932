// What the program's windows share (Win32: the builder and a saver's
// "Setting" dialog): placing controls by a table in pixels of a 96-DPI design
// scaled to the window's DPI, reading and setting controls, and the icons
// drawn in code as icon handles.
//
// Dialog units are not used because they follow the font's metrics: the
// windows grow with the DPI, not with the system's font size. Edges are
// scaled, not sizes, so that controls that meet at 96 DPI still meet.
#pragma once
#include <windows.h>

#include <string>

#include "builder/IconArt.h"

namespace vanta::form {

inline constexpr int kDesignDpi = 96;

// The DPI the window is shown at: its monitor's where the system tells
// (Windows 10 and later), else the system's.
UINT WindowDpi(HWND w);
inline int Scaled(int pixels, UINT dpi) { return MulDiv(pixels, static_cast<int>(dpi), kDesignDpi); }

// Moves control id of parent to the design rectangle (x, y, w, h), scaled.
void Place(HWND parent, int id, int x, int y, int w, int h, UINT dpi);
// Sizes the window for a client area of the design size (its menu bar
// included in the frame) and centres it on the desktop.
void SetClientSizeCentred(HWND w, int width, int height, UINT dpi);
// A child's rectangle in its parent's client coordinates.
RECT PlaceOf(HWND child);

std::string WindowText(HWND w);
bool Checked(HWND w);
void SetChecked(HWND w, bool on);

// The icon drawn at size x size pixels; the caller destroys it.
HICON CreateBuilderIcon(TBuilderIcon icon, int size);

// Tool-tip hints: a tip window for the owner that shows after delayMs, and
// a hint on one of its controls.
HWND CreateHints(HWND owner, UINT delayMs);
void AddHint(HWND tips, HWND control, const char* text);
// The hint a control has in the tip window ("" when none).
std::string HintOf(HWND tips, HWND control);

}  // namespace vanta::form
