// The "Setting" dialog driven by its controls: messages in, settings file out.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <optional>

#include "platform/Files.h"
#include "platform/Shell.h"
#include "setting_dialog/DistributeConfigFormP.h"
#include "setting_dialog/DistributeConfigFormRes.h"
#include "startup/Instance.h"
#include "Win32TestSupport.h"

namespace vanta {
namespace {

std::string Text(HWND w) {
  char buf[4096] = {};
  GetWindowTextA(w, buf, sizeof buf);
  return buf;
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

class SettingDialogTest : public ::testing::Test {
 public:
  void SetUp() override {
    ResetSaverSettingsForTests();
    platform::SetShellHooksForTests([this](const platform::TShellRequest& r) { shell.push_back(r); },
                                    [this](uint32_t) { return picked; });
  }
  void TearDown() override {
    form.reset();
    platform::SetShellHooksForTests({}, {});
    SetInstanceExecutablePathForTests("");
    ResetSaverSettingsForTests();
  }

  // Starts as "Show.scr" (or exeName) beside this settings text, as a new process would.
  void Load(const std::optional<std::string>& text, const std::string& exeName = "Show.scr") {
    if (text) dir.Write("Show.002", *text);
    ResetSaverSettingsForTests();
    SetInstanceExecutablePathForTests(dir.Path(exeName));
    LoadSaverSettings();
  }
  void Open() {
    form = std::make_unique<TDistributeConfigForm>();
    closed = false;
    form->OnClose = [this] { closed = true; };
    form->OnSaveError = [this](const std::string& m) { saveErrors.push_back(m); };
    form->Show();
    ASSERT_TRUE(IsWindowVisible(form->Handle()));
  }
  HWND C(int id) { return form->Control(id); }
  void Click(int id) { SendMessageA(C(id), BM_CLICK, 0, 0); }
  void Type(int id, const char* text) { SendMessageA(C(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)); }
  void ClickLabel(int id) {
    SendMessageA(C(id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageA(C(id), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  }
  // Picks an entry of the colour list as a user does with the keyboard.
  void ChooseColorEntry(const std::string& text) {
    HWND list = C(IDC_BACKCOLORCB);
    const LRESULT i = SendMessageA(list, CB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>(text.c_str()));
    ASSERT_NE(i, CB_ERR) << text;
    SendMessageA(list, CB_SETCURSEL, i, 0);
    SendMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(IDC_BACKCOLORCB, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
  }
  std::string ColorShown() {
    HWND list = C(IDC_BACKCOLORCB);
    char buf[64] = {};
    SendMessageA(list, CB_GETLBTEXT, SendMessageA(list, CB_GETCURSEL, 0, 0), reinterpret_cast<LPARAM>(buf));
    return buf;
  }
  bool Checked(int id) { return SendMessageA(C(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
  TShown Shown() {
    return {Text(C(IDC_TITLEPANEL)), Text(C(IDC_AUTHORLABEL)), Text(C(IDC_WEBSITELABEL)), Text(C(IDC_MEMO1)),
            ColorShown(), Text(C(IDC_INTERVALEDIT)), Text(C(IDC_SPEEDEDIT)), Checked(IDC_ORIGINALRADIO),
            Checked(IDC_STRETCHRADIO), Checked(IDC_NORMALIZERADIO), Checked(IDC_RANDOMIZERADIO),
            IsWindowEnabled(C(IDC_PLAYMUSICCHECK)) != 0, Checked(IDC_PLAYMUSICCHECK),
            IsWindowEnabled(C(IDC_CAPTIONCHECK)) != 0, Checked(IDC_CAPTIONCHECK)};
  }
  std::string File() { return dir.Read("Show.002"); }
  bool FileHas(const std::string& line) { return File().find(line + "\r\n") != std::string::npos; }

  test::TWinTempDir dir;
  std::unique_ptr<TDistributeConfigForm> form;
  bool closed = false;
  std::vector<std::string> saveErrors;
  std::vector<platform::TShellRequest> shell;
  std::optional<uint32_t> picked;
};

// Sections and keys the dialog must never touch, in forms no writer would produce.
const std::string kUntouched =
    "[Pictures]\r\nC:\\Photos\\a.jpg=1\r\n  b.jpg = 0 \r\n[Music]\r\nsong.mp3=1\r\nlost.mp3=1\r\n"
    "[Transitions]\r\n177=0\r\nabc=0\r\n; a comment\r\n";

TEST_F(SettingDialogTest, OkWithoutChangeWritesBackWhatWasLoaded) {
  dir.Write("song.mp3", "");
  const std::string original =
      "[Set]\r\nStetchImage=1\r\nRandomImage=0\r\nImageInterval=42\r\nBackgroundColor=1193046\r\nEffectSpeed=2\r\n"
      "PlayMusic=0\r\nRandomMusic=1\r\nAuthor=Ann  Example\r\nWebsite=http://example.org/ann\r\n"
      "[Caption]\r\nPosition=3\r\nForceHide=0\r\nFontName=Arial\r\n" + kUntouched;
  Load(original);
  const TSaverSetting loaded = SaverSetting();
  Open();
  const TShown first = Shown();
  EXPECT_EQ(first, (TShown{"Show", "Ann  Example", "http://example.org/ann", "", "Custom 86, 52, 18", "42", "2",
                           false, true, true, false, true, false, true, true}));
  Click(IDOK);
  EXPECT_TRUE(closed);
  EXPECT_FALSE(IsWindow(form->Handle()));
  const std::string written = File();
  EXPECT_NE(written.find(kUntouched), std::string::npos) << written;
  EXPECT_NE(written.find("Author=Ann  Example\r\nWebsite=http://example.org/ann\r\n"), std::string::npos);

  Load(std::nullopt);
  EXPECT_TRUE(SaverSetting() == loaded);
  Open();
  EXPECT_EQ(Shown(), first);
  Click(IDOK);
  EXPECT_EQ(File(), written);  // a second OK has nothing left to change
}

TEST_F(SettingDialogTest, ValuesOutsideTheEditorsRangesAreShownAndStoredClamped) {
  struct Case { const char* line; int edit; const char* shown; const char* stored; } cases[] = {
      {"ImageInterval=0", IDC_INTERVALEDIT, "1", "ImageInterval=1"},
      {"ImageInterval=-7", IDC_INTERVALEDIT, "1", "ImageInterval=1"},
      {"ImageInterval=5000", IDC_INTERVALEDIT, "1000", "ImageInterval=1000"},
      {"EffectSpeed=9", IDC_SPEEDEDIT, "5", "EffectSpeed=5"},
      {"EffectSpeed=0", IDC_SPEEDEDIT, "1", "EffectSpeed=1"},
  };
  for (const Case& c : cases) {
    Load(std::string("[Set]\r\n") + c.line + "\r\n");
    Open();
    EXPECT_EQ(Text(C(c.edit)), c.shown) << c.line;
    Click(IDOK);
    EXPECT_TRUE(FileHas(c.stored)) << c.line << "\n" << File();
  }
}

TEST_F(SettingDialogTest, EditorsClampWhatIsTypedAndReadNonNumbersAsOne) {
  // The parsing itself is tested natively; here the editors' own texts.
  struct Case { int edit; const char* typed; const char* stored; } cases[] = {
      {IDC_INTERVALEDIT, "17", "ImageInterval=17"},     {IDC_INTERVALEDIT, "abc", "ImageInterval=1"},
      {IDC_INTERVALEDIT, "2000", "ImageInterval=1000"}, {IDC_SPEEDEDIT, "9", "EffectSpeed=5"},
      {IDC_SPEEDEDIT, "", "EffectSpeed=1"},
  };
  for (const Case& c : cases) {
    Load("[Set]\r\nImageInterval=30\r\nEffectSpeed=3\r\n");
    Open();
    Type(c.edit, c.typed);
    Click(IDOK);
    EXPECT_TRUE(FileHas(c.stored)) << '"' << c.typed << "\"\n" << File();
  }
}

TEST_F(SettingDialogTest, MusicAndCaptionBoxesFollowWhatTheSaverHas) {
  struct Case {
    bool musicFound;
    const char* playMusic;
    const char* position;
    const char* forceHide;
    bool musicEnabled, musicChecked, captionEnabled, captionChecked;
    const char* storedPlay;
    const char* storedHide;
  } cases[] = {
      {true, "1", "1", "0", true, true, true, true, "PlayMusic=1", "ForceHide=0"},
      {true, "0", "5", "1", true, false, true, false, "PlayMusic=0", "ForceHide=1"},
      {false, "1", "2", "0", false, false, true, true, "PlayMusic=0", "ForceHide=0"},
      {true, "1", "0", "0", true, true, false, false, "PlayMusic=1", "ForceHide=1"},
      {true, "1", "7", "0", true, true, false, false, "PlayMusic=1", "ForceHide=1"},  // 7 reads as off
      {false, "1", "0", "0", false, false, false, false, "PlayMusic=0", "ForceHide=1"},
  };
  for (const Case& c : cases) {
    const std::string music = c.musicFound ? "tune.mp3" : "gone.mp3";
    if (c.musicFound) dir.Write(music, "");
    Load(std::string("[Set]\r\nPlayMusic=") + c.playMusic + "\r\n[Caption]\r\nPosition=" + c.position +
         "\r\nForceHide=" + c.forceHide + "\r\n[Music]\r\n" + music + "=1\r\n");
    Open();
    const std::string what = music + " play=" + c.playMusic + " pos=" + c.position + " hide=" + c.forceHide;
    EXPECT_EQ(IsWindowEnabled(C(IDC_PLAYMUSICCHECK)) != 0, c.musicEnabled) << what;
    EXPECT_EQ(Checked(IDC_PLAYMUSICCHECK), c.musicChecked) << what;
    EXPECT_EQ(IsWindowEnabled(C(IDC_CAPTIONCHECK)) != 0, c.captionEnabled) << what;
    EXPECT_EQ(Checked(IDC_CAPTIONCHECK), c.captionChecked) << what;
    Click(IDOK);
    EXPECT_TRUE(FileHas(c.storedPlay)) << what;
    EXPECT_TRUE(FileHas(c.storedHide)) << what;
  }
}

TEST_F(SettingDialogTest, ChangedControlsAreStored) {
  dir.Write("song.mp3", "");
  Load("[Set]\r\nStetchImage=0\r\nRandomImage=1\r\nBackgroundColor=0\r\nPlayMusic=1\r\n[Caption]\r\nPosition=1\r\n"
       "[Music]\r\nsong.mp3=1\r\n");
  Open();
  Click(IDC_STRETCHRADIO);
  EXPECT_FALSE(Checked(IDC_ORIGINALRADIO));
  Click(IDC_NORMALIZERADIO);
  EXPECT_FALSE(Checked(IDC_RANDOMIZERADIO));
  Click(IDC_PLAYMUSICCHECK);
  Click(IDC_CAPTIONCHECK);
  ChooseColorEntry("Red");
  Type(IDC_INTERVALEDIT, "75");
  Type(IDC_SPEEDEDIT, "1");
  Click(IDOK);
  for (const char* line : {"StetchImage=1", "RandomImage=0", "PlayMusic=0", "ForceHide=1", "BackgroundColor=255",
                           "ImageInterval=75", "EffectSpeed=1"})
    EXPECT_TRUE(FileHas(line)) << line << "\n" << File();
}

TEST_F(SettingDialogTest, OtherColoursComeFromTheColourDialog) {
  struct Case { std::optional<uint32_t> answer; const char* shown; const char* stored; } cases[] = {
      {0x336699, "Custom 153, 102, 51", "BackgroundColor=3368601"},
      {0x00FFFF, "Yellow", "BackgroundColor=65535"},
      {std::nullopt, "Green", "BackgroundColor=32768"},  // cancelled: the colour stays
  };
  for (const Case& c : cases) {
    Load("[Set]\r\nBackgroundColor=32768\r\n");
    Open();
    picked = c.answer;
    ChooseColorEntry(kOtherColorText);
    EXPECT_EQ(ColorShown(), c.shown);
    Click(IDOK);
    EXPECT_TRUE(FileHas(c.stored)) << c.shown << "\n" << File();
  }
}

TEST_F(SettingDialogTest, CancelAndTheCloseBoxLeaveTheFileAsItWas) {
  const std::string original =
      "[set]\r\nimageinterval = 0\r\nStetchImage=yes\r\n\r\n[Caption]\nPosition=9\n" + kUntouched;
  struct Case { const char* how; void (*close)(SettingDialogTest&); } cases[] = {
      {"Cancel", [](SettingDialogTest& t) { t.Click(IDCANCEL); }},
      {"close box", [](SettingDialogTest& t) { SendMessageA(t.form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"Escape (what the dialog manager sends)", [](SettingDialogTest& t) {
         SendMessageA(t.form->Handle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }},
  };
  for (const Case& c : cases) {
    Load(original);
    const TSaverSetting loaded = SaverSetting();
    Open();
    Type(IDC_INTERVALEDIT, "99");
    Click(IDC_STRETCHRADIO);
    c.close(*this);
    EXPECT_TRUE(closed) << c.how;
    EXPECT_EQ(File(), original) << c.how;
    EXPECT_TRUE(SaverSetting() == loaded) << c.how;
  }
  DeleteFileA(dir.Path("Show.002").c_str());
  Load(std::nullopt);
  Open();
  Click(IDCANCEL);
  EXPECT_FALSE(platform::FileExists(dir.Path("Show.002")));  // nor is one made
}

TEST_F(SettingDialogTest, TitleShowsTheInstanceNameAfterTheShortNameLookup) {
  dir.Write("Mountains.002", "[Set]\r\nImageInterval=12\r\n");
  ResetSaverSettingsForTests();
  SetInstanceExecutablePathForTests(dir.Path("MOUNTA~1.SCR"));
  LoadSaverSettings();
  Open();
  EXPECT_EQ(Text(C(IDC_TITLEPANEL)), "Mountains");
  EXPECT_EQ(Text(form->Handle()), "Setting");
  EXPECT_EQ(Text(C(IDC_INTERVALEDIT)), "12");
}

TEST_F(SettingDialogTest, ReadmeAndAboutPage) {
  test::TWinTempDir install;
  install.Write("readme.txt", "First line\nSecond line\n");
  const std::string name = "VantaDialogTest" + std::to_string(GetCurrentProcessId());
  {
    test::TCurrentUserDefault key("Software\\Norvane\\" + name, install.Folder());
    dir.Write(name + ".002", "[Set]\r\nAuthor=Ann\r\nWebsite=http://example.org/ann\r\n");
    ResetSaverSettingsForTests();
    SetInstanceExecutablePathForTests(dir.Path(name + ".scr"));
    LoadSaverSettings();
  }
  Open();
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
  ASSERT_EQ(shell.size(), 2u);
  EXPECT_EQ(shell[0], (platform::TShellRequest{"", "http://example.org/ann", "", ""}));
  EXPECT_EQ(shell[1].File, kMakerWebsite);

  // Without author, web site or install folder: empty labels, an empty
  // readme, and the empty web site is still what the shell gets.
  shell.clear();
  Load("[Set]\r\nImageInterval=5\r\n");
  Open();
  EXPECT_EQ(Text(C(IDC_MEMO1)), "");
  EXPECT_EQ(Text(C(IDC_AUTHORLABEL)), "");
  EXPECT_EQ(Text(C(IDC_WEBSITELABEL)), "");
  ClickLabel(IDC_WEBSITELABEL);
  ASSERT_EQ(shell.size(), 1u);
  EXPECT_EQ(shell[0].File, "");
}

TEST_F(SettingDialogTest, WindowPagesAndControlsAsDesigned) {
  Load("");
  Open();
  RECT client;
  GetClientRect(form->Handle(), &client);
  EXPECT_EQ(client.right, TDistributeConfigForm::kClientWidth);
  EXPECT_EQ(client.bottom, TDistributeConfigForm::kClientHeight);
  const LONG style = GetWindowLongA(form->Handle(), GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_EQ(LOWORD(SendMessageA(form->Handle(), DM_GETDEFID, 0, 0)), IDOK);

  struct Caption { int id; const char* text; } captions[] = {
      {IDOK, "&OK"}, {IDCANCEL, "&Cancel"}, {IDC_TRANSITIONGROUP, "Transition Setting"},
      {IDC_BACKCOLORLABEL, "Background Color: "}, {IDC_INTERVALLABEL, "Image Interval (secs):"},
      {IDC_SPEEDLABEL, "Effect Speed:"}, {IDC_SIZEGROUP, "Image Size"}, {IDC_ORIGINALRADIO, "Original Size"},
      {IDC_STRETCHRADIO, "Stretch"}, {IDC_SEQUENCEGROUP, "Image Sequence"}, {IDC_NORMALIZERADIO, "Normalize"},
      {IDC_RANDOMIZERADIO, "Shuffle"}, {IDC_PLAYMUSICCHECK, "Play background music"},
      {IDC_CAPTIONCHECK, "Show Image Caption"}, {IDC_AUTHORCAPTION, "Author: "}, {IDC_WEBSITECAPTION, "Website:"},
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
  RECT third;
  SendMessageA(tab, TCM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&third));
  SendMessageA(tab, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(third.left + 4, third.top + 4));
  SendMessageA(tab, WM_LBUTTONUP, 0, MAKELPARAM(third.left + 4, third.top + 4));
  EXPECT_FALSE(IsWindowVisible(C(IDC_TABSHEET1)));
  EXPECT_TRUE(IsWindowVisible(C(IDC_TABSHEET3)));
}

TEST_F(SettingDialogTest, ASettingsFileThatCannotBeWrittenKeepsTheDialogOpen) {
  const std::string original = "[Set]\r\nImageInterval=8\r\n";
  dir.Write("Show.002", original);
  // Held open without sharing, the file can be neither read nor replaced.
  HANDLE lock = CreateFileA(dir.Path("Show.002").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  Load(std::nullopt);
  Open();
  Click(IDOK);
  EXPECT_EQ(saveErrors.size(), 1u);
  EXPECT_FALSE(closed);
  EXPECT_TRUE(IsWindow(form->Handle()));
  CloseHandle(lock);
  EXPECT_EQ(File(), original);
  Click(IDCANCEL);
  EXPECT_TRUE(closed);
}

}  // namespace
}  // namespace vanta
