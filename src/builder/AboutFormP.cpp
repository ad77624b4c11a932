#include "builder/AboutFormP.h"

#include <optional>
#include <stdexcept>

#include "builder/BuilderIcon.h"
#include "builder/ConfigFormRes.h"
#include "forms/Controls.h"
#include "forms/FormLayout.h"
#include "forms/LinkLabel.h"
#include "platform/Shell.h"

namespace vanta {
namespace {

using form::kOnPage;
constexpr form::TPlace kLayout[] = {
    {kOnPage, IDC_ABOUTPICTURE, 24, 24, 64, 64},   {kOnPage, IDC_ABOUTTITLE, 104, 28, 270, 28},
    {kOnPage, IDC_ABOUTVERSION, 104, 62, 262, 16}, {kOnPage, IDC_ABOUTLINK, 104, 88, 262, 16},
    {kOnPage, IDC_ABOUTTEXT, 104, 122, 270, 16},
    {kOnPage, IDC_ABOUTLINE, 16, 156, 350, 2},     {kOnPage, IDOK, 292, 168, 74, 26},
};
constexpr int kLinkMaxWidth = 262;
constexpr int kTitleFontHeight = 16;
constexpr int kPictureSize = 64;
constexpr COLORREF kLinkColor = RGB(0, 84, 166);
constexpr COLORREF kTitleColor = RGB(42, 47, 107);

}  // namespace

TAboutForm::TAboutForm(std::string website, platform::IShell& shell) : website_(std::move(website)), shell_(shell) {}

TAboutForm::~TAboutForm() {
  if (handle_) DestroyWindow(handle_);
  if (logo_) DestroyIcon(logo_);
}

void TAboutForm::ShowModal(HWND owner) {
  if (!handle_) {
    form::CreateDialogFor(IDD_ABOUTFORM, owner, *this);
    if (!handle_) throw std::runtime_error("The About box could not be created.");
  }
  form::SetClientSizeCentred(handle_, kClientWidth, kClientHeight, dpi_);
  if (owner) EnableWindow(owner, FALSE);
  ShowWindow(handle_, SW_SHOW);
  SetFocus(GetDlgItem(handle_, IDOK));
  open_ = true;
  const std::optional<int> quit =
      form::RunMessageLoop([this](MSG& msg) { return IsDialogMessageA(handle_, &msg) != FALSE; }, [this] { return open_; });
  // The owner first, so that it, not some other program, gets the focus back.
  if (owner) EnableWindow(owner, TRUE);
  if (handle_) ShowWindow(handle_, SW_HIDE);
  if (owner) SetActiveWindow(owner);
  if (quit) PostQuitMessage(*quit);  // for the loop that waits for it
}

INT_PTR TAboutForm::InitDialog(HWND window) {
  handle_ = window;
  dpi_ = form::WindowDpi(window);
  form::PlaceAll(kLayout, window, {}, dpi_);
  linkFont_.Reset(form::CreateLinkFont(window));
  titleFont_.Reset(form::CreateBoldFont(window, form::Scaled(kTitleFontHeight, dpi_)));
  form::SetFont(Control(IDC_ABOUTTITLE), titleFont_.Get());
  HWND link = Control(IDC_ABOUTLINK);
  form::SetFont(link, linkFont_.Get());
  logo_ = CreateBuilderIcon(TBuilderIcon::Logo, form::Scaled(kPictureSize, dpi_));
  SetWindowTextA(link, website_.c_str());
  form::FitToText(link, form::Scaled(kLinkMaxWidth, dpi_));
  hints_ = form::CreateHints(window, 100);
  form::AddHint(hints_, link, website_.c_str());
  return TRUE;
}

void TAboutForm::TextWebsiteClick() { shell_.Open({"", form::HintOf(hints_, Control(IDC_ABOUTLINK)), "", ""}); }

void TAboutForm::BtnOKClick() { open_ = false; }

void TAboutForm::DrawPicture(const DRAWITEMSTRUCT& d) const {
  FillRect(d.hDC, &d.rcItem, GetSysColorBrush(COLOR_BTNFACE));
  const int size = form::Scaled(kPictureSize, dpi_);
  DrawIconEx(d.hDC, d.rcItem.left, d.rcItem.top, logo_, size, size, 0, nullptr, DI_NORMAL);
}

INT_PTR TAboutForm::HandleMessage(HWND, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) BtnOKClick();
      else if (LOWORD(wp) == IDC_ABOUTLINK && HIWORD(wp) == STN_CLICKED) TextWebsiteClick();
      else return FALSE;
      return TRUE;
    case WM_CLOSE:
      BtnOKClick();  // hidden, not destroyed: the next About shows this box again
      return TRUE;
    case WM_DRAWITEM:
      if (wp != IDC_ABOUTPICTURE) return FALSE;
      DrawPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
      return TRUE;
    case WM_CTLCOLORSTATIC: {
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lp));
      if (id != IDC_ABOUTLINK && id != IDC_ABOUTTITLE) return FALSE;
      HDC dc = reinterpret_cast<HDC>(wp);
      SetTextColor(dc, id == IDC_ABOUTLINK ? kLinkColor : kTitleColor);
      SetBkMode(dc, TRANSPARENT);
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_SETCURSOR:
      return form::ShowHandOverLink(handle_, reinterpret_cast<HWND>(wp), {Control(IDC_ABOUTLINK)});
    case WM_DESTROY:
      handle_ = nullptr;
      open_ = false;
      return TRUE;
  }
  return FALSE;
}

}  // namespace vanta
