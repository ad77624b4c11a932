// What the builder window's Win32 tests share: the window's controls found
// anywhere in it and what a user does with them, the shell and the dialogs
// answered by the test, and the form opened on a record and a settings file.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

#include "../unit/PictureWriters.h"
#include "DialogLayoutCheck.h"
#include "LoopSteps.h"
#include "Win32TestSupport.h"
#include "builder/AboutFormP.h"
#include "builder/ConfigFormP.h"
#include "builder/ConfigFormRes.h"
#include "builder/EffectTree.h"
#include "forms/Controls.h"
#include "forms/FormLayout.h"
#include "music/MusicSet.h"
#include "platform/Files.h"
#include "platform/Shell.h"
#include "setting_dialog/DistributeConfig.h"
#include "settings/SaverSettings.h"
#include "show/RunVantascreen.h"
#include "base/Text.h"
#include "settings/Instance.h"
#include "startup/Startup.h"
#include "startup/Win32StartupHost.h"

namespace vanta {

// Where the project and setup dialogs start: the user's documents.
inline constexpr const char* kDocuments = "C:\\Users\\Ann\\Documents\\";

using form::WindowText;

struct TSearch {
  int id;
  HWND found;
};
inline BOOL CALLBACK FindById(HWND w, LPARAM p) {
  auto* s = reinterpret_cast<TSearch*>(p);
  if (GetDlgCtrlID(w) != s->id) return TRUE;
  s->found = w;
  return FALSE;
}

// The entry a list box has selected with the focus; -1 when none is selected.
inline int SelectedEntry(HWND box) {
  if (!(GetWindowLongA(box, GWL_STYLE) & LBS_EXTENDEDSEL)) return static_cast<int>(SendMessageA(box, LB_GETCURSEL, 0, 0));
  if (SendMessageA(box, LB_GETSELCOUNT, 0, 0) <= 0) return -1;
  return static_cast<int>(SendMessageA(box, LB_GETCARETINDEX, 0, 0));
}

inline std::vector<std::string> ListTexts(HWND box) {
  std::vector<std::string> out;
  const LRESULT n = SendMessageA(box, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    std::string s(static_cast<size_t>(SendMessageA(box, LB_GETTEXTLEN, i, 0)) + 1, '\0');
    s.resize(static_cast<size_t>(SendMessageA(box, LB_GETTEXT, i, reinterpret_cast<LPARAM>(s.data()))));
    out.push_back(s);
  }
  return out;
}

// The builder's controls found by resource number anywhere in the window
// (pages and sub-pages included), and what a user does with them.
class TBuilderView {
 public:
  void SetWindow(HWND w) { window_ = w; }
  HWND Window() const { return window_; }
  HWND C(int id) const {
    if (HWND found = Find(id)) return found;
    // Pages are made at their first showing: shown as a user's click shows
    // them, the Effects page (whose preview starts) last, then back.
    const auto shown = static_cast<int>(SendMessageA(Find(IDC_OUTLOOKBAR), LB_GETCURSEL, 0, 0));
    HWND found = nullptr;
    for (TBuilderPage page : {bpOptions, bpBuild, bpEffects}) {
      SideBar(page);
      if ((found = Find(id))) break;
    }
    if (shown >= 0) SideBar(static_cast<TBuilderPage>(shown));
    return found;
  }
  HWND Find(int id) const {
    TSearch s{id, nullptr};
    EnumChildWindows(window_, FindById, reinterpret_cast<LPARAM>(&s));
    return s.found;
  }
  // A control of the visible page (the bottom bars repeat on each page).
  HWND OnPage(int page, int id) const {
    if (!GetDlgItem(window_, IDC_TAB1 + page)) {  // not made yet: shown once
      const auto shown = static_cast<int>(SendMessageA(Find(IDC_OUTLOOKBAR), LB_GETCURSEL, 0, 0));
      SideBar(static_cast<TBuilderPage>(page));
      if (shown >= 0) SideBar(static_cast<TBuilderPage>(shown));
    }
    return GetDlgItem(GetDlgItem(window_, IDC_TAB1 + page), id);
  }
  void Click(int id) const { SendMessageA(C(id), BM_CLICK, 0, 0); }
  void Type(int id, const std::string& text) const {
    SendMessageA(C(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  void Menu(int id) const { SendMessageA(window_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
  bool Checked(int id) const { return SendMessageA(C(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  // Picks an entry of a list box as a click does: selected, then told.
  void Pick(int id, int index) const {
    if (GetWindowLongA(C(id), GWL_STYLE) & LBS_EXTENDEDSEL) {
      SendMessageA(C(id), LB_SETSEL, FALSE, -1);
      SendMessageA(C(id), LB_SETSEL, TRUE, index);
      SendMessageA(C(id), LB_SETCARETINDEX, index, FALSE);
    } else {
      SendMessageA(C(id), LB_SETCURSEL, index, 0);
    }
    SendMessageA(GetParent(C(id)), WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(C(id)));
  }
  void SideBar(TBuilderPage page) const { Pick(IDC_OUTLOOKBAR, page); }
  // A click on the tick box of a list entry.
  void ClickTick(int id, int index) const {
    RECT item;
    SendMessageA(C(id), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
    const LPARAM at = MAKELPARAM(item.left + 4, (item.top + item.bottom) / 2);
    SendMessageA(C(id), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(C(id), WM_LBUTTONUP, 0, at);
  }
  void ChooseColorEntry(const std::string& text) const {
    HWND list = C(IDC_BACKCOLORCB);
    const LRESULT i = SendMessageA(list, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(text.c_str()));
    ASSERT_NE(i, CB_ERR) << text;
    SendMessageA(list, CB_SETCURSEL, i, 0);
    SendMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(IDC_BACKCOLORCB, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  }
  void SetSpeed(int position) const {
    SendMessageA(C(IDC_SPEEDSCROLLBAR), TBM_SETPOS, TRUE, position);
    SendMessageA(GetParent(C(IDC_SPEEDSCROLLBAR)), WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0),
                 reinterpret_cast<LPARAM>(C(IDC_SPEEDSCROLLBAR)));
  }
  // The effect tree's items in tree order (each group, then its effects).
  std::vector<HTREEITEM> TreeItems() const {
    std::vector<HTREEITEM> items;
    HWND tree = C(IDC_STYLELIST);
    for (auto g = TreeView_GetRoot(tree); g; g = TreeView_GetNextSibling(tree, g)) {
      items.push_back(g);
      for (auto e = TreeView_GetChild(tree, g); e; e = TreeView_GetNextSibling(tree, e)) items.push_back(e);
    }
    return items;
  }
  bool TreeTicked(HTREEITEM item) const { return TreeView_GetCheckState(C(IDC_STYLELIST), item) == 1; }
  std::string TreeText(HTREEITEM item) const {
    char text[128] = {};
    TVITEMA i{};
    i.mask = TVIF_TEXT;
    i.hItem = item;
    i.pszText = text;
    i.cchTextMax = sizeof text;
    SendMessageA(C(IDC_STYLELIST), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&i));
    return text;
  }
  // A mouse click on a node's tick box (box) or its caption, as the system
  // queues it; the loop then carries it out.
  void ClickNode(HTREEITEM item, bool box) const {
    HWND tree = C(IDC_STYLELIST);
    TreeView_EnsureVisible(tree, item);
    RECT r;
    ASSERT_TRUE(TreeView_GetItemRect(tree, item, &r, TRUE));
    POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    if (box) {
      TVHITTESTINFO hit{};
      for (at.x = r.left - 1; at.x > 0; --at.x) {
        hit.pt = at;
        SendMessageA(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (hit.flags & TVHT_ONITEMSTATEICON) break;
      }
      ASSERT_TRUE(hit.flags & TVHT_ONITEMSTATEICON) << "no tick box left of " << TreeText(item);
      at.x -= 3;  // into the box, not on its edge
    }
    PostMessageA(tree, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    PostMessageA(tree, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    Drain();
  }
  // Space on the selected node.
  void SpaceOn(HTREEITEM item) const {
    HWND tree = C(IDC_STYLELIST);
    TreeView_SelectItem(tree, item);
    PostMessageA(tree, WM_KEYDOWN, VK_SPACE, 1);
    PostMessageA(tree, WM_CHAR, ' ', 1);
    PostMessageA(tree, WM_KEYUP, VK_SPACE, 0xC0000001);
    Drain();
  }
  // Carries out what is queued.
  static void Drain() {
    MSG msg;
    for (int round = 0; round < 3; ++round) {
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      Sleep(5);
    }
  }
  // Which of the five pages shows.
  int VisiblePage() const {
    for (int i = 0; i < kBuilderPages; ++i)
      if (IsWindowVisible(GetDlgItem(window_, IDC_TAB1 + i))) return i;
    return -1;
  }

 private:
  HWND window_ = nullptr;
};

// The shell and the dialogs, answered by the test.
class TDialogScript {
 public:
  TDialogScript() {
    shell_.OnOpen = [this](const platform::TShellRequest& r) { shell.push_back(r); };
    shell_.OnPickColor = [this](uint32_t) { return color; };
    shell_.OnPickFiles = [this](const platform::TOpenFilesRequest& r) {
      fileRequests.push_back(r);
      return files;
    };
    shell_.OnPickFont = [this](const platform::TFontChoice& initial) {
      fontsOffered.push_back(initial);
      return font;
    };
    shell_.OnPickSave = [this](const platform::TSaveFileRequest& r) {
      saveRequests.push_back(r);
      return saveAs;
    };
    shell_.OnAsk = [this](const std::string& text) {
      asked.push_back(text);
      return yes;
    };
    shell_.OnAskThreeWay = [this](const std::string& text) {
      asked.push_back(text);
      return answer;
    };
    shell_.OnPickFolder = [this](const std::string& title) {
      asked.push_back(title);
      return folder;
    };
  }
  TDialogScript(const TDialogScript&) = delete;
  TDialogScript& operator=(const TDialogScript&) = delete;

  // The shell that answers so, for what the test makes.
  platform::IShell& Shell() { return shell_; }

  std::vector<platform::TShellRequest> shell;
  std::optional<uint32_t> color;
  std::vector<std::string> files;  // what the file dialog answers
  std::vector<platform::TOpenFilesRequest> fileRequests;
  std::optional<platform::TFontChoice> font;
  std::vector<platform::TFontChoice> fontsOffered;
  std::optional<std::string> saveAs;  // what the save dialog answers
  std::vector<platform::TSaveFileRequest> saveRequests;
  bool yes = false;                                 // to a Yes/No question
  platform::TAnswer answer = platform::TAnswer::No;  // to "Save changes?"
  std::optional<std::string> folder;               // what the folder picker answers
  std::vector<std::string> asked;                  // the questions and pickers, in order

 private:
  test::TScriptedShell shell_;
};

// ---- The form on a record and a settings file, started by the test.

class BuilderFormTest : public ::testing::Test, public TBuilderView {
 public:
  void TearDown() override { form.reset(); }
  // The builder's executable: beside the test's, where the effect table and
  // the sample pictures are.
  static std::string ProgramFile() { return test::ExeFolder() + "VantaSaver.scr"; }
  // What the form works with: the test's main scheduler and music, its
  // scripted shell.
  TBuilderSeams Seams() { return {main.scheduler, script.Shell(), platform::SystemRegistry(), main.music}; }

  // Opens the builder on setting, with the settings file holding text.
  void Open(const TSaverSetting& setting = {}, const std::string& text = "") {
    form.reset();
    ini = std::make_unique<TIniFile>(dir.Write("VantaSaver.002", text));
    form = std::make_unique<TVantaConfigForm>(
        setting, *ini, TBuilderPlaces{install.Folder(), ProgramFile(), "", kDocuments, ""}, Seams());
    closed = false;
    errors.clear();
    form->OnClose = [this] { closed = true; };
    form->OnError = [this](const std::string& m) { errors.push_back(m); };
    form->Show();
    SetWindow(form->Handle());
    ASSERT_TRUE(IsWindowVisible(form->Handle()));
  }
  // Presses OK: what the form gives back.
  std::optional<TConfigControls> Ok() {
    const int page = VisiblePage();
    SendMessageA(OnPage(page >= bpImages && page < bpBuild ? page : bpImages, IDC_OKBUTTON), BM_CLICK, 0, 0);
    return form->Result();
  }
  // The record OK gives back, applied to what was given.
  TSaverSetting OkRecord(TSaverSetting given) {
    const std::optional<TConfigControls> back = Ok();
    EXPECT_TRUE(back);
    if (back) ApplyControls(*back, given, nullptr);
    return given;
  }
  std::string Picture(const std::string& name, int w = 64, int h = 48) {
    return dir.Write(name, test::MakeBmp(test::ReferencePicture(w, h)));
  }

  test::TTestMain main;  // before the form, which runs on it
  test::TTempDir dir, install;
  TDialogScript script;
  std::unique_ptr<TIniFile> ini;
  std::unique_ptr<TVantaConfigForm> form;
  bool closed = false;
  std::vector<std::string> errors;
};

// A key pressed in the window, as its message loop sees it.
inline bool PressKey(TVantaConfigForm& form, UINT vk, bool alt) {
  BYTE keys[256];
  GetKeyboardState(keys);
  BYTE pressed[256];
  std::copy(std::begin(keys), std::end(keys), std::begin(pressed));
  pressed[VK_MENU] = alt ? 0x80 : 0;
  SetKeyboardState(pressed);
  MSG msg{form.Handle(), static_cast<UINT>(alt ? WM_SYSKEYDOWN : WM_KEYDOWN), vk, alt ? (1 << 29) | 1 : 1, 0, {}};
  const bool taken = form.PreTranslateMessage(msg);
  SetKeyboardState(keys);
  return taken;
}

// The tree as the table beside the program and a set make it, read here on
// their own: each node's caption, number and tick, in tree order.
struct TExpectedNode {
  std::string Caption;
  int32_t Number;  // -1 for a group
  bool Ticked;
};
inline std::vector<TExpectedNode> ExpectedTree(const TEffectSet& set) {
  TIniFile table(test::ExeFolder() + "VantaSaver.001");
  std::vector<TExpectedNode> nodes;
  for (const TEffectGroup& g : kEffectTree) {
    const size_t group = nodes.size();
    nodes.push_back({std::string(g.Caption), -1, false});
    for (std::string_view e : g.Effects) {
      const int32_t n = table.ReadInteger(g.Caption, e, -1);
      EXPECT_GE(n, 1) << g.Caption << "/" << e << " is not in the table";
      const bool on = n >= 0 && n <= 127 && set.test(static_cast<size_t>(n));
      nodes.push_back({std::string(e), n, on});
      nodes[group].Ticked = nodes[group].Ticked || on;
    }
  }
  return nodes;
}

}  // namespace vanta
