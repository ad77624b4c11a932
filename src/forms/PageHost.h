// Pages of a window (Win32): each a child made from its dialog template
// with its own window number, and pages under a tab control, one shown at
// a time. The builder's pages and sub-pages and the Setting dialog's pages
// are hosted alike; their controls stand by a TPlace table (FormLayout.h).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <span>
#include <vector>

#include "forms/Dialog.h"

namespace vanta::form {

// The page of resource templateId for handler, a child of parent numbered
// windowId; null when the system could not make it.
HWND CreatePage(int templateId, HWND parent, int windowId, TDialogHandler& handler);

// Pages under a tab control: a tab for each, each page over the tab's
// display area.
class TTabPages {
 public:
  // The tab control and its pages, a tab added for each caption.
  void Attach(HWND tab, std::vector<HWND> pages, std::span<const char* const> captions);
  // The pages over the display area as the tab control stands now, placed
  // after `after` in the z order (HWND_TOP: above everything).
  void Fit(HWND after = HWND_TOP) const;
  // Its tab and page shown, the other pages hidden.
  void Select(int index) const;
  // A WM_NOTIFY of the page's window: the page whose tab was chosen shows.
  // True when it was this tab's selection.
  bool Notified(const NMHDR& n) const;
  HWND Tab() const { return tab_; }
  std::span<const HWND> Pages() const { return pages_; }
  void Clear();  // the window is gone

 private:
  HWND tab_ = nullptr;
  std::vector<HWND> pages_;
};

}  // namespace vanta::form
