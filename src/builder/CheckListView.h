// The builder's picture and music lists on screen (Win32): an owner-drawn
// list box showing a TMediaList, each entry a tick box before its text.
//
// The list (MediaLists.h) is the truth; the box only shows it. The view
// keeps the texts it shows, so that any edit of the list (add, drop, remove,
// move, clear) reaches the box as one splice: ten thousand added pictures
// are one insertion with drawing switched off and one redraw, not ten
// thousand redraws. Ticks are drawn from the list itself.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "builder/MediaLists.h"

namespace vanta {

class TCheckListView {
 public:
  static constexpr int kItemHeight = 16;  // at 96 DPI

  TCheckListView() = default;
  TCheckListView(const TCheckListView&) = delete;
  TCheckListView& operator=(const TCheckListView&) = delete;

  // Takes over the list box: item height and horizontal extent (in pixels
  // at 96 DPI) for the DPI, and the clicks on its tick boxes.
  void Attach(HWND box, UINT dpi, int horizontalExtent);
  HWND Box() const { return box_; }

  // Shows the list: its texts, its ticks and its selection (in a box of
  // extended selection: list.Selected alone, or `several` when given).
  void Show(const TMediaList& list, const std::vector<int>* several = nullptr);
  // The entries selected: every one in a box of extended selection (Shift,
  // Ctrl, Ctrl+A), else the one.
  std::vector<int> SelectedIndices() const;
  // The entry with the focus: the one a click or an arrow key went to last.
  int FocusIndex() const;
  // WM_DRAWITEM of the box, with the tick the list holds.
  void DrawItem(const DRAWITEMSTRUCT& item, const TMediaList& list) const;

  // The user turned an entry's tick: a click on its box, or Space on the
  // selected entry.
  std::function<void(int index)> OnClickCheck;

 private:
  static LRESULT CALLBACK BoxProc(HWND, UINT, WPARAM, LPARAM);
  bool OnTickBox(int index, int x) const;
  void ClickCheck(int index) const;
  RECT TickBox(const RECT& item) const;
  bool Several() const;  // a box of extended selection

  HWND box_ = nullptr;
  WNDPROC boxDefault_ = nullptr;  // the list box's own procedure
  UINT dpi_ = 96;
  std::vector<std::string> shown_;
};

}  // namespace vanta
