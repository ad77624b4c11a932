#include "builder/EffectsPage.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>

#include "base/Text.h"
#include "builder/ConfigFormRes.h"
#include "platform/Scheduler.h"
#include "platform/win32/PictureDrawing.h"
#include "platform/win32/Win32SurfaceHost.h"
#include "settings/Instance.h"
#include "show/RunVantascreen.h"

namespace vanta {
namespace {

constexpr TPlace kLayout[] = {
    {kOnPage, IDC_EFFECTSLABEL, 8, 10, 210, 16},   {kOnPage, IDC_STYLELIST, 8, 30, 210, 252},
    {kOnPage, IDC_EXPANDALL, 222, 30, 24, 24},     {kOnPage, IDC_COLLAPSEALL, 222, 58, 24, 24},
    {kOnPage, IDC_FSPANEL2, 252, 30, 178, 134},    {kOnPage, IDC_SPEEDLABEL, 252, 178, 44, 16},
    {kOnPage, IDC_SPEEDSCROLLBAR, 298, 172, 132, 28}, {kOnPage, IDC_SELECTALL, 252, 208, 86, 24},
    {kOnPage, IDC_DISABLEALL, 344, 208, 86, 24},
};
// The tree and the preview share the growth in width; "+" and "-" keep to
// the tree's right, the speed and the tick buttons under the preview.
constexpr form::TAnchors kTreeSide{0, 0, 50, 100}, kBesideTree{50, 0, 50, 0}, kPreviewSide{50, 0, 100, 100},
    kUnderPreview{50, 100, 50, 100}, kUnderPreviewWide{50, 100, 100, 100};
constexpr TAnchor kAnchors[] = {
    {kOnPage, IDC_STYLELIST, kTreeSide},          {kOnPage, IDC_EXPANDALL, kBesideTree},
    {kOnPage, IDC_COLLAPSEALL, kBesideTree},      {kOnPage, IDC_FSPANEL2, kPreviewSide},
    {kOnPage, IDC_SPEEDLABEL, kUnderPreview},     {kOnPage, IDC_SPEEDSCROLLBAR, kUnderPreviewWide},
    {kOnPage, IDC_SELECTALL, kUnderPreview},      {kOnPage, IDC_DISABLEALL, form::kAnchorCorner},
};
constexpr int kTreeItemHeight = 16;
constexpr int kTreeIndent = 19;
constexpr UINT_PTR kStyleListSubclass = 1;

// A node in the tree item's parameter: group << 8 | effect + 1 (0: the group).
LPARAM NodeParam(size_t group, int effect) { return static_cast<LPARAM>(group << 8 | (effect + 1)); }
TEffectNodeRef NodeOf(LPARAM param) { return {static_cast<size_t>(param >> 8), static_cast<int>(param & 0xFF) - 1}; }

bool ItemChecked(HWND tree, HTREEITEM item) {
  return (SendMessageA(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_STATEIMAGEMASK) >> 12) == 2;
}

// A right click selects the node under the pointer, as a left click does;
// the tree alone only highlights it while the button is down.
void SelectNodeAt(HWND tree, LPARAM point) {
  TVHITTESTINFO hit{};
  hit.pt = {static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
  auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (item && (hit.flags & TVHT_ONITEM)) SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

// The tree turns a tick itself on a click of its box or on Space, during or
// after different messages on different systems; once the message is
// handled, the page is told to compare the ticks with the model.
LRESULT CALLBACK StyleListProc(HWND tree, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR page) {
  if (msg == WM_RBUTTONDOWN) SelectNodeAt(tree, lp);
  const LRESULT result = DefSubclassProc(tree, msg, wp, lp);
  const bool space = (msg == WM_KEYDOWN || msg == WM_KEYUP || msg == WM_CHAR) && wp == VK_SPACE;
  if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONUP || space)
    PostMessageA(reinterpret_cast<HWND>(page), TEffectsPage::kStyleCheckMessage, 0, msg == WM_LBUTTONDOWN);
  return result;
}

}  // namespace

TEffectsPage::TEffectsPage(IBuilderFrame& frame, platform::IScheduler& scheduler)
    : TBuilderPageBase(frame, bpEffects), scheduler_(scheduler) {}
TEffectsPage::~TEffectsPage() { Dropping(); }

std::span<const TPlace> TEffectsPage::Layout() const { return kLayout; }
std::span<const TAnchor> TEffectsPage::Anchors() const { return kAnchors; }

HWND TEffectsPage::PreviewWindow() const { return previewHost_ ? previewHost_->Window() : nullptr; }

void TEffectsPage::Dropping() {
  previewRunner_.reset();
  previewHost_.reset();
}

void TEffectsPage::SetUp() {
  SendMessageA(Own(IDC_SPEEDSCROLLBAR), TBM_SETRANGE, FALSE, MAKELPARAM(0, kSpeedPositions - 1));
  SendMessageA(Own(IDC_SPEEDSCROLLBAR), TBM_SETPAGESIZE, 0, 1);
  CreateTree();
}

void TEffectsPage::Write(const TConfigControls& c) {
  SendMessageA(Own(IDC_SPEEDSCROLLBAR), TBM_SETPOS, TRUE, std::clamp(c.SpeedScrollBar, 0, kSpeedPositions - 1));
}

void TEffectsPage::Read(TConfigControls& c) const {
  if (Made()) c.SpeedScrollBar = static_cast<int32_t>(SendMessageA(Own(IDC_SPEEDSCROLLBAR), TBM_GETPOS, 0, 0));
}

void TEffectsPage::CreateTree() {
  HWND tree = Own(IDC_STYLELIST);
  // The boxes set up now, as the style set after creation does: a tree that
  // makes them at its first paint resets every tick given before.
  const LONG style = GetWindowLongA(tree, GWL_STYLE);
  SetWindowLongA(tree, GWL_STYLE, style & ~TVS_CHECKBOXES);
  // Expanding on selection, but never collapsing the others (TVN_SINGLEEXPAND).
  SetWindowLongA(tree, GWL_STYLE, style | TVS_CHECKBOXES | TVS_SINGLEEXPAND);
  SendMessageA(tree, TVM_SETITEMHEIGHT, Scaled(kTreeItemHeight), 0);
  SendMessageA(tree, TVM_SETINDENT, Scaled(kTreeIndent), 0);
  SetWindowSubclass(tree, StyleListProc, kStyleListSubclass, reinterpret_cast<DWORD_PTR>(Window()));
  // The design's nodes, collapsed; the ticks come with the first visit.
  SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
  items_.clear();
  for (size_t g = 0; g < tree_.Groups.size(); ++g) {
    TVINSERTSTRUCTA in{};
    in.hParent = TVI_ROOT;
    in.hInsertAfter = TVI_LAST;
    in.item.mask = TVIF_TEXT | TVIF_PARAM;
    in.item.pszText = const_cast<char*>(tree_.Groups[g].Caption.c_str());
    in.item.lParam = NodeParam(g, -1);
    auto group = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&in)));
    items_.push_back(group);
    for (size_t e = 0; e < tree_.Groups[g].Effects.size(); ++e) {
      in.hParent = group;
      in.item.pszText = const_cast<char*>(tree_.Groups[g].Effects[e].Caption.c_str());
      in.item.lParam = NodeParam(g, static_cast<int>(e));
      items_.push_back(reinterpret_cast<void*>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&in))));
    }
  }
  SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
}

// The model's ticks onto the tree's boxes, in tree order.
void TEffectsPage::ShowTicks() {
  HWND tree = Own(IDC_STYLELIST);
  size_t i = 0;
  for (const TEffectGroupNode& g : tree_.Groups) {
    const auto set = [&](bool ticked) {
      TVITEMA item{};
      item.mask = TVIF_STATE;
      item.hItem = static_cast<HTREEITEM>(items_[i++]);
      item.stateMask = TVIS_STATEIMAGEMASK;
      item.state = INDEXTOSTATEIMAGEMASK(ticked ? 2 : 1);
      SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    };
    set(g.Ticked);
    for (const TEffectNode& e : g.Effects) set(e.Ticked);
  }
}

// The tree into the record, and its boxes shown again.
void TEffectsPage::TicksChanged(bool changed) {
  TakeEffectTree(frame_.Record(), tree_, changed);
  // While the tree waits to be filled again, its boxes keep what it shows.
  ShowTicks();
}

void TEffectsPage::Selected() {
  if (!effectTable_) effectTable_ = std::make_unique<TIniFile>(frame_.Places().ProgramFolder() + kEffectTableName);
  if (!tree_.Filled) {
    FillEffectTree(tree_, *effectTable_, frame_.Setting().Transitions);
    TicksChanged(false);  // the tree knows the numbers now
  }
  if (!previewRunner_) StartPreview(kUnknownEffectNumber);
}

void TEffectsPage::StartPreview(int32_t style) {
  HWND panel = Own(IDC_FSPANEL2);
  RECT area;
  GetClientRect(panel, &area);
  previewHost_ = std::make_unique<platform::TWin32SurfaceHost>(panel, area, WS_CHILD | WS_VISIBLE);
  previewRunner_ = std::make_unique<TRunVantascreen>(
      TShowParent{*previewHost_, scheduler_, area.right, area.bottom}, frame_.PreviewRecord(),
      TShowMouseHandlers{}, true, true, style);
  previewRunner_->SampleFolders = frame_.Places().MediaFolders();
}

void TEffectsPage::BackgroundChanged() { InvalidateRect(Own(IDC_FSPANEL2), nullptr, FALSE); }

void TEffectsPage::Settled() {
  if (!previewRunner_) return;
  RECT panel, shown;
  GetClientRect(Own(IDC_FSPANEL2), &panel);
  GetClientRect(previewHost_->Window(), &shown);
  if (EqualRect(&panel, &shown)) return;
  // The surface is made for one size: the preview starts again on the
  // panel's new one, with the effect it was showing.
  const int32_t style = previewRunner_->DemoStyle;
  Dropping();
  StartPreview(style);
}

void TEffectsPage::CheckReported(LPARAM clicked) {
  HWND tree = Own(IDC_STYLELIST);
  if (!tree) return;
  try {
    // Each box that differs from the model, in tree order: a group first,
    // so that its effects follow it before they are compared.
    size_t i = 0;
    for (size_t g = 0; g < tree_.Groups.size(); ++g) {
      const auto report = [&](int effect, bool model) {
        const bool box = ItemChecked(tree, static_cast<HTREEITEM>(items_[i++]));
        if (box != model) TicksChanged(TickChanged(tree_, {g, effect}, box));
      };
      report(-1, tree_.Groups[g].Ticked);
      for (size_t e = 0; e < tree_.Groups[g].Effects.size(); ++e)
        report(static_cast<int>(e), tree_.Groups[g].Effects[e].Ticked);
    }
    if (clicked) NodeClicked();
  } catch (const std::exception& e) {
    frame_.Fail(e.what());
  }
}

void TEffectsPage::NodeClicked() {
  HWND tree = Own(IDC_STYLELIST);
  auto selected = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (!selected || !previewRunner_) return;
  TVITEMA item{};
  item.mask = TVIF_PARAM;
  item.hItem = selected;
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
  const std::optional<int32_t> effect = PreviewEffect(tree_, NodeOf(item.lParam));
  if (!effect) return;
  TRunVantascreen& run = *previewRunner_;
  run.Surface().Stop();
  run.DemoStyle = *effect;
  run.NextPicture();
  run.StartTransition();
}

void TEffectsPage::ExpandAll(bool expand) {
  HWND tree = Own(IDC_STYLELIST);
  for (size_t i = 0, g = 0; g < tree_.Groups.size(); i += tree_.Groups[g++].Effects.size() + 1)
    SendMessageA(tree, TVM_EXPAND, expand ? TVE_EXPAND : TVE_COLLAPSE, reinterpret_cast<LPARAM>(items_[i]));
}

void TEffectsPage::SpeedScroll() {
  const auto position = static_cast<int32_t>(SendMessageA(Own(IDC_SPEEDSCROLLBAR), TBM_GETPOS, 0, 0));
  // Only the preview's record changes; the file gets the speed with a save.
  if (!previewRunner_) return;
  frame_.PreviewSpeedChanged(EffectSpeedAt(position));
  previewRunner_->ApplySettings();
}

bool TEffectsPage::Command(int id, int code, HWND) {
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_SELECTALL:
    case IDC_DISABLEALL:
      TickAll(tree_, id == IDC_SELECTALL);
      TicksChanged(true);
      break;
    case IDC_EXPANDALL: ExpandAll(true); break;
    case IDC_COLLAPSEALL: ExpandAll(false); break;
    default: return false;
  }
  return true;
}

INT_PTR TEffectsPage::PageMessage(HWND window, UINT msg, WPARAM, LPARAM lp) {
  switch (msg) {
    case WM_NOTIFY: {
      const NMHDR* n = reinterpret_cast<const NMHDR*>(lp);
      if (n->idFrom != IDC_STYLELIST || n->code != TVN_SINGLEEXPAND) return FALSE;
      // The other groups stay as they are.
      SetWindowLongPtrA(window, DWLP_MSGRESULT, TVNRET_SKIPOLD);
      return TRUE;
    }
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(lp) != Own(IDC_SPEEDSCROLLBAR)) return FALSE;
      SpeedScroll();
      return TRUE;
    case WM_DRAWITEM: {
      const auto& d = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (d.CtlID != IDC_FSPANEL2) return FALSE;
      // Only the background until the preview covers it.
      static const TBitmap24 kNone;
      platform::DrawPictureCentered(d.hDC, d.rcItem, kNone, frame_.Record().BackcolorCb);
      return Drawn(window);
    }
    case kStyleCheckMessage:
      CheckReported(lp);
      return TRUE;
  }
  return FALSE;
}

}  // namespace vanta
