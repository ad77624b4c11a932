// The builder as start-up runs it: the settings file in, the file out,
// and projects saved and loaded.
#include "BuilderFormSupport.h"

namespace vanta {
namespace {

// ---- The builder as start-up runs it: the settings file in, the file out.

class BuilderAtStartupTest : public ::testing::Test, public TBuilderView {
 public:
  // The program "VantaSaver.scr" in the test's folder, its shell the test's.
  TProcessContext Process() {
    return {script.Shell(),           platform::SystemRegistry(), users, platform::SystemLibraries(),
            platform::CreateMediaControl, dir.Path("VantaSaver.scr")};
  }
  // The process's record: the live one while start-up runs, as start-up
  // left it after.
  const TSaverSetting& SaverSetting() const { return live ? *live : last; }

  // Starts the program as the builder ("VantaSaver.scr /c", beside the
  // settings text when one is given) and carries out steps on its window
  // from inside the window's message loop.
  void Configure(const std::optional<std::string>& text, const std::function<void(test::TLoopSteps&)>& steps) {
    if (text) users.local.Write("Vanta Screensaver Builder\\VantaSaver.002", *text);
    last = test::RunConfigureStartup(
        Process(), "the builder", [](HWND w) { return WindowText(w) == kBuilderCaption; },
        [&](HWND window, test::TLoopSteps& loop, TSaverSetting& record) {
          live = &record;
          SetWindow(window);
          loaded = record;
          steps(loop);
        });
    live = nullptr;
    EXPECT_FALSE(IsWindow(Window())) << "start-up ended with its window open";
  }
  // The builder's working file: the user's own.
  std::string Working() const { return users.BuilderFile("VantaSaver.002"); }
  std::string File() { return users.local.Read("Vanta Screensaver Builder\\VantaSaver.002"); }
  bool FileHas(const std::string& line) { return File().find(line + "\r\n") != std::string::npos; }
  void Ok() const { SendMessageA(OnPage(bpImages, IDC_OKBUTTON), BM_CLICK, 0, 0); }
  // The next box the window opens is answered OK and counted.
  void AnswerErrorBox(test::TLoopSteps& loop, const char* what, int& boxes) const {
    const HWND window = Window();
    loop.Await(
        what,
        [window] { return test::FindThreadWindow([window](HWND w) { return GetWindow(w, GW_OWNER) == window; }); },
        [&boxes](HWND box) {
          ++boxes;
          SendMessageA(box, WM_COMMAND, IDOK, 0);
        });
  }

  test::TTempDir dir;
  test::TScratchUserFolders users;
  TDialogScript script;
  TSaverSetting loaded;  // the process's record when the window showed
  TSaverSetting* live = nullptr;
  TSaverSetting last;
};

// List sections in forms no writer would produce: OK without a change of
// the lists must leave them as they are.
const std::string kOddLists =
    "[Pictures]\r\nC:\\Photos\\gone.jpg=1\r\n  b.jpg = 0 \r\n[Music]\r\nlost.mp3=1\r\n"
    "[Transitions]\r\n177=0\r\nabc=0\r\n; a comment\r\n";

TEST_F(BuilderAtStartupTest, OkWithoutChangeLeavesTheListSectionsAsTheyWere) {
  const std::string original = "[Set]\r\nImageInterval=42\r\nAuthor=Ann\r\n" + kOddLists;
  Configure(original, [&](test::TLoopSteps&) {
    // Listed files that are not there are shown as the file names them...
    EXPECT_EQ(ListTexts(C(IDC_IMAGELIST)), (std::vector<std::string>{"C:\\Photos\\gone.jpg", "b.jpg"}));
    EXPECT_EQ(WindowText(C(IDC_INTERVALEDIT)), "42");
    Ok();
  });
  // ...and stay in the file as they were, since the lists did not change.
  const std::string written = File();
  EXPECT_NE(written.find(kOddLists), std::string::npos) << written;
  EXPECT_TRUE(FileHas("ImageInterval=42"));
  EXPECT_TRUE(FileHas("Author=Ann"));
  EXPECT_TRUE(SaverSetting() == loaded);

  Configure(std::nullopt, [&](test::TLoopSteps&) { Ok(); });
  EXPECT_EQ(File(), written);  // a second OK has nothing left to change
}

// Every Options control changed at once: OK writes each key, and the next
// start shows every control as it was left.
TEST_F(BuilderAtStartupTest, EveryOptionsControlReachesTheFileAndComesBack) {
  script.font = platform::TFontChoice{"Georgia", 31, 0x00FF00, true, true, true, true};
  Configure("[Set]\r\nRandomImage=1\r\n", [&](test::TLoopSteps&) {
    Click(IDC_STRETCHRADIO);
    Click(IDC_NORMALIZERADIO);
    Click(IDC_FIXEDRADIO);
    Type(IDC_XSPIN, "123");
    Type(IDC_YSPIN, "456");
    for (const TOptionCheck& k : OptionChecks()) Click(OptionCheckControl(k.Control));
    Type(IDC_IMAGECAPTIONEDIT, "By the sea");
    Click(IDC_CAPTIONFONTBUTTON);
    ChooseColorEntry("Red");
    Type(IDC_INTERVALEDIT, "75");
    SetSpeed(4);
    Ok();
  });
  TSaverSetting expected;
  for (const TOptionCheck& k : OptionChecks()) expected.*k.Setting = !(expected.*k.Setting);
  const struct { const char* line; } lines[] = {
      {"StetchImage=1"}, {"RandomImage=0"}, {"Position=5"}, {"X=123"}, {"Y=456"},
      {"AddtionalText=By the sea"}, {"FontName=Georgia"}, {"FontSize=31"}, {"FontColor=65280"},
      {"FontBold=1"}, {"FontItalic=1"}, {"FontUnderline=1"}, {"FontStrikeout=1"}, {"BackgroundColor=255"},
      {"ImageInterval=75"}, {"EffectSpeed=1"},
  };
  for (const auto& l : lines) EXPECT_TRUE(FileHas(l.line)) << l.line << "\n" << File();
  for (const TOptionCheck& k : OptionChecks()) {
    // The keys as the settings table names them.
    for (const TSettingKey& key : kSaverSettingKeys) {
      const auto* f = std::get_if<bool TSaverSetting::*>(&key.Field);
      if (f && *f == k.Setting) {
        EXPECT_TRUE(FileHas(std::string(key.Name) + "=" + (expected.*k.Setting ? "1" : "0"))) << key.Name;
      }
    }
  }
  const std::string written = File();
  script.font.reset();
  Configure(std::nullopt, [&](test::TLoopSteps&) {
    EXPECT_TRUE(Checked(IDC_STRETCHRADIO));
    EXPECT_TRUE(Checked(IDC_NORMALIZERADIO));
    EXPECT_TRUE(Checked(IDC_FIXEDRADIO));
    EXPECT_EQ(WindowText(C(IDC_XSPIN)), "123");
    EXPECT_EQ(WindowText(C(IDC_YSPIN)), "456");
    for (const TOptionCheck& k : OptionChecks())
      EXPECT_EQ(Checked(OptionCheckControl(k.Control)), expected.*k.Setting) << k.Control;
    EXPECT_EQ(WindowText(C(IDC_IMAGECAPTIONEDIT)), "By the sea");
    EXPECT_EQ(WindowText(C(IDC_INTERVALEDIT)), "75");
    EXPECT_EQ(SendMessageA(C(IDC_SPEEDSCROLLBAR), TBM_GETPOS, 0, 0), 4);
    Click(IDC_CAPTIONFONTBUTTON);  // the font dialog opens on the font the file holds
    Ok();
  });
  ASSERT_EQ(script.fontsOffered.size(), 2u);
  EXPECT_EQ(script.fontsOffered[1], (platform::TFontChoice{"Georgia", 31, 0x00FF00, true, true, true, true}));
  EXPECT_EQ(File(), written);
}

TEST_F(BuilderAtStartupTest, ListsEditedInTheBuilderAreWrittenOnOk) {
  const std::string a = dir.Write("a.bmp", test::MakeBmp(test::ReferencePicture(8, 8)));
  const std::string b = dir.Write("b.bmp", test::MakeBmp(test::ReferencePicture(8, 8)));
  const std::string song = dir.Write("song.mp3", "");
  Configure("[Pictures]\r\n" + a + "=1\r\n[Transitions]\r\n177=0\r\n", [&](test::TLoopSteps&) {
    script.files = {b};
    Click(IDC_ADDIMAGES);
    ClickTick(IDC_IMAGELIST, 0);
    script.files = {song};
    Click(IDC_ADDMUSIC);
    Ok();
  });
  const std::string written = File();
  EXPECT_NE(written.find("[Pictures]\r\n" + a + "=0\r\n" + b + "=1\r\n"), std::string::npos) << written;
  EXPECT_NE(written.find("[Music]\r\n" + song + "=1\r\n"), std::string::npos) << written;
  EXPECT_NE(written.find("[Transitions]\r\n177=0\r\n"), std::string::npos) << "the ticks did not change";
  EXPECT_TRUE(FileHas("PicturePath=" + dir.Folder()));
  EXPECT_TRUE(FileHas("MusicPath=" + dir.Folder()));
  EXPECT_EQ(SaverSetting().Pictures, std::vector<std::string>{b});  // only the ticked one shows
  EXPECT_EQ(SaverSetting().Music, std::vector<std::string>{song});
}

TEST_F(BuilderAtStartupTest, CancelLeavesTheFileByteForByte) {
  const std::string a = dir.Write("a.bmp", test::MakeBmp(test::ReferencePicture(8, 8)));
  const std::string original = "[set]\r\nimageinterval = 0\r\nStetchImage=yes\r\n\r\n[Caption]\nPosition=9\n"
                               "[Pictures]\r\n" + a + "=1\r\n" + kOddLists.substr(kOddLists.find("[Music]"));
  struct Case { const char* how; void (*close)(BuilderAtStartupTest&); } cases[] = {
      {"Cancel", [](BuilderAtStartupTest& t) { SendMessageA(t.OnPage(bpImages, IDC_CANCELBUTTON), BM_CLICK, 0, 0); }},
      {"Undo and Exit", [](BuilderAtStartupTest& t) { t.Menu(IDM_UNDOEXIT); }},
  };
  for (const Case& c : cases) {
    Configure(original, [&](test::TLoopSteps&) {
      Type(IDC_INTERVALEDIT, "99");
      Click(IDC_STRETCHRADIO);
      ClickTick(IDC_IMAGELIST, 0);
      script.files = {a + ".gone"};
      Click(IDC_ADDMUSIC);
      c.close(*this);
    });
    EXPECT_EQ(File(), original) << c.how;
    EXPECT_TRUE(SaverSetting() == loaded) << c.how;
  }
  DeleteFileA(Working().c_str());
  Configure(std::nullopt, [&](test::TLoopSteps&) { Menu(IDM_UNDOEXIT); });
  EXPECT_FALSE(platform::FileExists(Working()));  // nor is one made
}

TEST_F(BuilderAtStartupTest, ASettingsFileThatCannotBeWrittenKeepsTheBuilderOpen) {
  const std::string original = "[Set]\r\nImageInterval=8\r\n";
  users.local.Write("Vanta Screensaver Builder\\VantaSaver.002", original);
  // Held open without sharing, the file can be neither read nor replaced.
  HANDLE lock = CreateFileA(Working().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  int boxes = 0;
  Configure(std::nullopt, [&](test::TLoopSteps& loop) {
    const HWND window = Window();
    AnswerErrorBox(loop, "the error box", boxes);
    Type(IDC_INTERVALEDIT, "30");
    Ok();
    EXPECT_EQ(boxes, 1);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(WindowText(C(IDC_INTERVALEDIT)), "30");  // nothing the user set is lost
    CloseHandle(lock);
    EXPECT_EQ(File(), original);
    Menu(IDM_UNDOEXIT);
  });
  EXPECT_EQ(File(), original);
}

// The effect table beside the program, where start-up puts the program.
void CopyEffectTable(test::TTempDir& dir) {
  ASSERT_TRUE(CopyFileA((test::ExeFolder() + "VantaSaver.001").c_str(),
                        dir.Path("VantaSaver.001").c_str(), FALSE));
}

TEST_F(BuilderAtStartupTest, OkWritesTheUntickedEffectsInTreeOrder) {
  const std::vector<TExpectedNode> expected = ExpectedTree(TSaverSetting{}.Transitions);
  CopyEffectTable(dir);
  Configure("[Set]\r\nImageInterval=5\r\n", [&](test::TLoopSteps&) {
    SideBar(bpEffects);
    const std::vector<HTREEITEM> items = TreeItems();
    TreeView_Expand(C(IDC_STYLELIST), items[0], TVE_EXPAND);
    ClickNode(items[2], true);  // "Arc Wiping" / "Right"
    EXPECT_FALSE(TreeTicked(items[2]));
    Ok();
  });
  // The one just unticked, then those the load never enables, in tree order.
  std::string section = "[Transitions]\r\n";
  for (size_t i = 0; i < expected.size(); ++i)
    if (expected[i].Number >= 0 && (i == 2 || !expected[i].Ticked))
      section += std::to_string(expected[i].Number * 3) + "=0\r\n";
  EXPECT_NE(File().find(section), std::string::npos) << File() << "\nwanted\n" << section;
  EXPECT_EQ(std::count(section.begin(), section.end(), '\n'), 6);
  EXPECT_FALSE(SaverSetting().Transitions.test(static_cast<size_t>(expected[2].Number)));
}

TEST_F(BuilderAtStartupTest, ProjectsAreSavedAsLoadedBackAndSavedInPlace) {
  const std::string original = "[Set]\r\nImageInterval=5\r\nEffectSpeed=2\r\n[Transitions]\r\n9=0\r\n";
  CopyEffectTable(dir);
  std::string project;
  Configure(original, [&](test::TLoopSteps&) {
    Type(IDC_INTERVALEDIT, "42");
    SideBar(bpEffects);
    Click(IDC_DISABLEALL);
    // Save As: the project holds the controls, the working file stays.
    script.saveAs = dir.Path("show");
    Menu(IDM_SAVEPROJECTAS);
    ASSERT_EQ(script.saveRequests.size(), 1u);
    EXPECT_EQ(script.saveRequests[0], (platform::TSaveFileRequest{"Save Project as...", "*.vnt|*.vnt", "",
                                                                  users.Folder(platform::TUserFolder::Documents)}));
    project = dir.Read("show.vnt");
    EXPECT_NE(project.find("ImageInterval=42\r\n"), std::string::npos) << project;
    EXPECT_NE(project.find("[Transitions]\r\n"), std::string::npos) << project;
    EXPECT_NE(project.find("360=0\r\n"), std::string::npos) << "every effect disabled";
    EXPECT_EQ(File(), original);
    EXPECT_FALSE(platform::FileExists((Working() + ".bak")));
    EXPECT_EQ(SaverSetting().ImageInterval, 42) << "the record holds the controls, as after a preview";
    // Something changed after it, then F4: in place, without closing.
    Type(IDC_INTERVALEDIT, "77");
    Click(IDC_SELECTALL);
    Menu(IDM_SAVEPROJECT);
    EXPECT_TRUE(FileHas("ImageInterval=77"));
    EXPECT_EQ(File().find("360=0"), std::string::npos);
    EXPECT_TRUE(IsWindowVisible(Window()));
    // Load: the working file is the project, every control shows it.
    script.files = {dir.Path("show.vnt")};
    const size_t asked = script.fileRequests.size();
    Menu(IDM_LOADPROJECT);
    ASSERT_EQ(script.fileRequests.size(), asked + 1);
    EXPECT_EQ(script.fileRequests.back().Filter, "*.vnt|*.vnt");
    EXPECT_EQ(File(), project);
    EXPECT_EQ(WindowText(C(IDC_INTERVALEDIT)), "42");
    EXPECT_EQ(SaverSetting().ImageInterval, 42);
    // The tree keeps its ticks on screen until the page is shown again.
    EXPECT_TRUE(TreeTicked(TreeItems()[0]));
    SideBar(bpImages);
    SideBar(bpEffects);
    for (HTREEITEM item : TreeItems()) EXPECT_FALSE(TreeTicked(item)) << TreeText(item);
    // Loading is final: Undo and Exit leaves the project.
    Menu(IDM_UNDOEXIT);
  });
  EXPECT_EQ(File(), project);
}

// A built saver's settings copy names its files bare, as they lie beside it
// or under the install folder's "sample"; loaded as a project, the builder
// finds them there and shows the author and website on the Build page.
TEST_F(BuilderAtStartupTest, TheSettingsCopyOfABuiltSaverLoadsAsAProject) {
  test::TTempDir install;
  const test::TRegistryDefault key("Software\\Norvane\\vantasaver", install.Folder());
  CreateDirectoryA(install.Path("sample").c_str(), nullptr);
  // Real pictures: the builder shows the first one's thumbnail.
  const std::string picture = test::ExeFolder() + "t1.jpg";
  ASSERT_TRUE(CopyFileA(picture.c_str(), dir.Path("sun.jpg").c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(picture.c_str(), install.Path("sample\\moon.jpg").c_str(), FALSE));
  install.Write("sample\\song.mp3", "music");
  const std::string copy =
      "[Set]\r\nImageInterval=9\r\nAuthor=Ann Example\r\nWebsite=http://ann.example\r\n"
      "[Pictures]\r\nsun.jpg=1\r\nmoon.jpg=1\r\nlost.jpg=1\r\n[Music]\r\nsong.mp3=1\r\n[Transitions]\r\n9=0\r\n";
  dir.Write("Sunny Days.002", copy);
  CopyEffectTable(dir);
  Configure("[Set]\r\nImageInterval=5\r\n", [&](test::TLoopSteps&) {
    script.files = {dir.Path("Sunny Days.002")};
    Menu(IDM_LOADPROJECT);
    EXPECT_EQ(File(), copy) << "the working file is the copy as it was";
    EXPECT_EQ(WindowText(C(IDC_INTERVALEDIT)), "9");
    // The one not found stays listed, and the load says so (answered No: not looked for).
    EXPECT_EQ(ListTexts(C(IDC_IMAGELIST)),
              (std::vector<std::string>{dir.Path("sun.jpg"), install.Path("sample\\moon.jpg"), "lost.jpg"}));
    ASSERT_FALSE(script.asked.empty());
    EXPECT_EQ(script.asked.back().rfind("This project names 1 picture that is not there:\r\n    lost.jpg\r\n", 0), 0u)
        << script.asked.back();
    EXPECT_EQ(ListTexts(C(IDC_MUSICLIST)), (std::vector<std::string>{install.Path("sample\\song.mp3")}));
    SideBar(bpBuild);
    EXPECT_EQ(WindowText(C(IDC_AUTHOREDIT)), "Ann Example");
    EXPECT_EQ(WindowText(C(IDC_WEBSITEEDIT)), "http://ann.example");
    Ok();
  });
  // The lists were not edited, so OK leaves their sections as loaded.
  EXPECT_TRUE(FileHas("[Pictures]\r\nsun.jpg=1\r\nmoon.jpg=1\r\nlost.jpg=1")) << File();
  EXPECT_TRUE(FileHas("Author=Ann Example")) << File();
}

TEST_F(BuilderAtStartupTest, ASaveAsThatFailsIsShownAndLeavesTheWorkingFile) {
  const std::string original = "[Set]\r\nImageInterval=5\r\n";
  CopyEffectTable(dir);
  int boxes = 0;
  Configure(original, [&](test::TLoopSteps& loop) {
    const HWND window = Window();
    AnswerErrorBox(loop, "the error box", boxes);
    Type(IDC_INTERVALEDIT, "42");
    script.saveAs = dir.Path("no such folder\\show.vnt");
    Menu(IDM_SAVEPROJECTAS);
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(File(), original);
    EXPECT_FALSE(platform::FileExists((Working() + ".bak")));
    EXPECT_TRUE(IsWindowVisible(window));
    // A project that is not there: the error again, nothing loaded.
    AnswerErrorBox(loop, "the second error box", boxes);
    script.files = {dir.Path("gone.vnt")};
    Menu(IDM_LOADPROJECT);
    EXPECT_EQ(boxes, 2);
    EXPECT_EQ(File(), original);
    EXPECT_EQ(WindowText(C(IDC_INTERVALEDIT)), "42");
    Menu(IDM_UNDOEXIT);
  });
  EXPECT_EQ(File(), original);
}

}  // namespace
}  // namespace vanta
