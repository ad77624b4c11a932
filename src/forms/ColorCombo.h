// The background colour list of the builder's Options page and of a saver's
// "Setting" dialog (Win32): an owner-drawn drop-down list of named colours
// with a swatch each, the current colour when it has no name, and last
// "Other color...", which opens the system's colour dialog. Which entries it
// holds is ColorListFor's rule (ColorList.h).
#pragma once
#include <windows.h>

#include "base/Types.h"
#include "platform/Shell.h"

namespace vanta {

// One entry of such a list (an owner-drawn combo box whose item data are the
// colours and whose last entry is "Other color..."), drawn at the DPI.
void DrawColorListItem(const DRAWITEMSTRUCT& item, UINT dpi);

class TColorCombo {
 public:
  static constexpr int kItemHeight = 16;  // at 96 DPI

  void Attach(HWND combo, UINT dpi);
  HWND Combo() const { return combo_; }

  // Fills the list for the colour and selects it.
  void SetColor(TColor color);
  TColor Color() const { return color_; }

  // A selection changed (CBN_SELCHANGE while closed, or CBN_CLOSEUP): a named
  // entry is taken, the last asks the shell's colour dialog (cancel keeps
  // the colour).
  void Chosen(HWND owner, platform::IShell& shell);
  void DrawItem(const DRAWITEMSTRUCT& item) const;

 private:
  HWND combo_ = nullptr;
  UINT dpi_ = 96;
  TColor color_ = 0;
};

}  // namespace vanta
