// The builder window's controls in and out of the rules, and its event
// handlers: each handler is one call into ConfigControls.h or MediaLists.h,
// then the controls that show its result.
#include "builder/ConfigFormP.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <string_view>
#include <utility>

#include "builder/AboutFormP.h"
#include "builder/ConfigFormRes.h"
#include "forms/Controls.h"
#include "forms/FormLayout.h"
#include "music/MusicSet.h"
#include "platform/Scheduler.h"
#include "platform/Files.h"
#include "platform/Shell.h"
#include "platform/win32/Win32SurfaceHost.h"
#include "platform/win32/WideText.h"
#include "saver/FullscreenFormP.h"
#include "show/RunVantascreen.h"

namespace vanta {
namespace {

// The Options page's check boxes by the names the rules give them.
struct TCheckControl {
  std::string_view name;
  int id;
};
constexpr TCheckControl kCheckControls[] = {
    {"FilenameCheck", IDC_FILENAMECHECK},   {"PathCheck", IDC_PATHCHECK},
    {"ExtensionCheck", IDC_EXTENSIONCHECK}, {"AdditionalTextCheck", IDC_ADDITIONALTEXTCHECK},
    {"PlayMusicCheck", IDC_PLAYMUSICCHECK}, {"RandomMusicCheck", IDC_RANDOMMUSICCHECK},
    {"LoopMusicCheck", IDC_LOOPMUSICCHECK}, {"ReverseCheck", IDC_REVERSECHECK},
    {"ClearOldCheck", IDC_CLEAROLDCHECK},   {"MouseMoveCheck", IDC_MOUSEMOVECHECK},
    {"MousePressCheck", IDC_MOUSEPRESSCHECK}, {"KeyboardCheck", IDC_KEYBOARDCHECK},
};

}  // namespace

int OptionCheckControl(std::string_view name) {
  for (const TCheckControl& c : kCheckControls)
    if (c.name == name) return c.id;
  return 0;
}

// ---- Moving values between the controls and the rules.

void TVantaConfigForm::WriteControls(const TConfigControls& c) {
  pending_ = c;
  imageList_ = c.ImageList;
  musicList_ = c.MusicList;
  picturePath_ = c.PicturePath;
  musicPath_ = c.MusicPath;
  effectTicks_ = c.EffectTicks;
  untickedEffects_ = c.UntickedEffects;
  changedSections_ = c.ChangedSections;
  ShowImageList();
  ShowMusicList();
  // The colour and the font sample paint the picture panels too.
  backcolorCb_.SetColor(c.BackcolorCb);
  SetFontSample(c.FontLabel);
  if (PageMade(bpOptions)) WriteOptionsControls(c);
  if (PageMade(bpEffects)) WriteEffectsControls(c);
  if (PageMade(bpBuild)) WriteBuildControls(c);
  DrawThumbnail();
}

void TVantaConfigForm::WriteOptionsControls(const TConfigControls& c) {
  form::SetChecked(FindControl(IDC_ORIGINALRADIO), !c.StretchRadio);
  form::SetChecked(FindControl(IDC_STRETCHRADIO), c.StretchRadio);
  form::SetChecked(FindControl(IDC_NORMALIZERADIO), !c.RandomizeRadio);
  form::SetChecked(FindControl(IDC_RANDOMIZERADIO), c.RandomizeRadio);
  for (int i = cpOff; i <= cpFixed; ++i) form::SetChecked(FindControl(IDC_CAPTIONOFFRADIO + i), c.CaptionRadio == i);
  WriteSpin(IDC_XSPIN, IDC_XUPDOWN, kCaptionRange, c.XSpin);
  WriteSpin(IDC_YSPIN, IDC_YUPDOWN, kCaptionRange, c.YSpin);
  for (const TOptionCheck& k : OptionChecks()) form::SetChecked(FindControl(OptionCheckControl(k.Control)), c.*k.State);
  SetWindowTextA(FindControl(IDC_IMAGECAPTIONEDIT), c.ImageCaptionEdit.c_str());
  WriteSpin(IDC_INTERVALEDIT, IDC_INTERVALUPDOWN, kIntervalRange, c.IntervalEdit);
}

void TVantaConfigForm::WriteEffectsControls(const TConfigControls& c) {
  SendMessageA(FindControl(IDC_SPEEDSCROLLBAR), TBM_SETPOS, TRUE, std::clamp(c.SpeedScrollBar, 0, kSpeedPositions - 1));
}

void TVantaConfigForm::WriteBuildControls(const TConfigControls& c) {
  SetWindowTextA(FindControl(IDC_AUTHOREDIT), c.AuthorEdit.c_str());
  SetWindowTextA(FindControl(IDC_WEBSITEEDIT), c.WebsiteEdit.c_str());
}

TConfigControls TVantaConfigForm::ReadControls() const {
  // A page not made yet gives back what it was given.
  TConfigControls c = pending_;
  c.ImageList = imageList_;
  c.MusicList = musicList_;
  c.PicturePath = picturePath_;
  c.MusicPath = musicPath_;
  if (PageMade(bpOptions)) {
    c.StretchRadio = form::Checked(FindControl(IDC_STRETCHRADIO));
    c.RandomizeRadio = form::Checked(FindControl(IDC_RANDOMIZERADIO));
    // None checked (a position the group does not have) stays as loaded.
    c.CaptionRadio = setting_.CaptionPosition;
    for (int i = cpOff; i <= cpFixed; ++i)
      if (form::Checked(FindControl(IDC_CAPTIONOFFRADIO + i))) c.CaptionRadio = i;
    c.XSpin = ReadSpin(IDC_XSPIN, kCaptionRange);
    c.YSpin = ReadSpin(IDC_YSPIN, kCaptionRange);
    for (const TOptionCheck& k : OptionChecks())
      c.*k.State = form::Checked(FindControl(OptionCheckControl(k.Control)));
    c.ImageCaptionEdit = form::WindowText(FindControl(IDC_IMAGECAPTIONEDIT));
    c.IntervalEdit = ReadSpin(IDC_INTERVALEDIT, kIntervalRange);
  }
  c.FontLabel = fontSample_;
  c.BackcolorCb = backcolorCb_.Color();
  c.EffectTicks = effectTicks_;
  c.UntickedEffects = untickedEffects_;
  if (styleNumbered_) {  // the tree, once it knows its numbers
    c.EffectTicks = TickedEffects(styleTree_);
    c.UntickedEffects = UntickedNumbers(styleTree_);
  }
  if (PageMade(bpEffects))
    c.SpeedScrollBar = static_cast<int32_t>(SendMessageA(FindControl(IDC_SPEEDSCROLLBAR), TBM_GETPOS, 0, 0));
  if (PageMade(bpBuild)) {
    c.AuthorEdit = form::WindowText(FindControl(IDC_AUTHOREDIT));
    c.WebsiteEdit = form::WindowText(FindControl(IDC_WEBSITEEDIT));
  }
  c.ChangedSections = changedSections_;
  return c;
}

void TVantaConfigForm::WriteSpin(int editId, int upDownId, const TSpinRange& range, int32_t value) {
  form::WriteSpin(Control(editId), Control(upDownId), range, value);
}

int32_t TVantaConfigForm::ReadSpin(int editId, const TSpinRange& range) const {
  return form::ReadSpin(Control(editId), range);
}

void TVantaConfigForm::ShowImageList() { imageView_.Show(imageList_); }
void TVantaConfigForm::ShowMusicList() { musicView_.Show(musicList_); }

void TVantaConfigForm::SetFontSample(const TFontSample& sample) {
  fontSample_ = sample;
  if (sampleFont_) DeleteObject(sampleFont_);
  sampleFont_ = CreateFontW(-MulDiv(sample.Size, static_cast<int>(dpi_), 72), 0, 0, 0,
                            sample.Bold ? FW_BOLD : FW_NORMAL, sample.Italic, sample.Underline, sample.Strikeout,
                            DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, platform::Widen(sample.Name).c_str());
  InvalidateRect(FindControl(IDC_FONTLABEL), nullptr, FALSE);
}

// ---- Event handlers.

void TVantaConfigForm::FormCreate() { changedSections_ = 0; }

void TVantaConfigForm::FormShow() {
  notebookPage_ = 0;
  if (PageMade(bpBuild)) SelectNotebookPage(0);
  if (PageMade(bpOptions)) SelectOptionsPage(0);
  WriteControls(LoadControls(setting_, ini_));
  SelectPage(bpImages);
  SetFocus(sideBar_.Box());
}

void TVantaConfigForm::Exit1Click() {
  const TConfigControls edited = ReadControls();
  if (OnAccept) {
    try {
      OnAccept(edited);
    } catch (const std::exception& e) {
      Fail(e.what());
      return;
    } catch (...) {
      Fail("The settings could not be saved.");
      return;
    }
  }
  EndWith(edited);
}

void TVantaConfigForm::FlatSpeedButton10Click() { EndWith(std::nullopt); }

void TVantaConfigForm::EndWith(std::optional<TConfigControls> result) {
  result_ = std::move(result);
  if (handle_) DestroyWindow(handle_);
}

void TVantaConfigForm::OutlookBarChange() { SelectPage(sideBar_.Selected()); }
void TVantaConfigForm::SpeedButton1Click() { SelectPage(NextPage(sideBar_.Selected())); }
void TVantaConfigForm::SpeedButton5Click() { SelectPage(bpImages); }
void TVantaConfigForm::BuildandSend1Click() { SelectPage(bpBuild); }

const TSaverSetting& TVantaConfigForm::PreviewRecord() {
  preview_ = setting_;
  ApplyForPreview(ReadControls(), preview_);
  return preview_;
}

void TVantaConfigForm::Preview1Click() {
  PreviewRecord();
  if (!fullscreen_) {
    // Not the main window: closing it hides it and the builder goes on.
    fullscreen_ = std::make_unique<TFullscreenForm>(platform::MainScheduler(), 0, false, preview_);
  } else if (TRunVantascreen* show = fullscreen_->RunScreen()) {
    show->ApplySettings();
    show->NextPicture();
  }
  fullscreen_->FormShow();
}

void TVantaConfigForm::PreviewB2Click() {
  PreviewRecord();
  if (imagePreviewRunner_) {
    imagePreviewRunner_->ApplySettings();
    imagePreviewRunner_->Surface().Start();
    // Without a picture to start from, the next tick brings one.
    if (!imagePreviewRunner_->Surface().Running()) imagePreviewRunner_->SetShowTimerEnabled(true);
  } else {
    HWND panel = Control(IDC_FSPANEL);
    RECT area;
    GetClientRect(panel, &area);
    imagePreviewHost_ = std::make_unique<platform::TWin32SurfaceHost>(panel, area, WS_CHILD);
    imagePreviewRunner_ = std::make_unique<TRunVantascreen>(
        TShowParent{*imagePreviewHost_, platform::MainScheduler(), area.right, area.bottom}, preview_,
        TShowMouseHandlers{}, true, false, 1);
  }
  // In place of the thumbnail, until a picture of the list is clicked.
  ShowWindow(imagePreviewHost_->Window(), SW_SHOW);
}

void TVantaConfigForm::SetAsDefaultScreenSaver1Click() { platform::ShellOpen(DefaultSaverRequest(places_.ProgramFile)); }
void TVantaConfigForm::Help2Click() { platform::ShellOpen(HelpRequest(places_.InstallFolder)); }
void TVantaConfigForm::HomePage1Click() { platform::ShellOpen(HomePageRequest()); }
void TVantaConfigForm::Email1Click() { platform::ShellOpen(MailRequest()); }

void TVantaConfigForm::About1Click() {
  if (!about_) about_ = std::make_unique<TAboutForm>(kMakerWebsite);
  about_->ShowModal(handle_);
}

void TVantaConfigForm::FlatButton11Click() {
  if (const auto font = platform::PickFont(reinterpret_cast<std::intptr_t>(handle_), FontChoiceOf(fontSample_)))
    SetFontSample(WithFont(fontSample_, *font));
}

void TVantaConfigForm::BackcolorCbChange() {
  if (SendMessageA(Control(IDC_BACKCOLORCB), CB_GETDROPPEDSTATE, 0, 0)) return;  // its closing decides
  backcolorCb_.Chosen(handle_);
  fontSample_.Background = backcolorCb_.Color();
  for (int panel : {IDC_FSPANEL, IDC_FSPANEL2, IDC_FONTLABEL}) InvalidateRect(Control(panel), nullptr, FALSE);
}

void TVantaConfigForm::FlatButton1Click() {
  const std::vector<std::string> files = platform::PickFilesToOpen(
      reinterpret_cast<std::intptr_t>(handle_),
      {"Add Images", PictureDialogFilter(), picturePath_, true, true, backcolorCb_.Color()});
  if (!AddChosenFiles(imageList_, TMediaKind::Pictures, files)) return;
  picturePath_ = DialogFolderOf(files);
  changedSections_ |= csPictures;
  ShowImageList();
  DrawThumbnail();
}

void TVantaConfigForm::FlatButton2Click() {
  if (!RemoveSelected(imageList_)) return;
  changedSections_ |= csPictures;
  ShowImageList();
  DrawThumbnail();
}

void TVantaConfigForm::FlatButton3Click() {
  ClearList(imageList_);
  changedSections_ |= csPictures;
  ShowImageList();
  BlankThumbnail();
}

void TVantaConfigForm::FlatSpeedButton2Click() {
  if (!MoveSelected(imageList_, -1)) return;
  changedSections_ |= csPictures;
  ShowImageList();
}

void TVantaConfigForm::FlatSpeedButton1Click() {
  if (!MoveSelected(imageList_, +1)) return;
  changedSections_ |= csPictures;
  ShowImageList();
}

void TVantaConfigForm::ImageListClick() {
  imageList_.Selected = static_cast<int>(SendMessageA(imageView_.Box(), LB_GETCURSEL, 0, 0));
  DrawThumbnail();
}

void TVantaConfigForm::ImageListClickCheck(int index) {
  if (!ToggleChecked(imageList_, index)) return;
  changedSections_ |= csPictures;
  ShowImageList();
}

void TVantaConfigForm::FlatButton4Click() {
  const std::vector<std::string> files = platform::PickFilesToOpen(
      reinterpret_cast<std::intptr_t>(handle_), {"Add Music", kMusicDialogFilter, musicPath_});
  if (!AddChosenFiles(musicList_, TMediaKind::Music, files)) return;
  musicPath_ = DialogFolderOf(files);
  changedSections_ |= csMusic;
  ShowMusicList();
}

void TVantaConfigForm::FlatButton5Click() {
  if (!musicList_.HasSelection()) return;
  StopMusic();
  RemoveSelected(musicList_);
  changedSections_ |= csMusic;
  ShowMusicList();
}

void TVantaConfigForm::FlatButton6Click() {
  StopMusic();
  ClearList(musicList_);
  changedSections_ |= csMusic;
  ShowMusicList();
}

void TVantaConfigForm::FlatSpeedButton6Click() {
  if (!MoveSelected(musicList_, -1)) return;
  changedSections_ |= csMusic;
  ShowMusicList();
}

void TVantaConfigForm::FlatSpeedButton5Click() {
  if (!MoveSelected(musicList_, +1)) return;
  changedSections_ |= csMusic;
  ShowMusicList();
}

void TVantaConfigForm::MusicListClick() {
  musicList_.Selected = static_cast<int>(SendMessageA(musicView_.Box(), LB_GETCURSEL, 0, 0));
}

void TVantaConfigForm::FlatSpeedButton7Click() {
  if (!musicList_.HasSelection()) return;
  StopMusic();
  const std::string& file = musicList_.Items[musicList_.Selected].Text;
  if (platform::FileExists(file)) PlayMusicFile(file);
}

void TVantaConfigForm::FlatSpeedButton8Click() {
  ClearMusicList();
  StopMusic();
}

void TVantaConfigForm::MusicListClickCheck(int index) {
  if (!ToggleChecked(musicList_, index)) return;
  changedSections_ |= csMusic;
  ShowMusicList();
}

void TVantaConfigForm::QELOLEDrop1DropFiles(TMyDragDrop&, const std::vector<std::string>& fileNames) {
  if (!DropFiles(imageList_, TMediaKind::Pictures, fileNames)) return;
  changedSections_ |= csPictures;
  ShowImageList();
  PostMessageA(handle_, kDroppedPictureMessage, 0, 0);
}

void TVantaConfigForm::QELOLEDrop2DropFiles(TMyDragDrop&, const std::vector<std::string>& fileNames) {
  if (!DropFiles(musicList_, TMediaKind::Music, fileNames)) return;
  changedSections_ |= csMusic;
  ShowMusicList();
}

}  // namespace vanta
