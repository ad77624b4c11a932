#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <memory>

#include "base/Random.h"
#include "EffectsTestSupport.h"
#include "FakeMpegLibrary.h"
#include "PictureWriters.h"
#include "music/MusicSet.h"
#include "platform/DynamicLibrary.h"
#include "platform/headless/HeadlessScheduler.h"
#include "platform/headless/HeadlessSurfaceHost.h"
#include "settings/SaverSettings.h"
#include "show/RunVantascreen.h"
#include "settings/Instance.h"
#include "TempDir.h"

namespace vanta {
namespace {

using platform::THeadlessScheduler;
using platform::THeadlessSurfaceHost;
using test::Solid;

class RunVantascreenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setting.Transitions = DefaultTransitions();
    SetInstance({"Show", dir.Folder(), dir.Folder() + "install/", dir.Folder(), dir.Folder()});
    // The music set plays on the show's clock.
    platform::SetMainSchedulerForTests(&sched);
    test::InstallFakeMpeg();
  }
  void TearDown() override {
    driver.reset();
    ResetMusicSetForTests();
    platform::SetMainSchedulerForTests(nullptr);
    platform::ResetFakeLibrariesForTests();
    SetInstance({});
  }
  // A picture file of one colour.
  std::string Picture(const std::string& name, TColor c, int w = 64, int h = 48) {
    return dir.Write(name, test::MakeBmp(Solid(w, h, c)));
  }
  TRunVantascreen& Make(bool preview = false, bool demo = false, int32_t demoStyle = 1, std::string placeFile = {}) {
    driver = std::make_unique<TRunVantascreen>(TShowParent{host, sched, 320, 240}, setting, TShowMouseHandlers{},
                                               preview, demo, demoStyle, std::move(placeFile));
    return *driver;
  }
  // One run of a saver keeping its place in placeFile: the pictures it took.
  std::vector<std::string> Run(const std::string& placeFile, int count) {
    TRunVantascreen& d = Make(false, false, 1, placeFile);
    std::vector<std::string> taken;
    for (int i = 0; i < count; ++i) {
      d.NextPicture();
      taken.push_back(d.CurrentFile);
    }
    driver.reset();
    return taken;
  }
  // What the display shows in its middle.
  TColor Middle() const { return host.Display().Pixel(160, 120); }

  test::TTempDir dir;
  TSaverSetting setting;  // what the driver shows
  THeadlessScheduler sched;
  THeadlessSurfaceHost host{320, 240, 0x123456};
  std::unique_ptr<TRunVantascreen> driver;
};

TEST_F(RunVantascreenTest, ShuffleNeverShowsAPictureTwiceInARow) {
  setting.Pictures = {Picture("a.bmp", 0xFF), Picture("b.bmp", 0xFF00), Picture("c.bmp", 0xFF0000)};
  TRunVantascreen& d = Make();
  SetRandSeed(7);
  std::map<std::string, int> seen;
  std::string last;
  for (int i = 0; i < 300; ++i) {
    d.NextPicture();
    ASSERT_NE(d.CurrentFile, last);
    last = d.CurrentFile;
    ++seen[last];
  }
  EXPECT_EQ(seen.size(), 3u);
}

TEST_F(RunVantascreenTest, ASaverGoesOnWhereItsLastRunStopped) {
  std::vector<std::string> six;
  for (int i = 0; i < 6; ++i) six.push_back(Picture("p" + std::to_string(i) + ".bmp", static_cast<TColor>(i + 1)));
  const std::string place = dir.Path("Norvane/Show.place");
  const auto distinct = [](const std::vector<std::string>& v) { return std::set<std::string>(v.begin(), v.end()).size(); };
  struct Case {
    const char* name;
    bool shuffle;
    std::function<void()> between;  // what happens between the runs
    size_t wantDistinct;            // among the first run's and the second's pictures together
  } cases[] = {
      {"shuffle: the round goes on", true, [] {}, 6},
      {"list order: the next entry", false, [] {}, 6},
      {"the list grew: a new round over all seven", true,
       [&] { setting.Pictures.push_back(Picture("new.bmp", 0x77)); }, 7},
      {"the file damaged: a fresh start", true, [&] { dir.Write("Norvane/Show.place", "vanta show place 1\nlist=1"); }, 0},
      {"the file gone: a fresh start", true, [&] { std::filesystem::remove(place); }, 0},
  };
  for (const Case& c : cases) {
    setting.Pictures = six;
    setting.RandomImage = c.shuffle;
    std::filesystem::remove(place);
    SetRandSeed(21);
    const std::vector<std::string> first = Run(place, 4);
    c.between();
    const size_t n = setting.Pictures.size();
    const std::vector<std::string> second = Run(place, static_cast<int>(n));
    if (c.wantDistinct == 6) {
      std::vector<std::string> both = first;
      both.insert(both.end(), second.begin(), second.begin() + 2);
      EXPECT_EQ(distinct(both), 6u) << c.name;  // the round (or the list) completed, nothing twice
      EXPECT_NE(second.front(), first.back()) << c.name;
    }
    // A fresh start or a new round: the second run's first n pictures are all n.
    if (c.wantDistinct != 6 || !c.shuffle) {
      EXPECT_EQ(distinct(second), n) << c.name;
    }
    if (!c.shuffle) {
      EXPECT_EQ(second.front(), six[4]) << c.name;
    }
  }
  // Previews keep no place.
  setting.Pictures = six;
  std::filesystem::remove(place);
  TRunVantascreen& preview = Make(true);
  preview.NextPicture();
  EXPECT_FALSE(std::filesystem::exists(place));
}

TEST_F(RunVantascreenTest, APlaceThatCannotBeWrittenChangesNothing) {
  setting.Pictures = {Picture("a.bmp", 1), Picture("b.bmp", 2), Picture("c.bmp", 3)};
  dir.Write("blocked", "a file where the folder should be");
  const std::vector<std::string> taken = Run(dir.Path("blocked/sub/Show.place"), 6);
  EXPECT_EQ(std::set<std::string>(taken.begin(), taken.begin() + 3).size(), 3u);
  EXPECT_EQ(std::set<std::string>(taken.begin() + 3, taken.end()).size(), 3u);
}

TEST_F(RunVantascreenTest, ListOrderCycles) {
  setting.RandomImage = false;
  setting.Pictures = {Picture("a.bmp", 1), Picture("b.bmp", 2), Picture("c.bmp", 3)};
  TRunVantascreen& d = Make();
  const auto& p = setting.Pictures;
  for (const std::string& want : {p[0], p[1], p[2], p[0], p[1], p[2], p[0]}) {
    d.NextPicture();
    EXPECT_EQ(d.CurrentFile, want);
  }
}

TEST_F(RunVantascreenTest, OnePictureOrTheSamePathIsTakenWithoutADraw) {
  const std::string a = Picture("a.bmp", 1);
  for (const auto& list : {std::vector<std::string>{a}, std::vector<std::string>{a, a, a}}) {
    setting.Pictures = list;
    TRunVantascreen& d = Make();
    SetRandSeed(99);
    d.NextPicture();
    d.NextPicture();
    EXPECT_EQ(d.CurrentFile, a);
    EXPECT_EQ(RandSeed(), 99u);
  }
}

TEST_F(RunVantascreenTest, AMissingFileKeepsThePictureAndTheCaption) {
  setting.RandomImage = false;
  setting.CaptionPosition = cpBottomOfScreen;
  setting.Pictures = {Picture("a.bmp", 0x0000FF), dir.Path("gone.bmp")};
  TRunVantascreen& d = Make();
  d.NextPicture();
  EXPECT_EQ(d.Surface().Caption, "a");
  const TBitmap24 before = d.Surface().Picture();
  d.NextPicture();
  EXPECT_EQ(d.CurrentFile, dir.Path("gone.bmp"));
  EXPECT_TRUE(d.Surface().Picture() == before);
  EXPECT_EQ(d.Surface().Caption, "a");
}

TEST_F(RunVantascreenTest, EffectIsDrawnFromTheEnabledSet) {
  setting.Pictures = {Picture("a.bmp", 1), Picture("b.bmp", 2)};
  struct Case { std::vector<int> enabled; std::vector<int> allowed; } cases[] = {
      {{59}, {59}}, {{}, {0}}, {{0}, {0}}, {{1, 127}, {1, 127}},
  };
  for (const Case& k : cases) {
    setting.Transitions.reset();
    for (int e : k.enabled) setting.Transitions.set(static_cast<size_t>(e));
    TRunVantascreen& d = Make();
    d.Surface().SetManual(true);  // start without stepping
    for (int i = 0; i < 30; ++i) {
      d.NextPicture();
      d.StartTransition();
      const int style = d.Surface().Style;
      EXPECT_NE(std::find(k.allowed.begin(), k.allowed.end(), style), k.allowed.end()) << style;
    }
  }
}

TEST_F(RunVantascreenTest, AboutOneRunInThreeIsReversed) {
  setting.Pictures = {Picture("a.bmp", 1), Picture("b.bmp", 2)};
  setting.AllowReverseTransition = true;
  TRunVantascreen& d = Make();
  d.Surface().SetManual(true);  // start without stepping
  SetRandSeed(2024);
  int reversed = 0;
  const int runs = 3000;
  for (int i = 0; i < runs; ++i) {
    d.StartTransition();
    reversed += d.Surface().Reverse ? 1 : 0;
  }
  EXPECT_NEAR(reversed, runs / 3, runs / 20);
}

TEST_F(RunVantascreenTest, SpeedTable) {
  struct Case { int speed; unsigned step, delay; } cases[] = {
      {1, 10, 1}, {2, 6, 20}, {3, 4, 30}, {4, 2, 30}, {5, 1, 30}, {7, 4, 30}, {0, 4, 30}};
  for (const Case& k : cases) {
    setting.EffectSpeed = k.speed;
    TRunVantascreen& d = Make();
    EXPECT_EQ(d.Surface().Step(), k.step) << k.speed;
    EXPECT_EQ(d.Surface().Delay, k.delay) << k.speed;
  }
}

TEST_F(RunVantascreenTest, Captions) {
  struct Case { bool name, path, ext, addText; std::string text; bool hide; TCaptionPosition pos; std::string want; }
  cases[] = {
      {true, false, false, false, "", false, cpBelowImage, "beach"},
      {true, true, true, false, "", false, cpBelowImage, dir.Folder() + "beach.bmp"},
      {true, false, false, true, "Photo: ", false, cpBelowImage, "Photo: beach"},
      {false, true, true, true, "Only text", false, cpFixed, "Only text"},
      {true, false, false, true, "x", true, cpBelowImage, ""},
      {true, false, false, true, "x", false, cpOff, ""},
  };
  setting.Pictures = {Picture("beach.bmp", 0xFF)};
  for (const Case& k : cases) {
    TSaverSetting& s = setting;
    s.IncludeFilename = k.name;
    s.Filepath = k.path;
    s.FileExt = k.ext;
    s.IncludeAdditionalText = k.addText;
    s.AdditionalText = k.text;
    s.ForceHide = k.hide;
    s.CaptionPosition = k.pos;
    TRunVantascreen& d = Make();
    d.NextPicture();
    EXPECT_EQ(d.Surface().Caption, k.want);
    TRunVantascreen& preview = Make(true);
    preview.NextPicture();
    EXPECT_EQ(preview.Surface().Caption, "");
  }
}

TEST_F(RunVantascreenTest, DemoAlternatesTheSamplePictures) {
  Picture("t1.jpg.bmp", 0);  // not a sample
  dir.Write("t1.jpg", test::MakeJpeg(Solid(32, 32, 0xFF)));
  dir.Write("install/sample/t2.jpg", test::MakeJpeg(Solid(32, 32, 0xFF00)));
  setting.Pictures = {Picture("a.bmp", 1)};
  TRunVantascreen& d = Make(true, true, 59);
  for (const std::string& want :
       {dir.Path("t1.jpg"), dir.Folder() + "install/sample/t2.jpg", dir.Path("t1.jpg"), dir.Folder() + "install/sample/t2.jpg"}) {
    d.NextPicture();
    EXPECT_EQ(d.CurrentFile, want);
  }
  d.Surface().SetManual(true);
  d.StartTransition();
  EXPECT_EQ(d.Surface().Style, 59);
}

TEST_F(RunVantascreenTest, TheWholeCycleOnVirtualTime) {
  setting.RandomImage = false;
  setting.ImageInterval = 5;
  setting.EffectSpeed = 1;
  setting.Transitions.reset();
  setting.Transitions.set(5);
  setting.StretchImage = true;
  setting.Pictures = {Picture("red.bmp", 0x0000FF), Picture("green.bmp", 0x00FF00)};
  TRunVantascreen& d = Make();
  d.Surface().Threaded = false;
  EXPECT_TRUE(d.ShowTimerEnabled());
  sched.AdvanceTime(99);
  EXPECT_EQ(d.CurrentFile, "");
  sched.AdvanceTime(1);  // the first picture 100 ms after construction
  EXPECT_EQ(d.CurrentFile, setting.Pictures[0]);
  ASSERT_TRUE(sched.RunUntil([&] { return !d.Surface().Running(); }));
  EXPECT_EQ(Middle(), 0x0000FFu);
  EXPECT_TRUE(d.ShowTimerEnabled());
  EXPECT_EQ(d.ShowTimerInterval(), 5000u);
  sched.AdvanceTime(4999);
  EXPECT_EQ(d.CurrentFile, setting.Pictures[0]);
  sched.AdvanceTime(1);
  EXPECT_EQ(d.CurrentFile, setting.Pictures[1]);
  ASSERT_TRUE(sched.RunUntil([&] { return !d.Surface().Running(); }));
  EXPECT_EQ(Middle(), 0x00FF00u);
}

// A picture with a 2-pixel red frame around green: its edges tell whether it is whole.
std::string FramedPicture(test::TTempDir& dir, const std::string& name, int w, int h) {
  TBitmap24 b = Solid(w, h, 0x0000FF);
  b.FillRect({2, 2, w - 2, h - 2}, 0x00FF00);
  return dir.Write(name, test::MakeBmp(b));
}

TEST_F(RunVantascreenTest, FitAndFillPlaceEachPictureOnTheWholeScreen) {
  setting.RandomImage = false;
  setting.Transitions.reset();
  setting.Transitions.set(5);
  setting.BackgroundColor = 0x202020;
  // 400 x 300 on the 320 x 240 screen: shrunk, its frame at the screen's edges.
  setting.Pictures = {FramedPicture(dir, "land.bmp", 400, 300), FramedPicture(dir, "tall.bmp", 90, 240)};
  setting.ImageFit = ifFit;
  TRunVantascreen& d = Make();
  d.Surface().Threaded = false;
  const auto show = [&] {
    d.ShowTimerTick();
    ASSERT_TRUE(sched.RunUntil([&] { return !d.Surface().Running(); }));
    host.UpdateNow();
  };
  show();
  const TBitmap24& px = host.Display();
  for (TPoint p : {TPoint{0, 120}, TPoint{319, 120}, TPoint{160, 0}, TPoint{160, 239}})
    EXPECT_EQ(px.Pixel(p.X, p.Y), 0x0000FFu) << p.X << "," << p.Y;
  EXPECT_EQ(Middle(), 0x00FF00u);
  // A portrait after it: bars of background on both sides, nothing left of the landscape.
  show();
  EXPECT_EQ(px.Pixel(20, 120), 0x202020u);
  EXPECT_EQ(px.Pixel(300, 120), 0x202020u);
  EXPECT_EQ(px.Pixel(160 - 45, 120), 0x0000FFu);
  EXPECT_EQ(px.Pixel(160 + 44, 120), 0x0000FFu);
  // Fill: the portrait covers the width, its top and bottom cut away.
  setting.ImageFit = ifFill;
  d.ApplySettings();
  show();  // the landscape again, then the portrait
  show();
  EXPECT_EQ(px.Pixel(0, 120), 0x0000FFu);
  EXPECT_EQ(px.Pixel(319, 120), 0x0000FFu);
  EXPECT_EQ(px.Pixel(160, 0), 0x00FF00u);
  EXPECT_EQ(px.Pixel(160, 239), 0x00FF00u);
}

// A picture with detail everywhere: red across, green down.
std::string GradientPicture(test::TTempDir& dir, const std::string& name, int w, int h) {
  TBitmap24 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, static_cast<TColor>((x * 255 / w) | (y * 255 / h) << 8 | 0x400000));
  return dir.Write(name, test::MakeBmp(b));
}

TEST_F(RunVantascreenTest, MotionMovesThePictureAndNeverUncoversTheBackground) {
  setting.RandomImage = false;
  setting.ImageInterval = 10;
  setting.Transitions.reset();
  setting.Transitions.set(5);
  setting.BackgroundColor = 0xFF00FF;  // in no pixel of the picture
  setting.ImageFit = ifFit;
  setting.Pictures = {GradientPicture(dir, "a.bmp", 640, 480)};
  for (TPanZoom strength : {TPanZoom::Off, TPanZoom::Gentle, TPanZoom::Strong}) {
    setting.PanZoom = strength;
    TRunVantascreen& d = Make();
    d.Surface().Threaded = false;
    d.ShowTimerTick();
    ASSERT_TRUE(sched.RunUntil([&] { return !d.Surface().Running(); }));
    host.UpdateNow();
    const TBitmap24 first = host.Display();
    std::vector<TBitmap24> later;
    for (int i = 0; i < 2; ++i) {
      sched.AdvanceTime(1000);
      host.UpdateNow();
      later.push_back(host.Display());
    }
    const bool moves = strength != TPanZoom::Off;
    EXPECT_EQ(d.Motion().Moving(), moves);
    EXPECT_EQ(later[0] != later[1], moves) << static_cast<int>(strength);
    EXPECT_EQ(first != later[0], moves);
    for (const TBitmap24& frame : later)
      for (int y = 0; y < frame.Height(); y += 3)
        for (int x = 0; x < frame.Width(); x += 3) ASSERT_NE(frame.Pixel(x, y), 0xFF00FFu) << x << "," << y;
    driver.reset();
  }
}

TEST_F(RunVantascreenTest, MotionEndsEachTransitionOnTheNextPicturesFirstFraming) {
  setting.RandomImage = false;
  setting.ImageInterval = 4;
  setting.ClearOldImage = false;
  setting.Transitions.reset();
  setting.Transitions.set(5);
  setting.ImageFit = ifFit;
  setting.PanZoom = TPanZoom::Strong;
  setting.Pictures = {GradientPicture(dir, "a.bmp", 640, 480), GradientPicture(dir, "b.bmp", 400, 300)};
  TRunVantascreen& d = Make();
  d.Surface().Threaded = false;
  d.ShowTimerTick();
  ASSERT_TRUE(sched.RunUntil([&] { return !d.Surface().Running(); }));
  sched.AdvanceTime(3000);
  host.UpdateNow();
  const TBitmap24 lastOfFirst = host.Display();
  // The next picture: its transition starts from what is on the screen.
  // The transition's old image is made from what was painted last.
  TBitmap24 old;
  d.Surface().OnProgress = [&old](TCustomVantascreen& s) {
    if (old.Empty() && s.OldImage()) old = s.PaintBuffer();
  };
  d.ShowTimerTick();
  ASSERT_TRUE(sched.RunUntil([&] { return !d.Surface().Running(); }));
  EXPECT_EQ(old, lastOfFirst);
  host.UpdateNow();
  const TBitmap24 arrived = host.Display();
  // The first motion frame draws the path's start again: no jump.
  sched.AdvanceTime(d.Motion().FrameIntervalMs());
  host.UpdateNow();
  int changed = 0;
  for (int y = 0; y < 240; ++y)
    for (int x = 0; x < 320; ++x) {
      const TColor a = arrived.Pixel(x, y), b = host.Display().Pixel(x, y);
      for (int c = 0; c < 24; c += 8) changed = std::max(changed, std::abs(int(a >> c & 255) - int(b >> c & 255)));
    }
  EXPECT_LE(changed, 4);
}

TEST_F(RunVantascreenTest, ASmallPreviewDrawsFewerMotionFrames) {
  setting.ImageInterval = 10;
  setting.Transitions.reset();
  setting.Transitions.set(5);
  setting.PanZoom = TPanZoom::Gentle;
  setting.ImageFit = ifFit;
  setting.Pictures = {GradientPicture(dir, "a.bmp", 640, 480)};
  std::vector<uint32_t> intervals;
  for (int width : {1600, 152}) {
    driver = std::make_unique<TRunVantascreen>(TShowParent{host, sched, width, width * 3 / 4}, setting,
                                               TShowMouseHandlers{}, width < 320, false, 1);
    driver->Surface().Threaded = false;
    SetRandSeed(7);  // the same path at both sizes: only the size differs
    driver->ShowTimerTick();
    ASSERT_TRUE(sched.RunUntil([&] { return !driver->Surface().Running(); }));
    ASSERT_TRUE(driver->Motion().Moving());
    intervals.push_back(driver->Motion().FrameIntervalMs());
    driver.reset();
  }
  EXPECT_EQ(intervals[0] % TPictureMotion::kRefreshMs, 0u);
  EXPECT_GE(intervals[1], 5 * intervals[0]);
}

TEST_F(RunVantascreenTest, MusicAndPicturesRunOnOneClock) {
  setting.Pictures = {Picture("a.bmp", 1), Picture("b.bmp", 2)};
  setting.Music = {dir.Write("one.mp3", "mp3"), dir.Write("two.mp3", "mp3")};
  TRunVantascreen& d = Make();
  d.Surface().Threaded = false;
  d.StartMusic();
  EXPECT_EQ(test::FakeMpeg().openedName, setting.Music[0]);
  test::FakeMpeg().EndStream();
  sched.AdvanceTime(999);
  EXPECT_NE(d.CurrentFile, "");  // the first picture came at 100 ms
  EXPECT_EQ(test::FakeMpeg().openedName, setting.Music[0]);
  sched.AdvanceTime(1);  // the player's poll sees the end
  EXPECT_EQ(test::FakeMpeg().openedName, setting.Music[1]);
}

TEST_F(RunVantascreenTest, IntervalZeroKeepsTheFirstPicture) {
  setting.ImageInterval = 0;
  setting.Pictures = {Picture("a.bmp", 0x0000FF), Picture("b.bmp", 0x00FF00)};
  TRunVantascreen& d = Make();
  d.Surface().Threaded = false;
  sched.AdvanceTime(100);
  ASSERT_TRUE(sched.RunUntil([&] { return !d.Surface().Running(); }));
  const std::string first = d.CurrentFile;
  sched.AdvanceTime(3600 * 1000);
  EXPECT_EQ(d.CurrentFile, first);
  EXPECT_TRUE(d.ShowTimerEnabled());
}

TEST_F(RunVantascreenTest, AnEmptyListDrawsNothing) {
  TRunVantascreen& d = Make();
  d.Surface().Threaded = false;
  sched.AdvanceTime(100);
  sched.AdvanceTime(10000);
  EXPECT_FALSE(d.Surface().Running());
  EXPECT_EQ(d.CurrentFile, "");
  EXPECT_TRUE(d.Surface().Picture().Empty());
}

}  // namespace
}  // namespace vanta
