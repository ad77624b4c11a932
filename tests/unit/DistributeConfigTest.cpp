#include <gtest/gtest.h>

#include "setting_dialog/DistributeConfig.h"
#include "TempDir.h"

namespace vanta {
namespace {

TEST(SpinRange, ReadsWholeNumbersClampedAndAnythingElseAsTheLowerEnd) {
  struct Case { TSpinRange range; const char* text; int32_t value; } cases[] = {
      {kIntervalRange, "42", 42},
      {kIntervalRange, "  7 ", 7},
      {kIntervalRange, "+3", 3},
      {kIntervalRange, "0", 1},
      {kIntervalRange, "-5", 1},
      {kIntervalRange, "1000", 1000},
      {kIntervalRange, "1001", 1000},
      {kIntervalRange, "99999999999999999999999", 1000},
      {kIntervalRange, "-99999999999999999999999", 1},
      {kIntervalRange, "", 1},
      {kIntervalRange, "   ", 1},
      {kIntervalRange, "abc", 1},
      {kIntervalRange, "12abc", 1},
      {kIntervalRange, "3.5", 1},
      {kIntervalRange, "1 000", 1},
      {kIntervalRange, "-", 1},
      {kIntervalRange, "0x10", 1},
      {kSpeedRange, "9", 5},
      {kSpeedRange, "4", 4},
      {kSpeedRange, "0", 1},
      {kSpeedRange, "x", 1},
  };
  for (const Case& c : cases) EXPECT_EQ(c.range.Read(c.text), c.value) << '"' << c.text << '"';
}

TEST(SpinRange, ClampsValuesGivenToIt) {
  struct Case { TSpinRange range; int64_t in; int32_t out; } cases[] = {
      {kIntervalRange, 0, 1},       {kIntervalRange, 1, 1},       {kIntervalRange, 500, 500},
      {kIntervalRange, 1000, 1000}, {kIntervalRange, 1001, 1000}, {kIntervalRange, INT64_MIN, 1},
      {kSpeedRange, 9, 5},          {kSpeedRange, -2147483648LL, 1}, {kSpeedRange, 3, 3},
  };
  for (const Case& c : cases) EXPECT_EQ(c.range.Clamp(c.in), c.out) << c.in;
}

TEST(ColorList, NamesItsColoursAndKeepsAnyOtherExactly) {
  struct Case { TColor color; size_t items; size_t selected; const char* text; } cases[] = {
      {0x000000, 17, 0, "Black"},
      {0x00FFFF, 17, 11, "Yellow"},
      {0xFF0000, 17, 12, "Blue"},
      {0xFFFFFF, 17, 15, "White"},
      {0x563412, 18, 16, "Custom 18, 52, 86"},
      {0x80000005, 18, 16, "Custom 5, 0, 0"},  // a high byte is not dropped
      {0x01000000, 18, 16, "Custom 0, 0, 0"},  // nor taken for black
  };
  for (const Case& c : cases) {
    const TColorList list = ColorListFor(c.color);
    ASSERT_EQ(list.Items.size(), c.items) << c.text;
    EXPECT_EQ(list.Selected, c.selected) << c.text;
    EXPECT_EQ(list.Items[list.Selected].Color, c.color) << c.text;
    EXPECT_EQ(list.Items[list.Selected].Text, c.text);
    EXPECT_FALSE(list.Items[list.Selected].Other);
    EXPECT_TRUE(list.Items.back().Other);
    EXPECT_EQ(list.Items.back().Text, kOtherColorText);
    for (size_t i = 0; i + 1 < list.Items.size(); ++i) EXPECT_FALSE(list.Items[i].Other) << i;
  }
}

TSaverSetting Setting(bool music, bool playMusic, TCaptionPosition position, bool forceHide) {
  TSaverSetting s;
  if (music) s.Music = {"a.mp3"};
  s.PlayMusic = playMusic;
  s.CaptionPosition = position;
  s.ForceHide = forceHide;
  return s;
}

TEST(SettingControls, ShowTheRecordAndItsTexts) {
  TSaverSetting s;
  s.StretchImage = true;
  s.RandomImage = false;
  s.BackgroundColor = 0x123456;
  s.ImageInterval = 0;
  s.EffectSpeed = 9;
  s.Author = "Ann";
  s.Website = "http://example.org/ann";
  TSettingControls design;
  design.Readme = "held before";

  TSettingControls c = LoadControls(design, s, "Mountains", std::nullopt);
  EXPECT_EQ(c.Title, "Mountains");
  EXPECT_EQ(c.Author, "Ann");
  EXPECT_EQ(c.Website, "http://example.org/ann");
  EXPECT_EQ(c.Readme, "held before");  // no readme: the memo keeps its text
  EXPECT_FALSE(c.OriginalRadio);
  EXPECT_TRUE(c.StretchRadio);
  EXPECT_TRUE(c.NormalizeRadio);
  EXPECT_FALSE(c.RandomizeRadio);
  EXPECT_EQ(c.Backcolor, 0x123456u);
  EXPECT_EQ(c.Interval, 1);
  EXPECT_EQ(c.Speed, 5);
  EXPECT_EQ(c.Screens, msOwnPicture);
  EXPECT_EQ(c.Motion, 0);

  s.StretchImage = false;
  s.MultiScreen = msPrimaryOnly;
  s.PanZoom = TPanZoom::Strong;
  s.RandomImage = true;
  s.ImageInterval = 1001;
  s.EffectSpeed = -3;
  c = LoadControls(design, s, "Mountains", std::string("line\r\n"));
  EXPECT_EQ(c.Readme, "line\r\n");
  EXPECT_TRUE(c.OriginalRadio && !c.StretchRadio && !c.NormalizeRadio && c.RandomizeRadio);
  EXPECT_EQ(c.Interval, 1000);
  EXPECT_EQ(c.Speed, 1);
  EXPECT_EQ(c.Screens, msPrimaryOnly);
  EXPECT_EQ(c.Motion, 2);
}

TEST(SettingControls, TheFourPictureSizesRoundTrip) {
  for (TImageSizing sizing : {TImageSizing::Original, TImageSizing::Fit, TImageSizing::Fill, TImageSizing::Stretch}) {
    TSaverSetting s;
    SetImageSizing(s, sizing);
    const TSettingControls c = LoadControls({}, s, "Mountains", std::nullopt);
    EXPECT_EQ(int{c.OriginalRadio} + c.FitRadio + c.FillRadio + c.StretchRadio, 1);
    TSaverSetting stored;
    stored.StretchImage = !s.StretchImage;
    stored.ImageFit = 2 - s.ImageFit;
    StoreControls(c, stored);
    EXPECT_EQ(stored.StretchImage, s.StretchImage);
    EXPECT_EQ(stored.ImageFit, s.ImageFit);
  }
}

TEST(SettingControls, StoringWhatWasLoadedChangesOnlyWhatTheControlsCannotHold) {
  struct Case {
    const char* what;
    TSaverSetting setting;
    void (*expect)(TSaverSetting&);  // the changes a store makes
  } cases[] = {
      {"all in range", Setting(true, false, cpAboveImage, true), [](TSaverSetting&) {}},
      {"interval 0", [] { auto s = Setting(true, true, cpFixed, false); s.ImageInterval = 0; return s; }(),
       [](TSaverSetting& s) { s.ImageInterval = 1; }},
      {"speed 9", [] { auto s = Setting(true, true, cpFixed, false); s.EffectSpeed = 9; return s; }(),
       [](TSaverSetting& s) { s.EffectSpeed = 5; }},
      {"music missing", Setting(false, true, cpFixed, false), [](TSaverSetting& s) { s.PlayMusic = false; }},
      {"caption off", Setting(true, true, cpOff, false), [](TSaverSetting& s) { s.ForceHide = true; }},
      {"custom colour", [] { auto s = Setting(true, true, cpFixed, false); s.BackgroundColor = 0x80000005; return s; }(),
       [](TSaverSetting&) {}},
      {"one picture across the screens", [] { auto s = Setting(true, true, cpFixed, false); s.MultiScreen = msSpanned; return s; }(),
       [](TSaverSetting&) {}},
      {"gentle motion", [] { auto s = Setting(true, true, cpFixed, false); s.PanZoom = TPanZoom::Gentle; return s; }(),
       [](TSaverSetting&) {}},
  };
  for (Case& c : cases) {
    c.setting.Author = "Ann";
    c.setting.Pictures = {"a.jpg", "b.jpg"};
    c.setting.Transitions.reset(5);
    c.setting.RandomMusic = true;
    c.setting.FontName = "Arial";
    TSaverSetting expected = c.setting;
    c.expect(expected);
    TSaverSetting stored = c.setting;
    StoreControls(LoadControls({}, c.setting, "Show", std::nullopt), stored);
    EXPECT_TRUE(stored == expected) << c.what;
  }
}

TEST(Readme, ComesFromTheInstallFolder) {
  test::TTempDir dir;
  EXPECT_EQ(ReadReadme(dir.Folder()), std::nullopt);
  dir.Write("readme.txt", "Hello\nWorld\n");
  EXPECT_EQ(ReadReadme(dir.Folder()), "Hello\r\nWorld\r\n");
  std::string folder = dir.Folder();
  folder.pop_back();  // without its delimiter the file is still found
  EXPECT_EQ(ReadReadme(folder), "Hello\r\nWorld\r\n");
  EXPECT_EQ(ReadReadme(""), std::nullopt);
}

}  // namespace
}  // namespace vanta
