// Labels that act as links, and the fonts a window makes for its labels
// (Win32). A link is a static control with SS_NOTIFY in an underlined copy
// of its window's font, as wide as its text (only the text is clickable,
// and what follows can stand right after it), with the hand over it.
#pragma once
#include <windows.h>

#include <initializer_list>
#include <utility>

namespace vanta::form {

// A font made for a window's labels, deleted with its holder.
class TFont {
 public:
  TFont() = default;
  explicit TFont(HFONT font) : font_(font) {}
  ~TFont() { Reset(); }
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;
  void Reset(HFONT font = nullptr) {
    if (font_) DeleteObject(font_);
    font_ = font;
  }
  HFONT Get() const { return font_; }

 private:
  HFONT font_ = nullptr;
};

// The window's own font underlined: a link's.
HFONT CreateLinkFont(HWND window);
// The window's own font in bold, height pixels high (0: its own height).
HFONT CreateBoldFont(HWND window, int height = 0);
// Gives control the font (not redrawn: for a window being set up).
void SetFont(HWND control, HFONT font);

// The width of a label's text in its own font, in pixels.
int TextWidth(HWND label);
// Sizes a one-line label to its text, at least 1 and at most maxWidth wide.
void FitToText(HWND label, int maxWidth);

// WM_SETCURSOR of a dialog: the hand while over one of its links (the
// dialog's result set). True when taken.
bool ShowHandOverLink(HWND dialog, HWND over, std::initializer_list<HWND> links);

}  // namespace vanta::form
