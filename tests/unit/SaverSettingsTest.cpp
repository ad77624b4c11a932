#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <variant>

#include "base/Text.h"
#include "platform/Registry.h"
#include "settings/SaverSettings.h"
#include "fakes/FakePlatform.h"
#include "settings/Instance.h"
#include "TempDir.h"

namespace vanta {
namespace {

class SaverSettingsTest : public ::testing::Test {
 protected:
  // Loads as the program "name.scr" in the temporary folder with this
  // settings text, in a store of its own.
  void Load(const std::string& text, const std::string& name = "Mountains") {
    if (!text.empty()) dir.Write(name + ".002", text);
    store = std::make_unique<TSettingsStore>(DetermineInstanceIdentity(dir.Path(name + ".scr"), registry, folders));
    store->Load();
  }
  TSaverSetting& S() { return store->Setting(); }

  test::TTempDir dir;
  test::TFakeRegistry registry;
  test::TFakeUserFolders folders;
  std::unique_ptr<TSettingsStore> store;
};

TEST_F(SaverSettingsTest, MissingOrEmptyFileGivesTheDefaults) {
  for (const std::string& text : {std::string(), std::string("\r\n"), std::string("gar\0\xff\xfe[[[==\n[Set\nX", 17)}) {
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
    Load("[Caption]\r\nPosition=" + value + "\r\n");
    EXPECT_EQ(S().CaptionPosition, want) << value;
  }
}

TEST_F(SaverSettingsTest, StretchIsReadFromTheMisspeltKeyOnly) {
  Load("[Set]\r\nStretchImage=1\r\n");
  EXPECT_FALSE(S().StretchImage);
  Load("[Set]\r\nStetchImage=1\r\n[Caption]\r\nAddtionalText=Hello\r\nAdditionalText=No\r\n");
  EXPECT_TRUE(S().StretchImage);
  EXPECT_EQ(S().AdditionalText, "Hello");
}

TEST_F(SaverSettingsTest, ImageFitSitsBesideTheOldStretchKey) {
  struct Case { const char* text; bool stretch; int32_t fit; TImageSizing sizing; } cases[] = {
      {"[Set]\r\nStetchImage=1\r\n", true, 0, TImageSizing::Stretch},  // an older file: as it always was
      {"[Set]\r\nStetchImage=0\r\n", false, 0, TImageSizing::Original},
      {"[Set]\r\nStetchImage=1\r\nImageFit=2\r\n", true, 2, TImageSizing::Fill},
      {"[Set]\r\nImageFit=1\r\n", false, 1, TImageSizing::Fit},
      {"[Set]\r\nStetchImage=1\r\nImageFit=7\r\n", true, 7, TImageSizing::Stretch},  // unknown: the old key
  };
  for (const Case& c : cases) {
    Load(c.text);
    EXPECT_EQ(S().StretchImage, c.stretch) << c.text;
    EXPECT_EQ(S().ImageFit, c.fit) << c.text;
    EXPECT_EQ(ImageSizingOf(S()), c.sizing) << c.text;
  }
  const struct { TImageSizing sizing; const char* keys; } writes[] = {
      {TImageSizing::Original, "StetchImage=0\r\nImageFit=0\r\n"},
      {TImageSizing::Fit, "StetchImage=0\r\nImageFit=1\r\n"},
      {TImageSizing::Fill, "StetchImage=0\r\nImageFit=2\r\n"},
      {TImageSizing::Stretch, "StetchImage=1\r\nImageFit=0\r\n"},
  };
  for (const auto& w : writes) {
    SetImageSizing(S(), w.sizing);
    store->Save();
    EXPECT_NE(dir.Read("Mountains.002").find(w.keys), std::string::npos) << w.keys;
    EXPECT_EQ(ImageSizingOf(S()), w.sizing);
  }
}

TEST_F(SaverSettingsTest, OnlyABuilderWithoutSettingsStartsWithFittedPictures) {
  Load("", "VantaSaver");
  EXPECT_EQ(ImageSizingOf(S()), TImageSizing::Fit);
  Load("[Set]\r\nImageInterval=4\r\n", "VantaSaver");  // the builder's file from before: as it says
  EXPECT_EQ(ImageSizingOf(S()), TImageSizing::Original);
  Load("", "Mountains");
  EXPECT_EQ(ImageSizingOf(S()), TImageSizing::Original);
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
  registry.SetCurrentUserDefault("\\Software\\Norvane\\Mountains", install.Folder());
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
  EXPECT_FALSE(LocateMediaFile(MediaFoldersOf(store->Identity()), path));
  EXPECT_EQ(path, "/no/such/file.jpg");
  std::string folderOnly = dir.Folder();
  EXPECT_FALSE(LocateMediaFile(MediaFoldersOf(store->Identity()), folderOnly));  // a folder is not a picture
}

TEST_F(SaverSettingsTest, SaveWritesTheScalarsInOrderAndLeavesTheRestAlone) {
  const std::string before =
      "[Set]\r\nAuthor=Ann\r\nWebsite=http://x\r\n[Pictures]\r\nC:\\a.jpg=1\r\n[Transitions]\r\n177=0\r\n";
  Load(before);
  TSaverSetting& s = S();
  s.Author = "Changed";
  s.Website = "Changed";
  s.StretchImage = true;
  s.ImageInterval = 42;
  s.AdditionalText = "Hi";
  s.CaptionPosition = cpFixed;
  store->Save();
  EXPECT_EQ(dir.Read("Mountains.002"),
            "[Set]\r\nAuthor=Ann\r\nWebsite=http://x\r\n"
            "StetchImage=1\r\nImageFit=0\r\nRandomImage=1\r\nAllowReverseTransition=0\r\nClearOldImage=0\r\nPlayMusic=1\r\n"
            "RandomMusic=0\r\nLoopMusic=0\r\nImageInterval=42\r\nBackgroundColor=0\r\nEffectSpeed=3\r\n"
            "PicturePath=\r\nMusicPath=\r\nShrinkPhotos=1\r\nShrinkSize=0\r\nMouseMove=1\r\nMousePress=1\r\nKeyboardPress=1\r\nMultiScreen=0\r\nPanZoom=0\r\n"
            "[Pictures]\r\nC:\\a.jpg=1\r\n[Transitions]\r\n177=0\r\n"
            "\r\n[Caption]\r\nForceHide=0\r\nPosition=5\r\nX=10\r\nY=10\r\nIncludeFilename=1\r\nFilepath=0\r\n"
            "FileExt=0\r\nIncludeAdditionalText=1\r\nAddtionalText=Hi\r\nFontName=MS Sans Serif\r\nFontSize=9\r\n"
            "FontColor=16777215\r\nFontBold=0\r\nFontItalic=0\r\nFontUnderline=0\r\nFontStrikeout=0\r\n");
}

TEST_F(SaverSettingsTest, SaveThenLoadGivesTheSameRecord) {
  Load("");
  TSaverSetting& s = S();
  s.RandomImage = false;
  s.BackgroundColor = 0x123456;
  s.FontColor = 0xFFFFFFFF;  // beyond 31 bits: written as -1, read back whole
  s.EffectSpeed = 1;
  s.FontName = "Courier New";
  store->Save();
  Load("");
  EXPECT_FALSE(S().RandomImage);
  EXPECT_EQ(S().BackgroundColor, 0x123456u);
  EXPECT_EQ(S().FontColor, 0xFFFFFFFFu);
  EXPECT_EQ(S().EffectSpeed, 1);
  EXPECT_EQ(S().FontName, "Courier New");
}

TEST_F(SaverSettingsTest, TwoStoresShareNothing) {
  Load("[Set]\r\nImageInterval=7\r\n", "First");
  const std::unique_ptr<TSettingsStore> first = std::move(store);
  Load("[Set]\r\nImageInterval=8\r\n", "Second");
  EXPECT_EQ(first->Ini().FileName(), dir.Path("First.002"));
  EXPECT_EQ(store->FileName(), dir.Path("Second.002"));
  first->Setting().ImageInterval = 70;
  first->Save();
  EXPECT_EQ(S().ImageInterval, 8);
  store->Load();
  EXPECT_EQ(S().ImageInterval, 8);
  EXPECT_NE(dir.Read("First.002").find("ImageInterval=70"), std::string::npos);
}

TEST_F(SaverSettingsTest, ALoadSeesAProjectCopiedOverTheFile) {
  Load("[Set]\r\nImageInterval=7\r\n");
  dir.Write("Mountains.002", "[Set]\r\nImageInterval=9\r\n");
  store->Load();
  EXPECT_EQ(S().ImageInterval, 9);
}

// Field by field, naming the key, then the whole record (lists, effects and
// any field the key table misses).
void ExpectSameRecord(const TSaverSetting& got, const TSaverSetting& want, const std::string& what) {
  for (const TSettingKey& k : kSaverSettingKeys)
    std::visit([&](auto field) { EXPECT_EQ(got.*field, want.*field) << what << ": " << k.Name; }, k.Field);
  EXPECT_EQ(got.Pictures, want.Pictures) << what;
  EXPECT_EQ(got.Music, want.Music) << what;
  EXPECT_EQ(got.Transitions, want.Transitions) << what;
  EXPECT_TRUE(got == want) << what;
}

// The fields a save leaves to the builder keep what the file said before.
TSaverSetting AsSavedOver(TSaverSetting written, const TSaverSetting& before) {
  written.Author = before.Author;
  written.Website = before.Website;
  written.Pictures = before.Pictures;
  written.Music = before.Music;
  written.Transitions = before.Transitions;
  return written;
}

struct TGoldenSave {
  const char* what;
  std::string before;                          // the file before the save; empty: none
  std::function<void(TSaverSetting&)> change;  // what the program changed in the record
  std::string bytes;                           // what the save leaves in the file
  std::function<void(TSaverSetting&)> lossy;   // how the record reads back differently
};

// Bytes as saves wrote them before the keys came from one table. Projects
// are byte copies of this file, so they stay exactly so.
const TGoldenSave kGoldenSaves[] = {
    {"the defaults, no file before", "", [](TSaverSetting&) {},
     "[Set]\r\nStetchImage=0\r\nImageFit=0\r\nRandomImage=1\r\nAllowReverseTransition=0\r\nClearOldImage=0\r\n"
     "PlayMusic=1\r\nRandomMusic=0\r\nLoopMusic=0\r\nImageInterval=3\r\nBackgroundColor=0\r\n"
     "EffectSpeed=3\r\nPicturePath=\r\nMusicPath=\r\nShrinkPhotos=1\r\nShrinkSize=0\r\nMouseMove=1\r\nMousePress=1\r\nKeyboardPress=1\r\nMultiScreen=0\r\nPanZoom=0\r\n"
     "\r\n[Caption]\r\nForceHide=0\r\nPosition=0\r\nX=10\r\nY=10\r\nIncludeFilename=1\r\nFilepath=0\r\n"
     "FileExt=0\r\nIncludeAdditionalText=1\r\nAddtionalText=\r\nFontName=MS Sans Serif\r\nFontSize=9\r\n"
     "FontColor=16777215\r\nFontBold=0\r\nFontItalic=0\r\nFontUnderline=0\r\nFontStrikeout=0\r\n",
     nullptr},
    {"every field changed", "",
     [](TSaverSetting& s) {
       s.StretchImage = true;
       s.RandomImage = false;
       s.AllowReverseTransition = true;
       s.ClearOldImage = true;
       s.ImageInterval = 1000;
       s.BackgroundColor = 0x00C08040;
       s.PicturePath = "C:\\Pictures\\Holiday 2003\\";
       s.PlayMusic = false;
       s.RandomMusic = true;
       s.LoopMusic = true;
       s.MusicPath = "D:\\Music\\";
       s.EffectSpeed = 5;
       s.ForceHide = true;
       s.CaptionPosition = cpTopOfScreen;
       s.CaptionX = 5000;
       s.CaptionY = 0;
       s.IncludeFilename = false;
       s.Filepath = true;
       s.FileExt = true;
       s.IncludeAdditionalText = false;
       s.AdditionalText = "Photos by Ann";
       s.FontName = "Arial";
       s.FontSize = 14;
       s.FontColor = 0x0000FF;
       s.FontBold = s.FontItalic = s.FontUnderline = s.FontStrikeout = true;
       s.MouseMove = s.MousePress = s.KeyboardPress = false;
       // Not the save's to write:
       s.Author = "Someone";
       s.Website = "http://example.org";
       s.Pictures = {"C:\\a.jpg"};
       s.Music = {"C:\\b.mp3"};
       s.Transitions.reset(5);
     },
     "[Set]\r\nStetchImage=1\r\nImageFit=0\r\nRandomImage=0\r\nAllowReverseTransition=1\r\nClearOldImage=1\r\n"
     "PlayMusic=0\r\nRandomMusic=1\r\nLoopMusic=1\r\nImageInterval=1000\r\nBackgroundColor=12615744\r\n"
     "EffectSpeed=5\r\nPicturePath=C:\\Pictures\\Holiday 2003\\\r\nMusicPath=D:\\Music\\\r\n"
     "ShrinkPhotos=1\r\nShrinkSize=0\r\nMouseMove=0\r\nMousePress=0\r\nKeyboardPress=0\r\nMultiScreen=0\r\nPanZoom=0\r\n\r\n[Caption]\r\nForceHide=1\r\nPosition=4\r\n"
     "X=5000\r\nY=0\r\nIncludeFilename=0\r\nFilepath=1\r\nFileExt=1\r\nIncludeAdditionalText=0\r\n"
     "AddtionalText=Photos by Ann\r\nFontName=Arial\r\nFontSize=14\r\nFontColor=255\r\nFontBold=1\r\n"
     "FontItalic=1\r\nFontUnderline=1\r\nFontStrikeout=1\r\n",
     nullptr},
    {"negative numbers and colours of 32 bits", "",
     [](TSaverSetting& s) {
       s.ImageInterval = -5;
       s.EffectSpeed = INT32_MIN;
       s.CaptionX = -1;
       s.CaptionY = INT32_MAX;
       s.FontSize = 0;
       s.BackgroundColor = 0xFFFFFFFF;
       s.FontColor = 0x80000000;
       s.CaptionPosition = cpBelowImage;
     },
     "[Set]\r\nStetchImage=0\r\nImageFit=0\r\nRandomImage=1\r\nAllowReverseTransition=0\r\nClearOldImage=0\r\n"
     "PlayMusic=1\r\nRandomMusic=0\r\nLoopMusic=0\r\nImageInterval=-5\r\nBackgroundColor=-1\r\n"
     "EffectSpeed=-2147483648\r\nPicturePath=\r\nMusicPath=\r\nShrinkPhotos=1\r\nShrinkSize=0\r\nMouseMove=1\r\nMousePress=1\r\n"
     "KeyboardPress=1\r\nMultiScreen=0\r\nPanZoom=0\r\n\r\n[Caption]\r\nForceHide=0\r\nPosition=1\r\nX=-1\r\nY=2147483647\r\n"
     "IncludeFilename=1\r\nFilepath=0\r\nFileExt=0\r\nIncludeAdditionalText=1\r\nAddtionalText=\r\n"
     "FontName=MS Sans Serif\r\nFontSize=0\r\nFontColor=-2147483648\r\nFontBold=0\r\nFontItalic=0\r\n"
     "FontUnderline=0\r\nFontStrikeout=0\r\n",
     nullptr},
    {"odd strings", "",
     [](TSaverSetting& s) {
       s.PicturePath = "  C:\\Blanks at both ends\\  ";
       s.MusicPath = "'single quotes'";
       s.AdditionalText = "a=b ;c [Caption] \"x\" \xe4\xf6\xfc \xc3\xa4";
       s.FontName = "";
     },
     "[Set]\r\nStetchImage=0\r\nImageFit=0\r\nRandomImage=1\r\nAllowReverseTransition=0\r\nClearOldImage=0\r\n"
     "PlayMusic=1\r\nRandomMusic=0\r\nLoopMusic=0\r\nImageInterval=3\r\nBackgroundColor=0\r\n"
     "EffectSpeed=3\r\nPicturePath=\"  C:\\Blanks at both ends\\  \"\r\nMusicPath=\"'single quotes'\"\r\n"
     "ShrinkPhotos=1\r\nShrinkSize=0\r\nMouseMove=1\r\nMousePress=1\r\nKeyboardPress=1\r\nMultiScreen=0\r\nPanZoom=0\r\n\r\n[Caption]\r\nForceHide=0\r\nPosition=0\r\n"
     "X=10\r\nY=10\r\nIncludeFilename=1\r\nFilepath=0\r\nFileExt=0\r\nIncludeAdditionalText=1\r\n"
     "AddtionalText=a=b ;c [Caption] \"x\" \xE4\xF6\xFC \xC3\xA4\r\nFontName=\r\nFontSize=9\r\n"
     "FontColor=16777215\r\nFontBold=0\r\nFontItalic=0\r\nFontUnderline=0\r\nFontStrikeout=0\r\n",
     // The file is not UTF-8 (the 8-bit umlauts), so it reads as the
     // legacy code page, Windows-1252 here: the UTF-8 "\xc3\xa4" becomes two
     // characters.
     [](TSaverSetting& s) { s.AdditionalText = "a=b ;c [Caption] \"x\" \xC3\xA4\xC3\xB6\xC3\xBC \xC3\x83\xC2\xA4"; }},
    {"line breaks inside values become blanks", "",
     [](TSaverSetting& s) {
       s.AdditionalText = "line one\r\nline two";
       s.FontName = "Arial\n";
     },
     "[Set]\r\nStetchImage=0\r\nImageFit=0\r\nRandomImage=1\r\nAllowReverseTransition=0\r\nClearOldImage=0\r\n"
     "PlayMusic=1\r\nRandomMusic=0\r\nLoopMusic=0\r\nImageInterval=3\r\nBackgroundColor=0\r\n"
     "EffectSpeed=3\r\nPicturePath=\r\nMusicPath=\r\nShrinkPhotos=1\r\nShrinkSize=0\r\nMouseMove=1\r\nMousePress=1\r\nKeyboardPress=1\r\nMultiScreen=0\r\nPanZoom=0\r\n"
     "\r\n[Caption]\r\nForceHide=0\r\nPosition=0\r\nX=10\r\nY=10\r\nIncludeFilename=1\r\nFilepath=0\r\n"
     "FileExt=0\r\nIncludeAdditionalText=1\r\nAddtionalText=line one  line two\r\nFontName=\"Arial \"\r\n"
     "FontSize=9\r\nFontColor=16777215\r\nFontBold=0\r\nFontItalic=0\r\nFontUnderline=0\r\n"
     "FontStrikeout=0\r\n",
     [](TSaverSetting& s) {
       s.AdditionalText = "line one  line two";
       s.FontName = "Arial ";
     }},
    {"over a file edited by hand",
     "; kept as it is\n[set]\nimageinterval=7\nAuthor=Ann\nWebsite=http://example.org/ann\nUnknown=kept\n\n"
     "[Pictures]\nC:\\a.jpg=1\n[caption]\nFONTNAME = Times\nPosition=9\n[Transitions]\n177=0\n[Set]\nMouseMove=0",
     [](TSaverSetting& s) {
       s.ImageInterval = 8;
       s.FontName = "Verdana";
       s.MouseMove = true;
       s.ClearOldImage = true;
     },
     "; kept as it is\n[set]\nimageinterval=8\nAuthor=Ann\nWebsite=http://example.org/ann\nUnknown=kept\n"
     "StetchImage=0\nImageFit=0\nRandomImage=1\nAllowReverseTransition=0\nClearOldImage=1\nPlayMusic=1\n"
     "RandomMusic=0\nLoopMusic=0\nBackgroundColor=0\nEffectSpeed=3\nPicturePath=\nMusicPath=\n"
     "ShrinkPhotos=1\nShrinkSize=0\nMousePress=1\nKeyboardPress=1\nMultiScreen=0\nPanZoom=0\n\n[Pictures]\nC:\\a.jpg=1\n[caption]\nFONTNAME=Verdana\nPosition=0\n"
     "ForceHide=0\nX=10\nY=10\nIncludeFilename=1\nFilepath=0\nFileExt=0\nIncludeAdditionalText=1\n"
     "AddtionalText=\nFontSize=9\nFontColor=16777215\nFontBold=0\nFontItalic=0\nFontUnderline=0\n"
     "FontStrikeout=0\n[Transitions]\n177=0\n[Set]\nMouseMove=1\n",
     nullptr},
};

TEST_F(SaverSettingsTest, SavesWriteTheBytesTheyAlwaysWrote) {
  for (const TGoldenSave& k : kGoldenSaves) {
    Load(k.before);
    const TSaverSetting before = S();
    TSaverSetting& s = S();
    k.change(s);
    const TSaverSetting written = s;
    store->Save();
    EXPECT_EQ(dir.Read("Mountains.002"), k.bytes) << k.what;

    Load("");  // the file as saved
    TSaverSetting want = AsSavedOver(written, before);
    if (k.lossy) k.lossy(want);
    ExpectSameRecord(S(), want, k.what);
    std::filesystem::remove(dir.Path("Mountains.002"));
  }
}

// A value as it stands in the file, and what it reads as.
struct TOddValue {
  std::optional<std::string> raw;      // nullopt: the key's line has no '='
  std::optional<int32_t> integer;      // nullopt: not a number, the default is taken
  std::optional<std::string> text;     // nullopt: the default
};
const TOddValue kOddValues[] = {
    {"", std::nullopt, ""},  // an empty value is a text, but no number
    {std::nullopt, std::nullopt, std::nullopt},
    {"   ", std::nullopt, ""},
    {"abc", std::nullopt, "abc"},
    {"  42  ", 42, "42"},
    {"+7", 7, "+7"},
    {"-0", 0, "-0"},
    {"0", 0, "0"},
    {"3", 3, "3"},
    {"7", 7, "7"},
    {"-1", -1, "-1"},
    {"0x5", 5, "0x5"},
    {"$FFFFFFFF", -1, "$FFFFFFFF"},
    {"-$10", -16, "-$10"},
    {"2147483648", std::nullopt, "2147483648"},
    {"-2147483648", INT32_MIN, "-2147483648"},
    {"0x100000000", std::nullopt, "0x100000000"},
    {"1.5", std::nullopt, "1.5"},
    {"12abc", std::nullopt, "12abc"},
    {"- 3", std::nullopt, "- 3"},
    {"0x", std::nullopt, "0x"},
    {"=5", std::nullopt, "=5"},
    {"\"5\"", 5, "5"},
    {"'-1'", -1, "-1"},
    {"\" 8 \"", std::nullopt, " 8 "},  // a blank after the number
    {std::string(3000, '7'), std::nullopt, std::string(2047, '7')},  // texts end at 2047 characters
};

// What a key of each kind holds after reading v, given its default.
bool Expected(bool def, const TOddValue& v) { return v.integer ? *v.integer != 0 : def; }
int32_t Expected(int32_t def, const TOddValue& v) { return v.integer.value_or(def); }
TColor Expected(TColor def, const TOddValue& v) { return v.integer ? static_cast<TColor>(*v.integer) : def; }
std::string Expected(const std::string& def, const TOddValue& v) { return v.text.value_or(def); }
TCaptionPosition Expected(TCaptionPosition, const TOddValue& v) {
  return v.integer && *v.integer >= 1 && *v.integer <= 5 ? static_cast<TCaptionPosition>(*v.integer) : cpOff;
}
TMultiScreen Expected(TMultiScreen, const TOddValue& v) {
  return v.integer && *v.integer >= 0 && *v.integer <= 3 ? static_cast<TMultiScreen>(*v.integer) : msOwnPicture;
}
TPanZoom Expected(TPanZoom, const TOddValue& v) {
  return v.integer && *v.integer >= 0 && *v.integer <= 2 ? static_cast<TPanZoom>(*v.integer) : TPanZoom::Off;
}

TEST_F(SaverSettingsTest, OddValuesReadAsTheDefaultOrTheirNumber) {
  const TSaverSetting defaults;
  for (const TOddValue& v : kOddValues) {
    std::string text;
    for (const TSettingKey& k : kSaverSettingKeys)
      text += "[" + std::string(k.Section) + "]\r\n" + std::string(k.Name) + (v.raw ? "=" + *v.raw : "") + "\r\n";
    Load(text);
    const std::string shown = v.raw ? '"' + v.raw->substr(0, 20) + '"' : "no '='";
    for (const TSettingKey& k : kSaverSettingKeys)
      std::visit([&](auto field) { EXPECT_EQ(S().*field, Expected(defaults.*field, v)) << k.Name << " = " << shown; },
                 k.Field);
  }
}

// A value other than the default, for each type of field.
bool Other(bool def) { return !def; }
int32_t Other(int32_t def) { return def + 1000; }
TColor Other(TColor def) { return def ^ 0x00ABCDEF; }
std::string Other(const std::string& def) { return def + " changed"; }
TCaptionPosition Other(TCaptionPosition def) { return def == cpFixed ? cpOff : cpFixed; }
TMultiScreen Other(TMultiScreen def) { return def == msSpanned ? msOwnPicture : msSpanned; }
TPanZoom Other(TPanZoom def) { return def == TPanZoom::Strong ? TPanZoom::Off : TPanZoom::Strong; }

// Any writer of the file can use the table, the keys TSettingsStore::Save
// leaves alone included, and what it writes under one key comes back in
// that key's field and nowhere else.
TEST_F(SaverSettingsTest, EachKeyCarriesItsFieldAlone) {
  const TSaverSetting defaults;
  for (const TSettingKey& k : kSaverSettingKeys) {
    TSaverSetting want = defaults;
    std::visit([&](auto field) { want.*field = Other(defaults.*field); }, k.Field);
    std::filesystem::remove(dir.Path("Mountains.002"));
    {
      TIniFile file(dir.Path("Mountains.002"));
      WriteSettingKey(file, k, want);
      EXPECT_EQ(file.Document().ReadSectionKeys(k.Section), std::vector<std::string>{std::string(k.Name)});
    }
    const std::string text = dir.Read("Mountains.002");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;  // the section and the key
    Load("");
    ExpectSameRecord(S(), want, std::string(k.Name));
  }
}

TEST(InstanceIdentity, NameFoldersAndRegistry) {
  test::TTempDir dir;
  test::TFakeRegistry registry;
  test::TFakeUserFolders folders;
  dir.Write("Mountains.002", "");
  dir.Write("Mountaineer.txt", "");
  struct Case { std::string exe; std::string name; } cases[] = {
      {"My Show.scr", "My Show"},
      {"MOUNTA~1.SCR", "Mountains"},  // started by its short name
      {"MYSHOW~1.SCR", "MYSHOW~1"},   // no settings file begins with MYSHOW
      {"VantaSaver.scr", "VantaSaver"},
  };
  for (const Case& k : cases) {
    const TInstanceIdentity id = DetermineInstanceIdentity(dir.Path(k.exe), registry, folders);
    EXPECT_EQ(id.InstanceName, k.name) << k.exe;
    EXPECT_EQ(id.ProgramFolder, dir.Folder());
    // No registry value: unknown for a saver, the builder's own folder.
    EXPECT_EQ(id.InstallFolder, k.name == "VantaSaver" ? dir.Folder() : "") << k.exe;
  }
  registry.SetCurrentUserDefault("\\Software\\Norvane\\Mountains", "/opt/Mountains");
  EXPECT_EQ(DetermineInstanceIdentity(dir.Path("MOUNTA~1.SCR"), registry, folders).InstallFolder, "/opt/Mountains/");
  registry.SetCurrentUserDefault("\\Software\\Norvane\\Mountains", "/opt/Mountains/");
  EXPECT_EQ(DetermineInstanceIdentity(dir.Path("Mountains.scr"), registry, folders).InstallFolder, "/opt/Mountains/");
}

}  // namespace
}  // namespace vanta
