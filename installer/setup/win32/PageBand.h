// What the setup's pages and the uninstaller's window draw alike: the white
// band atop the page with its bold heading, the one-line subtitle and a
// small picture (or the program's own icon) at its right end; the pages'
// pictures drawn to a place; and the program's icon on the window.
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

}  // namespace vanta::build
