// The Build page's names, script and settings copy, and the status filter.
#include <gtest/gtest.h>

#include <chrono>

#include "TempDir.h"
#include "base/Random.h"
#include "base/Text.h"
#include "builder/BuildPipeline.h"
#include "builder/ConfigControls.h"
#include "IconFile.h"  // the installer compiler's
#include "Script.h"
#include "engine/PictureLoader.h"

namespace vanta {
namespace {

TEST(BuildNames, FollowTheNameFieldOrTheSetupsName) {
  struct Case { const char* setup; const char* field; const char* setupFile; const char* saver; } cases[] = {
      {"C:\\Out\\My Saver.exe", "", "C:\\Out\\My Saver.exe", "My Saver"},
      {"C:\\Out\\mysetup", "  Beach \t", "C:\\Out\\mysetup.exe", "Beach"},
      {"C:\\Out\\mysetup.EXE", "a/b:c", "C:\\Out\\mysetup.EXE", "abc"},
      {"C:\\Out\\my.exe.old", "x\\y*z?\"<>|", "C:\\Out\\my.exe.old", "xyz"},
      {"C:\\Out\\Été.exe", "", "C:\\Out\\Été.exe", "Été"},
  };
  for (const Case& c : cases) {
    const TBuildNames n = MakeBuildNames(c.setup, c.field, "C:\\Vanta\\");
    EXPECT_EQ(n.SetupFileName, c.setupFile) << c.setup;
    EXPECT_EQ(n.SaverName, c.saver) << c.setup;
    EXPECT_EQ(n.SaverFileName, std::string(c.saver) + ".scr");
    EXPECT_EQ(n.CompileDir, std::string("C:\\Vanta\\Compile") + kPathDelim);
    EXPECT_EQ(n.SettingsCopyName, n.CompileDir + c.saver + ".002");
  }
  // The builder's own name would open the builder, not the saver.
  for (const char* own : {"VantaSaver", "vantasaver", "VANTASAVER"}) {
    SetRandSeed(1);
    const uint32_t suffix = Random(100);
    SetRandSeed(1);
    EXPECT_EQ(MakeBuildNames("C:\\o.exe", own, "\\").SaverName, std::string(own) + std::to_string(suffix));
  }
  for (const char* empty : {"///", " : ", "\x01\x02"})
    EXPECT_THROW(MakeBuildNames("C:\\Out\\|.exe", empty, "\\"), TBuildError) << empty;
  // Control characters inside the name are refused, never written into the script.
  for (const char* field : {"My\r\n[Run]\r\nSaver", "a\nb", "tab\there", "x\x1Fy", "a\x01" "b"})
    try {
      MakeBuildNames("C:\\Out\\a.exe", field, "\\");
      ADD_FAILURE() << "accepted: " << field;
    } catch (const TBuildError& e) {
      EXPECT_NE(std::string(e.what()).find("control characters"), std::string::npos) << e.what();
    }
}

TEST(BuildNames, ShortFormsAsSystemIniNamesTheSaver) {
  const std::pair<const char*, const char*> cases[] = {
      {"My Saver.scr", "MySaver~1.scr"}, {"Sunny Days.scr", "SunnyD~1.scr"}, {"Holidays2004.scr", "Holida~1.scr"},
      {"Sunset.scr", "Sunset.scr"},      {"Abcdefgh.scr", "Abcdefgh.scr"},   {"A b c d e f g h i.scr", "Abcdef~1.scr"},
      // Characters, not bytes: 写真の休日です (7 characters) fits; é is never cut in two.
      {"写真の休日です.scr", "写真の休日です.scr"}, {"ééééééééé.scr", "éééééé~1.scr"},
  };
  for (const auto& [name, want] : cases) EXPECT_EQ(ShortFileName(name), want) << name;
}

TEST(BuildInput, GatheredFromThePageTheRecordAndTheFolders) {
  TConfigControls c;
  c.ImageList.Items = {{"C:\\a.jpg", false}, {"C:\\broken.jpg"}, {"C:\\b.jpg"}};
  c.MusicList.Items = {{"C:\\m.mp3"}};
  c.AuthorEdit = "Ann";
  c.WebsiteEdit = "http://";
  c.VersionEdit = "";
  TBuildRequest r{"C:\\Out\\Beach", " Sea ", std::string("one\ntwo\rthree\0x\r\n", 17), "C:\\User\\",
                  "C:\\Program\\", "C:\\Windows\\System32\\"};
  std::vector<std::string> tried;
  const TBuildInput in = GatherBuildInput(r, c, [&](const std::string& f) {
    tried.push_back(f);
    return f != "C:\\broken.jpg";
  });
  EXPECT_EQ(in.Names.SetupFileName, "C:\\Out\\Beach.exe");
  EXPECT_EQ(in.Names.SaverName, "Sea");
  EXPECT_EQ(in.Names.CompileDir, std::string("C:\\User\\Compile") + kPathDelim);
  EXPECT_EQ(in.ProgramFolder, r.ProgramFolder);
  EXPECT_EQ(in.SystemFolder, r.SystemFolder);
  EXPECT_EQ(in.ImageList, &c.ImageList) << "the record's lists, not copies";
  EXPECT_EQ(in.MusicList, &c.MusicList);
  EXPECT_EQ(in.AuthorEdit, "Ann");
  EXPECT_EQ(in.WebsiteEdit, "http://");
  EXPECT_EQ(in.VersionEdit, "");
  // One rule for a memo's line ends: a NUL no longer cuts the read-me short.
  EXPECT_EQ(in.Readme, "one\r\ntwo\r\nthree x\r\n");
  EXPECT_EQ(in.PagePicture, "C:\\b.jpg") << "the first ticked picture that decodes";
  EXPECT_EQ(tried, (std::vector<std::string>{"C:\\broken.jpg", "C:\\b.jpg"}));
  EXPECT_FALSE(in.ShrinkProgress) << "the page's own";
}

TEST(BuildInput, ANameThatCannotBeUsedStopsBeforeAnyPictureIsRead) {
  TConfigControls c;
  c.ImageList.Items = {{"C:\\a.jpg"}};
  bool read = false;
  EXPECT_THROW(GatherBuildInput({"C:\\Out\\|.exe", " : ", "", "\\", "", ""}, c,
                                [&](const std::string&) { return read = true; }),
               TBuildError);
  EXPECT_FALSE(read);
}

TEST(BuildInput, TheShrinkChoiceFollowsTheRecord) {
  struct Case { bool check; int32_t index; TPictureSize box; } cases[] = {
      {true, 0, kShrinkSizes[0]}, {false, 1, kShrinkSizes[1]},
      // An index a hand-edited project gave falls back to the first size.
      {true, -1, kShrinkSizes[0]}, {true, 2, kShrinkSizes[0]}, {true, INT32_MAX, kShrinkSizes[0]},
  };
  for (const Case& k : cases) {
    TConfigControls c;
    c.ShrinkCheck = k.check;
    c.ShrinkSizeCombo = k.index;
    c.BackcolorCb = 0x123456;
    const TShrinkOptions o = ShrinkChoiceOf(c);
    EXPECT_EQ(o.Enabled, k.check) << k.index;
    EXPECT_EQ(o.Box.Width, k.box.Width) << k.index;
    EXPECT_EQ(o.Box.Height, k.box.Height) << k.index;
    EXPECT_EQ(o.Background, 0x123456u);
  }
}

TEST(BuildStatus, DetailLinesAreHiddenAndTheRestTrimmed) {
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"  Compiling temp.iss\r\n", "Compiling temp.iss"},
      {"[Files] section", std::nullopt},
      {"only [ here", "only [ here"},
      {"   File: C:\\a.jpg", std::nullopt},
      {"File:C:\\a.jpg", "File:C:\\a.jpg"},
      {"\t\x01", ""},
  };
  for (const auto& [line, want] : cases) EXPECT_EQ(StatusLineToShow(line), want) << line;
  const char record[] = {'o', 'k', '\0', 'x'};
  EXPECT_EQ(StatusRecordText(record, 4), "ok");
  EXPECT_EQ(StatusRecordText(record, 1), "o");  // no NUL inside the record: cut at its length
  EXPECT_EQ(StatusRecordText(nullptr, 5), "");
}

class BuildScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pictures = dir.Folder() + "pics" + kPathDelim;
    for (const char* f : {"a.jpg", "b.jpg", "off.jpg", "other/a.jpg", "song.mp3"}) dir.Write(std::string("pics/") + f, "x");
    std::filesystem::create_directories(dir.Path("install/Compile"));
    working = std::make_unique<TIniFile>(dir.Write("VantaSaver.002",
        "[Set]\r\nImageInterval=5\r\nAuthor=Old\r\n[Caption]\r\nX=3\r\n[Transitions]\r\n3=0\r\n[Pictures]\r\nz=1\r\n"));
    in.Names = MakeBuildNames("C:\\Out\\Sunny Days.exe", "", dir.Folder() + "install" + kPathDelim);
    in.ProgramFolder = "C:\\Prog\\";
    in.SystemFolder = "C:\\Windows\\system32\\";
    in.ImageList = &images;
    in.MusicList = &music;
    images.Items = {{pictures + "a.jpg", true}, {pictures + "off.jpg", false}, {pictures + "gone.jpg", true},
                    {pictures + "other" + kPathDelim + "a.jpg", true}, {pictures + "b.jpg", true}};
  }
  std::string Copy() { return dir.Read("install/Compile/Sunny Days.002"); }
  std::vector<std::string> Build() { return WriteSaverFiles(in, *working, [&] { committed = true; }); }

  test::TTempDir dir;
  std::string pictures;
  std::unique_ptr<TIniFile> working;
  TMediaList images, music;
  TBuildInput in;
  bool committed = false;
};

TEST_F(BuildScriptTest, TheWholeScriptWithMusicAndReadme) {
  music.Items = {{pictures + "song.mp3", true}};
  in.Readme = "Enjoy\r\nthe sun\n";
  in.AuthorEdit = "Ann";
  in.WebsiteEdit = "http://ann.example.org";
  WriteScript(in, *working, [&] { committed = true; });
  EXPECT_TRUE(committed);
  const std::string c = in.Names.CompileDir;
  const std::string want =
      "[Setup]\r\nAppName=Sunny Days\r\nAppVerName=Sunny Days\r\nAppVersion=\"1.0\"\r\nAppPublisher=\"Ann\"\r\n"
      "AppPublisherURL=\"http://ann.example.org\"\r\nAppSupportURL=\"http://ann.example.org\"\r\n"
      "AppUpdatesURL=\"http://ann.example.org\"\r\nWizardImageFile=\"" + c + "SetupArt.bmp\"\r\n"
      "WizardSmallImageFile=\"" + c + "SetupSmallArt.bmp\"\r\nSetupIconFile=\"" + c + "SetupIcon.ico\"\r\nDefaultDirName={pf}\\Sunny Days\r\n"
      "DefaultGroupName=Sunny Days\r\noutputdir=\"C:\\Out\\\"\r\nOutputBaseFilename=\"Sunny Days\"\r\n[Files]\r\n"
      "Source:\"C:\\Prog\\VantaSaver.scr\"; DestDir: \"{sys}\\\"; DestName: \"Sunny Days.scr\"\r\n"
      "Source:\"C:\\Prog\\VantaSaver.001\"; DestDir: \"{sys}\\\"; flags: uninsneveruninstall\r\n"
      "Source:\"" + pictures + "a.jpg\"; DestDir: \"{app}\\sample\"\r\n"
      "Source:\"" + pictures + "other" + kPathDelim + "a.jpg\"; DestDir: \"{app}\\sample\"\r\n"
      "Source:\"" + pictures + "b.jpg\"; DestDir: \"{app}\\sample\"\r\n"
      "Source:\"" + pictures + "song.mp3\"; DestDir: \"{app}\\sample\"\r\n"
      "Source:\"C:\\Windows\\system32\\MPEGDLL.DLL\"; DestDir: \"{sys}\\\"; flags: sharedfile\r\n"
      "Source:\"" + c + "Readme.txt\"; DestDir: \"{app}\\\"; flags: isreadme\r\n"
      "Source:\"" + c + "Sunny Days.002\"; DestDir: \"{sys}\\\"; DestName: \"Sunny Days.002\"\r\n"
      "[Registry]\r\nRoot: HKCU; Subkey: \"Software\\Norvane\\Sunny Days\"; ValueType: string; ValueName: \"\"; "
      "ValueData: {app}; flags: uninsdeletekey\r\n"
      "Root: HKLM; Subkey: \"Software\\Norvane\\Sunny Days\"; ValueType: string; ValueName: \"\"; "
      "ValueData: {app}; flags: uninsdeletekey\r\n"
      "[INI]\r\nFilename: \"{win}\\system.INI\"; Section: \"boot\"; Key: \"SCRNSAVE.EXE\"; String: \"{sys}\\SunnyD~1.scr\"\r\n"
      "[Icons]\r\nName: \"{group}\\Sunny Days\"; Filename: \"{sys}\\Sunny Days.scr\"\r\n"
      "Name: \"{userdesktop}\\Sunny Days\"; Filename: \"{sys}\\Sunny Days.scr\"\r\n"
      "Name: \"{group}\\Uninstall\"; Filename: \"{app}\\unins000.exe\"\r\n"
      "Name: \"{app}\\Sunny Days\"; Filename: \"{sys}\\Sunny Days.scr\"\r\n"
      "Name: \"{group}\\Readme\"; Filename: \"{app}\\readme.txt\"\r\n"
      "[Run]\r\n"
      "Filename: \"{sys}\\rundll32.exe\"; Parameters: \"desk.cpl,InstallScreenSaver {sys}\\Sunny Days.scr\"; "
      "Description: \"Make it my screensaver\"; Flags: postinstall nowait shellexec skipifsilent\r\n"
      "Filename: \"{sys}\\Sunny Days.scr\"; Parameters: \"/s\"; Description: \"Preview the screensaver now\"; "
      "Flags: postinstall nowait shellexec skipifsilent\r\n"
      "Filename: \"{sys}\\Sunny Days.scr\"; Parameters: \"/c\"; Description: \"Open the screen saver settings\"; "
      "Flags: postinstall nowait shellexec skipifsilent\r\n";
  EXPECT_EQ(dir.Read("install/Compile/temp.iss"), want);
  EXPECT_EQ(dir.Read("install/Compile/Readme.txt"), "Enjoy\r\nthe sun\r\n");
  // The author page first (its Author, not the working file's older one),
  // then the working file's keys, then the lists by bare name: one key for
  // two files of one name.
  EXPECT_EQ(Copy(), "[Set]\r\nAuthor=Ann\r\nWebsite=http://ann.example.org\r\nImageInterval=5\r\n\r\n"
                    "[Caption]\r\nX=3\r\n\r\n[Transitions]\r\n3=0\r\n\r\n[Pictures]\r\na.jpg=1\r\nb.jpg=1\r\n\r\n"
                    "[Music]\r\nsong.mp3=1\r\n");
  CleanCompileFolder(in.Names);
  EXPECT_TRUE(std::filesystem::is_empty(dir.Path("install/Compile")));
}

TEST_F(BuildScriptTest, WithSmallerPhotosTwoOfOneNameBothShip) {
  in.Shrink.Enabled = true;
  in.ShrinkThreads = 2;
  TShrinkReport report;
  const std::vector<std::string> lines = WriteSaverFiles(in, *working, [&] { committed = true; }, &report);
  // Not decodable ("x"): each ships as it is; the second a.jpg as a copy under a name of its own.
  const std::string photos = in.Names.CompileDir + kPhotoFolderName + kPathDelim;
  EXPECT_EQ(lines[0], "Source:\"" + pictures + "a.jpg\"; DestDir: \"{app}\\sample\"");
  EXPECT_EQ(lines[1], "Source:\"" + photos + "a (2).jpg\"; DestDir: \"{app}\\sample\"");
  EXPECT_EQ(lines[2], "Source:\"" + pictures + "b.jpg\"; DestDir: \"{app}\\sample\"");
  EXPECT_EQ(dir.Read("install/Compile/Photos/a (2).jpg"), "x");
  EXPECT_NE(Copy().find("[Pictures]\r\na.jpg=1\r\na (2).jpg=1\r\nb.jpg=1\r\n"), std::string::npos) << Copy();
  EXPECT_EQ(report.Photos.size(), 3u);
  EXPECT_EQ(report.Shrunk, 0u);
}

TEST_F(BuildScriptTest, NoMusicNoReadmeAndThePromptLeaveTheirLinesOut) {
  music.Items = {{pictures + "song.mp3", false}, {pictures + "missing.mp3", true}};
  in.WebsiteEdit = "http://";
  const std::vector<std::string> files = Build();
  EXPECT_EQ(files.size(), 3u);  // the three pictures only
  for (const std::string& l : files) EXPECT_EQ(l.find("MPEGDLL"), std::string::npos);
  const std::vector<std::string> script = ScriptLines(in, files);
  EXPECT_EQ(script.size(), 29u + 3u);  // the lines always written (both registry values, the art), the three pictures, no readme
  EXPECT_EQ(script[3], "AppVersion=\"1.0\"");
  EXPECT_EQ(Copy().find("Website"), std::string::npos);
  EXPECT_EQ(Copy().find("[Music]"), std::string::npos);
  EXPECT_FALSE(dir.Exists("install/Compile/Readme.txt"));
}

// What the user typed reaches the uninstall entry as typed: quotes, braces
// and semicolons are the script's to escape.
TEST_F(BuildScriptTest, VersionAndPublisherAsTyped) {
  in.AuthorEdit = " Ann \"A\" {B}; C ";
  in.VersionEdit = "2.1 beta";
  in.WebsiteEdit = "http://";
  const std::vector<std::string> script = ScriptLines(in, Build());
  EXPECT_EQ(script[3], "AppVersion=\"2.1 beta\"");
  EXPECT_EQ(script[4], "AppPublisher=\"Ann \"\"A\"\" {{B}; C\"");
  EXPECT_EQ(script[5].rfind("WizardImageFile=", 0), 0u);  // no links for the prompt
  in.VersionEdit = "  ";
  EXPECT_EQ(ScriptLines(in, {})[3], "AppVersion=\"1.0\"");
}

// The setup's pages show the first ticked picture that decodes.
TEST_F(BuildScriptTest, ThePagesShowTheFirstUsablePicture) {
  TMediaList list;
  list.Items = {{"C:\\off.jpg", false}, {"C:\\broken.jpg", true}, {"C:\\{x}.jpg", true}, {"C:\\later.jpg", true}};
  const auto usable = [](const std::string& f) { return f.find("broken") == std::string::npos && f.find("off") == std::string::npos; };
  EXPECT_EQ(FirstUsablePicture(list, usable), "C:\\{x}.jpg");
  EXPECT_EQ(FirstUsablePicture(list, [](const std::string&) { return false; }), "");
  in.WebsiteEdit = "http://";
  in.PagePicture = "C:\\{x}.jpg";
  const std::vector<std::string> script = ScriptLines(in, {});
  EXPECT_EQ(script[4], "WizardImageFile=\"C:\\{{x}.jpg\"");
  EXPECT_EQ(script[5], "WizardSmallImageFile=\"C:\\{{x}.jpg\"");
  EXPECT_EQ(script[6], "SetupIconFile=\"" + in.Names.CompileDir + "SetupIcon.ico\"");
}

// The program's own art: the setup's icon always, the pages' pictures for
// a saver without a picture that decodes; files the compiler reads, gone
// with the build.
TEST_F(BuildScriptTest, TheLogosArtWhereNoPictureServes) {
  const std::string c = in.Names.CompileDir;
  WriteScript(in, *working, [] {});
  const build::TScript script = build::ParseScript(dir.Read("install/Compile/temp.iss"));
  EXPECT_EQ(script.setup.setupIconFile, c + "SetupIcon.ico");
  EXPECT_EQ(script.setup.wizardImageFile, c + "SetupArt.bmp");
  EXPECT_EQ(script.setup.wizardSmallImageFile, c + "SetupSmallArt.bmp");
  const std::vector<build::TIconEntry> icon = build::ParseIconFile(dir.Read("install/Compile/SetupIcon.ico"));
  ASSERT_EQ(icon.size(), 6u);
  EXPECT_EQ(icon.back().width, 0);  // 256
  EXPECT_EQ(icon.back().bytes.substr(1, 3), "PNG");
  dir.Write("icon256.png", icon.back().bytes);
  EXPECT_EQ(ReadPictureFile(dir.Path("icon256.png"), 0).Bitmap.Width(), 256) << "the PNG decodes";
  const TDecodedPicture tall = ReadPictureFile(c + "SetupArt.bmp", 0);
  ASSERT_EQ(tall.Bitmap.Width(), 328);
  ASSERT_EQ(tall.Bitmap.Height(), 628);
  const auto pixel = [&](int x, int y) {
    const uint8_t* p = tall.Bitmap.Row(y) + 3 * x;
    return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
  };
  EXPECT_EQ(pixel(5, 5), 0x2A2F6Bu) << "the logo's blue around it";
  EXPECT_EQ(pixel(164, 353), 0xFFFFFFu) << "the V in the middle";
  EXPECT_EQ(ReadPictureFile(c + "SetupSmallArt.bmp", 0).Bitmap.Width(), 110);
  CleanCompileFolder(in.Names);
  for (const char* art : {"SetupIcon.ico", "SetupArt.bmp", "SetupSmallArt.bmp"}) EXPECT_FALSE(std::filesystem::exists(c + art)) << art;
  // With a picture of the saver's, only the icon is made.
  in.PagePicture = pictures + "a.jpg";
  WriteScript(in, *working, [] {});
  EXPECT_TRUE(std::filesystem::exists(c + "SetupIcon.ico"));
  EXPECT_FALSE(std::filesystem::exists(c + "SetupArt.bmp"));
}

// The compiler takes "{...}" for a folder: a brace in the saver's name, the
// setup's path or a picture's folder must reach it as the character.
TEST_F(BuildScriptTest, BracesInNamesAndPathsReachTheCompilerAsWritten) {
  in.Names = MakeBuildNames("C:\\Out {x}\\Best {of}.exe", "", dir.Folder() + "install" + kPathDelim);
  in.Readme = "hi";
  dir.Write("pics {2004}/sun.jpg", "x");
  images.Items = {{dir.Path("pics {2004}/sun.jpg"), true}};
  WriteScript(in, *working, [] {});
  const build::TScript script = build::ParseScript(dir.Read("install/Compile/temp.iss"));
  EXPECT_EQ(script.setup.appName, "Best {of}");
  EXPECT_EQ(script.setup.defaultDirName.relative, "Best {of}");
  EXPECT_EQ(script.setup.defaultGroupName, "Best {of}");
  EXPECT_EQ(script.setup.outputDir, "C:\\Out {x}\\");
  EXPECT_EQ(script.setup.outputBaseFilename, "Best {of}");
  EXPECT_EQ(script.files.front().destName, "Best {of}.scr");
  EXPECT_EQ(script.files.at(2).source, dir.Path("pics {2004}/sun.jpg"));
  EXPECT_EQ(script.files.back().destName, "Best {of}.002");
  EXPECT_EQ(script.registry.at(0).subkey, "Software\\Norvane\\Best {of}");
  const auto system = [](build::TFolder) { return std::string("S:"); };
  EXPECT_EQ(build::Expand(script.ini.at(0).value, system), "S:\\Best{of}~1.scr");
  ASSERT_EQ(script.icons.size(), 5u);
  EXPECT_EQ(script.icons[0].name.relative, "Best {of}");
  EXPECT_EQ(build::Expand(script.icons[0].target, system), "S:\\Best {of}.scr");
}

// The author page showed the working file's author and web site, and the
// copy takes what the page holds when the build starts: a value the user
// changed or cleared does not come back from the working file.
TEST_F(BuildScriptTest, TheAuthorPageDecidesTheCopysAuthorAndWebsite) {
  working = std::make_unique<TIniFile>(
      dir.Write("VantaSaver.002", "[Set]\r\nImageInterval=5\r\nauthor=Old\r\nWEBSITE=http://old.example\r\n"));
  images.Items.clear();
  const struct {
    const char *author, *website, *set;
  } cases[] = {
      {"Ann", "http://ann.example", "[Set]\r\nAuthor=Ann\r\nWebsite=http://ann.example\r\nImageInterval=5\r\n"},
      {"", "http://", "[Set]\r\nImageInterval=5\r\n"},
      {"Old", "", "[Set]\r\nAuthor=Old\r\nWebsite=\r\nImageInterval=5\r\n"},
  };
  for (const auto& c : cases) {
    in.AuthorEdit = c.author;
    in.WebsiteEdit = c.website;
    Build();
    EXPECT_EQ(Copy(), c.set) << "author \"" << c.author << "\", website \"" << c.website << "\"";
  }
}

TEST_F(BuildScriptTest, AnEmptyWorkingFileStillGivesTheCopyTheScriptNames) {
  working = std::make_unique<TIniFile>(dir.Write("VantaSaver.002", ""));
  images.Items.clear();
  in.WebsiteEdit = "http://";
  WriteScript(in, *working, [] {});
  EXPECT_TRUE(dir.Exists("install/Compile/Sunny Days.002"));
  EXPECT_EQ(Copy(), "");
}

TEST_F(BuildScriptTest, AnUnwritableCompileFolderIsAnErrorAndStartsNothing) {
  std::filesystem::remove_all(dir.Path("install/Compile"));
  dir.Write("install/Compile", "");  // a file where the folder should be made
  EXPECT_THROW(WriteScript(in, *working, [] {}), TBuildError);
  EXPECT_FALSE(dir.Exists("install/Compile/temp.iss"));
}

TEST(BuildReadme, ALoadedReadmeIsUtf8OrAnErrorNamingTheFile) {
  test::TTempDir dir;
  std::filesystem::create_directory(dir.Path("folder.txt"));
  dir.Write("big.txt", std::string((size_t{16} << 20) + 1, 'x'));
  EXPECT_EQ(LoadReadmeFile(dir.Write("utf8.txt", "Gr\xC3\xBC\xC3\x9F" "e\r\n")), "Gr\xC3\xBC\xC3\x9F" "e\r\n");
  EXPECT_TRUE(IsValidUtf8(LoadReadmeFile(dir.Write("legacy.txt", "Gr\xFC\xDF""e"))));
  for (const char* bad : {"missing.txt", "folder.txt", "big.txt"}) {
    try {
      LoadReadmeFile(dir.Path(bad));
      ADD_FAILURE() << bad;
    } catch (const TBuildError& e) {
      EXPECT_EQ(std::string(e.what()), "Cannot open file " + dir.Path(bad));
    }
  }
}

TEST_F(BuildScriptTest, TenThousandPicturesAreWritten) {
  images.Items.clear();
  for (int i = 0; i < 10000; ++i) images.Items.push_back({pictures + "a.jpg", true});
  for (int i = 0; i < 10000; ++i) images.Items.push_back({pictures + "b.jpg", true});
  const auto start = std::chrono::steady_clock::now();
  WriteScript(in, *working, [] {});
  // For the record, not a bound: a loaded machine stretches it.
  RecordProperty("ms", static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count()));
  EXPECT_NE(Copy().find("[Pictures]\r\na.jpg=1\r\nb.jpg=1\r\n"), std::string::npos);
}

}  // namespace
}  // namespace vanta
