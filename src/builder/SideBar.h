// The builder's side bar (Win32): an owner-drawn list box of five tall
// entries, "Images" to "Build", each an icon drawn in code over its caption,
// on a dark strip. A list box gives the keyboard and the selection change
// for free; the window switches pages on its LBN_SELCHANGE.
#pragma once
#include <windows.h>

#include <array>

#include "builder/ConfigControls.h"

namespace vanta {

class TSideBar {
 public:
  static constexpr int kItemHeight = 62;  // at 96 DPI
  static constexpr int kIconSize = 32;

  TSideBar() = default;
  ~TSideBar();
  TSideBar(const TSideBar&) = delete;
  TSideBar& operator=(const TSideBar&) = delete;

  void Attach(HWND box, UINT dpi);
  HWND Box() const { return box_; }

  TBuilderPage Selected() const;
  void Select(TBuilderPage page);  // without a notification

  void DrawItem(const DRAWITEMSTRUCT& item) const;
  // WM_CTLCOLORLISTBOX: the strip below the entries.
  HBRUSH Background() const { return background_; }

 private:
  HWND box_ = nullptr;
  UINT dpi_ = 96;
  std::array<HICON, kBuilderPages> icons_{};
  HBRUSH background_ = nullptr;
};

inline constexpr const char* kPageCaptions[kBuilderPages] = {"Images", "Music", "Effects", "Options", "Build"};

}  // namespace vanta
