#include "builder/OptionsPage.h"

#include <commctrl.h>

#include <array>
#include <utility>

#include "builder/ConfigFormRes.h"
#include "forms/Controls.h"
#include "forms/FormLayout.h"
#include "platform/Shell.h"
#include "platform/win32/WideText.h"

namespace vanta {
namespace {

// The "Image Size" buttons in TImageSizing's order.
constexpr std::array<int, 4> kSizeRadios = {IDC_ORIGINALRADIO, IDC_FITRADIO, IDC_FILLRADIO, IDC_STRETCHRADIO};

constexpr TPlace kLayout[] = {
    {kOnPage, IDC_PAGECONTROL2, 8, 6, 422, 278},
    {0, IDC_POSITIONGROUP, 156, 2, 250, 118},
    {0, IDC_CAPTIONOFFRADIO, 164, 18, 110, 18},
    {0, IDC_BELOWIMAGERADIO, 164, 37, 110, 18},
    {0, IDC_ABOVEIMAGERADIO, 164, 56, 110, 18},
    {0, IDC_BOTTOMSCREENRADIO, 278, 18, 124, 18},
    {0, IDC_TOPSCREENRADIO, 278, 37, 124, 18},
    {0, IDC_FIXEDRADIO, 164, 88, 60, 18},
    {0, IDC_XLABEL, 228, 89, 12, 16},
    {0, IDC_XSPIN, 242, 86, 64, 22},
    {0, IDC_YLABEL, 318, 89, 12, 16},
    {0, IDC_YSPIN, 332, 86, 64, 22},
    {0, IDC_CONTENTSGROUP, 6, 144, 400, 104},
    {0, IDC_FILENAMECHECK, 14, 160, 138, 18},
    {0, IDC_PATHCHECK, 158, 160, 62, 18},
    {0, IDC_EXTENSIONCHECK, 226, 160, 92, 18},
    {0, IDC_ADDITIONALTEXTCHECK, 14, 184, 138, 18},
    {0, IDC_IMAGECAPTIONEDIT, 158, 182, 240, 22},
    {0, IDC_CAPTIONFONTBUTTON, 14, 212, 112, 26},
    {0, IDC_FONTLABEL, 132, 210, 266, 32},
    {1, IDC_MUSICGROUP, 6, 2, 400, 92},
    {1, IDC_PLAYMUSICCHECK, 16, 22, 380, 18},
    {1, IDC_RANDOMMUSICCHECK, 16, 44, 380, 18},
    {1, IDC_LOOPMUSICCHECK, 16, 66, 380, 18},
    {2, IDC_NORMALGROUP, 6, 2, 400, 86},
    {2, IDC_BACKCOLORLABEL, 16, 26, 130, 16},
    {2, IDC_BACKCOLORCB, 150, 22, 160, 300},
    {2, IDC_INTERVALLABEL, 16, 58, 130, 16},
    {2, IDC_INTERVALEDIT, 150, 54, 72, 22},
    {2, IDC_MOTIONLABEL, 248, 58, 52, 16},
    {2, IDC_MOTIONCOMBO, 302, 54, 96, 200},
    {2, IDC_TRANSITIONGROUP, 6, 94, 400, 74},
    {2, IDC_REVERSECHECK, 16, 114, 206, 18},
    {2, IDC_REVERSELABEL, 224, 115, 178, 16},
    {2, IDC_CLEAROLDCHECK, 16, 138, 380, 18},
    {2, IDC_SCREENSGROUP, 6, 172, 400, 58},
    {2, IDC_SCREENSCOMBO, 16, 194, 290, 200},
    {3, IDC_EXITGROUP, 6, 2, 400, 92},
    {3, IDC_MOUSEMOVECHECK, 16, 22, 380, 18},
    {3, IDC_MOUSEPRESSCHECK, 16, 44, 380, 18},
    {3, IDC_KEYBOARDCHECK, 16, 66, 380, 18},
};
// The picture's size and order, laid out as the Setting dialog lays them.
constexpr form::TRadioGroup kSizeGroup{0, IDC_SIZEGROUP, 6, 2, 144, 94, 8, 16, 18};
constexpr int kSizePitch = 19;
constexpr form::TRadioGroup kSequenceGroup{0, IDC_SEQUENCEGROUP, 6, 98, 144, 42, 8, 18, 18};
constexpr int kSequenceRadios[] = {IDC_NORMALIZERADIO, IDC_RANDOMIZERADIO};
constexpr int kSequenceWidths[] = {74, 58};

constexpr const char* kCaptions[] = {"Image Options", "Music Options", "Effect Options", "Saver Exit Options"};

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

// The number editors: the editor, its arrows, its range.
struct TSpin {
  int edit, upDown;
  TSpinRange range;
};
constexpr TSpin kSpins[] = {
    {IDC_XSPIN, IDC_XUPDOWN, TOptionsPage::kCaptionRange},
    {IDC_YSPIN, IDC_YUPDOWN, TOptionsPage::kCaptionRange},
    {IDC_INTERVALEDIT, IDC_INTERVALUPDOWN, TOptionsPage::kIntervalRange},
};

}  // namespace

int OptionCheckControl(std::string_view name) {
  for (const TCheckControl& c : kCheckControls)
    if (c.name == name) return c.id;
  return 0;
}

TOptionsPage::TOptionsPage(IBuilderFrame& frame, platform::IShell& shell)
    : TBuilderPageBase(frame, bpOptions), shell_(shell) {}

TOptionsPage::~TOptionsPage() {
  if (sampleFont_) DeleteObject(sampleFont_);
}

std::vector<std::pair<int, int>> TOptionsPage::SubPages() const {
  std::vector<std::pair<int, int>> subs;
  for (int i = 0; i < 4; ++i) subs.emplace_back(IDD_OPTIONSSHEET1 + i, IDC_OPTIONSSHEET1 + i);
  return subs;
}

std::span<const TPlace> TOptionsPage::Layout() const {
  static const std::vector<TPlace> layout = [] {
    std::vector<TPlace> l(std::begin(kLayout), std::end(kLayout));
    form::AddRadioColumn(l, kSizeGroup, kSizeRadios, kSizePitch);
    form::AddRadioRow(l, kSequenceGroup, kSequenceRadios, kSequenceWidths, 0);
    return l;
  }();
  return layout;
}

void TOptionsPage::SetUp() {
  std::vector<HWND> subs;
  for (size_t i = 0; i < SubCount(); ++i) subs.push_back(Sub(i));
  tabs_.Attach(Own(IDC_PAGECONTROL2), std::move(subs), kCaptions);
  // The sub-pages fill the tab control's display area and lie above it.
  tabs_.Fit();
  backcolorCb_.Attach(Find(IDC_BACKCOLORCB), frame_.Host().Dpi);
  for (const TSpin& sp : kSpins) form::SetUpSpin(Find(sp.edit), Find(sp.upDown), sp.range);
  for (const char* choice : kMultiScreenChoices)
    SendMessageA(Find(IDC_SCREENSCOMBO), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
  for (const char* choice : kPanZoomChoices)
    SendMessageA(Find(IDC_MOTIONCOMBO), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
  SelectSubPage(0);
}

void TOptionsPage::Reopened() {
  if (Made()) SelectSubPage(0);
}

void TOptionsPage::SelectSubPage(int index) { tabs_.Select(index); }

void TOptionsPage::Write(const TConfigControls& c) {
  // The colour and the font sample paint the picture panels too.
  backcolorCb_.SetColor(c.BackcolorCb);
  SetFontSample(c.FontLabel);
  for (size_t i = 0; i < kSizeRadios.size(); ++i)
    form::SetChecked(Find(kSizeRadios[i]), c.SizeRadio == static_cast<TImageSizing>(i));
  form::SetChecked(Find(IDC_NORMALIZERADIO), !c.RandomizeRadio);
  form::SetChecked(Find(IDC_RANDOMIZERADIO), c.RandomizeRadio);
  for (int i = cpOff; i <= cpFixed; ++i) form::SetChecked(Find(IDC_CAPTIONOFFRADIO + i), c.CaptionRadio == i);
  form::WriteSpin(Find(IDC_XSPIN), Find(IDC_XUPDOWN), kCaptionRange, c.XSpin);
  form::WriteSpin(Find(IDC_YSPIN), Find(IDC_YUPDOWN), kCaptionRange, c.YSpin);
  for (const TOptionCheck& k : OptionChecks()) form::SetChecked(Find(OptionCheckControl(k.Control)), c.*k.State);
  SetWindowTextA(Find(IDC_IMAGECAPTIONEDIT), c.ImageCaptionEdit.c_str());
  form::WriteSpin(Find(IDC_INTERVALEDIT), Find(IDC_INTERVALUPDOWN), kIntervalRange, c.IntervalEdit);
  SendMessageA(Find(IDC_SCREENSCOMBO), CB_SETCURSEL, MultiScreenOf(c.ScreensCombo), 0);
  SendMessageA(Find(IDC_MOTIONCOMBO), CB_SETCURSEL, static_cast<WPARAM>(PanZoomOf(c.MotionCombo)), 0);
}

void TOptionsPage::Read(TConfigControls& c) const {
  if (!Made()) return;
  for (size_t i = 0; i < kSizeRadios.size(); ++i)
    if (form::Checked(Find(kSizeRadios[i]))) c.SizeRadio = static_cast<TImageSizing>(i);
  c.RandomizeRadio = form::Checked(Find(IDC_RANDOMIZERADIO));
  std::array<bool, cpFixed + 1> caption{};
  for (int i = cpOff; i <= cpFixed; ++i) caption[i] = form::Checked(Find(IDC_CAPTIONOFFRADIO + i));
  c.CaptionRadio = CaptionRadioRead(caption, frame_.Setting().CaptionPosition);
  c.XSpin = form::ReadSpin(Find(IDC_XSPIN), kCaptionRange);
  c.YSpin = form::ReadSpin(Find(IDC_YSPIN), kCaptionRange);
  for (const TOptionCheck& k : OptionChecks()) c.*k.State = form::Checked(Find(OptionCheckControl(k.Control)));
  c.ImageCaptionEdit = form::WindowText(Find(IDC_IMAGECAPTIONEDIT));
  c.IntervalEdit = form::ReadSpin(Find(IDC_INTERVALEDIT), kIntervalRange);
  c.ScreensCombo = MultiScreenOf(static_cast<int>(SendMessageA(Find(IDC_SCREENSCOMBO), CB_GETCURSEL, 0, 0)));
  c.MotionCombo = static_cast<int32_t>(PanZoomOf(static_cast<int>(SendMessageA(Find(IDC_MOTIONCOMBO), CB_GETCURSEL, 0, 0))));
}

void TOptionsPage::SetFontSample(const TFontSample& sample) {
  if (sampleFont_) DeleteObject(sampleFont_);
  sampleFont_ = CreateFontW(-MulDiv(sample.Size, static_cast<int>(frame_.Host().Dpi), 72), 0, 0, 0,
                            sample.Bold ? FW_BOLD : FW_NORMAL, sample.Italic, sample.Underline, sample.Strikeout,
                            DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, platform::Widen(sample.Name).c_str());
  InvalidateRect(Find(IDC_FONTLABEL), nullptr, FALSE);
}

bool TOptionsPage::Command(int id, int code, HWND) {
  if (code == EN_KILLFOCUS) {
    // A number typed out of range shows as what it counts as.
    for (const TSpin& sp : kSpins)
      if (sp.edit == id) form::WriteSpin(Find(sp.edit), Find(sp.upDown), sp.range, form::ReadSpin(Find(sp.edit), sp.range));
    return false;
  }
  if (id == IDC_CAPTIONFONTBUTTON && code == BN_CLICKED) {
    FontClick();
    return true;
  }
  if (id == IDC_BACKCOLORCB && (code == CBN_CLOSEUP || code == CBN_SELCHANGE)) {
    ColorChange();
    return true;
  }
  return false;
}

void TOptionsPage::FontClick() {
  TConfigControls& r = frame_.Record();
  if (const auto font = shell_.PickFont(reinterpret_cast<std::intptr_t>(frame_.Host().Window), FontChoiceOf(r.FontLabel))) {
    r.FontLabel = WithFont(r.FontLabel, *font);
    SetFontSample(r.FontLabel);
  }
}

void TOptionsPage::ColorChange() {
  if (SendMessageA(backcolorCb_.Combo(), CB_GETDROPPEDSTATE, 0, 0)) return;  // its closing decides
  backcolorCb_.Chosen(frame_.Host().Window, shell_);
  SetBackground(frame_.Record(), backcolorCb_.Color());
  frame_.BackgroundChanged();
}

void TOptionsPage::BackgroundChanged() { InvalidateRect(Find(IDC_FONTLABEL), nullptr, FALSE); }

void TOptionsPage::DrawFontSample(const DRAWITEMSTRUCT& d) const {
  const TFontSample& sample = frame_.Record().FontLabel;
  HBRUSH brush = CreateSolidBrush(frame_.Record().BackcolorCb & 0xFFFFFF);
  FillRect(d.hDC, &d.rcItem, brush);
  DeleteObject(brush);
  HGDIOBJ old = SelectObject(d.hDC, sampleFont_);
  SetBkMode(d.hDC, TRANSPARENT);
  SetTextColor(d.hDC, sample.Color & 0xFFFFFF);
  RECT r = d.rcItem;
  DrawTextA(d.hDC, "Sample", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(d.hDC, old);
}

INT_PTR TOptionsPage::PageMessage(HWND window, UINT msg, WPARAM, LPARAM lp) {
  switch (msg) {
    case WM_NOTIFY:
      return tabs_.Notified(*reinterpret_cast<const NMHDR*>(lp));
    case WM_DRAWITEM: {
      const auto& d = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (d.CtlID == IDC_BACKCOLORCB) backcolorCb_.DrawItem(d);
      else if (d.CtlID == IDC_FONTLABEL) DrawFontSample(d);
      else return FALSE;
      return Drawn(window);
    }
  }
  return FALSE;
}

}  // namespace vanta
