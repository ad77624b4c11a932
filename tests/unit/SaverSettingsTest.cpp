#include <gtest/gtest.h>

#include "base/Text.h"
#include "platform/Registry.h"
#include "settings/SaverSettings.h"
#include "startup/Instance.h"
#include "TempDir.h"

namespace vanta {
namespace {

class SaverSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetSaverSettingsForTests(); }
  void TearDown() override {
    ResetSaverSettingsForTests();
    SetInstanceExecutablePathForTests("");
    platform::SetCurrentUserDefaultForTests("\\Software\\Norvane\\Mountains", std::nullopt);
  }
  // Loads as the program "name.scr" in the temporary folder with this settings text.
  void Load(const std::string& text, const std::string& name = "Mountains") {
    if (!text.empty()) dir.Write(name + ".002", text);
    SetInstanceExecutablePathForTests(dir.Path(name + ".scr"));
    LoadSaverSettings();
  }
  const TSaverSetting& S() { return SaverSetting(); }

  test::TTempDir dir;
};

TEST_F(SaverSettingsTest, MissingOrEmptyFileGivesTheDefaults) {
  for (const std::string& text : {std::string(), std::string("\r\n"), std::string("gar\0\xff\xfe[[[==\n[Set\nX", 17)}) {
    ResetSaverSettingsForTests();
    Load(text);
    const TSaverSetting& s = S();
    EXPECT_TRUE(s.RandomImage && s.PlayMusic && s.IncludeFilename && s.IncludeAdditionalText);
    EXPECT_TRUE(s.MouseMove && s.MousePress && s.KeyboardPress);
    EXPECT_FALSE(s.StretchImage || s.AllowReverseTransition || s.ClearOldImage || s.RandomMusic || s.LoopMusic);
    EXPECT_FALSE(s.ForceHide || s.Filepath || s.FileExt || s.FontBold || s.FontItalic || s.FontUnderline ||
                 s.FontStrikeout);
    EXPECT_EQ(s.ImageInterval, 3);
    EXPECT_EQ(s.EffectSpeed, 3);
    EXPECT_EQ(s.CaptionX, 10);
    EXPECT_EQ(s.CaptionY, 10);
    EXPECT_EQ(s.FontName, "MS Sans Serif");
    EXPECT_EQ(s.FontSize, 9);
    EXPECT_EQ(s.FontColor, 0xFFFFFFu);
    EXPECT_EQ(s.BackgroundColor, 0u);
    EXPECT_EQ(s.CaptionPosition, cpOff);
    EXPECT_TRUE(s.Pictures.empty() && s.Music.empty());
    EXPECT_EQ(s.Transitions.count(), 123u);
    for (size_t e = 0; e < 128; ++e)
      EXPECT_EQ(s.Transitions.test(e), e >= 1 && (e <= 118 || e >= 123)) << e;
  }
}

TEST_F(SaverSettingsTest, TransitionsListTheEffectsSwitchedOff) {
  struct Case { const char* lines; std::vector<size_t> off; } cases[] = {
      {"177=0\r\n178=0\r\n", {59}},
      {"177=1\r\n", {}},
      {"abc=0\r\n999=0\r\n-3=0\r\n", {}},
      {"3=0\r\n5=0\r\n381=0\r\n383=0\r\n", {1, 127}},
      {"177=\r\n", {59}},    // an empty value reads as the default: false
      {"177\r\n", {59}},     // so does a key without '='
      {"177=x\r\n", {59}},   // and a value that does not convert
  };
  for (const Case& k : cases) {
    ResetSaverSettingsForTests();
    Load(std::string("[Transitions]\r\n") + k.lines);
    TEffectSet want = DefaultTransitions();
    for (size_t e : k.off) want.reset(e);
    EXPECT_EQ(S().Transitions, want) << k.lines;
  }
}

TEST_F(SaverSettingsTest, RotationsAreNeverEnabledByALoad) {
  Load("[Transitions]\r\n357=1\r\n360=1\r\n");
  for (size_t e = 119; e <= 122; ++e) EXPECT_FALSE(S().Transitions.test(e));
}

TEST_F(SaverSettingsTest, CaptionPositionOutsideOneToFiveIsOff) {
  for (auto [value, want] : std::vector<std::pair<std::string, TCaptionPosition>>{
           {"1", cpBelowImage}, {"5", cpFixed}, {"7", cpOff}, {"-1", cpOff}, {"0x3", cpBottomOfScreen}, {"x", cpOff}}) {
    ResetSaverSettingsForTests();
    Load("[Caption]\r\nPosition=" + value + "\r\n");
    EXPECT_EQ(S().CaptionPosition, want) << value;
  }
}

TEST_F(SaverSettingsTest, StretchIsReadFromTheMisspeltKeyOnly) {
  Load("[Set]\r\nStretchImage=1\r\n");
  EXPECT_FALSE(S().StretchImage);
  ResetSaverSettingsForTests();
  Load("[Set]\r\nStetchImage=1\r\n[Caption]\r\nAddtionalText=Hello\r\nAdditionalText=No\r\n");
  EXPECT_TRUE(S().StretchImage);
  EXPECT_EQ(S().AdditionalText, "Hello");
}

TEST_F(SaverSettingsTest, EveryScalarIsRead) {
  Load("[Set]\r\nRandomImage=0\r\nAllowReverseTransition=1\r\nClearOldImage=1\r\nPlayMusic=0\r\nRandomMusic=1\r\n"
       "LoopMusic=1\r\nImageInterval=17\r\nBackgroundColor=$FF8000\r\nEffectSpeed=5\r\nPicturePath=C:\\P\\\r\n"
       "MusicPath=C:\\M\\\r\nAuthor=Ann\r\nWebsite=http://x\r\nMouseMove=0\r\nMousePress=0\r\nKeyboardPress=0\r\n"
       "[Caption]\r\nForceHide=1\r\nX=300\r\nY=-4\r\nIncludeFilename=0\r\nFilepath=1\r\nFileExt=1\r\n"
       "IncludeAdditionalText=0\r\nFontName=Arial\r\nFontSize=24\r\nFontColor=255\r\nFontBold=1\r\nFontItalic=1\r\n"
       "FontUnderline=1\r\nFontStrikeout=1\r\n");
  const TSaverSetting& s = S();
  EXPECT_FALSE(s.RandomImage || s.PlayMusic || s.MouseMove || s.MousePress || s.KeyboardPress || s.IncludeFilename ||
               s.IncludeAdditionalText);
  EXPECT_TRUE(s.AllowReverseTransition && s.ClearOldImage && s.RandomMusic && s.LoopMusic && s.ForceHide &&
              s.Filepath && s.FileExt && s.FontBold && s.FontItalic && s.FontUnderline && s.FontStrikeout);
  EXPECT_EQ(s.ImageInterval, 17);
  EXPECT_EQ(s.BackgroundColor, 0xFF8000u);
  EXPECT_EQ(s.EffectSpeed, 5);
  EXPECT_EQ(s.PicturePath, "C:\\P\\");
  EXPECT_EQ(s.MusicPath, "C:\\M\\");
  EXPECT_EQ(s.Author, "Ann");
  EXPECT_EQ(s.Website, "http://x");
  EXPECT_EQ(s.CaptionX, 300);
  EXPECT_EQ(s.CaptionY, -4);
  EXPECT_EQ(s.FontName, "Arial");
  EXPECT_EQ(s.FontSize, 24);
  EXPECT_EQ(s.FontColor, 255u);
}

TEST_F(SaverSettingsTest, PicturesAreFoundInTheThreePlaces) {
  test::TTempDir install;
  platform::SetCurrentUserDefaultForTests("\\Software\\Norvane\\Mountains", install.Folder());
  const std::string here = dir.Write("photos/here.jpg", "x");
  dir.Write("moved.jpg", "x");                       // program folder
  const std::string sample = install.Write("sample/shipped.jpg", "x");
  dir.Write("hidden.jpg", "x");
  Load("[Pictures]\r\n" + here + "=1\r\n/gone/D/Photos/moved.jpg=1\r\nshipped.jpg=1\r\nnowhere.jpg=1\r\n"
       "hidden.jpg=0\r\n[Music]\r\n/elsewhere/moved.jpg\r\n");
  EXPECT_EQ(S().Pictures, (std::vector<std::string>{here, dir.Path("moved.jpg"), sample}));
  EXPECT_EQ(S().Music, (std::vector<std::string>{dir.Path("moved.jpg")}));
  // Dropped entries stay in the file.
  EXPECT_NE(dir.Read("Mountains.002").find("nowhere.jpg=1"), std::string::npos);
}

TEST_F(SaverSettingsTest, LocateMediaFileLeavesAnUnfoundPathAlone) {
  Load("");
  std::string path = "/no/such/file.jpg";
  EXPECT_FALSE(LocateMediaFile(path));
  EXPECT_EQ(path, "/no/such/file.jpg");
  std::string folderOnly = dir.Folder();
  EXPECT_FALSE(LocateMediaFile(folderOnly));  // a folder is not a picture
}

TEST_F(SaverSettingsTest, SaveWritesTheScalarsInOrderAndLeavesTheRestAlone) {
  const std::string before =
      "[Set]\r\nAuthor=Ann\r\nWebsite=http://x\r\n[Pictures]\r\nC:\\a.jpg=1\r\n[Transitions]\r\n177=0\r\n";
  Load(before);
  TSaverSetting& s = SaverSetting();
  s.Author = "Changed";
  s.Website = "Changed";
  s.StretchImage = true;
  s.ImageInterval = 42;
  s.AdditionalText = "Hi";
  s.CaptionPosition = cpFixed;
  SaveSaverSettings();
  EXPECT_EQ(dir.Read("Mountains.002"),
            "[Set]\r\nAuthor=Ann\r\nWebsite=http://x\r\n"
            "StetchImage=1\r\nRandomImage=1\r\nAllowReverseTransition=0\r\nClearOldImage=0\r\nPlayMusic=1\r\n"
            "RandomMusic=0\r\nLoopMusic=0\r\nImageInterval=42\r\nBackgroundColor=0\r\nEffectSpeed=3\r\n"
            "PicturePath=\r\nMusicPath=\r\nMouseMove=1\r\nMousePress=1\r\nKeyboardPress=1\r\n"
            "[Pictures]\r\nC:\\a.jpg=1\r\n[Transitions]\r\n177=0\r\n"
            "\r\n[Caption]\r\nForceHide=0\r\nPosition=5\r\nX=10\r\nY=10\r\nIncludeFilename=1\r\nFilepath=0\r\n"
            "FileExt=0\r\nIncludeAdditionalText=1\r\nAddtionalText=Hi\r\nFontName=MS Sans Serif\r\nFontSize=9\r\n"
            "FontColor=16777215\r\nFontBold=0\r\nFontItalic=0\r\nFontUnderline=0\r\nFontStrikeout=0\r\n");
}

TEST_F(SaverSettingsTest, SaveThenLoadGivesTheSameRecord) {
  Load("");
  TSaverSetting& s = SaverSetting();
  s.RandomImage = false;
  s.BackgroundColor = 0x123456;
  s.FontColor = 0xFFFFFFFF;  // beyond 31 bits: written as -1, read back whole
  s.EffectSpeed = 1;
  s.FontName = "Courier New";
  SaveSaverSettings();
  ResetSaverSettingsForTests();
  Load("");
  EXPECT_FALSE(S().RandomImage);
  EXPECT_EQ(S().BackgroundColor, 0x123456u);
  EXPECT_EQ(S().FontColor, 0xFFFFFFFFu);
  EXPECT_EQ(S().EffectSpeed, 1);
  EXPECT_EQ(S().FontName, "Courier New");
}

TEST_F(SaverSettingsTest, TheIniObjectKeepsTheFileNameOfTheFirstLoad) {
  Load("[Set]\r\nImageInterval=7\r\n", "First");
  Load("[Set]\r\nImageInterval=8\r\n", "Second");
  EXPECT_EQ(SettingsFileName(), dir.Path("Second.002"));
  EXPECT_EQ(SettingsIni().FileName(), dir.Path("First.002"));
  EXPECT_EQ(S().ImageInterval, 7);
}

TEST_F(SaverSettingsTest, ALoadSeesAProjectCopiedOverTheFile) {
  Load("[Set]\r\nImageInterval=7\r\n");
  dir.Write("Mountains.002", "[Set]\r\nImageInterval=9\r\n");
  LoadSaverSettings();
  EXPECT_EQ(S().ImageInterval, 9);
}

TEST(InstanceIdentity, NameFoldersAndRegistry) {
  test::TTempDir dir;
  dir.Write("Mountains.002", "");
  dir.Write("Mountaineer.txt", "");
  struct Case { std::string exe; std::string name; } cases[] = {
      {"My Show.scr", "My Show"},
      {"MOUNTA~1.SCR", "Mountains"},  // started by its short name
      {"MYSHOW~1.SCR", "MYSHOW~1"},   // no settings file begins with MYSHOW
      {"VantaSaver.scr", "VantaSaver"},
  };
  for (const Case& k : cases) {
    const TInstanceIdentity id = DetermineInstanceIdentity(dir.Path(k.exe));
    EXPECT_EQ(id.InstanceName, k.name) << k.exe;
    EXPECT_EQ(id.ProgramFolder, dir.Folder());
    EXPECT_EQ(id.InstallFolder, std::string(1, kPathDelim));  // no registry key
  }
  platform::SetCurrentUserDefaultForTests("\\Software\\Norvane\\Mountains", "/opt/Mountains");
  EXPECT_EQ(DetermineInstanceIdentity(dir.Path("MOUNTA~1.SCR")).InstallFolder, "/opt/Mountains/");
  platform::SetCurrentUserDefaultForTests("\\Software\\Norvane\\Mountains", "/opt/Mountains/");
  EXPECT_EQ(DetermineInstanceIdentity(dir.Path("Mountains.scr")).InstallFolder, "/opt/Mountains/");
  platform::SetCurrentUserDefaultForTests("\\Software\\Norvane\\Mountains", std::nullopt);
}

}  // namespace
}  // namespace vanta
