#include "builder/ImagesPage.h"

#include <algorithm>
#include <exception>
#include <tuple>
#include <utility>

#include "builder/ConfigFormRes.h"
#include "engine/PictureLoader.h"
#include "forms/Controls.h"
#include "platform/Files.h"
#include "platform/Scheduler.h"
#include "platform/Shell.h"
#include "platform/win32/PictureDrawing.h"
#include "platform/win32/Win32SurfaceHost.h"
#include "show/RunVantascreen.h"

namespace vanta {
namespace {

constexpr TPlace kLayout[] = {
    {kOnPage, IDC_IMAGELABEL, 4, 10, 426, 16},  {kOnPage, IDC_IMAGELIST, 8, 30, 254, 222},
    {kOnPage, IDC_ADDIMAGES, 8, 258, 62, 24},   {kOnPage, IDC_REMOVEIMAGE, 74, 258, 62, 24},
    {kOnPage, IDC_CLEARIMAGES, 140, 258, 62, 24}, {kOnPage, IDC_IMAGEUP, 206, 258, 26, 24},
    {kOnPage, IDC_IMAGEDOWN, 236, 258, 26, 24}, {kOnPage, IDC_FSPANEL, 270, 30, 160, 160},
    {kOnPage, IDC_FULLSCREEN, 270, 196, 78, 24}, {kOnPage, IDC_PREVIEWB2, 352, 196, 78, 24},
    {kOnPage, IDC_SORTBYNAME, 270, 226, 78, 24}, {kOnPage, IDC_SORTBYDATE, 352, 226, 78, 24},
    {kOnPage, IDC_ADDFOLDER, 270, 258, 78, 24},  {kOnPage, IDC_IMAGECOUNT, 354, 262, 76, 16},
};
// The list and the picture panel share the growth in width; the buttons
// under each keep to their own side.
constexpr form::TAnchors kListSide{0, 0, 50, 100}, kPanelSide{50, 0, 100, 100}, kUnderPanel{50, 100, 50, 100};
constexpr TAnchor kAnchors[] = {
    {kOnPage, IDC_IMAGELABEL, form::kAnchorWide},     {kOnPage, IDC_IMAGELIST, kListSide},
    {kOnPage, IDC_ADDIMAGES, form::kAnchorBottom},    {kOnPage, IDC_REMOVEIMAGE, form::kAnchorBottom},
    {kOnPage, IDC_CLEARIMAGES, form::kAnchorBottom},  {kOnPage, IDC_IMAGEUP, kUnderPanel},
    {kOnPage, IDC_IMAGEDOWN, kUnderPanel},            {kOnPage, IDC_FSPANEL, kPanelSide},
    {kOnPage, IDC_FULLSCREEN, kUnderPanel},           {kOnPage, IDC_PREVIEWB2, form::kAnchorCorner},
    {kOnPage, IDC_SORTBYNAME, kUnderPanel},           {kOnPage, IDC_SORTBYDATE, form::kAnchorCorner},
    {kOnPage, IDC_ADDFOLDER, kUnderPanel},            {kOnPage, IDC_IMAGECOUNT, form::kAnchorCorner},
};
constexpr int kListExtent = 500;  // the list's horizontal scroll extent
constexpr auto kKind = TMediaKind::Pictures;

}  // namespace

TImagesPage::TImagesPage(IBuilderFrame& frame, platform::IScheduler& scheduler, platform::IShell& shell)
    : TBuilderPageBase(frame, bpImages), scheduler_(scheduler), shell_(shell) {}
TImagesPage::~TImagesPage() { Dropping(); }

std::span<const TPlace> TImagesPage::Layout() const { return kLayout; }
std::span<const TAnchor> TImagesPage::Anchors() const { return kAnchors; }

void TImagesPage::SetUp() {
  RECT panel;
  GetClientRect(Own(IDC_FSPANEL), &panel);
  panelSize_ = {panel.right, panel.bottom};
  view_.Attach(Own(IDC_IMAGELIST), frame_.Host().Dpi, kListExtent);
  view_.OnClickCheck = [this](int index) {
    if (ToggleInList(frame_.Record(), kKind, index)) view_.Show(frame_.Record().ImageList);
  };
  for (const auto& [id, icon, hint] : {std::tuple{IDC_IMAGEUP, TButtonIcon::Up, "Move up"},
                                       std::tuple{IDC_IMAGEDOWN, TButtonIcon::Down, "Move down"}}) {
    SendMessageA(Own(id), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(frame_.Host().Icon(icon)));
    form::AddHint(frame_.Host().Hints, Own(id), hint);
  }
  form::AddHint(frame_.Host().Hints, Own(IDC_SORTBYNAME), "Sort the pictures by file name");
  form::AddHint(frame_.Host().Hints, Own(IDC_SORTBYDATE), "Sort the pictures by the date they were taken");
  form::AddHint(frame_.Host().Hints, Own(IDC_ADDFOLDER), "Add the pictures of a folder and its subfolders");
  drop_ = std::make_unique<TQELOLEDrop>();
  drop_->TargetControl = Own(IDC_IMAGELIST);
  drop_->Events.OnDropFiles = [this](TMyDragDrop&, const std::vector<std::string>& names) { DropFilesOn(names); };
  drop_->Loaded();
}

void TImagesPage::Write(const TConfigControls& c) {
  view_.Show(c.ImageList);
  ShowCount();
  DrawThumbnail();
}

HWND TImagesPage::PreviewWindow() const {
  return previewHost_ && IsWindowVisible(previewHost_->Window()) ? previewHost_->Window() : nullptr;
}

void TImagesPage::Dropping() {
  drop_.reset();
  previewRunner_.reset();
  previewHost_.reset();
}

void TImagesPage::Settled() {
  RECT panel;
  GetClientRect(Own(IDC_FSPANEL), &panel);
  if (panel.right == panelSize_.cx && panel.bottom == panelSize_.cy) return;
  panelSize_ = {panel.right, panel.bottom};
  // The small preview's surface is made for one size: a running one starts
  // again on the panel's new size; a hidden one is made anew when asked.
  const bool previewing = PreviewWindow() != nullptr;
  previewRunner_.reset();
  previewHost_.reset();
  if (previewing) return PreviewClick();
  // The thumbnail is the picture fitted to the panel: fitted again.
  if (!thumbnail_.Empty()) DrawThumbnail();
}

void TImagesPage::BackgroundChanged() { InvalidateRect(Own(IDC_FSPANEL), nullptr, FALSE); }

bool TImagesPage::Command(int id, int code, HWND) {
  TConfigControls& r = frame_.Record();
  if (id == IDC_IMAGELIST && code == LBN_SELCHANGE) {
    r.ImageList.Selected = view_.FocusIndex();
    DrawThumbnail();
    return true;
  }
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_ADDIMAGES: AddClick(); break;
    case IDC_REMOVEIMAGE: {
      std::vector<int> selected = view_.SelectedIndices();
      if (RemoveSeveralFromList(r, kKind, selected)) Changed(true);
      break;
    }
    case IDC_CLEARIMAGES:
      ClearMediaList(r, kKind);
      view_.Show(r.ImageList);
      ShowCount();
      BlankThumbnail();
      break;
    case IDC_IMAGEUP:
    case IDC_IMAGEDOWN: {
      // The whole selection moves; the focus goes with its entry.
      std::vector<int> selected = view_.SelectedIndices();
      std::sort(selected.begin(), selected.end());
      const auto focus = static_cast<size_t>(
          std::find(selected.begin(), selected.end(), r.ImageList.Selected) - selected.begin());
      if (!MoveSeveralInList(r, kKind, selected, id == IDC_IMAGEUP ? -1 : +1)) break;
      if (focus < selected.size()) r.ImageList.Selected = selected[focus];  // the order within stays
      view_.Show(r.ImageList, &selected);
      break;
    }
    case IDC_PREVIEWB2: PreviewClick(); break;
    case IDC_ADDFOLDER: AddFolderClick(); break;
    case IDC_SORTBYNAME:
    case IDC_SORTBYDATE:
      if (SortList(r, id == IDC_SORTBYNAME ? TListOrder::Name : TListOrder::DateTaken)) Changed(false);
      break;
    default: return false;
  }
  return true;
}

void TImagesPage::Changed(bool redraw) {
  view_.Show(frame_.Record().ImageList);
  ShowCount();
  if (redraw) DrawThumbnail();
}

void TImagesPage::ShowCount() {
  SetWindowTextA(Own(IDC_IMAGECOUNT), PictureCountText(frame_.Record().ImageList.Items.size()).c_str());
}

void TImagesPage::AddFolderClick() {
  TConfigControls& r = frame_.Record();
  const std::optional<std::string> folder =
      shell_.PickFolder(reinterpret_cast<std::intptr_t>(frame_.Host().Window), "Add the pictures of a folder:",
                        r.PicturePath);
  if (!folder) return;
  std::string message;
  if (AddFolderToList(r, *folder, message)) Changed(true);
  if (!message.empty()) frame_.Fail(message);
}

void TImagesPage::AddClick() {
  TConfigControls& r = frame_.Record();
  const std::vector<std::string> files = shell_.PickFilesToOpen(
      reinterpret_cast<std::intptr_t>(frame_.Host().Window),
      {"Add Images", PictureDialogFilter(), r.PicturePath, true, PreviewPictureFile, r.BackcolorCb});
  if (AddToList(r, kKind, files)) Changed(true);
}

void TImagesPage::DropFilesOn(const std::vector<std::string>& names) {
  std::string message;
  if (!DropOnList(frame_.Record(), kKind, names, &message)) return;
  view_.Show(frame_.Record().ImageList);
  ShowCount();
  // Told after the drop has returned, as a picture that cannot be shown is.
  leftOut_ = message;
  PostMessageA(Window(), kDroppedPictureMessage, 0, 0);
}

void TImagesPage::PreviewClick() {
  const TSaverSetting& preview = frame_.PreviewRecord();
  if (previewRunner_) {
    previewRunner_->ApplySettings();
    previewRunner_->Surface().Start();
    // Without a picture to start from, the next tick brings one.
    if (!previewRunner_->Surface().Running()) previewRunner_->SetShowTimerEnabled(true);
  } else {
    HWND panel = Own(IDC_FSPANEL);
    RECT area;
    GetClientRect(panel, &area);
    previewHost_ = std::make_unique<platform::TWin32SurfaceHost>(panel, area, WS_CHILD);
    previewRunner_ = std::make_unique<TRunVantascreen>(
        TShowParent{*previewHost_, scheduler_, area.right, area.bottom}, preview, TShowMouseHandlers{},
        true, false, 1);
  }
  // In place of the thumbnail, until a picture of the list is clicked.
  ShowWindow(previewHost_->Window(), SW_SHOW);
}

void TImagesPage::HidePreview() {
  if (!previewRunner_) return;
  try {
    previewRunner_->Surface().Stop();
  } catch (...) {
  }
  // Hidden, it shows nothing: no picture is loaded until it shows again.
  previewRunner_->SetShowTimerEnabled(false);
  ShowWindow(previewHost_->Window(), SW_HIDE);
}

void TImagesPage::DrawThumbnail() {
  HidePreview();
  thumbnail_ = {};
  InvalidateRect(Own(IDC_FSPANEL), nullptr, FALSE);
  const TMediaList& list = frame_.Record().ImageList;
  if (!list.HasSelection()) return;
  RECT box;
  GetClientRect(Own(IDC_FSPANEL), &box);
  const std::string file = list.Items[list.Selected].Text;
  // A listed file that is not there (a drive not plugged in) was named when
  // its project opened; the panel stays blank.
  if (!platform::FileExists(file)) return;
  try {
    LoadPictureToBitmap(thumbnail_, file, box.right, box.bottom, frame_.Record().BackcolorCb);
  } catch (const std::exception& e) {
    // The panel stays blank rather than show the picture before it.
    thumbnail_ = {};
    frame_.Fail("The picture \"" + file + "\" cannot be shown.\n\n" + e.what());
  }
}

void TImagesPage::BlankThumbnail() {
  HidePreview();
  thumbnail_ = {};
  InvalidateRect(Own(IDC_FSPANEL), nullptr, FALSE);
}

void TImagesPage::DrawPanel(const DRAWITEMSTRUCT& d) const {
  platform::DrawPictureCentered(d.hDC, d.rcItem, thumbnail_, frame_.Record().BackcolorCb);
}

INT_PTR TImagesPage::PageMessage(HWND window, UINT msg, WPARAM, LPARAM lp) {
  switch (msg) {
    case WM_DRAWITEM: {
      const auto& d = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (d.CtlID == IDC_IMAGELIST) view_.DrawItem(d, frame_.Record().ImageList);
      else if (d.CtlID == IDC_FSPANEL) DrawPanel(d);
      else return FALSE;
      return Drawn(window);
    }
    case kDroppedPictureMessage:
      DrawThumbnail();
      if (!leftOut_.empty()) frame_.Fail(std::exchange(leftOut_, std::string()));
      return TRUE;
  }
  return FALSE;
}

}  // namespace vanta
