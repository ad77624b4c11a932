#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>

#include "base/Random.h"
#include "base/Text.h"
#include "EffectsTestSupport.h"
#include "FakeMpegLibrary.h"
#include "PictureWriters.h"
#include "music/MusicSet.h"
#include "platform/headless/FixedMonitors.h"
#include "platform/headless/HeadlessScheduler.h"
#include "platform/headless/HeadlessSurfaceHost.h"
#include "settings/SaverSettings.h"
#include "show/ScreenShow.h"
#include "TempDir.h"

namespace vanta {
namespace {

using platform::TMonitor;

constexpr TColor kUncovered = 0x123456;  // the display before anything paints it
constexpr TColor kBackground = 0x0A0B0C;

// Three small monitors of different sizes, the left one at negative coordinates, a gap below two.
const std::vector<TMonitor> kThree = {{{0, 0, 160, 120}, true}, {{-100, 30, 0, 110}, false}, {{160, 0, 360, 150}, false}};

class ScreenShowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setting.Transitions = DefaultTransitions();
    setting.BackgroundColor = kBackground;
    setting.EffectSpeed = 1;
    test::InstallFakeMpeg(libraries);
  }
  void TearDown() override { show.reset(); }
  void Pictures(int n) {
    setting.Pictures.clear();
    for (int i = 0; i < n; ++i)
      setting.Pictures.push_back(
          dir.Write("p" + std::to_string(i) + ".bmp", test::MakeBmp(test::Solid(40, 30, 0x010000u * (i + 1) + 0x20))));
  }
  TScreenLayout Layout() { return LayOutScreens(monitors.List(), monitors.PrimaryScreen(), setting.MultiScreen); }
  TScreenShow& Make() {
    show = std::make_unique<TScreenShow>(host, sched, setting, Layout(), std::string{}, &music);
    return *show;
  }
  bool AllStill() {
    for (size_t i = 0; i < show->Count(); ++i)
      if (show->Sequence(i).Surface().Running()) return false;
    return true;
  }
  // Every pixel of the window painted by a surface or a gap.
  int UncoveredPixels() {
    host.UpdateNow();
    const TRect w = show->Layout().Window;
    int n = 0;
    for (int y = 0; y < w.Height(); ++y)
      for (int x = 0; x < w.Width(); ++x) n += host.Display().Pixel(x, y) == kUncovered;
    return n;
  }

  test::TTempDir dir;
  TSaverSetting setting;
  platform::THeadlessScheduler sched;
  test::TFakeLibraries libraries;
  TMusicSet music{sched, libraries, platform::CreateMediaControl};
  platform::THeadlessSurfaceHost host{600, 300, kUncovered};
  platform::TFixedMonitors monitors{kThree, {0, 0, 160, 120}};
  std::unique_ptr<TScreenShow> show;
};

TEST_F(ScreenShowTest, NoPictureTwiceAtOnceAndFairTurns) {
  struct Case { int pictures; bool random; } cases[] = {{3, true}, {3, false}, {5, true}, {5, false}, {12, true}};
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.pictures << " pictures, random " << k.random);
    Pictures(k.pictures);
    setting.RandomImage = k.random;
    SetRandSeed(11);
    TScreenShow& s = Make();
    ASSERT_EQ(s.Count(), 3u);
    std::map<std::ptrdiff_t, int> dealt;
    std::vector<std::ptrdiff_t> order;
    for (int turn = 0; turn < 600; ++turn) {
      // Monitors change pictures in a varying order, as their timers fall.
      const size_t who = k.random ? Random(3) : static_cast<size_t>(turn % 3);
      const std::ptrdiff_t before = s.Sequence(who).PictureIndex;
      s.Sequence(who).NextPicture();
      const std::ptrdiff_t now = s.Sequence(who).PictureIndex;
      if (k.pictures > 3 || before < 0) {
        ASSERT_NE(now, before) << "a monitor's picture changes";
      }
      ++dealt[now];
      order.push_back(now);
      std::set<std::ptrdiff_t> onScreen;
      for (size_t i = 0; i < 3; ++i)
        if (s.Sequence(i).PictureIndex >= 0) {
          ASSERT_TRUE(onScreen.insert(s.Sequence(i).PictureIndex).second);
        }
      EXPECT_EQ(s.Sequence(who).CurrentFile, setting.Pictures[static_cast<size_t>(now)]);
    }
    ASSERT_EQ(dealt.size(), static_cast<size_t>(k.pictures)) << "every picture has its turns";
    if (k.pictures == 3) continue;  // as many as monitors: each keeps its own
    const auto [least, most] = std::minmax_element(dealt.begin(), dealt.end(),
                                                   [](const auto& a, const auto& b) { return a.second < b.second; });
    if (k.random) {
      EXPECT_GT(least->second * 2, most->second);
    } else {
      EXPECT_LE(most->second - least->second, 1);
      for (size_t i = 0; i < order.size(); ++i) ASSERT_EQ(order[i], static_cast<std::ptrdiff_t>(i % k.pictures));
    }
  }
}

TEST_F(ScreenShowTest, FewerPicturesThanMonitorsStillChange) {
  // Not enough to go round: a monitor still changes its picture.
  Pictures(2);
  TScreenShow& s = Make();
  for (int turn = 0; turn < 60; ++turn) {
    const std::ptrdiff_t before = s.Sequence(turn % 3).PictureIndex;
    s.Sequence(turn % 3).NextPicture();
    EXPECT_NE(s.Sequence(turn % 3).PictureIndex, before);
  }
}

TEST_F(ScreenShowTest, TheFirstPicturesComeApart) {
  struct Case { TMultiScreen mode; std::vector<uint32_t> firstAt; } cases[] = {
      {msOwnPicture, {100, 100 + TScreenShow::kStaggerMs, 100 + 2 * TScreenShow::kStaggerMs}},
      {msSamePicture, {100, 100, 100}},
      {msSpanned, {100}},
      {msPrimaryOnly, {100}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(static_cast<int>(k.mode));
    Pictures(4);
    setting.MultiScreen = k.mode;
    sched.SetTime(0);
    TScreenShow& s = Make();
    ASSERT_EQ(s.Count(), k.firstAt.size());
    for (size_t i = 0; i < s.Count(); ++i) s.Sequence(i).Surface().SetManual(true);  // no stepping
    std::vector<uint32_t> firstAt(s.Count(), 0);
    for (uint32_t t = 1; t <= 1000; ++t) {
      sched.AdvanceTime(1);
      for (size_t i = 0; i < s.Count(); ++i)
        if (!firstAt[i] && !s.Sequence(i).CurrentFile.empty()) firstAt[i] = t;
    }
    EXPECT_EQ(firstAt, k.firstAt);
  }
}

TEST_F(ScreenShowTest, SamePictureEverywhereInStep) {
  Pictures(4);
  setting.MultiScreen = msSamePicture;
  setting.ImageInterval = 2;
  setting.AllowReverseTransition = true;
  TScreenShow& s = Make();
  for (int change = 0; change < 4; ++change) {
    sched.AdvanceTime(change == 0 ? 100 : 2000);
    for (size_t i = 1; i < s.Count(); ++i) {
      EXPECT_EQ(s.Sequence(i).CurrentFile, s.Sequence(0).CurrentFile);
      EXPECT_EQ(s.Sequence(i).Surface().Style, s.Sequence(0).Surface().Style);
      EXPECT_EQ(s.Sequence(i).Surface().Reverse, s.Sequence(0).Surface().Reverse);
      EXPECT_FALSE(s.Sequence(i).ShowTimerEnabled()) << "the leader's timer alone";
    }
    ASSERT_TRUE(sched.RunUntil([&] { return AllStill(); }));
  }
}

TEST_F(ScreenShowTest, EveryMonitorsPictureMoves) {
  for (TMultiScreen mode : {msOwnPicture, msSamePicture}) {
    SCOPED_TRACE(static_cast<int>(mode));
    Pictures(4);
    setting.MultiScreen = mode;
    setting.ImageInterval = 20;
    setting.PanZoom = TPanZoom::Strong;
    setting.StretchImage = true;
    TScreenShow& s = Make();
    sched.AdvanceTime(1000);
    ASSERT_TRUE(sched.RunUntil([&] { return AllStill(); }));
    for (size_t i = 0; i < s.Count(); ++i) EXPECT_TRUE(s.Sequence(i).Motion().Moving()) << i;
    EXPECT_EQ(UncoveredPixels(), 0);
    show.reset();
  }
}

TEST_F(ScreenShowTest, EachMonitorShowsItsPictureAndTheGapsTheBackground) {
  for (TMultiScreen mode : {msOwnPicture, msSamePicture, msSpanned, msPrimaryOnly}) {
    SCOPED_TRACE(static_cast<int>(mode));
    Pictures(4);
    setting.MultiScreen = mode;
    setting.StretchImage = true;
    setting.CaptionPosition = cpTopOfScreen;
    host.ClearLog();
    TScreenShow& s = Make();
    sched.AdvanceTime(1000);
    ASSERT_TRUE(sched.RunUntil([&] { return AllStill(); }));
    EXPECT_EQ(UncoveredPixels(), 0);
    // Each surface's middle shows its own sequence's picture.
    for (size_t i = 0; i < s.Count(); ++i) {
      const TRect r = s.Layout().Surfaces[i];
      const size_t index = static_cast<size_t>(s.Sequence(i).PictureIndex);
      ASSERT_LT(index, setting.Pictures.size());
      EXPECT_EQ(host.Display().Pixel((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2), 0x010000u * (index + 1) + 0x20);
      const auto& captions = host.Captions();
      EXPECT_TRUE(std::any_of(captions.begin(), captions.end(), [&](const auto& c) {
        return PtInRect(r, c.At) && c.Text == FileBaseName(s.Sequence(i).CurrentFile);
      })) << "the caption of monitor " << i;
    }
    for (const TRect& gap : s.Layout().Gaps) EXPECT_EQ(host.Display().Pixel(gap.Left, gap.Top), kBackground);
  }
}

TEST_F(ScreenShowTest, DisplayChangesLayItOutAgainWithinASecond) {
  Pictures(5);
  setting.Music = {dir.Write("one.mp3", "mp3"), dir.Write("two.mp3", "mp3")};
  TScreenShow& s = Make();
  s.StartMusic();
  sched.AdvanceTime(1000);
  ASSERT_TRUE(sched.RunUntil([&] { return AllStill(); }));
  const int opens = test::FakeMpeg().Count("Open");
  const std::vector<std::vector<TMonitor>> changes = {
      {{{0, 0, 200, 150}, true}},                                   // two unplugged, resolution changed
      {{{0, 0, 160, 120}, true}, {{0, 120, 300, 200}, false}},      // one plugged in below
      {{{0, 0, 0, 0}, true}},                                       // nothing sane reported
      kThree,
  };
  for (const auto& change : changes) {
    monitors.Monitors = change;
    ASSERT_TRUE(s.Relayout(Layout()));
    EXPECT_FALSE(s.Relayout(Layout())) << "the same layout again changes nothing";
    ASSERT_EQ(s.Count(), s.Layout().Surfaces.size());
    sched.AdvanceTime(1000);
    for (size_t i = 0; i < s.Count(); ++i) EXPECT_FALSE(s.Sequence(i).CurrentFile.empty()) << i;
    ASSERT_TRUE(sched.RunUntil([&] { return AllStill(); }));
    EXPECT_EQ(UncoveredPixels(), 0);
  }
  EXPECT_EQ(test::FakeMpeg().Count("Open"), opens) << "the music goes on";
}

}  // namespace
}  // namespace vanta

namespace vanta {
namespace {

// Every frame of a run, as its screen bitmap's digest, composed on the main
// thread or on the worker.
std::vector<uint64_t> FramesOfARun(int style, bool reverse, bool onWorker) {
  platform::THeadlessScheduler sched;
  platform::THeadlessSurfaceHost host(80, 60);
  TVantascreen v(host, sched);
  v.SetAutoSize(false);
  v.SetBounds(0, 0, 80, 60);
  v.ComposeOnWorker = onWorker;
  v.SetPicture(test::TaggedPicture(64, 48, true));
  v.Style = 5;
  v.Start();
  EXPECT_TRUE(sched.RunUntil([&] { return !v.Running(); }));
  std::vector<uint64_t> frames;
  v.OnProgress = [&](TCustomVantascreen& s) {
    uint64_t h = 1469598103934665603u;
    const TBitmap24& b = s.ScreenBitmap();
    for (size_t i = 0; i < b.SizeBytes(); ++i) h = (h ^ b.Bits()[i]) * 1099511628211u;
    frames.push_back(h ^ s.Progress());
  };
  v.SetPicture(test::TaggedPicture(64, 48, false));
  v.Style = static_cast<TShowStyle>(style);
  v.Reverse = reverse;
  SetRandSeed(4242);
  v.Start();
  EXPECT_TRUE(sched.RunUntil([&] { return !v.Running(); }));
  return frames;
}

TEST(ComposeOnWorker, EveryEffectsFramesAreTheMainThreadsByteForByte) {
  for (int style = 0; style <= 127; ++style)
    for (bool reverse : {false, true}) {
      const std::vector<uint64_t> main = FramesOfARun(style, reverse, false);
      EXPECT_FALSE(main.empty()) << style;
      EXPECT_EQ(FramesOfARun(style, reverse, true), main) << "effect " << style << " reverse " << reverse;
    }
}

}  // namespace
}  // namespace vanta

namespace vanta {
namespace {

// With ClearOldImage every monitor's next transition starts from the empty
// background, the followers' as the leader's; without it, from the last
// frame of the moving picture.
TEST_F(ScreenShowTest, EveryMonitorsTransitionStartsFromWhatTheSettingSays) {
  for (const bool clear : {false, true}) {
    SCOPED_TRACE(clear);
    Pictures(4);
    setting.MultiScreen = msSamePicture;
    setting.ImageInterval = 2;
    setting.ClearOldImage = clear;
    setting.PanZoom = TPanZoom::Strong;
    TScreenShow& s = Make();
    sched.AdvanceTime(100);
    ASSERT_TRUE(sched.RunUntil([&] { return AllStill(); }));
    std::vector<int> blankOld(s.Count(), -1);
    for (size_t i = 0; i < s.Count(); ++i)
      s.Sequence(i).Surface().OnProgress = [&blankOld, i](TCustomVantascreen& v) {
        if (blankOld[i] >= 0 || !v.OldImage()) return;
        const TBitmap24& old = *v.OldImage();
        bool blank = true;
        for (int y = 0; y < old.Height(); ++y)
          for (int x = 0; x < old.Width(); ++x) blank = blank && old.Pixel(x, y) == kBackground;
        blankOld[i] = blank;
      };
    sched.AdvanceTime(2500);
    ASSERT_TRUE(sched.RunUntil([&] { return AllStill(); }));
    for (size_t i = 0; i < s.Count(); ++i) EXPECT_EQ(blankOld[i], clear ? 1 : 0) << i;
    show.reset();
  }
}

// The show's frame and processor rates, counted on virtual time and
// written to its log each period; the log keeps its newest whole lines.
TEST_F(ScreenShowTest, TheCounterWritesFramesAndProcessorTimeASecondToTheLog) {
  Pictures(2);
  setting.MultiScreen = msOwnPicture;
  setting.ImageInterval = 30;
  setting.PanZoom = TPanZoom::Strong;
  const std::string log = ShowLogFileName(dir.Folder(), "Show");
  show = std::make_unique<TScreenShow>(host, sched, setting, Layout(), std::string{}, nullptr, log);
  const uint64_t frames0 = show->FramesPresented();
  sched.UseCpu(2500);
  for (uint32_t t = 0; t < TShowCounter::kPeriodMs; t += 1000) {
    sched.AdvanceTime(1000);
    ASSERT_TRUE(sched.RunUntil([&] { return AllStill(); }));
  }
  ASSERT_TRUE(show->Counter());
  const TShowRates first = show->Counter()->Last();
  EXPECT_EQ(first.Screens, 3u);
  EXPECT_DOUBLE_EQ(first.Seconds, 10);
  EXPECT_DOUBLE_EQ(first.CpuMsPerSecond, 250);
  EXPECT_DOUBLE_EQ(first.FramesPerSecond, (show->FramesPresented() - frames0) / 10.0);
  EXPECT_GT(first.FramesPerSecond, 1);  // the pictures came and moved
  sched.UseCpu(400);
  sched.AdvanceTime(TShowCounter::kPeriodMs);
  EXPECT_DOUBLE_EQ(show->Counter()->Last().CpuMsPerSecond, 40);
  EXPECT_EQ(dir.Read("Show.log"), FormatShowRates(first) + "\n" + FormatShowRates(show->Counter()->Last()) + "\n");
  EXPECT_EQ(FormatShowRates({20, 59.5, 412, 2}),
            "show 20 s: 59.5 frames a second (2 screens, 29.8 each), CPU 412 ms a second");
  EXPECT_EQ(FormatShowRates({10, 60, 150, 1}), "show 10 s: 60.0 frames a second (1 screen, 60.0 each), CPU 150 ms a second");

  const std::string small = dir.Path("small.log");
  for (const char* line : {"first line", "second line", "third"}) EXPECT_TRUE(AppendLogLine(small, line, 20));
  EXPECT_EQ(dir.Read("small.log"), "second line\nthird\n");
}

}  // namespace
}  // namespace vanta
