#include "builder/ConfigFormP.h"

#include <commctrl.h>

#include <exception>
#include <stdexcept>
#include <utility>

#include "builder/AboutFormP.h"
#include "builder/BuilderIcon.h"
#include "builder/ConfigFormRes.h"
#include "forms/Controls.h"
#include "forms/FormLayout.h"
#include "platform/win32/Win32SurfaceHost.h"
#include "saver/FullscreenFormP.h"
#include "show/RunVantascreen.h"

namespace vanta {
namespace {

// The windows the controls stand on: the window, its five pages, the four
// Options sub-pages and the Build notebook's two pages.
enum TParent : int {
  kMainWindow = -1,
  kTab1, kTab2, kTab3, kTab4, kTab5,
  kOpt1, kOpt2, kOpt3, kOpt4,
  kNotebook0, kNotebook1, kNotebook2, kNotebook3,
};

// Where every control stands on its window, in pixels at 96 DPI. The pages
// are placed beside the side bar, the sub-pages into the tab control's
// display area and the notebook's pages over the Build page's top.
struct TPlace {
  TParent parent;
  int id;
  int x, y, w, h;
};
constexpr TPlace kLayout[] = {
    {kMainWindow, IDC_OUTLOOKBAR, 0, 0, 100, 333},
    {kTab1, IDC_IMAGELABEL, 8, 10, 422, 16},
    {kTab1, IDC_IMAGELIST, 8, 30, 254, 222},
    {kTab1, IDC_ADDIMAGES, 8, 258, 62, 24},
    {kTab1, IDC_REMOVEIMAGE, 74, 258, 62, 24},
    {kTab1, IDC_CLEARIMAGES, 140, 258, 62, 24},
    {kTab1, IDC_IMAGEUP, 206, 258, 26, 24},
    {kTab1, IDC_IMAGEDOWN, 236, 258, 26, 24},
    {kTab1, IDC_FSPANEL, 270, 30, 160, 160},
    {kTab1, IDC_FULLSCREEN, 270, 196, 78, 24},
    {kTab1, IDC_PREVIEWB2, 352, 196, 78, 24},
    {kTab1, IDC_BARLINE, 8, 288, 422, 2},
    {kTab1, IDC_NEXTBUTTON, 8, 298, 44, 26},
    {kTab1, IDC_PREVIEWBUTTON, 196, 298, 74, 26},
    {kTab1, IDC_OKBUTTON, 276, 298, 74, 26},
    {kTab1, IDC_CANCELBUTTON, 356, 298, 74, 26},
    {kTab2, IDC_MUSICLABEL, 8, 10, 422, 16},
    {kTab2, IDC_MUSICHINT, 8, 28, 422, 16},
    {kTab2, IDC_MUSICLIST, 8, 48, 336, 234},
    {kTab2, IDC_ADDMUSIC, 352, 48, 78, 24},
    {kTab2, IDC_REMOVEMUSIC, 352, 76, 78, 24},
    {kTab2, IDC_CLEARMUSIC, 352, 104, 78, 24},
    {kTab2, IDC_PLAYMUSIC, 352, 142, 78, 24},
    {kTab2, IDC_STOPMUSIC, 352, 170, 78, 24},
    {kTab2, IDC_MUSICUP, 352, 208, 37, 24},
    {kTab2, IDC_MUSICDOWN, 393, 208, 37, 24},
    {kTab2, IDC_BARLINE, 8, 288, 422, 2},
    {kTab2, IDC_NEXTBUTTON, 8, 298, 44, 26},
    {kTab2, IDC_PREVIEWBUTTON, 196, 298, 74, 26},
    {kTab2, IDC_OKBUTTON, 276, 298, 74, 26},
    {kTab2, IDC_CANCELBUTTON, 356, 298, 74, 26},
    {kTab3, IDC_EFFECTSLABEL, 8, 10, 210, 16},
    {kTab3, IDC_STYLELIST, 8, 30, 210, 252},
    {kTab3, IDC_EXPANDALL, 222, 30, 24, 24},
    {kTab3, IDC_COLLAPSEALL, 222, 58, 24, 24},
    {kTab3, IDC_FSPANEL2, 252, 30, 178, 134},
    {kTab3, IDC_SPEEDLABEL, 252, 178, 44, 16},
    {kTab3, IDC_SPEEDSCROLLBAR, 298, 172, 132, 28},
    {kTab3, IDC_SELECTALL, 252, 208, 86, 24},
    {kTab3, IDC_DISABLEALL, 344, 208, 86, 24},
    {kTab3, IDC_BARLINE, 8, 288, 422, 2},
    {kTab3, IDC_NEXTBUTTON, 8, 298, 44, 26},
    {kTab3, IDC_PREVIEWBUTTON, 196, 298, 74, 26},
    {kTab3, IDC_OKBUTTON, 276, 298, 74, 26},
    {kTab3, IDC_CANCELBUTTON, 356, 298, 74, 26},
    {kTab4, IDC_PAGECONTROL2, 8, 6, 422, 278},
    {kTab4, IDC_BARLINE, 8, 288, 422, 2},
    {kTab4, IDC_NEXTBUTTON, 8, 298, 44, 26},
    {kTab4, IDC_PREVIEWBUTTON, 196, 298, 74, 26},
    {kTab4, IDC_OKBUTTON, 276, 298, 74, 26},
    {kTab4, IDC_CANCELBUTTON, 356, 298, 74, 26},
    {kOpt1, IDC_SIZEGROUP, 6, 2, 144, 58},
    {kOpt1, IDC_ORIGINALRADIO, 14, 18, 132, 18},
    {kOpt1, IDC_STRETCHRADIO, 14, 37, 132, 18},
    {kOpt1, IDC_SEQUENCEGROUP, 6, 62, 144, 58},
    {kOpt1, IDC_NORMALIZERADIO, 14, 78, 132, 18},
    {kOpt1, IDC_RANDOMIZERADIO, 14, 97, 132, 18},
    {kOpt1, IDC_POSITIONGROUP, 156, 2, 250, 118},
    {kOpt1, IDC_CAPTIONOFFRADIO, 164, 18, 110, 18},
    {kOpt1, IDC_BELOWIMAGERADIO, 164, 37, 110, 18},
    {kOpt1, IDC_ABOVEIMAGERADIO, 164, 56, 110, 18},
    {kOpt1, IDC_BOTTOMSCREENRADIO, 278, 18, 124, 18},
    {kOpt1, IDC_TOPSCREENRADIO, 278, 37, 124, 18},
    {kOpt1, IDC_FIXEDRADIO, 164, 88, 60, 18},
    {kOpt1, IDC_XLABEL, 228, 89, 12, 16},
    {kOpt1, IDC_XSPIN, 242, 86, 64, 22},
    {kOpt1, IDC_YLABEL, 318, 89, 12, 16},
    {kOpt1, IDC_YSPIN, 332, 86, 64, 22},
    {kOpt1, IDC_CONTENTSGROUP, 6, 124, 400, 116},
    {kOpt1, IDC_FILENAMECHECK, 14, 141, 138, 18},
    {kOpt1, IDC_PATHCHECK, 158, 141, 62, 18},
    {kOpt1, IDC_EXTENSIONCHECK, 226, 141, 92, 18},
    {kOpt1, IDC_ADDITIONALTEXTCHECK, 14, 167, 138, 18},
    {kOpt1, IDC_IMAGECAPTIONEDIT, 158, 165, 240, 22},
    {kOpt1, IDC_CAPTIONFONTBUTTON, 14, 200, 112, 26},
    {kOpt1, IDC_FONTLABEL, 132, 194, 266, 40},
    {kOpt2, IDC_MUSICGROUP, 6, 2, 400, 92},
    {kOpt2, IDC_PLAYMUSICCHECK, 16, 22, 380, 18},
    {kOpt2, IDC_RANDOMMUSICCHECK, 16, 44, 380, 18},
    {kOpt2, IDC_LOOPMUSICCHECK, 16, 66, 380, 18},
    {kOpt3, IDC_NORMALGROUP, 6, 2, 400, 86},
    {kOpt3, IDC_BACKCOLORLABEL, 16, 26, 130, 16},
    {kOpt3, IDC_BACKCOLORCB, 150, 22, 160, 300},
    {kOpt3, IDC_INTERVALLABEL, 16, 58, 130, 16},
    {kOpt3, IDC_INTERVALEDIT, 150, 54, 72, 22},
    {kOpt3, IDC_TRANSITIONGROUP, 6, 94, 400, 74},
    {kOpt3, IDC_REVERSECHECK, 16, 114, 206, 18},
    {kOpt3, IDC_REVERSELABEL, 224, 115, 178, 16},
    {kOpt3, IDC_CLEAROLDCHECK, 16, 138, 380, 18},
    {kOpt4, IDC_EXITGROUP, 6, 2, 400, 92},
    {kOpt4, IDC_MOUSEMOVECHECK, 16, 22, 380, 18},
    {kOpt4, IDC_MOUSEPRESSCHECK, 16, 44, 380, 18},
    {kOpt4, IDC_KEYBOARDCHECK, 16, 66, 380, 18},
    {kTab5, IDC_BARLINE, 8, 288, 422, 2},
    {kTab5, IDC_BACKTOFIRST, 8, 298, 44, 26},
    {kTab5, IDC_BACKB, 196, 298, 74, 26},
    {kTab5, IDC_NEXTB, 276, 298, 74, 26},
    {kTab5, IDC_BUILDB, 356, 298, 74, 26},
    {kNotebook0, IDC_NOTE0, 8, 8, 406, 44},
    {kNotebook0, IDC_NAMEGROUP, 8, 60, 406, 66},
    {kNotebook0, IDC_NAMELABEL, 20, 90, 60, 16},
    {kNotebook0, IDC_NAMEEDIT, 84, 86, 318, 22},
    {kNotebook1, IDC_NOTE1, 8, 8, 406, 44},
    {kNotebook1, IDC_AUTHORGROUP, 8, 60, 406, 98},
    {kNotebook1, IDC_AUTHORLABEL, 20, 90, 60, 16},
    {kNotebook1, IDC_AUTHOREDIT, 84, 86, 318, 22},
    {kNotebook1, IDC_WEBSITELABEL, 20, 122, 60, 16},
    {kNotebook1, IDC_WEBSITEEDIT, 84, 118, 318, 22},
    {kNotebook2, IDC_READMEGROUP, 8, 8, 406, 258},
    {kNotebook2, IDC_READMEMEMO, 18, 28, 386, 192},
    {kNotebook2, IDC_LOADREADME, 18, 228, 124, 26},
    {kNotebook3, IDC_BUILDINGGROUP, 8, 8, 406, 258},
    {kNotebook3, IDC_STATUSMEMO, 18, 28, 386, 226},
};
// The page a window of the layout belongs to (the window itself: none).
int PageOfParent(TParent p) {
  if (p == kMainWindow) return -1;
  if (p <= kTab5) return p - kTab1;
  return p <= kOpt4 ? bpOptions : bpBuild;
}

constexpr int kPageWidth = 438;
constexpr RECT kNotebookArea{8, 8, 8 + 422, 8 + 274};
constexpr int kListExtent = 500;  // the image list's horizontal scroll extent
constexpr int kButtonIconSize = 16;
constexpr const char* kOptionsCaptions[] = {"Image Options", "Music Options", "Effect Options", "Saver Exit Options"};
constexpr const char* kBuildNote =
    "Note: Click \"Build\" button to create your own screensaver installation, or click \"Next\" to input more "
    "information (Optional).";

// Menu items and their keys: WM_COMMAND's code is 0 from the menu, 1 from a key.
constexpr int kMenuOrKey = -1;

enum TIconSlot { kNextIcon, kBackIcon, kUpIcon, kDownIcon, kWindowIcon, kSmallWindowIcon };

}  // namespace

struct TVantaConfigForm::TCommand {
  int id;
  int code;
  void (TVantaConfigForm::*handler)();
};

// Every command of the window: the message, and the one handler it calls.
const TVantaConfigForm::TCommand TVantaConfigForm::kCommands[] = {
    // The side bar and the bottom bars.
    {IDC_OUTLOOKBAR, LBN_SELCHANGE, &TVantaConfigForm::OutlookBarChange},
    {IDC_NEXTBUTTON, BN_CLICKED, &TVantaConfigForm::SpeedButton1Click},
    {IDC_PREVIEWBUTTON, BN_CLICKED, &TVantaConfigForm::Preview1Click},
    {IDC_OKBUTTON, BN_CLICKED, &TVantaConfigForm::Exit1Click},
    {IDC_CANCELBUTTON, BN_CLICKED, &TVantaConfigForm::FlatSpeedButton10Click},
    {IDC_BACKTOFIRST, BN_CLICKED, &TVantaConfigForm::SpeedButton5Click},
    // Images.
    {IDC_ADDIMAGES, BN_CLICKED, &TVantaConfigForm::FlatButton1Click},
    {IDC_REMOVEIMAGE, BN_CLICKED, &TVantaConfigForm::FlatButton2Click},
    {IDC_CLEARIMAGES, BN_CLICKED, &TVantaConfigForm::FlatButton3Click},
    {IDC_IMAGEUP, BN_CLICKED, &TVantaConfigForm::FlatSpeedButton2Click},
    {IDC_IMAGEDOWN, BN_CLICKED, &TVantaConfigForm::FlatSpeedButton1Click},
    {IDC_IMAGELIST, LBN_SELCHANGE, &TVantaConfigForm::ImageListClick},
    {IDC_FULLSCREEN, BN_CLICKED, &TVantaConfigForm::Preview1Click},
    {IDC_PREVIEWB2, BN_CLICKED, &TVantaConfigForm::PreviewB2Click},
    // Music.
    {IDC_ADDMUSIC, BN_CLICKED, &TVantaConfigForm::FlatButton4Click},
    {IDC_REMOVEMUSIC, BN_CLICKED, &TVantaConfigForm::FlatButton5Click},
    {IDC_CLEARMUSIC, BN_CLICKED, &TVantaConfigForm::FlatButton6Click},
    {IDC_MUSICUP, BN_CLICKED, &TVantaConfigForm::FlatSpeedButton6Click},
    {IDC_MUSICDOWN, BN_CLICKED, &TVantaConfigForm::FlatSpeedButton5Click},
    {IDC_PLAYMUSIC, BN_CLICKED, &TVantaConfigForm::FlatSpeedButton7Click},
    {IDC_STOPMUSIC, BN_CLICKED, &TVantaConfigForm::FlatSpeedButton8Click},
    {IDC_MUSICLIST, LBN_SELCHANGE, &TVantaConfigForm::MusicListClick},
    {IDC_MUSICLIST, LBN_DBLCLK, &TVantaConfigForm::FlatSpeedButton7Click},
    // Options.
    {IDC_CAPTIONFONTBUTTON, BN_CLICKED, &TVantaConfigForm::FlatButton11Click},
    {IDC_BACKCOLORCB, CBN_CLOSEUP, &TVantaConfigForm::BackcolorCbChange},
    {IDC_BACKCOLORCB, CBN_SELCHANGE, &TVantaConfigForm::BackcolorCbChange},
    // Build.
    {IDC_NEXTB, BN_CLICKED, &TVantaConfigForm::NextBClick},
    // Effects.
    {IDC_SELECTALL, BN_CLICKED, &TVantaConfigForm::FlatButton8Click},
    {IDC_DISABLEALL, BN_CLICKED, &TVantaConfigForm::FlatButton7Click},
    {IDC_EXPANDALL, BN_CLICKED, &TVantaConfigForm::FlatSpeedButton11Click},
    {IDC_COLLAPSEALL, BN_CLICKED, &TVantaConfigForm::FlatSpeedButton12Click},
    {IDM_LOADPROJECT, kMenuOrKey, &TVantaConfigForm::LoadProject1Click},
    {IDM_SAVEPROJECT, kMenuOrKey, &TVantaConfigForm::Save1Click},
    {IDM_SAVEPROJECTAS, kMenuOrKey, &TVantaConfigForm::SaveProject1Click},
    {IDC_BACKB, BN_CLICKED, &TVantaConfigForm::BackBClick},
    {IDC_BUILDB, BN_CLICKED, &TVantaConfigForm::BuildBClick},
    {IDC_LOADREADME, BN_CLICKED, &TVantaConfigForm::Button6Click},
    // The main menu.
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

TVantaConfigForm::TVantaConfigForm(const TSaverSetting& setting, TIniFile& ini, TBuilderPlaces places)
    : setting_(setting), ini_(ini), places_(std::move(places)) {}

TVantaConfigForm::~TVantaConfigForm() {
  compile_.reset();
  DropPreviews();
  about_.reset();
  if (handle_) {
    OnClose = nullptr;
    DestroyWindow(handle_);
  }
  if (sampleFont_) DeleteObject(sampleFont_);
  for (HICON i : icons_)
    if (i) DestroyIcon(i);
}

HWND TVantaConfigForm::FindControl(int id) const {
  if (!handle_) return nullptr;
  if (HWND w = GetDlgItem(handle_, id)) return w;
  for (HWND page : pages_)
    if (HWND w = page ? GetDlgItem(page, id) : nullptr) return w;
  for (HWND page : optionsPages_)
    if (HWND w = page ? GetDlgItem(page, id) : nullptr) return w;
  for (HWND page : notebookPages_)
    if (HWND w = page ? GetDlgItem(page, id) : nullptr) return w;
  return nullptr;
}

HWND TVantaConfigForm::Control(int id) const {
  if (HWND w = FindControl(id)) return w;
  // A control of a page not made yet: the pages are made until it is found.
  for (int page = 0; page < kBuilderPages && handle_; ++page) {
    if (pages_[page]) continue;
    const_cast<TVantaConfigForm*>(this)->MakePage(static_cast<TBuilderPage>(page));
    if (HWND w = FindControl(id)) return w;
  }
  return nullptr;
}

HWND TVantaConfigForm::Page(TBuilderPage page) const {
  if (handle_ && !pages_[page]) const_cast<TVantaConfigForm*>(this)->MakePage(page);
  return pages_[page];
}

HWND TVantaConfigForm::FullscreenWindow() const { return fullscreen_ ? fullscreen_->Window() : nullptr; }

HWND TVantaConfigForm::ImagePreviewWindow() const {
  return imagePreviewHost_ && IsWindowVisible(imagePreviewHost_->Window()) ? imagePreviewHost_->Window() : nullptr;
}

HWND TVantaConfigForm::PageControl(TBuilderPage page, int id) const {
  HWND p = Page(page);
  return p ? GetDlgItem(p, id) : nullptr;
}

void TVantaConfigForm::Show() {
  if (!handle_) CreateWindowFromTemplate();
  FormShow();
  ShowWindow(handle_, SW_SHOW);
  UpdateWindow(handle_);
}

void TVantaConfigForm::CreateWindowFromTemplate() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_UPDOWN_CLASS | ICC_BAR_CLASSES |
                                           ICC_TREEVIEW_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_VANTACONFIGFORM), nullptr, FormProc,
                     reinterpret_cast<LPARAM>(this));
  if (!handle_) throw std::runtime_error("The builder window could not be created.");
}

int TVantaConfigForm::Scaled(int pixels) const { return form::Scaled(pixels, dpi_); }

HWND TVantaConfigForm::CreatePage(int templateId, HWND parent, int windowId) {
  HWND page = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), parent, PageProc,
                                 reinterpret_cast<LPARAM>(this));
  if (!page) throw std::runtime_error("A page of the builder window could not be created.");
  SetWindowLongPtrA(page, GWLP_ID, windowId);
  return page;
}

void TVantaConfigForm::InitWindow(HWND window) {
  handle_ = window;
  dpi_ = form::WindowDpi(window);
  accelerators_ = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_ACCELERATORS));
  form::SetClientSizeCentred(handle_, kClientWidth, kClientHeight, dpi_);
  for (const TPlace& p : kLayout)
    if (p.parent == kMainWindow) form::Place(handle_, p.id, p.x, p.y, p.w, p.h, dpi_);
  sideBar_.Attach(Control(IDC_OUTLOOKBAR), dpi_);
  CreateWindowIcons();
  hints_ = form::CreateHints(handle_, kHintPauseMs);
  // The pages a user meets first; the others are made at their first
  // showing, or when something asks for one of their controls: under Wine
  // every control costs, and with all thirteen pages made at once the
  // builder took twice as long to open as a saver's Setting dialog.
  MakePage(bpImages);
  MakePage(bpMusic);
  CreateDropTargets();
  FormCreate();
}

void TVantaConfigForm::MakePage(TBuilderPage page) {
  if (pages_[page]) return;
  pages_[page] = CreatePage(IDD_TAB1 + page, handle_, IDC_TAB1 + page);
  if (page == bpOptions) {
    HWND tab = GetDlgItem(pages_[bpOptions], IDC_PAGECONTROL2);
    for (int i = 0; i < static_cast<int>(optionsPages_.size()); ++i) {
      optionsPages_[i] = CreatePage(IDD_OPTIONSSHEET1 + i, pages_[bpOptions], IDC_OPTIONSSHEET1 + i);
      TCITEMA item{};
      item.mask = TCIF_TEXT;
      item.pszText = const_cast<char*>(kOptionsCaptions[i]);
      SendMessageA(tab, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
  }
  if (page == bpBuild) {
    constexpr int kNotebookIds[kNotebookPages] = {IDC_NOTEBOOKPAGE0, IDC_NOTEBOOKPAGE1, IDC_NOTEBOOKPAGE2,
                                                  IDC_NOTEBOOKPAGE3};
    for (int i = 0; i < kNotebookPages; ++i)
      notebookPages_[i] = CreatePage(IDD_NOTEBOOKPAGE0 + i, pages_[bpBuild], kNotebookIds[i]);
  }
  // Made for a control while another page shows: hidden until selected.
  ShowWindow(pages_[page], SW_HIDE);
  LayOutPage(page);
  SetUpPage(page);
}

// What a page needs once made: its icons and hints, its controls' ranges,
// and the values the window holds for it (pending_ until then).
void TVantaConfigForm::SetUpPage(TBuilderPage page) {
  const auto setIcon = [](HWND button, HICON icon) {
    SendMessageA(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
  };
  const auto own = [&](int id) { return GetDlgItem(pages_[page], id); };
  if (page < bpBuild) {
    const std::string next = "Next (" + std::to_string(page + 1) + "/5)";
    setIcon(own(IDC_NEXTBUTTON), icons_[kNextIcon]);
    form::AddHint(hints_, own(IDC_NEXTBUTTON), next.c_str());
    form::AddHint(hints_, own(IDC_PREVIEWBUTTON), "Preview in full screen");
    form::AddHint(hints_, own(IDC_OKBUTTON), "Save and Exit");
    form::AddHint(hints_, own(IDC_CANCELBUTTON), "Undo and Exit");
  }
  switch (page) {
    case bpImages:
    case bpMusic: {
      const bool images = page == bpImages;
      TCheckListView& view = images ? imageView_ : musicView_;
      view.Attach(own(images ? IDC_IMAGELIST : IDC_MUSICLIST), dpi_, images ? kListExtent : 0);
      view.OnClickCheck = [this, images](int index) {
        if (images) ImageListClickCheck(index);
        else MusicListClickCheck(index);
      };
      setIcon(own(images ? IDC_IMAGEUP : IDC_MUSICUP), icons_[kUpIcon]);
      form::AddHint(hints_, own(images ? IDC_IMAGEUP : IDC_MUSICUP), "Move up");
      setIcon(own(images ? IDC_IMAGEDOWN : IDC_MUSICDOWN), icons_[kDownIcon]);
      form::AddHint(hints_, own(images ? IDC_IMAGEDOWN : IDC_MUSICDOWN), "Move down");
      break;
    }
    case bpEffects:
      SendMessageA(own(IDC_SPEEDSCROLLBAR), TBM_SETRANGE, FALSE, MAKELPARAM(0, kSpeedPositions - 1));
      SendMessageA(own(IDC_SPEEDSCROLLBAR), TBM_SETPAGESIZE, 0, 1);
      CreateStyleList();
      WriteEffectsControls(pending_);
      break;
    case bpOptions: {
      // The colour the window holds, now in a list.
      const TColor color = backcolorCb_.Color();
      backcolorCb_.Attach(FindControl(IDC_BACKCOLORCB), dpi_);
      backcolorCb_.SetColor(color);
      const struct {
        int edit, upDown;
        TSpinRange range;
      } spins[] = {
          {IDC_XSPIN, IDC_XUPDOWN, kCaptionRange},
          {IDC_YSPIN, IDC_YUPDOWN, kCaptionRange},
          {IDC_INTERVALEDIT, IDC_INTERVALUPDOWN, kIntervalRange},
      };
      for (const auto& sp : spins) {
        SendMessageA(FindControl(sp.upDown), UDM_SETBUDDY, reinterpret_cast<WPARAM>(FindControl(sp.edit)), 0);
        SendMessageA(FindControl(sp.upDown), UDM_SETRANGE32, sp.range.MinValue, sp.range.MaxValue);
      }
      WriteOptionsControls(pending_);
      SelectOptionsPage(0);
      break;
    }
    case bpBuild:
      for (int note : {IDC_NOTE0, IDC_NOTE1}) SetWindowTextA(FindControl(note), kBuildNote);
      setIcon(own(IDC_BACKTOFIRST), icons_[kBackIcon]);
      form::AddHint(hints_, own(IDC_BACKTOFIRST), "Back (5/5)");
      WriteBuildControls(pending_);
      SelectNotebookPage(notebookPage_);
      break;
    case kBuilderPages:  // a count, not a page
      break;
  }
}

void TVantaConfigForm::LayOutPage(TBuilderPage page) {
  const auto parentOf = [this](TParent p) -> HWND {
    if (p <= kTab5) return pages_[p - kTab1];
    if (p <= kOpt4) return optionsPages_[p - kOpt1];
    return notebookPages_[p - kNotebook0];
  };
  for (const TPlace& p : kLayout)
    if (PageOfParent(p.parent) == page) form::Place(parentOf(p.parent), p.id, p.x, p.y, p.w, p.h, dpi_);
  // The pages stand beside the side bar, filling the rest of the window.
  const int left = Scaled(kSideBarWidth);
  MoveWindow(pages_[page], left, 0, Scaled(kSideBarWidth + kPageWidth) - left, Scaled(kClientHeight), FALSE);
  if (page == bpOptions) {
    // The Options sub-pages fill the tab control's display area and lie above it.
    HWND tab = GetDlgItem(pages_[bpOptions], IDC_PAGECONTROL2);
    RECT area = form::PlaceOf(tab);
    SendMessageA(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&area));
    for (HWND sheet : optionsPages_)
      SetWindowPos(sheet, HWND_TOP, area.left, area.top, area.right - area.left, area.bottom - area.top,
                   SWP_NOACTIVATE);
  }
  if (page == bpBuild) {
    const int nl = Scaled(kNotebookArea.left), nt = Scaled(kNotebookArea.top);
    for (HWND sheet : notebookPages_)
      MoveWindow(sheet, nl, nt, Scaled(kNotebookArea.right) - nl, Scaled(kNotebookArea.bottom) - nt, FALSE);
  }
}

void TVantaConfigForm::CreateDropTargets() {
  qelOLEDrop1_ = std::make_unique<TQELOLEDrop>();
  qelOLEDrop1_->TargetControl = Control(IDC_IMAGELIST);
  qelOLEDrop1_->Events.OnDropFiles = [this](TMyDragDrop& s, const std::vector<std::string>& names) {
    QELOLEDrop1DropFiles(s, names);
  };
  qelOLEDrop1_->Loaded();
  qelOLEDrop2_ = std::make_unique<TQELOLEDrop>();
  qelOLEDrop2_->TargetControl = Control(IDC_MUSICLIST);
  qelOLEDrop2_->Events.OnDropFiles = [this](TMyDragDrop& s, const std::vector<std::string>& names) {
    QELOLEDrop2DropFiles(s, names);
  };
  qelOLEDrop2_->Loaded();
}

void TVantaConfigForm::CreateWindowIcons() {
  const int buttonIcon = Scaled(kButtonIconSize);
  icons_[kNextIcon] = CreateBuilderIcon(TBuilderIcon::Next, buttonIcon);
  icons_[kBackIcon] = CreateBuilderIcon(TBuilderIcon::Back, buttonIcon);
  icons_[kUpIcon] = CreateBuilderIcon(TBuilderIcon::Up, buttonIcon);
  icons_[kDownIcon] = CreateBuilderIcon(TBuilderIcon::Down, buttonIcon);
  icons_[kWindowIcon] = CreateBuilderIcon(TBuilderIcon::Logo, GetSystemMetrics(SM_CXICON));
  icons_[kSmallWindowIcon] = CreateBuilderIcon(TBuilderIcon::Logo, GetSystemMetrics(SM_CXSMICON));
  SendMessageA(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icons_[kWindowIcon]));
  SendMessageA(handle_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icons_[kSmallWindowIcon]));
}

// ---- Pages.

void TVantaConfigForm::SelectPage(TBuilderPage page) {
  MakePage(page);
  sideBar_.Select(page);
  if (page == bpEffects) PrepareEffectsPage();
  for (int i = 0; i < kBuilderPages; ++i) ShowWindow(pages_[i], i == page ? SW_SHOW : SW_HIDE);
  // The focus follows to the page shown: to the name on the Build page.
  HWND focus = GetFocus();
  if (page == bpBuild && notebookPage_ == 0) {
    SendMessageA(handle_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Control(IDC_NAMEEDIT)), TRUE);
  } else if (!focus || !IsWindowVisible(focus)) {
    if (HWND first = GetNextDlgTabItem(pages_[page], nullptr, FALSE))
      SendMessageA(handle_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
  }
}

void TVantaConfigForm::SelectOptionsPage(int index) {
  SendMessageA(Control(IDC_PAGECONTROL2), TCM_SETCURSEL, index, 0);
  for (int i = 0; i < static_cast<int>(optionsPages_.size()); ++i)
    ShowWindow(optionsPages_[i], i == index ? SW_SHOW : SW_HIDE);
}

void TVantaConfigForm::SelectNotebookPage(int index) {
  notebookPage_ = index;
  for (int i = 0; i < kNotebookPages; ++i) ShowWindow(notebookPages_[i], i == index ? SW_SHOW : SW_HIDE);
  Notebook1PageChanged();
}

// ---- Messages.

void TVantaConfigForm::Fail(const std::string& message) {
  if (OnError) return OnError(message);
  MessageBoxA(handle_, message.c_str(), kBuilderCaption, MB_OK | MB_ICONERROR);
}

bool TVantaConfigForm::Command(int id, int code, HWND) {
  if (code == EN_KILLFOCUS) {
    // A number typed out of range shows as what it counts as.
    if (id == IDC_XSPIN) WriteSpin(IDC_XSPIN, IDC_XUPDOWN, kCaptionRange, ReadSpin(IDC_XSPIN, kCaptionRange));
    if (id == IDC_YSPIN) WriteSpin(IDC_YSPIN, IDC_YUPDOWN, kCaptionRange, ReadSpin(IDC_YSPIN, kCaptionRange));
    if (id == IDC_INTERVALEDIT)
      WriteSpin(IDC_INTERVALEDIT, IDC_INTERVALUPDOWN, kIntervalRange, ReadSpin(IDC_INTERVALEDIT, kIntervalRange));
    return false;
  }
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
    case WM_COMMAND:
      return Command(LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
    case WM_NOTIFY: {
      const NMHDR* n = reinterpret_cast<const NMHDR*>(lp);
      if (n->idFrom == IDC_STYLELIST) return StyleListNotify(*n);
      if (n->idFrom != IDC_PAGECONTROL2 || n->code != TCN_SELCHANGE) return FALSE;
      SelectOptionsPage(static_cast<int>(SendMessageA(n->hwndFrom, TCM_GETCURSEL, 0, 0)));
      return TRUE;
    }
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(lp) != Control(IDC_SPEEDSCROLLBAR)) return FALSE;
      SpeedScrollBarScroll();
      return TRUE;
    case WM_DRAWITEM: {
      const auto& d = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      switch (d.CtlID) {
        case IDC_OUTLOOKBAR: sideBar_.DrawItem(d); break;
        case IDC_IMAGELIST: imageView_.DrawItem(d, imageList_); break;
        case IDC_MUSICLIST: musicView_.DrawItem(d, musicList_); break;
        case IDC_BACKCOLORCB: backcolorCb_.DrawItem(d); break;
        case IDC_FSPANEL:
        case IDC_FSPANEL2: DrawPanel(d); break;
        case IDC_FONTLABEL: DrawFontSample(d); break;
        default: return FALSE;
      }
      SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
      return TRUE;
    }
    case WM_CTLCOLORLISTBOX:
      if (reinterpret_cast<HWND>(lp) != sideBar_.Box()) return FALSE;
      return reinterpret_cast<INT_PTR>(sideBar_.Background());
    case WM_COPYDATA:
      if (window != handle_) return FALSE;
      WMCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lp));
      SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_SETCURSOR:
      if (!compile_ || !compile_->Busy()) return FALSE;
      SetCursor(LoadCursorA(nullptr, IDC_WAIT));
      SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case kStyleCheckMessage:
      StyleCheckReported(lp);
      return TRUE;
    case kDroppedPictureMessage:
      if (window != handle_) return FALSE;
      DrawThumbnail();
      return TRUE;
    case WM_CLOSE:
      if (window != handle_) return FALSE;
      Exit1Click();  // the close box saves, as OK does
      return TRUE;
    case WM_DESTROY:
      if (window != handle_) return FALSE;
      DropPreviews();  // the small one draws on a child about to go, and the lists are revoked
      handle_ = nullptr;
      pages_ = {};
      optionsPages_ = {};
      notebookPages_ = {};
      if (OnClose) OnClose();
      return TRUE;
  }
  return FALSE;
}

bool TVantaConfigForm::PreTranslateMessage(MSG& msg) {
  if (!handle_ || (msg.hwnd != handle_ && !IsChild(handle_, msg.hwnd))) return false;
  if (accelerators_ && TranslateAcceleratorA(handle_, accelerators_, &msg)) return true;
  if (msg.message == WM_KEYDOWN && NameEditKeyDown(msg.hwnd, msg.wParam)) return true;
  return IsDialogMessageA(handle_, &msg);
}

INT_PTR CALLBACK TVantaConfigForm::FormProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<TVantaConfigForm*>(GetWindowLongPtrA(w, DWLP_USER));
  try {
    if (msg == WM_INITDIALOG) {
      self = reinterpret_cast<TVantaConfigForm*>(lp);
      SetWindowLongPtrA(w, DWLP_USER, lp);
      self->InitWindow(w);
      return FALSE;  // FormShow places the focus
    }
    return self ? self->HandleMessage(w, msg, wp, lp) : FALSE;
  } catch (...) {
    return FALSE;  // nothing may unwind through the system's window code
  }
}

INT_PTR CALLBACK TVantaConfigForm::PageProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    SetWindowLongPtrA(w, DWLP_USER, lp);
    return FALSE;
  }
  auto* self = reinterpret_cast<TVantaConfigForm*>(GetWindowLongPtrA(w, DWLP_USER));
  try {
    return self ? self->HandleMessage(w, msg, wp, lp) : FALSE;
  } catch (...) {
    return FALSE;
  }
}

std::optional<TConfigControls> RunVantaConfigForm(const TSaverSetting& setting, TIniFile& ini,
                                                  const TBuilderPlaces& places, const TBuilderAccept& accept) {
  TVantaConfigForm form(setting, ini, places);
  form.OnAccept = accept;
  form.OnClose = [] { PostQuitMessage(0); };
  form.OnLoadSettings = [] {
    LoadSaverSettings();
    return SaverSetting();
  };
  try {
    form.Show();
  } catch (...) {
    return std::nullopt;  // no window: the program ends as if it had been cancelled
  }
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (form.PreTranslateMessage(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return form.Result();
}

}  // namespace vanta
