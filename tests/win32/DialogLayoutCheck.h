// Whether a dialog is laid out for the DPI it is shown at, judged from its
// windows: no two visible sibling controls overlap (a group box or a tab
// control may hold others whole), every control lies inside its parent's
// client area, and every caption fits its control, measured with the
// control's own font.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <sstream>
#include <string>
#include <vector>

namespace vanta::test {

inline std::string ClassOf(HWND w) {
  char name[64] = {};
  GetClassNameA(w, name, sizeof name);
  return name;
}

inline std::string Describe(HWND w) {
  char text[64] = {};
  GetWindowTextA(w, text, sizeof text);
  std::ostringstream s;
  s << ClassOf(w) << " " << GetDlgCtrlID(w) << " \"" << text << "\"";
  return s.str();
}

inline UINT DpiOf(HWND w) {
  HDC dc = GetDC(w);
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(w, dc);
  return static_cast<UINT>(dpi);
}

// The control's rectangle in its parent's client coordinates.
inline RECT PlaceOf(HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  MapWindowPoints(nullptr, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

inline bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

inline bool IsGroupBox(HWND w) {
  return ClassOf(w) == "Button" && (GetWindowLongA(w, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

inline bool IsContainer(HWND w) { return IsGroupBox(w) || ClassOf(w) == WC_TABCONTROLA; }

// An up-down control laps over its editor's border, as the system places
// it, and no further.
inline bool IsBuddyBorder(HWND a, HWND b, const RECT& overlap) {
  const auto buddy = [](HWND spin, HWND other) {
    return ClassOf(spin) == UPDOWN_CLASSA && reinterpret_cast<HWND>(SendMessageA(spin, UDM_GETBUDDY, 0, 0)) == other;
  };
  return (buddy(a, b) || buddy(b, a)) && overlap.right - overlap.left <= 2 * GetSystemMetrics(SM_CXEDGE);
}

inline std::string Show(const RECT& r) {
  std::ostringstream s;
  s << "(" << r.left << "," << r.top << ")-(" << r.right << "," << r.bottom << ")";
  return s.str();
}

// The room a control leaves its caption, in pixels across and down, or
// {0, 0} for a control whose text is not a caption.
inline SIZE CaptionRoom(HWND w, UINT dpi) {
  RECT c;
  GetClientRect(w, &c);
  SIZE room{c.right - c.left, c.bottom - c.top};
  const std::string cls = ClassOf(w);
  const LONG style = GetWindowLongA(w, GWL_STYLE);
  if (cls == "Button") {
    switch (style & BS_TYPEMASK) {
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON:
        // The box, and a gap before the text.
        room.cx -= GetSystemMetrics(SM_CXMENUCHECK) + MulDiv(3, static_cast<int>(dpi), 96);
        break;
      case BS_GROUPBOX:
        // The caption sits in the top line, clear of both corners.
        room.cx -= 2 * MulDiv(8, static_cast<int>(dpi), 96);
        break;
      default:  // push buttons: their edges
        room.cx -= 2 * GetSystemMetrics(SM_CXEDGE);
        room.cy -= 2 * GetSystemMetrics(SM_CYEDGE);
    }
  } else if (cls == "Edit") {
    if (style & ES_MULTILINE) return {0, 0};  // a text, not a caption
    const LRESULT margins = SendMessageA(w, EM_GETMARGINS, 0, 0);
    room.cx -= LOWORD(margins) + HIWORD(margins);
  } else if (cls != "Static" || ((style & SS_TYPEMASK) > SS_RIGHT && (style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP)) {
    return {0, 0};
  }
  return room;
}

// The text's extent in the control's font, on one line.
inline SIZE CaptionSize(HWND w, const std::string& text) {
  HDC dc = GetDC(w);
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0));
  HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
  RECT r{0, 0, 0, 0};
  const bool noPrefix = ClassOf(w) == "Static" && (GetWindowLongA(w, GWL_STYLE) & SS_NOPREFIX);
  DrawTextA(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | (noPrefix ? DT_NOPREFIX : 0));
  SelectObject(dc, old);
  ReleaseDC(w, dc);
  return {r.right - r.left, r.bottom - r.top};
}

inline std::vector<HWND> VisibleChildren(HWND parent) {
  std::vector<HWND> out;
  for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
    if (IsWindowVisible(w)) out.push_back(w);
  return out;
}

// What is wrong with the layout of parent's visible descendants, one line each.
inline std::vector<std::string> LayoutProblems(HWND parent) {
  std::vector<std::string> problems;
  const UINT dpi = DpiOf(parent);
  RECT client;
  GetClientRect(parent, &client);
  const std::vector<HWND> children = VisibleChildren(parent);
  for (size_t i = 0; i < children.size(); ++i) {
    HWND w = children[i];
    const RECT r = PlaceOf(w);
    if (!Inside(r, client))
      problems.push_back(Describe(w) + " " + Show(r) + " reaches outside " + Describe(parent) + " " + Show(client));
    for (size_t j = i + 1; j < children.size(); ++j) {
      HWND v = children[j];
      const RECT q = PlaceOf(v);
      RECT overlap;
      if (!IntersectRect(&overlap, &r, &q)) continue;
      if ((IsContainer(w) && Inside(q, r)) || (IsContainer(v) && Inside(r, q)) || IsBuddyBorder(w, v, overlap)) continue;
      problems.push_back(Describe(w) + " " + Show(r) + " overlaps " + Describe(v) + " " + Show(q));
    }
    char text[512] = {};
    GetWindowTextA(w, text, sizeof text);
    const SIZE room = CaptionRoom(w, dpi);
    if (text[0] && room.cx > 0) {
      const SIZE need = CaptionSize(w, text);
      if (need.cx > room.cx || (!IsGroupBox(w) && need.cy > room.cy)) {
        std::ostringstream s;
        s << Describe(w) << ": caption " << need.cx << "x" << need.cy << " in " << room.cx << "x" << room.cy;
        problems.push_back(s.str());
      }
    }
    if (ClassOf(w) == WC_TABCONTROLA) {
      RECT tabClient;
      GetClientRect(w, &tabClient);
      const int tabs = static_cast<int>(SendMessageA(w, TCM_GETITEMCOUNT, 0, 0));
      for (int t = 0; t < tabs; ++t) {
        RECT item;
        SendMessageA(w, TCM_GETITEMRECT, t, reinterpret_cast<LPARAM>(&item));
        if (!Inside(item, tabClient)) problems.push_back(Describe(w) + ": tab " + std::to_string(t) + " outside");
      }
    }
    const std::vector<std::string> inner = LayoutProblems(w);
    problems.insert(problems.end(), inner.begin(), inner.end());
  }
  return problems;
}

}  // namespace vanta::test
