#include "builder/ConfigFormP.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <utility>

#include "builder/AboutFormP.h"
#include "builder/BuildPipeline.h"
#include "builder/BuilderIcon.h"
#include "builder/ConfigFormRes.h"
#include "builder/ProjectFiles.h"
#include "forms/Controls.h"
#include "forms/FormLayout.h"
#include "platform/Scheduler.h"
#include "platform/Shell.h"
#include "saver/FullscreenFormP.h"
#include "show/RunVantascreen.h"

namespace vanta {
namespace {

constexpr int kSideBarHeight = 333;
constexpr int kButtonIconSize = 16;
constexpr const char* kProjectFilter = "*.vnt|*.vnt";
// Menu items and their keys: WM_COMMAND's code is 0 from the menu, 1 from a key.
constexpr int kMenuOrKey = -1;

}  // namespace

struct TVantaConfigForm::TCommand {
  int id;
  int code;
  void (TVantaConfigForm::*handler)();
};

// The window's own commands: the side bar, the pages' bottom bars and the
// main menu. The pages' other controls are the pages' own.
const TVantaConfigForm::TCommand TVantaConfigForm::kCommands[] = {
    {IDC_OUTLOOKBAR, LBN_SELCHANGE, &TVantaConfigForm::OutlookBarChange},
    {IDC_NEXTBUTTON, BN_CLICKED, &TVantaConfigForm::SpeedButton1Click},
    {IDC_PREVIEWBUTTON, BN_CLICKED, &TVantaConfigForm::Preview1Click},
    {IDC_OKBUTTON, BN_CLICKED, &TVantaConfigForm::Exit1Click},
    {IDC_CANCELBUTTON, BN_CLICKED, &TVantaConfigForm::FlatSpeedButton10Click},
    {IDC_BACKTOFIRST, BN_CLICKED, &TVantaConfigForm::SpeedButton5Click},
    {IDC_FULLSCREEN, BN_CLICKED, &TVantaConfigForm::Preview1Click},
    {IDM_LOADPROJECT, kMenuOrKey, &TVantaConfigForm::LoadProject1Click},
    {IDM_SAVEPROJECT, kMenuOrKey, &TVantaConfigForm::Save1Click},
    {IDM_SAVEPROJECTAS, kMenuOrKey, &TVantaConfigForm::SaveProject1Click},
    {IDM_PREVIEW1, kMenuOrKey, &TVantaConfigForm::Preview1Click},
    {IDM_DEFAULTSAVER, kMenuOrKey, &TVantaConfigForm::SetAsDefaultScreenSaver1Click},
    {IDM_EXIT1, kMenuOrKey, &TVantaConfigForm::Exit1Click},
    {IDM_UNDOEXIT, kMenuOrKey, &TVantaConfigForm::FlatSpeedButton10Click},
    {IDM_BUILDANDSEND1, kMenuOrKey, &TVantaConfigForm::BuildandSend1Click},
    {IDM_HELP2, kMenuOrKey, &TVantaConfigForm::Help2Click},
    {IDM_HOMEPAGE1, kMenuOrKey, &TVantaConfigForm::HomePage1Click},
    {IDM_EMAIL1, kMenuOrKey, &TVantaConfigForm::Email1Click},
    {IDM_ABOUT1, kMenuOrKey, &TVantaConfigForm::About1Click},
};

TVantaConfigForm::TVantaConfigForm(const TSaverSetting& setting, TIniFile& ini, TBuilderPlaces places,
                                   const TBuilderSeams& seams)
    : setting_(setting), ini_(ini), places_(std::move(places)), seams_(seams) {}

TVantaConfigForm::~TVantaConfigForm() {
  DropPreviews();
  about_.reset();
  if (handle_) {
    OnClose = nullptr;
    DestroyWindow(handle_);
  }
  for (HICON i : host_.Icons)
    if (i) DestroyIcon(i);
  for (HICON i : windowIcons_)
    if (i) DestroyIcon(i);
}

HWND TVantaConfigForm::FullscreenWindow() const { return fullscreen_ ? fullscreen_->Window() : nullptr; }

void TVantaConfigForm::Show() {
  if (!handle_) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_UPDOWN_CLASS |
                                             ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    form::CreateDialogFor(IDD_VANTACONFIGFORM, nullptr, *this);
    if (!handle_) throw std::runtime_error("The builder window could not be created.");
  }
  FormShow();
  ShowWindow(handle_, SW_SHOW);
  UpdateWindow(handle_);
}

INT_PTR TVantaConfigForm::InitDialog(HWND window) {
  handle_ = window;
  host_.Window = window;
  host_.Dpi = form::WindowDpi(window);
  accelerators_ = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ACCELERATORS));
  form::SetClientSizeCentred(handle_, kClientWidth, kClientHeight, host_.Dpi);
  // Today's size is the least the window is sized to.
  RECT frame;
  GetWindowRect(handle_, &frame);
  minimum_ = {frame.right - frame.left, frame.bottom - frame.top};
  form::Place(handle_, IDC_OUTLOOKBAR, 0, 0, TBuilderPageBase::kSideBarWidth, kSideBarHeight, host_.Dpi);
  sideBar_.Attach(GetDlgItem(handle_, IDC_OUTLOOKBAR), host_.Dpi);
  CreateWindowIcons();
  host_.Hints = form::CreateHints(handle_, kHintPauseMs);
  // The pages a user meets first; the others are made at their first
  // showing, or when something asks for one of their controls: under Wine
  // every control costs, and with all thirteen pages made at once the
  // builder took twice as long to open as a saver's Setting dialog.
  pages_.Images.Make();
  pages_.Music.Make();
  return FALSE;  // FormShow places the focus
}

void TVantaConfigForm::CreateWindowIcons() {
  const int buttonIcon = form::Scaled(kButtonIconSize, host_.Dpi);
  // In TButtonIcon's order.
  const TBuilderIcon buttons[] = {TBuilderIcon::Next, TBuilderIcon::Back, TBuilderIcon::Up, TBuilderIcon::Down};
  static_assert(std::size(buttons) == std::tuple_size_v<decltype(host_.Icons)>);
  for (size_t i = 0; i < std::size(buttons); ++i) host_.Icons[i] = CreateBuilderIcon(buttons[i], buttonIcon);
  windowIcons_[0] = CreateBuilderIcon(TBuilderIcon::Logo, GetSystemMetrics(SM_CXICON));
  windowIcons_[1] = CreateBuilderIcon(TBuilderIcon::Logo, GetSystemMetrics(SM_CXSMICON));
  SendMessageA(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(windowIcons_[0]));
  SendMessageA(handle_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(windowIcons_[1]));
}

// ---- The record.

TConfigControls TVantaConfigForm::ReadControls() const {
  // A page not made yet gives back what it was given.
  TConfigControls c = record_;
  for (const TBuilderPageBase* page : pages_.All) page->Read(c);
  return c;
}

void TVantaConfigForm::WriteControls(const TConfigControls& c) {
  record_ = c;
  for (TBuilderPageBase* page : pages_.All)
    if (page->Made()) page->Write(record_);
}

void TVantaConfigForm::Commit() {
  const TConfigControls edited = ReadControls();
  if (OnAccept) OnAccept(edited);
  saved_ = edited;
}

// ---- Pages.

void TVantaConfigForm::SelectPage(TBuilderPage page) {
  TBuilderPageBase& shown = pages_[page];
  shown.Make();
  sideBar_.Select(page);
  shown.Selected();
  for (TBuilderPageBase* p : pages_.All) ShowWindow(p->Window(), p == &shown ? SW_SHOW : SW_HIDE);
  // The focus follows to the page shown: where the page wants it, else to
  // its first control when the focus was on a page now hidden.
  HWND focus = GetFocus();
  if (HWND first = shown.FirstFocus()) {
    SendMessageA(handle_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
  } else if (!focus || !IsWindowVisible(focus)) {
    if (HWND first = GetNextDlgTabItem(shown.Window(), nullptr, FALSE))
      SendMessageA(handle_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
  }
}

void TVantaConfigForm::Resized(int width, int height) {
  if (!handle_) return;
  // Drawn once, when every control stands in its new place. Redrawing on
  // again would show a window not shown yet.
  const bool shown = IsWindowVisible(handle_);
  if (shown) SendMessageA(handle_, WM_SETREDRAW, FALSE, 0);
  const int bar = form::Scaled(TBuilderPageBase::kSideBarWidth, host_.Dpi);
  MoveWindow(sideBar_.Box(), 0, 0, bar, std::max(height, form::Scaled(kSideBarHeight, host_.Dpi)), FALSE);
  for (TBuilderPageBase* page : pages_.All) page->Resize(width - bar, height);
  if (!shown) return;
  SendMessageA(handle_, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(handle_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void TVantaConfigForm::Settled() {
  for (TBuilderPageBase* page : pages_.All)
    if (page->Made()) page->Settled();
}

void TVantaConfigForm::DropPreviews() {
  for (TBuilderPageBase* page : pages_.All) page->Dropping();
  fullscreen_.reset();
}

void TVantaConfigForm::BackgroundChanged() {
  for (TBuilderPageBase* page : pages_.All)
    if (page->Made()) page->BackgroundChanged();
}

void TVantaConfigForm::PreviewSpeedChanged(int32_t effectSpeed) { preview_.EffectSpeed = effectSpeed; }

void TVantaConfigForm::WriteBuild(const TBuildInput& in, TShrinkReport* shrunk) {
  WriteScript(in, ini_, [this] { Commit(); }, shrunk);
}

// ---- Messages.

void TVantaConfigForm::Fail(const std::string& message) {
  if (OnError) return OnError(message);
  MessageBoxA(handle_, message.c_str(), kBuilderCaption, MB_OK | MB_ICONERROR);
}

bool TVantaConfigForm::Command(int id, int code) {
  for (const TCommand& c : kCommands) {
    if (c.id != id) continue;
    if (c.code == kMenuOrKey ? code > 1 : c.code != code) continue;
    try {
      (this->*c.handler)();
    } catch (const std::exception& e) {
      Fail(e.what());  // a file error reaches the error box, as every builder failure does
    }
    return true;
  }
  return false;
}

INT_PTR TVantaConfigForm::HandleMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_DRAWITEM: {
      const auto& d = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (d.CtlID != IDC_OUTLOOKBAR) return FALSE;
      sideBar_.DrawItem(d);
      SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
      return TRUE;
    }
    case WM_CTLCOLORLISTBOX:
      if (reinterpret_cast<HWND>(lp) != sideBar_.Box()) return FALSE;
      return reinterpret_cast<INT_PTR>(sideBar_.Background());
    case WM_COPYDATA:
      for (TBuilderPageBase* page : pages_.All)
        if (page->Received(*reinterpret_cast<const COPYDATASTRUCT*>(lp))) break;
      SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_CLOSE:
      Exit1Click();  // the close box saves, as OK does
      return TRUE;
    case WM_GETMINMAXINFO:
      if (minimum_.cx > 0) reinterpret_cast<MINMAXINFO*>(lp)->ptMinTrackSize = {minimum_.cx, minimum_.cy};
      return TRUE;
    case WM_SIZE:
      if (wp == SIZE_MINIMIZED) return TRUE;
      Resized(LOWORD(lp), HIWORD(lp));
      // Maximised, restored or sized by a program: no sizing loop to end.
      if (!sizing_) Settled();
      return TRUE;
    case WM_ENTERSIZEMOVE:
      sizing_ = true;
      return TRUE;
    case WM_EXITSIZEMOVE:
      sizing_ = false;
      Settled();
      return TRUE;
    case WM_DESTROY:
      DropPreviews();  // the small one draws on a child about to go, and the lists are revoked
      handle_ = nullptr;
      host_.Window = nullptr;
      for (TBuilderPageBase* page : pages_.All) page->Forget();
      if (OnClose) OnClose();
      return TRUE;
  }
  return FrameMessage(window, msg, wp, lp);
}

// What the window and its pages share: the commands of the bars and the
// menu, and the cursor while a build starts.
INT_PTR TVantaConfigForm::FrameMessage(HWND window, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_COMMAND:
      return Command(LOWORD(wp), HIWORD(wp));
    case WM_SETCURSOR:
      if (std::none_of(pages_.All.begin(), pages_.All.end(), [](const TBuilderPageBase* p) { return p->Busy(); }))
        return FALSE;
      SetCursor(LoadCursorA(nullptr, IDC_WAIT));
      SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
      return TRUE;
  }
  return FALSE;
}

bool TVantaConfigForm::PreTranslateMessage(MSG& msg) {
  if (!handle_ || (msg.hwnd != handle_ && !IsChild(handle_, msg.hwnd))) return false;
  if (accelerators_ && TranslateAcceleratorA(handle_, accelerators_, &msg)) return true;
  if (msg.message == WM_KEYDOWN)
    for (TBuilderPageBase* page : pages_.All)
      if (page->KeyDown(msg.hwnd, msg.wParam)) return true;
  return IsDialogMessageA(handle_, &msg);
}

// ---- Event handlers.

void TVantaConfigForm::FormShow() {
  for (TBuilderPageBase* page : pages_.All) page->Reopened();
  WriteControls(LoadControls(setting_, ini_, places_.MediaFolders()));
  saved_ = ReadControls();
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

void TVantaConfigForm::FlatSpeedButton10Click() {
  if (UnsavedChanges(ReadControls(), saved_)) {
    const std::intptr_t owner = reinterpret_cast<std::intptr_t>(handle_);
    switch (seams_.Shell.AskYesNoCancel(owner, kSaveChangesPrompt, kBuilderCaption)) {
      case platform::TAnswer::Yes: return Exit1Click();
      case platform::TAnswer::Cancel: return;
      case platform::TAnswer::No: break;
    }
  }
  EndWith(std::nullopt);
}

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
  // Not the main window: closing it hides it and the builder goes on. Each
  // showing starts the show afresh from the record.
  if (!fullscreen_)
    fullscreen_ = std::make_unique<TFullscreenForm>(TShowSeams{seams_.Scheduler, seams_.Registry, &seams_.Music}, 0,
                                                    false, preview_);
  fullscreen_->FormShow();
}

void TVantaConfigForm::SetAsDefaultScreenSaver1Click() { seams_.Shell.Open(DefaultSaverRequest(places_.ProgramFile)); }
void TVantaConfigForm::Help2Click() { seams_.Shell.Open(HelpRequest(places_.InstallFolder)); }
void TVantaConfigForm::HomePage1Click() { seams_.Shell.Open(HomePageRequest()); }
void TVantaConfigForm::Email1Click() { seams_.Shell.Open(MailRequest()); }

void TVantaConfigForm::About1Click() {
  if (!about_) about_ = std::make_unique<TAboutForm>(kMakerWebsite, seams_.Shell);
  about_->ShowModal(handle_);
}

// ---- The Project menu.

void TVantaConfigForm::Save1Click() { Commit(); }

void TVantaConfigForm::SaveProject1Click() {
  const std::optional<std::string> chosen = seams_.Shell.PickFileToSave(
      reinterpret_cast<std::intptr_t>(handle_), {"Save Project as...", kProjectFilter, "", places_.DocumentsFolder});
  if (!chosen) return;
  SaveProjectAs(ini_, ProjectFileName(*chosen), [this] { Commit(); });
}

void TVantaConfigForm::LoadProject1Click() {
  platform::TOpenFilesRequest request{"", kProjectFilter, places_.DocumentsFolder};
  request.Multiple = false;
  const std::vector<std::string> chosen =
      seams_.Shell.PickFilesToOpen(reinterpret_cast<std::intptr_t>(handle_), request);
  if (chosen.empty()) return;
  LoadProject(ini_, chosen.front());
  for (TBuilderPageBase* page : pages_.All) page->ProjectLoaded();
  if (OnLoadSettings) setting_ = OnLoadSettings();
  WriteControls(LoadControls(setting_, ini_, places_.MediaFolders()));
  saved_ = ReadControls();
  OfferToFindMissing();
}

void TVantaConfigForm::OfferToFindMissing() {
  const auto owner = reinterpret_cast<std::intptr_t>(handle_);
  const TMissingMedia missing = FindMissingMedia(record_.ImageList, record_.MusicList);
  if (missing.Count() == 0 || !seams_.Shell.AskYesNo(owner, MissingMediaReport(missing), kBuilderCaption)) return;
  const std::optional<std::string> folder =
      seams_.Shell.PickFolder(owner, "Look for the missing files in:", places_.DocumentsFolder);
  if (!folder) return;
  // The lists found again count as edits: a save writes them, Cancel asks.
  TConfigControls c = ReadControls();
  size_t found = 0;
  if (const size_t n = FindMissingIn(c.ImageList, *folder)) {
    found += n;
    c.ChangedSections |= csPictures;
  }
  if (const size_t n = FindMissingIn(c.MusicList, *folder)) {
    found += n;
    c.ChangedSections |= csMusic;
  }
  WriteControls(c);
  if (found < missing.Count())
    Fail(std::to_string(found) + " of the " + std::to_string(missing.Count()) + " missing files were found in " +
         *folder + ".");
}

std::optional<TConfigControls> RunVantaConfigForm(TSettingsStore& settings, const TBuilderPlaces& places,
                                                  const TBuilderSeams& seams, const TBuilderAccept& accept) {
  TVantaConfigForm form(settings.Setting(), settings.Ini(), places, seams);
  form.OnAccept = accept;
  form.OnLoadSettings = [&settings] {
    settings.Load();
    return settings.Setting();
  };
  return form::RunAsMainWindow(form);
}

}  // namespace vanta
