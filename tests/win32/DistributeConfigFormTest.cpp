// The "Setting" dialog driven by its controls: a record in and a record out;
// at start-up, the settings file in and out; and its layout at the screen's DPI.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

#include "DialogLayoutCheck.h"
#include "LoopSteps.h"
#include "Win32TestSupport.h"
#include "platform/Files.h"
#include "platform/Shell.h"
#include "setting_dialog/DistributeConfigFormP.h"
#include "setting_dialog/DistributeConfigFormRes.h"
#include "settings/Instance.h"
#include "startup/Startup.h"
#include "startup/Win32StartupHost.h"

namespace vanta {
namespace {

std::string Text(HWND w) {
  char buf[4096] = {};
  GetWindowTextA(w, buf, sizeof buf);
  return buf;
}

// The texts of a window's labels, as a message box shows its message.
std::string LabelTexts(HWND w) {
  std::string text;
  for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    char cls[16] = {};
    GetClassNameA(c, cls, sizeof cls);
    if (std::string(cls) == "Static") text += Text(c);
  }
  return text;
}

// What the dialog shows, read from its windows.
struct TShown {
  std::string title, author, website, memo, color, interval, speed;
  bool original, stretch, normalize, randomize, musicEnabled, musicChecked, captionEnabled, captionChecked;
  bool operator==(const TShown&) const = default;
};

void PrintTo(const TShown& s, std::ostream* os) {
  *os << "{" << s.title << "|" << s.color << "|" << s.interval << "|" << s.speed << "|" << s.original << s.stretch
      << s.normalize << s.randomize << "|" << s.musicEnabled << s.musicChecked << s.captionEnabled << s.captionChecked
      << "}";
}

// The dialog's controls, found by resource number on the window or its pages,
// and what a user does with them.
class TDialogView {
 public:
  void SetDialog(HWND dialog) { dialog_ = dialog; }
  HWND Dialog() const { return dialog_; }
  HWND C(int id) const {
    if (HWND w = GetDlgItem(dialog_, id)) return w;
    for (int page = IDC_TABSHEET1; page <= IDC_TABSHEET3; ++page)
      if (HWND p = GetDlgItem(dialog_, page))
        if (HWND w = GetDlgItem(p, id)) return w;
    return nullptr;
  }
  void Click(int id) const { SendMessageA(C(id), BM_CLICK, 0, 0); }
  void Type(int id, const char* text) const { SendMessageA(C(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)); }
  void ClickLabel(int id) const {
    SendMessageA(C(id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(C(id), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  }
  // A click on the page's tab.
  void SelectPage(int index) const {
    HWND tab = C(IDC_PAGECONTROL1);
    RECT r;
    SendMessageA(tab, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    SendMessageA(tab, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 4, r.top + 4));
    SendMessageA(tab, WM_LBUTTONUP, 0, MAKELPARAM(r.left + 4, r.top + 4));
  }
  // Picks an entry of the colour list as a user does with the keyboard.
  void ChooseColorEntry(const std::string& text) const {
    HWND list = C(IDC_BACKCOLORCB);
    const LRESULT i = SendMessageA(list, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(text.c_str()));
    ASSERT_NE(i, CB_ERR) << text;
    SendMessageA(list, CB_SETCURSEL, i, 0);
    SendMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(IDC_BACKCOLORCB, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
  }
  std::string ColorShown() const {
    HWND list = C(IDC_BACKCOLORCB);
    char buf[64] = {};
    SendMessageA(list, CB_GETLBTEXT, SendMessageA(list, CB_GETCURSEL, 0, 0), reinterpret_cast<LPARAM>(buf));
    return buf;
  }
  bool Checked(int id) const { return SendMessageA(C(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  TShown Shown() const {
    return {Text(C(IDC_TITLEPANEL)), Text(C(IDC_AUTHORLABEL)), Text(C(IDC_WEBSITELABEL)), Text(C(IDC_MEMO1)),
            ColorShown(), Text(C(IDC_INTERVALEDIT)), Text(C(IDC_SPEEDEDIT)), Checked(IDC_ORIGINALRADIO),
            Checked(IDC_STRETCHRADIO), Checked(IDC_NORMALIZERADIO), Checked(IDC_RANDOMIZERADIO),
            IsWindowEnabled(C(IDC_PLAYMUSICCHECK)) != 0, Checked(IDC_PLAYMUSICCHECK),
            IsWindowEnabled(C(IDC_CAPTIONCHECK)) != 0, Checked(IDC_CAPTIONCHECK)};
  }

 private:
  HWND dialog_ = nullptr;
};

// The shell and the colour dialog answered by the test.
class TShellScript {
 public:
  TShellScript() {
    shell_.OnOpen = [this](const platform::TShellRequest& r) { shell.push_back(r); };
    shell_.OnPickColor = [this](uint32_t) { return picked; };
  }
  TShellScript(const TShellScript&) = delete;
  TShellScript& operator=(const TShellScript&) = delete;

  std::vector<platform::TShellRequest> shell;
  std::optional<uint32_t> picked;

 private:
  test::TScriptedShell shell_;
};

// ---- The form on records alone: no settings file, no process record.

class SettingFormTest : public ::testing::Test, public TDialogView {
 public:
  void SetUp() override { ResetSaverSettingsForTests(); }
  void TearDown() override {
    form.reset();
    EXPECT_TRUE(SaverSetting() == TSaverSetting{}) << "the form reached for the process's record";
  }

  // Opens the dialog on setting, as a saver named "Show" with no install folder.
  void Open(const TSaverSetting& setting, const std::string& instanceName = "Show",
            const std::string& installFolder = "\\") {
    form = std::make_unique<TDistributeConfigForm>(setting, instanceName, installFolder);
    closed = false;
    form->OnClose = [this] { closed = true; };
    form->OnAcceptError = [this](const std::string& m) { acceptErrors.push_back(m); };
    form->Show();
    SetDialog(form->Handle());
    ASSERT_TRUE(IsWindowVisible(form->Handle()));
  }
  // Presses OK: what the dialog gives back.
  std::optional<TSaverSetting> Ok() {
    Click(IDOK);
    return form->Result();
  }

  TShellScript script;
  std::unique_ptr<TDistributeConfigForm> form;
  bool closed = false;
  std::vector<std::string> acceptErrors;
};

TSaverSetting WithMusicAndCaption() {
  TSaverSetting s;
  s.Music = {"song.mp3"};
  s.CaptionPosition = cpBelowImage;
  return s;
}

TEST_F(SettingFormTest, OkWithoutChangeGivesBackTheRecordItWasGiven) {
  TSaverSetting given;
  given.StretchImage = true;
  given.RandomImage = false;
  given.ImageInterval = 42;
  given.BackgroundColor = 0x123456;
  given.EffectSpeed = 2;
  given.PlayMusic = false;
  given.Music = {"C:\\Music\\song.mp3"};
  given.CaptionPosition = cpBottomOfScreen;
  given.ForceHide = false;
  given.Author = "Ann  Example";
  given.Website = "http://example.org/ann";
  // Fields the dialog does not offer come back as they were.
  given.Pictures = {"C:\\Photos\\a.jpg", "b.jpg"};
  given.Transitions.reset(77);
  given.RandomMusic = true;
  given.FontName = "Arial";

  Open(given);
  const TShown first = Shown();
  EXPECT_EQ(first, (TShown{"Show", "Ann  Example", "http://example.org/ann", "", "Custom 86, 52, 18", "42", "2",
                           false, true, true, false, true, false, true, true}));
  const std::optional<TSaverSetting> back = Ok();
  EXPECT_TRUE(closed);
  EXPECT_FALSE(IsWindow(form->Handle()));
  ASSERT_TRUE(back);
  EXPECT_TRUE(*back == given);

  Open(*back);
  EXPECT_EQ(Shown(), first);  // opening it again shows the same states
}

TEST_F(SettingFormTest, ValuesOutsideTheEditorsRangesAreShownAndGivenBackClamped) {
  struct Case { int32_t TSaverSetting::*field; int32_t value; int edit; const char* shown; int32_t back; } cases[] = {
      {&TSaverSetting::ImageInterval, 0, IDC_INTERVALEDIT, "1", 1},
      {&TSaverSetting::ImageInterval, -7, IDC_INTERVALEDIT, "1", 1},
      {&TSaverSetting::ImageInterval, 5000, IDC_INTERVALEDIT, "1000", 1000},
      {&TSaverSetting::EffectSpeed, 9, IDC_SPEEDEDIT, "5", 5},
      {&TSaverSetting::EffectSpeed, 0, IDC_SPEEDEDIT, "1", 1},
  };
  for (const Case& c : cases) {
    TSaverSetting s;
    s.*c.field = c.value;
    Open(s);
    EXPECT_EQ(Text(C(c.edit)), c.shown) << c.value;
    const std::optional<TSaverSetting> back = Ok();
    ASSERT_TRUE(back);
    EXPECT_EQ((*back).*c.field, c.back) << c.value;
  }
}

TEST_F(SettingFormTest, EditorsClampWhatIsTypedAndReadNonNumbersAsOne) {
  // The parsing itself is tested natively; here the editors' own texts.
  struct Case { int edit; const char* typed; int32_t TSaverSetting::*field; int32_t back; } cases[] = {
      {IDC_INTERVALEDIT, "17", &TSaverSetting::ImageInterval, 17},
      {IDC_INTERVALEDIT, "abc", &TSaverSetting::ImageInterval, 1},
      {IDC_INTERVALEDIT, "2000", &TSaverSetting::ImageInterval, 1000},
      {IDC_SPEEDEDIT, "9", &TSaverSetting::EffectSpeed, 5},
      {IDC_SPEEDEDIT, "", &TSaverSetting::EffectSpeed, 1},
  };
  for (const Case& c : cases) {
    TSaverSetting s;
    s.ImageInterval = 30;
    s.EffectSpeed = 3;
    Open(s);
    Type(c.edit, c.typed);
    const std::optional<TSaverSetting> back = Ok();
    ASSERT_TRUE(back);
    EXPECT_EQ((*back).*c.field, c.back) << '"' << c.typed << '"';
  }
}

TEST_F(SettingFormTest, MusicAndCaptionBoxesFollowWhatTheSaverHas) {
  struct Case {
    bool musicFound, playMusic;
    TCaptionPosition position;
    bool forceHide;
    bool musicEnabled, musicChecked, captionEnabled, captionChecked;
    bool backPlay, backHide;
  } cases[] = {
      {true, true, cpBelowImage, false, true, true, true, true, true, false},
      {true, false, cpFixed, true, true, false, true, false, false, true},
      {false, true, cpAboveImage, false, false, false, true, true, false, false},
      {true, true, cpOff, false, true, true, false, false, true, true},
      {false, true, cpOff, false, false, false, false, false, false, true},
  };
  for (const Case& c : cases) {
    TSaverSetting s;
    if (c.musicFound) s.Music = {"tune.mp3"};
    s.PlayMusic = c.playMusic;
    s.CaptionPosition = c.position;
    s.ForceHide = c.forceHide;
    Open(s);
    const std::string what = std::string(c.musicFound ? "music" : "no music") + " play=" +
                             std::to_string(c.playMusic) + " pos=" + std::to_string(c.position) +
                             " hide=" + std::to_string(c.forceHide);
    EXPECT_EQ(IsWindowEnabled(C(IDC_PLAYMUSICCHECK)) != 0, c.musicEnabled) << what;
    EXPECT_EQ(Checked(IDC_PLAYMUSICCHECK), c.musicChecked) << what;
    EXPECT_EQ(IsWindowEnabled(C(IDC_CAPTIONCHECK)) != 0, c.captionEnabled) << what;
    EXPECT_EQ(Checked(IDC_CAPTIONCHECK), c.captionChecked) << what;
    const std::optional<TSaverSetting> back = Ok();
    ASSERT_TRUE(back) << what;
    EXPECT_EQ(back->PlayMusic, c.backPlay) << what;
    EXPECT_EQ(back->ForceHide, c.backHide) << what;
  }
}

TEST_F(SettingFormTest, ChangedControlsAreGivenBack) {
  TSaverSetting s = WithMusicAndCaption();
  s.StretchImage = false;
  s.RandomImage = true;
  s.BackgroundColor = 0;
  s.PlayMusic = true;
  Open(s);
  Click(IDC_STRETCHRADIO);
  EXPECT_FALSE(Checked(IDC_ORIGINALRADIO));
  Click(IDC_NORMALIZERADIO);
  EXPECT_FALSE(Checked(IDC_RANDOMIZERADIO));
  Click(IDC_PLAYMUSICCHECK);
  Click(IDC_CAPTIONCHECK);
  ChooseColorEntry("Red");
  Type(IDC_INTERVALEDIT, "75");
  Type(IDC_SPEEDEDIT, "1");
  const std::optional<TSaverSetting> back = Ok();
  ASSERT_TRUE(back);
  TSaverSetting expected = s;
  expected.StretchImage = true;
  expected.RandomImage = false;
  expected.PlayMusic = false;
  expected.ForceHide = true;
  expected.BackgroundColor = 0x0000FF;
  expected.ImageInterval = 75;
  expected.EffectSpeed = 1;
  EXPECT_TRUE(*back == expected);
}

TEST_F(SettingFormTest, OtherColoursComeFromTheColourDialog) {
  struct Case { std::optional<uint32_t> answer; const char* shown; TColor back; } cases[] = {
      {0x336699, "Custom 153, 102, 51", 0x336699},
      {0x00FFFF, "Yellow", 0x00FFFF},
      {std::nullopt, "Green", 0x008000},  // cancelled: the colour stays
  };
  for (const Case& c : cases) {
    TSaverSetting s;
    s.BackgroundColor = 0x008000;
    Open(s);
    script.picked = c.answer;
    ChooseColorEntry(kOtherColorText);
    EXPECT_EQ(ColorShown(), c.shown);
    const std::optional<TSaverSetting> back = Ok();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->BackgroundColor, c.back) << c.shown;
  }
}

TEST_F(SettingFormTest, CancelAndTheCloseBoxGiveNothingBack) {
  struct Case { const char* how; void (*close)(SettingFormTest&); } cases[] = {
      {"Cancel", [](SettingFormTest& t) { t.Click(IDCANCEL); }},
      {"close box", [](SettingFormTest& t) { SendMessageA(t.form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"Escape (what the dialog manager sends)", [](SettingFormTest& t) {
         SendMessageA(t.form->Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }},
  };
  for (const Case& c : cases) {
    Open(WithMusicAndCaption());
    bool asked = false;
    form->OnAccept = [&](const TSaverSetting&) { asked = true; };
    Type(IDC_INTERVALEDIT, "99");
    Click(IDC_STRETCHRADIO);
    c.close(*this);
    EXPECT_TRUE(closed) << c.how;
    EXPECT_FALSE(IsWindow(form->Handle())) << c.how;
    EXPECT_FALSE(form->Result()) << c.how;
    EXPECT_FALSE(asked) << c.how;
  }
}

TEST_F(SettingFormTest, ARecordRefusedOnOkKeepsTheDialogOpen) {
  Open(TSaverSetting{});
  std::vector<int32_t> offered;
  form->OnAccept = [&](const TSaverSetting& edited) {
    offered.push_back(edited.ImageInterval);
    if (offered.size() == 1) throw std::runtime_error("The settings file could not be written.");
  };
  Type(IDC_INTERVALEDIT, "8");
  EXPECT_FALSE(Ok());
  EXPECT_EQ(acceptErrors, std::vector<std::string>{"The settings file could not be written."});
  EXPECT_FALSE(closed);
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_EQ(Text(C(IDC_INTERVALEDIT)), "8");  // nothing the user set is lost

  // Taken the second time: given back and closed.
  const std::optional<TSaverSetting> back = Ok();
  EXPECT_EQ(offered, (std::vector<int32_t>{8, 8}));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->ImageInterval, 8);
  EXPECT_TRUE(closed);

  // Refused and then cancelled: nothing given back.
  Open(TSaverSetting{});
  form->OnAccept = [](const TSaverSetting&) { throw std::runtime_error("no"); };
  EXPECT_FALSE(Ok());
  Click(IDCANCEL);
  EXPECT_TRUE(closed);
  EXPECT_FALSE(form->Result());
}

TEST_F(SettingFormTest, ReadmeAndAboutPage) {
  test::TTempDir install;
  install.Write("readme.txt", "First line\nSecond line\n");
  TSaverSetting s;
  s.Author = "Ann";
  s.Website = "http://example.org/ann";
  Open(s, "Show", install.Folder());
  EXPECT_EQ(Text(C(IDC_MEMO1)), "First line\r\nSecond line\r\n");
  // A readme past the editor's default limit of 32K characters is shown whole.
  std::string longText;
  while (longText.size() < 100000) longText += "A line of the readme, long as readme lines are.\r\n";
  install.Write("readme.txt", longText);
  form->Show();
  EXPECT_EQ(GetWindowTextLengthA(C(IDC_MEMO1)), static_cast<int>(longText.size()));
  EXPECT_EQ(Text(C(IDC_AUTHORLABEL)), "Ann");
  ClickLabel(IDC_WEBSITELABEL);
  ClickLabel(IDC_TEXTWEBSITE);
  ClickLabel(IDC_AUTHORLABEL);  // not a link
  ASSERT_EQ(script.shell.size(), 2u);
  EXPECT_EQ(script.shell[0], (platform::TShellRequest{"", "http://example.org/ann", "", ""}));
  EXPECT_EQ(script.shell[1].File, kMakerWebsite);

  // Without author, web site or install folder: empty labels, an empty
  // readme, and the empty web site is still what the shell gets.
  script.shell.clear();
  Open(TSaverSetting{});
  EXPECT_EQ(Text(C(IDC_MEMO1)), "");
  EXPECT_EQ(Text(C(IDC_AUTHORLABEL)), "");
  EXPECT_EQ(Text(C(IDC_WEBSITELABEL)), "");
  ClickLabel(IDC_WEBSITELABEL);
  ASSERT_EQ(script.shell.size(), 1u);
  EXPECT_EQ(script.shell[0].File, "");
}

TEST_F(SettingFormTest, WindowPagesAndControlsAsDesigned) {
  Open(TSaverSetting{});
  // A fixed client area, grown with the screen's DPI only.
  const int dpi = static_cast<int>(test::DpiOf(form->Handle()));
  RECT client;
  GetClientRect(form->Handle(), &client);
  EXPECT_EQ(client.right, MulDiv(TDistributeConfigForm::kClientWidth, dpi, 96));
  EXPECT_EQ(client.bottom, MulDiv(TDistributeConfigForm::kClientHeight, dpi, 96));
  const LONG style = GetWindowLongA(form->Handle(), GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_EQ(LOWORD(SendMessageA(form->Handle(), DM_GETDEFID, 0, 0)), IDOK);

  struct Caption { int id; const char* text; } captions[] = {
      {IDOK, "&OK"}, {IDCANCEL, "&Cancel"}, {IDC_TRANSITIONGROUP, "Transition Setting"},
      {IDC_BACKCOLORLABEL, "Background Color: "}, {IDC_INTERVALLABEL, "Image Interval (secs):"},
      {IDC_SPEEDLABEL, "Effect Speed:"}, {IDC_SIZEGROUP, "Image Size"}, {IDC_ORIGINALRADIO, "Original size"},
      {IDC_FITRADIO, "Fit to screen"}, {IDC_FILLRADIO, "Fill the screen"}, {IDC_STRETCHRADIO, "Stretch to screen"}, {IDC_SEQUENCEGROUP, "Image Sequence"}, {IDC_NORMALIZERADIO, "Normalize"},
      {IDC_RANDOMIZERADIO, "Shuffle"}, {IDC_PLAYMUSICCHECK, "Play background music"},
      {IDC_CAPTIONCHECK, "Show Image Caption"}, {IDC_MOTIONLABEL, "Motion:"}, {IDC_AUTHORCAPTION, "Author: "}, {IDC_WEBSITECAPTION, "Website:"},
      {IDC_LABEL4, "Powered by: Vanta Screensaver Builder"}, {IDC_TEXTWEBSITE, kMakerWebsite},
  };
  for (const Caption& c : captions) EXPECT_EQ(Text(C(c.id)), c.text) << c.id;

  struct Range { int spin, low, high; } ranges[] = {{IDC_INTERVALSPIN, 1, 1000}, {IDC_SPEEDSPIN, 1, 5}};
  for (const Range& r : ranges) {
    int low = 0, high = 0;
    SendMessageA(C(r.spin), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, r.low);
    EXPECT_EQ(high, r.high);
  }

  // Every control lies inside the window, and each page's inside its page.
  for (int id = IDC_TRANSITIONGROUP; id <= IDC_TEXTWEBSITE; ++id) {
    HWND w = C(id);
    if (!w || id == IDC_BACKCOLORCB) continue;  // a drop-down list reaches below
    RECT r, parent;
    GetWindowRect(w, &r);
    GetWindowRect(GetParent(w), &parent);
    EXPECT_TRUE(r.left >= parent.left && r.top >= parent.top && r.right <= parent.right && r.bottom <= parent.bottom)
        << id;
  }

  // The pages: "Options" first, another shown by a click on its tab.
  HWND tab = C(IDC_PAGECONTROL1);
  ASSERT_EQ(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0), 3);
  const char* pages[] = {"Options", "Readme", "About"};
  for (int i = 0; i < 3; ++i) {
    char buf[32] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = buf;
    item.cchTextMax = sizeof buf;
    SendMessageA(tab, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(buf, pages[i]);
  }
  EXPECT_TRUE(IsWindowVisible(C(IDC_TABSHEET1)));
  EXPECT_FALSE(IsWindowVisible(C(IDC_TABSHEET3)));
  SelectPage(2);
  EXPECT_FALSE(IsWindowVisible(C(IDC_TABSHEET1)));
  EXPECT_TRUE(IsWindowVisible(C(IDC_TABSHEET3)));
}

// Run at 96 DPI with the other tests, and again with the screen at 144 DPI
// (the win32.dpi144 entry); VANTA_TEST_DPI names the DPI a run is for.
TEST_F(SettingFormTest, NothingOverlapsOrIsClippedAtTheScreensDpi) {
  TSaverSetting s = WithMusicAndCaption();
  s.Author = "Ann Example";
  s.Website = "http://example.org/ann";
  s.ImageInterval = 1000;
  Open(s);
  const UINT dpi = test::DpiOf(form->Handle());
  if (const char* want = std::getenv("VANTA_TEST_DPI")) {
    ASSERT_EQ(dpi, std::strtoul(want, nullptr, 10)) << "the screen is not at the DPI this run is for";
  }
  // The dialog's font follows the DPI too: 8 points.
  LOGFONTA font{};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(form->Handle(), WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_EQ(std::abs(font.lfHeight), MulDiv(8, static_cast<int>(dpi), 72));

  for (int page = 0; page < 3; ++page) {
    SelectPage(page);
    ASSERT_TRUE(IsWindowVisible(C(IDC_TABSHEET1 + page)));
    std::string all;
    for (const std::string& p : test::LayoutProblems(form->Handle())) all += "\n  " + p;
    EXPECT_TRUE(all.empty()) << "page " << page << " at " << dpi << " DPI:" << all;
  }
}

// ---- The dialog as start-up runs it: the settings file in, the file out.

class SettingDialogAtStartupTest : public ::testing::Test, public TDialogView {
 public:
  void SetUp() override { ResetSaverSettingsForTests(); }
  void TearDown() override {
    SetInstanceExecutablePathForTests("");
    ResetSaverSettingsForTests();
  }

  // Starts the program as Windows asks a saver to configure itself
  // ("exeName /c", beside the settings text when one is given) and carries
  // out steps on its dialog from inside the dialog's message loop.
  void Configure(const std::optional<std::string>& text, const std::function<void(test::TLoopSteps&)>& steps,
                 const std::string& exeName = "Show.scr") {
    if (text) dir.Write("Show.002", *text);
    ResetSaverSettingsForTests();
    SetInstanceExecutablePathForTests(dir.Path(exeName));
    test::RunConfigureStartup(
        "the \"Setting\" dialog", [](HWND w) { return Text(w) == "Setting" && GetDlgItem(w, IDC_PAGECONTROL1); },
        [&](HWND dialog, test::TLoopSteps& loop) {
          SetDialog(dialog);
          loaded = SaverSetting();
          steps(loop);
        });
    EXPECT_FALSE(IsWindow(Dialog())) << "start-up ended with its dialog open";
  }
  // What the dialog wrote: the user's own copy; the installed file beside
  // the program is never written.
  std::string File() { return users.ReadSaverFile("Show"); }
  std::string Installed() { return dir.Read("Show.002"); }
  bool FileHas(const std::string& line) { return File().find(line + "\r\n") != std::string::npos; }

  test::TTempDir dir;
  test::TUserFoldersForTests users;
  TShellScript script;
  TSaverSetting loaded;  // the process's record when the dialog showed
};

// Sections and keys the dialog must never touch, in forms no writer would produce.
const std::string kUntouched =
    "[Pictures]\r\nC:\\Photos\\a.jpg=1\r\n  b.jpg = 0 \r\n[Music]\r\nsong.mp3=1\r\nlost.mp3=1\r\n"
    "[Transitions]\r\n177=0\r\nabc=0\r\n; a comment\r\n";

TEST_F(SettingDialogAtStartupTest, OkWithoutChangeWritesBackWhatWasLoaded) {
  dir.Write("song.mp3", "");
  const std::string original =
      "[Set]\r\nStetchImage=1\r\nRandomImage=0\r\nImageInterval=42\r\nBackgroundColor=1193046\r\nEffectSpeed=2\r\n"
      "PlayMusic=0\r\nRandomMusic=1\r\nAuthor=Ann  Example\r\nWebsite=http://example.org/ann\r\n"
      "[Caption]\r\nPosition=3\r\nForceHide=0\r\nFontName=Arial\r\n" + kUntouched;
  TShown first{};
  Configure(original, [&](test::TLoopSteps&) {
    first = Shown();
    Click(IDOK);
  });
  EXPECT_EQ(first, (TShown{"Show", "Ann  Example", "http://example.org/ann", "", "Custom 86, 52, 18", "42", "2",
                           false, true, true, false, true, false, true, true}));
  const TSaverSetting firstLoaded = loaded;
  EXPECT_TRUE(SaverSetting() == firstLoaded);
  const std::string written = File();
  EXPECT_EQ(Installed(), original);
  EXPECT_NE(written.find(kUntouched), std::string::npos) << written;
  EXPECT_NE(written.find("Author=Ann  Example\r\nWebsite=http://example.org/ann\r\n"), std::string::npos);

  Configure(std::nullopt, [&](test::TLoopSteps&) {
    EXPECT_TRUE(SaverSetting() == firstLoaded);
    EXPECT_EQ(Shown(), first);
    Click(IDOK);
  });
  EXPECT_EQ(File(), written);  // a second OK has nothing left to change
}

TEST_F(SettingDialogAtStartupTest, ChangedControlsAreWritten) {
  dir.Write("song.mp3", "");
  Configure("[Set]\r\nStetchImage=0\r\nRandomImage=1\r\nBackgroundColor=0\r\nPlayMusic=1\r\n[Caption]\r\nPosition=1\r\n"
            "[Music]\r\nsong.mp3=1\r\n",
            [&](test::TLoopSteps&) {
              Click(IDC_STRETCHRADIO);
              Click(IDC_NORMALIZERADIO);
              Click(IDC_PLAYMUSICCHECK);
              Click(IDC_CAPTIONCHECK);
              ChooseColorEntry("Red");
              Type(IDC_INTERVALEDIT, "75");
              Type(IDC_SPEEDEDIT, "1");
              Click(IDOK);
            });
  for (const char* line : {"StetchImage=1", "RandomImage=0", "PlayMusic=0", "ForceHide=1", "BackgroundColor=255",
                           "ImageInterval=75", "EffectSpeed=1"})
    EXPECT_TRUE(FileHas(line)) << line << "\n" << File();
  EXPECT_EQ(SaverSetting().ImageInterval, 75);  // the process's record is the one written
}

TEST_F(SettingDialogAtStartupTest, CancelAndTheCloseBoxLeaveTheFileAsItWas) {
  const std::string original =
      "[set]\r\nimageinterval = 0\r\nStetchImage=yes\r\n\r\n[Caption]\nPosition=9\n" + kUntouched;
  struct Case { const char* how; void (*close)(TDialogView&); } cases[] = {
      {"Cancel", [](TDialogView& v) { v.Click(IDCANCEL); }},
      {"close box", [](TDialogView& v) { SendMessageA(v.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"Escape (what the dialog manager sends)", [](TDialogView& v) {
         SendMessageA(v.Dialog(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }},
  };
  for (const Case& c : cases) {
    Configure(original, [&](test::TLoopSteps&) {
      Type(IDC_INTERVALEDIT, "99");
      Click(IDC_STRETCHRADIO);
      c.close(*this);
    });
    EXPECT_EQ(Installed(), original) << c.how;
    EXPECT_FALSE(platform::FileExists(users.SaverFile("Show"))) << c.how;
    EXPECT_TRUE(SaverSetting() == loaded) << c.how;
  }
  DeleteFileA(dir.Path("Show.002").c_str());
  Configure(std::nullopt, [&](test::TLoopSteps&) { Click(IDCANCEL); });
  EXPECT_FALSE(platform::FileExists(dir.Path("Show.002")));  // nor is one made
  EXPECT_FALSE(platform::FileExists(users.SaverFile("Show")));
}

TEST_F(SettingDialogAtStartupTest, TitleShowsTheInstanceNameAfterTheShortNameLookup) {
  dir.Write("Mountains.002", "[Set]\r\nImageInterval=12\r\n");
  Configure(
      std::nullopt,
      [&](test::TLoopSteps&) {
        EXPECT_EQ(Text(C(IDC_TITLEPANEL)), "Mountains");
        EXPECT_EQ(Text(Dialog()), "Setting");
        EXPECT_EQ(Text(C(IDC_INTERVALEDIT)), "12");
        Click(IDCANCEL);
      },
      "MOUNTA~1.SCR");
}

TEST_F(SettingDialogAtStartupTest, ReadmeComesFromTheInstallFolderInTheRegistry) {
  test::TTempDir install;
  install.Write("readme.txt", "First line\nSecond line\n");
  const std::string name = "VantaDialogTest" + std::to_string(GetCurrentProcessId());
  test::TRegistryDefault key("Software\\Norvane\\" + name, install.Folder());
  dir.Write(name + ".002", "[Set]\r\nAuthor=Ann\r\n");
  Configure(
      std::nullopt,
      [&](test::TLoopSteps&) {
        EXPECT_EQ(Text(C(IDC_MEMO1)), "First line\r\nSecond line\r\n");
        EXPECT_EQ(Text(C(IDC_AUTHORLABEL)), "Ann");
        Click(IDCANCEL);
      },
      name + ".scr");
}

// An installed file that cannot be read is never replaced by a copy
// without it, and a profile that cannot be written to loses nothing: the
// dialog says so and stays open, and the installed file stays as it was.
TEST_F(SettingDialogAtStartupTest, ASettingsFileThatCannotBeWrittenKeepsTheDialogOpen) {
  const std::string original = "[Set]\r\nImageInterval=8\r\n";
  for (const bool lockInstalled : {true, false}) {
    dir.Write("Show.002", original);
    // Held open without sharing, the file can be neither read nor replaced.
    HANDLE lock = lockInstalled ? CreateFileA(dir.Path("Show.002").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                                : INVALID_HANDLE_VALUE;
    ASSERT_TRUE(!lockInstalled || lock != INVALID_HANDLE_VALUE);
    // A file where the user's folder should be made.
    if (!lockInstalled) users.roaming.Write("Norvane", "");
    std::vector<std::string> boxes;  // the texts of the message boxes shown
    Configure(std::nullopt, [&](test::TLoopSteps& loop) {
      const HWND dialog = Dialog();
      loop.Await(
          "the error box",
          [dialog] {
            return test::FindThreadWindow([dialog](HWND w) { return GetWindow(w, GW_OWNER) == dialog; });
          },
          [&](HWND box) {
            boxes.push_back(LabelTexts(box));
            SendMessageA(box, WM_COMMAND, IDOK, 0);
          });
      Type(IDC_INTERVALEDIT, "9");
      Click(IDOK);
      EXPECT_EQ(boxes.size(), 1u) << lockInstalled;
      EXPECT_FALSE(boxes.empty() || boxes[0].empty());
      EXPECT_TRUE(IsWindowVisible(dialog));
      if (lock != INVALID_HANDLE_VALUE) CloseHandle(lock);
      Click(IDCANCEL);
    });
    EXPECT_EQ(Installed(), original) << lockInstalled;
    EXPECT_FALSE(platform::FileExists(users.SaverFile("Show"))) << lockInstalled;
  }
}

}  // namespace
}  // namespace vanta
