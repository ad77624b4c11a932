// What the setup's pages and the uninstaller's window draw alike: the white
// band atop the page with its bold heading, the one-line subtitle and a
// small picture (or the program's own icon) at its right end; the pages'
// pictures drawn to a place; the program's icon on the window; and the
// modal dialog both run on.
#pragma once
#include <windows.h>

#include "Payload.h"

namespace vanta::build {

// The band's height in dialog units; the heading and subtitle lie in it.
inline constexpr LONG kBandHeight = 36;

RECT BandRect(HWND dialog);
// The small picture's square at the band's right end.
RECT BandPicturePlace(const RECT& band);
void DrawWizardPicture(HDC dc, const TWizardPicture& picture, const RECT& to);
// The band, the etched line under it, and `small` or else `icon` in it.
void PaintBand(HDC dc, const RECT& band, const TWizardPicture& small, HICON icon);

// The heading's font: the dialog's, bold. The caller deletes it.
HFONT BoldFontOf(HWND dialog);

// The program's own icon (SetupIconFile) at the window's two sizes, given
// to the window; none when the setup has no icon of its own.
class TWindowIcons {
 public:
  void Give(HWND window);
  HICON Big() const { return big_; }
  ~TWindowIcons();

 private:
  HICON big_ = nullptr, small_ = nullptr;
};

// Common controls are loaded only when a window is shown: loading them
// makes Wine start its desktop, which a setup that shows nothing does
// without. The manifest names version 6, and only the system folder is
// searched (SetupMain), so no planted copy is taken.
void LoadProgressControls();

template <class T>
INT_PTR CALLBACK ModalDialogProc(HWND dialog, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_INITDIALOG) SetWindowLongPtrA(dialog, DWLP_USER, lp);
  auto* self = reinterpret_cast<T*>(GetWindowLongPtrA(dialog, DWLP_USER));
  return self ? self->Handle(dialog, message, wp, lp) : FALSE;
}

// Runs dialog template `id` until it ends; `self.Handle(dialog, message,
// wp, lp)` answers its messages.
template <class T>
void RunModalDialog(int id, T& self) {
  LoadProgressControls();
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), nullptr, &ModalDialogProc<T>,
                  reinterpret_cast<LPARAM>(&self));
}

}  // namespace vanta::build
