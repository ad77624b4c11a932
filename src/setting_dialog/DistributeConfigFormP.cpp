#include "setting_dialog/DistributeConfigFormP.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <utility>
#include <vector>

#include "forms/ColorCombo.h"
#include "forms/Controls.h"
#include "forms/FormLayout.h"
#include "forms/LinkLabel.h"
#include "forms/PageHost.h"
#include "platform/Shell.h"
#include "setting_dialog/DistributeConfigFormRes.h"

namespace vanta {
namespace {

// Every size below is in pixels at this DPI and scaled to the window's.

constexpr int kWebsiteLabelWidth = 284;
constexpr int kLabel4Width = 240;
constexpr int kAboutRight = 386;  // where the line under the group ends

// Where every control stands on the window or on its page. The page
// control's pages are placed into its display area at run time, the memo
// fills its page, and the links are fitted to their text.
using form::kOnPage;
using form::TPlace;
constexpr TPlace kLayout[] = {
    {kOnPage, IDC_TITLEPANEL, 0, 0, 412, 45},
    {kOnPage, IDC_PAGECONTROL1, 6, 51, 400, 217},
    {kOnPage, IDOK, 250, 274, 75, 24},
    {kOnPage, IDCANCEL, 331, 274, 75, 24},
    {0, IDC_TRANSITIONGROUP, 6, 4, 226, 124},
    {0, IDC_BACKCOLORLABEL, 14, 26, 124, 16},
    {0, IDC_BACKCOLORCB, 138, 22, 88, 260},
    {0, IDC_INTERVALLABEL, 14, 52, 124, 16},
    {0, IDC_INTERVALEDIT, 138, 48, 60, 22},
    {0, IDC_SPEEDLABEL, 14, 78, 124, 16},
    {0, IDC_SPEEDEDIT, 138, 74, 60, 22},
    {0, IDC_MOTIONLABEL, 14, 104, 124, 16},
    {0, IDC_MOTIONCOMBO, 138, 100, 88, 200},
    {0, IDC_PLAYMUSICCHECK, 240, 144, 150, 18},
    {0, IDC_CAPTIONCHECK, 240, 164, 150, 18},
    {0, IDC_SCREENSGROUP, 6, 132, 226, 52},
    {0, IDC_SCREENSCOMBO, 14, 152, 212, 200},
    {2, IDC_ABOUTGROUP, 8, 6, 376, 82},
    {2, IDC_AUTHORCAPTION, 20, 26, 70, 16},
    {2, IDC_AUTHORLABEL, 92, 26, 284, 16},
    {2, IDC_WEBSITECAPTION, 20, 54, 70, 16},
    {2, IDC_WEBSITELABEL, 92, 54, kWebsiteLabelWidth, 16},
    {2, IDC_LABEL4, 12, 102, kLabel4Width, 16},
    {2, IDC_TEXTWEBSITE, 258, 102, 126, 16},
};
// The picture's size and order, laid out as the builder's Options page lays them.
constexpr form::TRadioGroup kSizeGroup{0, IDC_SIZEGROUP, 238, 4, 148, 90, 10, 16, 16};
constexpr int kSizeRadios[] = {IDC_ORIGINALRADIO, IDC_FITRADIO, IDC_FILLRADIO, IDC_STRETCHRADIO};
constexpr int kSizePitch = 18;
constexpr form::TRadioGroup kSequenceGroup{0, IDC_SEQUENCEGROUP, 238, 98, 148, 40, 10, 18, 16};
constexpr int kSequenceRadios[] = {IDC_NORMALIZERADIO, IDC_RANDOMIZERADIO};
constexpr int kSequenceWidths[] = {78, 56};
constexpr int kSequenceGap = 2;

std::vector<TPlace> Layout() {
  std::vector<TPlace> l(std::begin(kLayout), std::end(kLayout));
  form::AddRadioColumn(l, kSizeGroup, kSizeRadios, kSizePitch);
  form::AddRadioRow(l, kSequenceGroup, kSequenceRadios, kSequenceWidths, kSequenceGap);
  return l;
}

constexpr int kMemoMargin = 6;
constexpr int kLinkGap = 6;
constexpr int kTitleFontHeight = 19;
constexpr const char* kPageCaptions[] = {"Options", "Readme", "About"};

constexpr COLORREF kTitleColor = RGB(255, 255, 0);
constexpr COLORREF kWebsiteLabelColor = RGB(0, 0, 255);
constexpr COLORREF kTextWebsiteColor = 0xFF2F2F;
constexpr COLORREF kLabel4Color = 0x262626;

using form::FitToText;
using form::TextWidth;

}  // namespace

TDistributeConfigForm::TDistributeConfigForm(const TSaverSetting& setting, std::string instanceName,
                                             std::string installFolder, platform::IShell& shell)
    : setting_(setting),
      instanceName_(std::move(instanceName)),
      installFolder_(std::move(installFolder)),
      shell_(shell) {}

TDistributeConfigForm::~TDistributeConfigForm() {
  if (handle_) {
    OnClose = nullptr;
    DestroyWindow(handle_);
  }
}

HWND TDistributeConfigForm::Control(int id) const {
  if (!handle_) return nullptr;
  if (HWND w = GetDlgItem(handle_, id)) return w;
  for (HWND page : pages_.Pages())
    if (HWND w = page ? GetDlgItem(page, id) : nullptr) return w;
  return nullptr;
}

void TDistributeConfigForm::Show() {
  if (!handle_) CreateWindowFromTemplate();
  FormShow();
  ShowWindow(handle_, SW_SHOW);
  UpdateWindow(handle_);
}

void TDistributeConfigForm::Close() {
  if (handle_) DestroyWindow(handle_);
}

void TDistributeConfigForm::CreateWindowFromTemplate() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&icc);
  form::CreateDialogFor(IDD_DISTRIBUTECONFIGFORM, nullptr, *this);
  if (!handle_) throw std::runtime_error("The \"Setting\" dialog could not be created.");
}

int TDistributeConfigForm::Scaled(int pixels) const { return form::Scaled(pixels, dpi_); }

void TDistributeConfigForm::InitWindow(HWND window) {
  handle_ = window;
  dpi_ = form::WindowDpi(window);
  std::vector<HWND> pages;
  for (int i = 0; i < kPages; ++i) {
    pageHandlers_[i].owner = this;
    pages.push_back(form::CreatePage(IDD_TABSHEET1 + i, window, IDC_TABSHEET1 + i, pageHandlers_[i]));
  }
  pages_.Attach(GetDlgItem(window, IDC_PAGECONTROL1), std::move(pages), kPageCaptions);
  CreateFonts();
  LayOut();
  // The arrows sit at the right end of their editors.
  form::SetUpSpin(Control(IDC_INTERVALEDIT), Control(IDC_INTERVALSPIN), kIntervalRange);
  form::SetUpSpin(Control(IDC_SPEEDEDIT), Control(IDC_SPEEDSPIN), kSpeedRange);
  WriteSpin(IDC_INTERVALEDIT, IDC_INTERVALSPIN, kIntervalRange, kIntervalRange.MinValue);
  WriteSpin(IDC_SPEEDEDIT, IDC_SPEEDSPIN, kSpeedRange, kSpeedRange.MinValue);
  // A readme longer than the editor's default 32K characters is shown whole.
  SendMessageA(Control(IDC_MEMO1), EM_SETLIMITTEXT, 0, 0);
  SetWindowTextA(Control(IDC_TEXTWEBSITE), kMakerWebsite);
  // "Powered by" and the maker's link stand on one line, the link right after the text.
  FitToText(Control(IDC_LABEL4), Scaled(kLabel4Width));
  RECT label4;
  GetWindowRect(Control(IDC_LABEL4), &label4);
  MapWindowPoints(nullptr, pages_.Pages()[2], reinterpret_cast<POINT*>(&label4), 2);
  // An address too long for the rest of the line goes on the next one, whole.
  HWND link = Control(IDC_TEXTWEBSITE);
  int linkLeft = label4.right + Scaled(kLinkGap), linkTop = label4.top;
  if (linkLeft + TextWidth(link) > Scaled(kAboutRight)) {
    linkLeft = label4.left;
    linkTop = label4.bottom + Scaled(kLinkGap);
  }
  SetWindowPos(link, nullptr, linkLeft, linkTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  FitToText(link, Scaled(kAboutRight) - linkLeft);
  backcolorCb_.Attach(Control(IDC_BACKCOLORCB), dpi_);
  for (const char* choice : kMultiScreenChoices)
    SendMessageA(Control(IDC_SCREENSCOMBO), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
  SendMessageA(Control(IDC_SCREENSCOMBO), CB_SETCURSEL, msOwnPicture, 0);
  for (const char* choice : kPanZoomChoices)
    SendMessageA(Control(IDC_MOTIONCOMBO), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
  SendMessageA(Control(IDC_MOTIONCOMBO), CB_SETCURSEL, 0, 0);
  SelectPage(0);
}

void TDistributeConfigForm::CreateFonts() {
  boldFont_.Reset(form::CreateBoldFont(handle_));
  linkFont_.Reset(form::CreateLinkFont(handle_));
  titleFont_.Reset(CreateFontA(-Scaled(kTitleFontHeight), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                               OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SCRIPT,
                               "Comic Sans MS"));
  form::SetFont(Control(IDC_TITLEPANEL), titleFont_.Get());
  for (int id : {IDC_AUTHORCAPTION, IDC_WEBSITECAPTION}) form::SetFont(Control(id), boldFont_.Get());
  for (int id : {IDC_WEBSITELABEL, IDC_TEXTWEBSITE}) form::SetFont(Control(id), linkFont_.Get());
}

void TDistributeConfigForm::LayOut() {
  // The window: a fixed client area, centred on the desktop.
  form::SetClientSizeCentred(handle_, kClientWidth, kClientHeight, dpi_);
  form::PlaceAll(Layout(), handle_, pages_.Pages(), dpi_);
  // The pages fill the page control's display area and lie above it.
  pages_.Fit(Control(IDC_TITLEPANEL));
  const RECT area = form::PlaceOf(pages_.Pages()[1]);
  const int margin = Scaled(kMemoMargin);
  MoveWindow(Control(IDC_MEMO1), margin, margin, area.right - area.left - 2 * margin,
             area.bottom - area.top - 2 * margin, FALSE);
}

void TDistributeConfigForm::SelectPage(int index) { pages_.Select(index); }

void TDistributeConfigForm::FormShow() {
  SelectPage(0);
  WriteControls(LoadControls(ReadControls(), setting_, instanceName_, ReadReadme(installFolder_)));
}

void TDistributeConfigForm::BtnOKClick() {
  TSaverSetting edited = setting_;
  StoreControls(ReadControls(), edited);
  if (OnAccept) {
    try {
      OnAccept(edited);
    } catch (const std::exception& e) {
      if (OnAcceptError) OnAcceptError(e.what());
      else MessageBoxA(handle_, e.what(), "Setting", MB_OK | MB_ICONERROR);
      return;
    }
  }
  result_ = std::move(edited);
  Close();
}

void TDistributeConfigForm::Button1Click() { Close(); }

void TDistributeConfigForm::TextWebsiteClick(HWND label) { shell_.Open({"", form::WindowText(label), "", ""}); }

TSettingControls TDistributeConfigForm::ReadControls() const {
  TSettingControls c;
  c.Title = form::WindowText(Control(IDC_TITLEPANEL));
  c.Author = form::WindowText(Control(IDC_AUTHORLABEL));
  c.Website = form::WindowText(Control(IDC_WEBSITELABEL));
  c.Readme = form::WindowText(Control(IDC_MEMO1));
  c.OriginalRadio = form::Checked(Control(IDC_ORIGINALRADIO));
  c.FitRadio = form::Checked(Control(IDC_FITRADIO));
  c.FillRadio = form::Checked(Control(IDC_FILLRADIO));
  c.StretchRadio = form::Checked(Control(IDC_STRETCHRADIO));
  c.NormalizeRadio = form::Checked(Control(IDC_NORMALIZERADIO));
  c.RandomizeRadio = form::Checked(Control(IDC_RANDOMIZERADIO));
  c.Backcolor = backcolorCb_.Color();
  HWND list = Control(IDC_BACKCOLORCB);
  const LRESULT sel = SendMessageA(list, CB_GETCURSEL, 0, 0);
  if (sel != CB_ERR && sel + 1 < SendMessageA(list, CB_GETCOUNT, 0, 0))
    c.Backcolor = static_cast<TColor>(SendMessageA(list, CB_GETITEMDATA, sel, 0));
  c.Interval = ReadSpin(IDC_INTERVALEDIT, kIntervalRange);
  c.Speed = ReadSpin(IDC_SPEEDEDIT, kSpeedRange);
  c.PlayMusicEnabled = IsWindowEnabled(Control(IDC_PLAYMUSICCHECK));
  c.PlayMusicChecked = form::Checked(Control(IDC_PLAYMUSICCHECK));
  c.CaptionEnabled = IsWindowEnabled(Control(IDC_CAPTIONCHECK));
  c.CaptionChecked = form::Checked(Control(IDC_CAPTIONCHECK));
  c.Screens = MultiScreenOf(static_cast<int>(SendMessageA(Control(IDC_SCREENSCOMBO), CB_GETCURSEL, 0, 0)));
  c.Motion = static_cast<int32_t>(PanZoomOf(static_cast<int>(SendMessageA(Control(IDC_MOTIONCOMBO), CB_GETCURSEL, 0, 0))));
  return c;
}

void TDistributeConfigForm::WriteControls(const TSettingControls& c) {
  SetWindowTextA(Control(IDC_AUTHORLABEL), c.Author.c_str());
  SetWindowTextA(Control(IDC_WEBSITELABEL), c.Website.c_str());
  FitToText(Control(IDC_WEBSITELABEL), Scaled(kWebsiteLabelWidth));
  SetWindowTextA(Control(IDC_TITLEPANEL), c.Title.c_str());
  SetWindowTextA(Control(IDC_MEMO1), c.Readme.c_str());
  form::SetChecked(Control(IDC_ORIGINALRADIO), c.OriginalRadio);
  form::SetChecked(Control(IDC_FITRADIO), c.FitRadio);
  form::SetChecked(Control(IDC_FILLRADIO), c.FillRadio);
  form::SetChecked(Control(IDC_STRETCHRADIO), c.StretchRadio);
  form::SetChecked(Control(IDC_NORMALIZERADIO), c.NormalizeRadio);
  form::SetChecked(Control(IDC_RANDOMIZERADIO), c.RandomizeRadio);
  backcolorCb_.SetColor(c.Backcolor);
  WriteSpin(IDC_INTERVALEDIT, IDC_INTERVALSPIN, kIntervalRange, c.Interval);
  WriteSpin(IDC_SPEEDEDIT, IDC_SPEEDSPIN, kSpeedRange, c.Speed);
  EnableWindow(Control(IDC_PLAYMUSICCHECK), c.PlayMusicEnabled);
  EnableWindow(Control(IDC_CAPTIONCHECK), c.CaptionEnabled);
  form::SetChecked(Control(IDC_CAPTIONCHECK), c.CaptionChecked);
  form::SetChecked(Control(IDC_PLAYMUSICCHECK), c.PlayMusicChecked);
  SendMessageA(Control(IDC_SCREENSCOMBO), CB_SETCURSEL, MultiScreenOf(c.Screens), 0);
  SendMessageA(Control(IDC_MOTIONCOMBO), CB_SETCURSEL, static_cast<WPARAM>(PanZoomOf(c.Motion)), 0);
}

void TDistributeConfigForm::WriteSpin(int editId, int spinId, const TSpinRange& range, int32_t value) {
  form::WriteSpin(Control(editId), Control(spinId), range, value);
}

int32_t TDistributeConfigForm::ReadSpin(int editId, const TSpinRange& range) const {
  return form::ReadSpin(Control(editId), range);
}


INT_PTR TDistributeConfigForm::ColorStatic(HDC dc, HWND control) const {
  COLORREF text;
  switch (GetDlgCtrlID(control)) {
    case IDC_TITLEPANEL:
      SetTextColor(dc, kTitleColor);
      SetBkColor(dc, RGB(0, 0, 0));
      return reinterpret_cast<INT_PTR>(GetStockObject(BLACK_BRUSH));
    case IDC_WEBSITELABEL: text = kWebsiteLabelColor; break;
    case IDC_TEXTWEBSITE: text = kTextWebsiteColor; break;
    case IDC_LABEL4: text = kLabel4Color; break;
    default: return FALSE;
  }
  SetTextColor(dc, text);
  SetBkMode(dc, TRANSPARENT);
  return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
}

INT_PTR TDistributeConfigForm::HandleMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND: {
      const int id = LOWORD(wp), code = HIWORD(wp);
      if (id == IDOK && code == BN_CLICKED) BtnOKClick();
      else if (id == IDCANCEL && code == BN_CLICKED) Button1Click();
      else if ((id == IDC_WEBSITELABEL || id == IDC_TEXTWEBSITE) && code == STN_CLICKED)
        TextWebsiteClick(reinterpret_cast<HWND>(lp));
      else if (id == IDC_BACKCOLORCB && (code == CBN_CLOSEUP ||
               (code == CBN_SELCHANGE && !SendMessageA(reinterpret_cast<HWND>(lp), CB_GETDROPPEDSTATE, 0, 0))))
        backcolorCb_.Chosen(handle_, shell_);  // while the list is open, its closing decides
      else if (id == IDC_INTERVALEDIT && code == EN_KILLFOCUS)
        WriteSpin(IDC_INTERVALEDIT, IDC_INTERVALSPIN, kIntervalRange, ReadSpin(IDC_INTERVALEDIT, kIntervalRange));
      else if (id == IDC_SPEEDEDIT && code == EN_KILLFOCUS)
        WriteSpin(IDC_SPEEDEDIT, IDC_SPEEDSPIN, kSpeedRange, ReadSpin(IDC_SPEEDEDIT, kSpeedRange));
      else return FALSE;
      return TRUE;
    }
    case WM_NOTIFY:
      return pages_.Notified(*reinterpret_cast<const NMHDR*>(lp));
    case WM_CTLCOLORSTATIC:
      return ColorStatic(reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp));
    case WM_DRAWITEM:
      if (wp != IDC_BACKCOLORCB) return FALSE;
      backcolorCb_.DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
      return TRUE;
    case WM_SETCURSOR:
      return form::ShowHandOverLink(window, reinterpret_cast<HWND>(wp),
                                    {Control(IDC_WEBSITELABEL), Control(IDC_TEXTWEBSITE)});
    case WM_CLOSE:
      if (window != handle_) return FALSE;
      Close();  // the close box stores nothing
      return TRUE;
    case WM_DESTROY:
      if (window != handle_) return FALSE;
      handle_ = nullptr;
      pages_.Clear();
      if (OnClose) OnClose();
      return TRUE;
  }
  return FALSE;
}

INT_PTR TDistributeConfigForm::InitDialog(HWND window) {
  InitWindow(window);
  return TRUE;
}

INT_PTR TDistributeConfigForm::TPage::EarlyMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_MEASUREITEM || wp != IDC_BACKCOLORCB) return FALSE;
  // Asked while the page is being made, before it knows its form.
  reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = form::Scaled(TColorCombo::kItemHeight, form::WindowDpi(w));
  return TRUE;
}

INT_PTR TDistributeConfigForm::TPage::HandleMessage(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_MEASUREITEM) return EarlyMessage(w, msg, wp, lp);
  return owner->HandleMessage(w, msg, wp, lp);
}

bool TDistributeConfigForm::PreTranslateMessage(MSG& msg) { return handle_ && IsDialogMessageA(handle_, &msg); }

std::optional<TSaverSetting> RunDistributeConfigForm(const TSaverSetting& setting, const std::string& instanceName,
                                                     const std::string& installFolder, platform::IShell& shell,
                                                     const TSettingAccept& accept) {
  TDistributeConfigForm form(setting, instanceName, installFolder, shell);
  form.OnAccept = accept;
  return form::RunAsMainWindow(form);
}

}  // namespace vanta
