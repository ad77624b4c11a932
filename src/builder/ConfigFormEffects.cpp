// The Effects page (the effect tree, its buttons, the preview and the speed)
// and the Project menu. The tree's rules are EffectTreeRules; the project
// copies are ProjectFiles; this file moves their results into the controls.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "builder/ConfigFormP.h"
#include "builder/ConfigFormRes.h"
#include "forms/Controls.h"
#include "forms/FormLayout.h"
#include "builder/ProjectFiles.h"
#include "base/Text.h"
#include "platform/Scheduler.h"
#include "platform/Shell.h"
#include "platform/win32/Win32SurfaceHost.h"
#include "show/RunVantascreen.h"
#include "startup/Instance.h"

namespace vanta {
namespace {

constexpr int kTreeItemHeight = 16;
constexpr int kTreeIndent = 19;
constexpr const char* kProjectFilter = "*.vnt|*.vnt";
constexpr UINT_PTR kStyleListSubclass = 1;

// A node in the tree item's parameter: group << 8 | effect + 1 (0: the group).
LPARAM NodeParam(size_t group, int effect) { return static_cast<LPARAM>(group << 8 | (effect + 1)); }

bool ItemChecked(HWND tree, HTREEITEM item) {
  return (SendMessageA(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK) >> 12) == 2;
}

// The tree turns a tick itself on a click of its box or on Space, during or
// after different messages on different systems; once the message is
// handled, the window is told to compare the ticks with the model.
// A right click selects the node under the pointer, as a left click does;
// the tree alone only highlights it while the button is down.
void SelectNodeAt(HWND tree, LPARAM point) {
  TVHITTESTINFO hit{};
  hit.pt = {static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
  auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (item && (hit.flags & TVHT_ONITEM)) SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

LRESULT CALLBACK StyleListProc(HWND tree, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR form) {
  if (msg == WM_RBUTTONDOWN) SelectNodeAt(tree, lp);
  const LRESULT result = DefSubclassProc(tree, msg, wp, lp);
  const bool space = (msg == WM_KEYDOWN || msg == WM_KEYUP || msg == WM_CHAR) && wp == VK_SPACE;
  if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP || space)
    PostMessageA(reinterpret_cast<HWND>(form), TVantaConfigForm::kStyleCheckMessage, 0, msg == WM_LBUTTONDOWN);
  return result;
}

}  // namespace

HWND TVantaConfigForm::EffectPreviewWindow() const {
  return effectPreviewHost_ ? effectPreviewHost_->Window() : nullptr;
}

TEffectNodeRef TVantaConfigForm::StyleNode(LPARAM param) const {
  return {static_cast<size_t>(param >> 8), static_cast<int>(param & 0xFF) - 1};
}

void TVantaConfigForm::CreateStyleList() {
  HWND tree = Control(IDC_STYLELIST);
  // The boxes set up now, as the style set after creation does: a tree that
  // makes them at its first paint resets every tick given before.
  const LONG style = GetWindowLongA(tree, GWL_STYLE);
  SetWindowLongA(tree, GWL_STYLE, style & ~TVS_CHECKBOXES);
  // Expanding on selection, but never collapsing the others (TVN_SINGLEEXPAND).
  SetWindowLongA(tree, GWL_STYLE, style | TVS_CHECKBOXES | TVS_SINGLEEXPAND);
  SendMessageA(tree, TVM_SETITEMHEIGHT, Scaled(kTreeItemHeight), 0);
  SendMessageA(tree, TVM_SETINDENT, Scaled(kTreeIndent), 0);
  SetWindowSubclass(tree, StyleListProc, kStyleListSubclass, reinterpret_cast<DWORD_PTR>(handle_));
  // The design's nodes, collapsed; the ticks come with the first visit.
  SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
  styleItems_.clear();
  for (size_t g = 0; g < styleTree_.Groups.size(); ++g) {
    TVINSERTSTRUCTA in{};
    in.hParent = TVI_ROOT;
    in.hInsertAfter = TVI_LAST;
    in.item.mask = TVIF_TEXT | TVIF_PARAM;
    in.item.pszText = const_cast<char*>(styleTree_.Groups[g].Caption.c_str());
    in.item.lParam = NodeParam(g, -1);
    auto group = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&in)));
    styleItems_.push_back(group);
    for (size_t e = 0; e < styleTree_.Groups[g].Effects.size(); ++e) {
      in.hParent = group;
      in.item.pszText = const_cast<char*>(styleTree_.Groups[g].Effects[e].Caption.c_str());
      in.item.lParam = NodeParam(g, static_cast<int>(e));
      styleItems_.push_back(reinterpret_cast<void*>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&in))));
    }
  }
  SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
}

// The model's ticks onto the tree's boxes, in tree order.
void TVantaConfigForm::ShowStyleTicks() {
  HWND tree = Control(IDC_STYLELIST);
  size_t i = 0;
  for (const TEffectGroupNode& g : styleTree_.Groups) {
    const auto set = [&](bool ticked) {
      TVITEMA item{};
      item.mask = TVIF_STATE;
      item.hItem = static_cast<HTREEITEM>(styleItems_[i++]);
      item.stateMask = TVIS_STATEIMAGEMASK;
      item.state = INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
      SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    };
    set(g.Ticked);
    for (const TEffectNode& e : g.Effects) set(e.Ticked);
  }
}

void TVantaConfigForm::PrepareEffectsPage() {
  if (!effectTable_) effectTable_ = std::make_unique<TIniFile>(ExtractFilePath(InstanceExecutablePath()) + kEffectTableName);
  if (!styleTree_.Filled) {
    FillEffectTree(styleTree_, *effectTable_, setting_.Transitions);
    styleNumbered_ = true;
    ShowStyleTicks();
  }
  if (!effectPreviewRunner_) {
    HWND panel = Control(IDC_FSPANEL2);
    RECT area;
    GetClientRect(panel, &area);
    effectPreviewHost_ = std::make_unique<platform::TWin32SurfaceHost>(panel, area, WS_CHILD | WS_VISIBLE);
    effectPreviewRunner_ = std::make_unique<TRunVantascreen>(
        TShowParent{*effectPreviewHost_, platform::MainScheduler(), area.right, area.bottom}, PreviewRecord(),
        TShowMouseHandlers{}, true, true, kUnknownEffectNumber);
  }
}

bool TVantaConfigForm::StyleListNotify(const NMHDR& n) {
  if (n.code != TVN_SINGLEEXPAND) return false;
  // The other groups stay as they are.
  SetWindowLongPtrA(GetParent(n.hwndFrom), DWLP_MSGRESULT, TVNRET_SKIPOLD);
  return true;
}

void TVantaConfigForm::StyleCheckReported(LPARAM clicked) {
  HWND tree = Control(IDC_STYLELIST);
  if (!tree) return;
  try {
    // Each box that differs from the model, in tree order: a group first,
    // so that its effects follow it before they are compared.
    size_t i = 0;
    for (size_t g = 0; g < styleTree_.Groups.size(); ++g) {
      const auto report = [&](int effect, bool model) {
        const bool box = ItemChecked(tree, static_cast<HTREEITEM>(styleItems_[i++]));
        if (box != model) StyleListChecked({g, effect}, box);
      };
      report(-1, styleTree_.Groups[g].Ticked);
      for (size_t e = 0; e < styleTree_.Groups[g].Effects.size(); ++e)
        report(static_cast<int>(e), styleTree_.Groups[g].Effects[e].Ticked);
    }
    if (clicked) StyleListClick();
  } catch (const std::exception& e) {
    Fail(e.what());
  }
}

void TVantaConfigForm::StyleListChecked(TEffectNodeRef node, bool ticked) {
  if (TickChanged(styleTree_, node, ticked)) changedSections_ |= csTransitions;
  // While the tree waits to be filled again, its boxes keep what it shows.
  ShowStyleTicks();
}

void TVantaConfigForm::StyleListClick() {
  HWND tree = Control(IDC_STYLELIST);
  auto selected = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (!selected || !effectPreviewRunner_) return;
  TVITEMA item{};
  item.mask = TVIF_PARAM;
  item.hItem = selected;
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  const std::optional<int32_t> effect = PreviewEffect(styleTree_, StyleNode(item.lParam));
  if (!effect) return;
  TRunVantascreen& run = *effectPreviewRunner_;
  run.Surface().Stop();
  run.DemoStyle = *effect;
  run.NextPicture();
  run.StartTransition();
}

void TVantaConfigForm::FlatButton8Click() {
  TickAll(styleTree_, true);
  changedSections_ |= csTransitions;
  ShowStyleTicks();
}

void TVantaConfigForm::FlatButton7Click() {
  TickAll(styleTree_, false);
  changedSections_ |= csTransitions;
  ShowStyleTicks();
}

void TVantaConfigForm::FlatSpeedButton11Click() {
  HWND tree = Control(IDC_STYLELIST);
  for (size_t i = 0, g = 0; g < styleTree_.Groups.size(); i += styleTree_.Groups[g++].Effects.size() + 1)
    SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(styleItems_[i]));
}

void TVantaConfigForm::FlatSpeedButton12Click() {
  HWND tree = Control(IDC_STYLELIST);
  for (size_t i = 0, g = 0; g < styleTree_.Groups.size(); i += styleTree_.Groups[g++].Effects.size() + 1)
    SendMessageA(tree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(styleItems_[i]));
}

void TVantaConfigForm::SpeedScrollBarScroll() {
  const auto position = static_cast<int32_t>(SendMessageA(Control(IDC_SPEEDSCROLLBAR), TBM_GETPOS, 0, 0));
  // Only the preview's record changes; the file gets the speed with a save.
  if (!effectPreviewRunner_) return;
  preview_.EffectSpeed = EffectSpeedAt(position);
  effectPreviewRunner_->ApplySettings();
}

// ---- The Project menu.

void TVantaConfigForm::Commit() {
  if (OnAccept) OnAccept(ReadControls());
}

void TVantaConfigForm::Save1Click() { Commit(); }

void TVantaConfigForm::SaveProject1Click() {
  const std::optional<std::string> chosen = platform::PickFileToSave(
      reinterpret_cast<std::intptr_t>(handle_), {"Save Project as...", kProjectFilter, "", places_.DocumentsFolder});
  if (!chosen) return;
  SaveProjectAs(ini_, ProjectFileName(*chosen), [this] { Commit(); });
}

void TVantaConfigForm::LoadProject1Click() {
  platform::TOpenFilesRequest request{"", kProjectFilter, places_.DocumentsFolder};
  request.Multiple = false;
  const std::vector<std::string> chosen = platform::PickFilesToOpen(reinterpret_cast<std::intptr_t>(handle_), request);
  if (chosen.empty()) return;
  LoadProject(ini_, chosen.front());
  changedSections_ = 0;
  styleTree_.Filled = false;
  if (OnLoadSettings) setting_ = OnLoadSettings();
  WriteControls(LoadControls(setting_, ini_));
}

}  // namespace vanta
