#include "builder/MusicPage.h"

#include <tuple>

#include "builder/ConfigFormRes.h"
#include "forms/Controls.h"
#include "music/MusicSet.h"
#include "platform/Files.h"
#include "platform/Shell.h"

namespace vanta {
namespace {

constexpr TPlace kLayout[] = {
    {kOnPage, IDC_MUSICLABEL, 8, 10, 422, 16},    {kOnPage, IDC_MUSICHINT, 8, 28, 422, 16},
    {kOnPage, IDC_MUSICLIST, 8, 48, 336, 234},    {kOnPage, IDC_ADDMUSIC, 352, 48, 78, 24},
    {kOnPage, IDC_REMOVEMUSIC, 352, 76, 78, 24},  {kOnPage, IDC_CLEARMUSIC, 352, 104, 78, 24},
    {kOnPage, IDC_PLAYMUSIC, 352, 142, 78, 24},   {kOnPage, IDC_STOPMUSIC, 352, 170, 78, 24},
    {kOnPage, IDC_MUSICUP, 352, 208, 37, 24},     {kOnPage, IDC_MUSICDOWN, 393, 208, 37, 24},
};
// The list takes the growth; its buttons keep to its right.
constexpr TAnchor kAnchors[] = {
    {kOnPage, IDC_MUSICLABEL, form::kAnchorWide},  {kOnPage, IDC_MUSICHINT, form::kAnchorWide},
    {kOnPage, IDC_MUSICLIST, form::kAnchorStretch}, {kOnPage, IDC_ADDMUSIC, form::kAnchorRight},
    {kOnPage, IDC_REMOVEMUSIC, form::kAnchorRight}, {kOnPage, IDC_CLEARMUSIC, form::kAnchorRight},
    {kOnPage, IDC_PLAYMUSIC, form::kAnchorRight},  {kOnPage, IDC_STOPMUSIC, form::kAnchorRight},
    {kOnPage, IDC_MUSICUP, form::kAnchorRight},    {kOnPage, IDC_MUSICDOWN, form::kAnchorRight},
};
constexpr auto kKind = TMediaKind::Music;

}  // namespace

TMusicPage::TMusicPage(IBuilderFrame& frame, platform::IShell& shell, TMusicSet& music)
    : TBuilderPageBase(frame, bpMusic), shell_(shell), music_(music) {}
TMusicPage::~TMusicPage() { Dropping(); }

std::span<const TPlace> TMusicPage::Layout() const { return kLayout; }
std::span<const TAnchor> TMusicPage::Anchors() const { return kAnchors; }

void TMusicPage::SetUp() {
  view_.Attach(Own(IDC_MUSICLIST), frame_.Host().Dpi, 0);
  view_.OnClickCheck = [this](int index) {
    if (ToggleInList(frame_.Record(), kKind, index)) Show();
  };
  for (const auto& [id, icon, hint] : {std::tuple{IDC_MUSICUP, TButtonIcon::Up, "Move up"},
                                       std::tuple{IDC_MUSICDOWN, TButtonIcon::Down, "Move down"}}) {
    SendMessageA(Own(id), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(frame_.Host().Icon(icon)));
    form::AddHint(frame_.Host().Hints, Own(id), hint);
  }
  drop_ = std::make_unique<TQELOLEDrop>();
  drop_->TargetControl = Own(IDC_MUSICLIST);
  drop_->Events.OnDropFiles = [this](TMyDragDrop&, const std::vector<std::string>& names) {
    if (DropOnList(frame_.Record(), kKind, names)) Show();
  };
  drop_->Loaded();
}

void TMusicPage::Write(const TConfigControls& c) { view_.Show(c.MusicList); }

void TMusicPage::Dropping() { drop_.reset(); }

bool TMusicPage::Command(int id, int code, HWND) {
  TConfigControls& r = frame_.Record();
  if (id == IDC_MUSICLIST && code == LBN_SELCHANGE) {
    r.MusicList.Selected = static_cast<int>(SendMessageA(view_.Box(), LB_GETCURSEL, 0, 0));
    return true;
  }
  if (id == IDC_MUSICLIST && code == LBN_DBLCLK) {
    PlayClick();
    return true;
  }
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDC_ADDMUSIC: AddClick(); break;
    case IDC_REMOVEMUSIC:
      if (!r.MusicList.HasSelection()) break;
      music_.StopMusic();
      if (RemoveFromList(r, kKind)) Show();
      break;
    case IDC_CLEARMUSIC:
      music_.StopMusic();
      ClearMediaList(r, kKind);
      Show();
      break;
    case IDC_MUSICUP:
      if (MoveInList(r, kKind, -1)) Show();
      break;
    case IDC_MUSICDOWN:
      if (MoveInList(r, kKind, +1)) Show();
      break;
    case IDC_PLAYMUSIC: PlayClick(); break;
    case IDC_STOPMUSIC:
      music_.ClearMusicList();
      music_.StopMusic();
      break;
    default: return false;
  }
  return true;
}

void TMusicPage::AddClick() {
  TConfigControls& r = frame_.Record();
  const std::vector<std::string> files = shell_.PickFilesToOpen(
      reinterpret_cast<std::intptr_t>(frame_.Host().Window), {"Add Music", kMusicDialogFilter, r.MusicPath});
  if (AddToList(r, kKind, files)) Show();
}

void TMusicPage::PlayClick() {
  const TMediaList& list = frame_.Record().MusicList;
  if (!list.HasSelection()) return;
  music_.StopMusic();
  const std::string file = list.Items[list.Selected].Text;
  if (platform::FileExists(file)) music_.PlayMusicFile(file);
}

INT_PTR TMusicPage::PageMessage(HWND window, UINT msg, WPARAM, LPARAM lp) {
  if (msg != WM_DRAWITEM) return FALSE;
  const auto& d = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
  if (d.CtlID != IDC_MUSICLIST) return FALSE;
  view_.DrawItem(d, frame_.Record().MusicList);
  return Drawn(window);
}

}  // namespace vanta
