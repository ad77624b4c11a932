#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <vector>

#include "EffectsTestSupport.h"
#include "engine/Vantascreen.h"
#include "platform/headless/HeadlessScheduler.h"
#include "platform/headless/HeadlessSurfaceHost.h"

namespace vanta {
namespace {

using platform::THeadlessScheduler;
using platform::THeadlessSurfaceHost;
using test::Solid;
using test::TaggedPicture;

struct Surface : ::testing::Test {
  THeadlessScheduler sched;
  THeadlessSurfaceHost host{320, 240};
  std::unique_ptr<TVantascreen> s = std::make_unique<TVantascreen>(host, sched);
  std::vector<int> frames;
  int completes = 0;

  Surface() {
    s->Style = 5;
    s->OnProgress = [this](TCustomVantascreen& v) { frames.push_back(v.Progress()); };
    s->OnComplete = [this](TCustomVantascreen&) { ++completes; };
  }
  // Runs a threaded transition to its end (or until the surface stops running).
  void RunToEnd() { ASSERT_TRUE(sched.RunUntil([&] { return !s->Running(); })); }
};

TEST_F(Surface, StepSetterKeepsOneToHundred) {
  struct Case { unsigned set, stored; } cases[] = {{0, 1}, {1, 1}, {50, 50}, {100, 100}, {101, 100}, {500, 100}};
  for (const auto& c : cases) {
    s->SetStep(c.set);
    EXPECT_EQ(s->Step(), c.stored) << c.set;
  }
}

TEST_F(Surface, InitialValues) {
  s = std::make_unique<TVantascreen>(host, sched);
  EXPECT_EQ(s->Width(), 100);
  EXPECT_EQ(s->Height(), 100);
  EXPECT_EQ(s->Style, 101);
  EXPECT_EQ(s->Step(), 4);
  EXPECT_EQ(s->Delay, 30);
  EXPECT_TRUE(s->AutoSize());
  EXPECT_TRUE(s->Threaded);
  EXPECT_EQ(s->BgMode(), bmTiled);
  EXPECT_EQ(s->Color(), kWindowColor);
  EXPECT_FALSE(s->Running());
}

// Prepares a transition without stepping so that PlaceRect is laid out.
void Prepare(TVantascreen& v, int pw, int ph, int cw, int ch) {
  v.SetAutoSize(false);
  v.SetBounds(0, 0, cw, ch);
  v.SetPicture(Solid(pw, ph, 0x0000FF));
  v.SetManual(true);
  v.Start();
}

TEST_F(Surface, FitRectKeepsTheAspectAndCentres) {
  struct Case { int pw, ph, cw, ch; TRect want; } cases[] = {
      {400, 100, 200, 200, {0, 75, 200, 125}},
      {100, 400, 200, 200, {75, 0, 125, 200}},
      {50, 50, 200, 100, {50, 0, 150, 100}},  // scales up as well
      {300, 200, 301, 200, {0, 0, 300, 200}},  // equal ratios take the height
  };
  for (const auto& c : cases) {
    TVantascreen v(host, sched);
    Prepare(v, c.pw, c.ph, c.cw, c.ch);
    v.SetStretch(true);
    v.SetStretchFine(true);
    EXPECT_EQ(v.DisplayRect(), c.want) << c.pw << "x" << c.ph;
    v.Stop();
  }
}

TEST_F(Surface, CenterCropsALargePictureEvenly) {
  Prepare(*s, 300, 200, 200, 100);
  EXPECT_EQ(s->PlaceRect(), (TRect{0, 0, 300, 200}));
  s->SetCenter(true);
  EXPECT_EQ(s->PlaceRect(), (TRect{-50, -50, 250, 150}));
  s->Stop();
}

TEST_F(Surface, InvalidatePictureRectMapsToTheParent) {
  struct Case { bool center, stretch, fine; TRect in, want; } cases[] = {
      {false, false, false, {10, 10, 50, 400}, {20 + 10, 5 + 10, 20 + 50, 5 + 100}},   // clipped to the picture
      {true, false, false, {0, 0, 160, 100}, {20 + 20, 5 + 10, 20 + 180, 5 + 110}},    // moved by the centring
      {false, true, false, {0, 0, 80, 50}, {20, 5, 20 + 100, 5 + 60}},                 // scaled to the client
      {false, true, true, {0, 0, 160, 100}, {20 + 4, 5, 20 + 196, 5 + 120}},          // scaled into FitRect (4, 0, 196, 120)
  };
  for (const auto& c : cases) {
    TVantascreen v(host, sched);
    v.SetAutoSize(false);
    v.SetBounds(20, 5, 200, 120);
    v.SetPicture(Solid(160, 100, 0xFF));
    v.SetManual(true);
    v.Start();
    v.SetCenter(c.center);
    v.SetStretch(c.stretch);
    v.SetStretchFine(c.fine);
    host.ClearLog();
    v.InvalidatePictureRect(c.in);
    ASSERT_EQ(host.Invalidations().size(), 1u);
    EXPECT_EQ(host.Invalidations()[0], c.want) << c.center << c.stretch << c.fine;
    v.Stop();
  }
}

TEST_F(Surface, CaptionPlacement) {
  struct Case { uint8_t pos; int left, top; TPoint want; } cases[] = {
      {cpBelowImage, 0, 0, {350, 460}},  {cpAboveImage, 0, 0, {350, 120}}, {cpBottomOfScreen, 0, 0, {350, 570}},
      {cpTopOfScreen, 0, 0, {350, 10}},  {cpFixed, 900, 30, {700, 30}},    {cpFixed, -5, -7, {0, 0}},
      {cpFixed, 12, 700, {12, 580}},
  };
  // 800 x 600 control, content 300 high, text 100 x 20 ("abcdefghij" at height 20).
  for (const auto& c : cases) {
    THeadlessSurfaceHost h(800, 600);
    TVantascreen v(h, sched);
    v.SetAutoSize(false);
    v.SetBounds(0, 0, 800, 600);
    v.ContentRect = {0, 150, 400, 450};
    v.Caption = "abcdefghij";
    v.CaptionPos = c.pos;
    v.CaptionLeft = c.left;
    v.CaptionTop = c.top;
    v.DrawCaption();
    ASSERT_EQ(h.Captions().size(), 1u);
    EXPECT_EQ(h.Captions()[0].At, c.want) << int(c.pos);
  }
  // Above the picture but no room: raised to 10. Off or empty: nothing.
  THeadlessSurfaceHost h(100, 100);
  TVantascreen v(h, sched);
  v.ContentRect = {0, 0, 100, 100};
  v.Caption = "x";
  v.CaptionPos = cpAboveImage;
  v.DrawCaption();
  v.CaptionPos = cpOff;
  v.DrawCaption();
  ASSERT_EQ(h.Captions().size(), 1u);
  EXPECT_EQ(h.Captions()[0].At.Y, 10);
}

struct RunCase {
  bool threaded, reverse;
  unsigned step;
  std::vector<int> first3;
  size_t count;
  std::vector<int> last2;
};

TEST_F(Surface, FramesOfARunForwardAndReverse) {
  const RunCase cases[] = {
      {true, false, 4, {4, 8, 12}, 25, {96, 100}},  {true, false, 6, {6, 12, 18}, 17, {96, 100}},
      {true, true, 6, {94, 88, 82}, 17, {4, 0}},    {false, false, 4, {4, 8, 12}, 25, {96, 100}},
      {false, true, 6, {94, 88, 82}, 17, {4, 0}},   {true, false, 100, {100}, 1, {100}},
      {false, false, 33, {33, 66, 99}, 4, {99, 100}},
  };
  for (const auto& c : cases) {
    TVantascreen v(host, sched);
    std::vector<int> got;
    int done = 0;
    v.OnProgress = [&](TCustomVantascreen& x) { got.push_back(x.Progress()); };
    v.OnComplete = [&](TCustomVantascreen&) { ++done; };
    v.SetPicture(Solid(40, 30, 0xFF));
    v.Style = 5;
    v.Reverse = c.reverse;
    v.Threaded = c.threaded;
    v.SetStep(c.step);
    // The first frame (0, or 100 reverse) is drawn by Start when Progress differs.
    const int first = c.reverse ? 100 : 0;
    const uint32_t t0 = sched.TickCount();
    v.Start();
    if (c.threaded) {
      ASSERT_TRUE(sched.RunUntil([&] { return !v.Running(); }));
    }
    const bool startDrew = !got.empty() && got[0] == first;
    if (startDrew) got.erase(got.begin());
    EXPECT_EQ(got.size(), c.count) << c.step << (c.reverse ? " reverse" : "");
    ASSERT_GE(got.size(), c.first3.size());
    EXPECT_EQ(std::vector<int>(got.begin(), got.begin() + c.first3.size()), c.first3);
    EXPECT_EQ(std::vector<int>(got.end() - c.last2.size(), got.end()), c.last2);
    EXPECT_EQ(done, 1);
    EXPECT_FALSE(v.Running());
    EXPECT_EQ(v.OldImage(), nullptr);
    // Pacing on the virtual clock: the worker sleeps out Delay after every
    // frame but the last; the loop waits until more than Delay has passed.
    const uint32_t perFrame = c.threaded ? 30 : 31;
    EXPECT_EQ(sched.TickCount() - t0, perFrame * (c.count - 1)) << c.threaded;
  }
}

TEST_F(Surface, ASlowFrameIsNotFollowedByASleep) {
  s->SetPicture(Solid(10, 10, 0xFF));
  s->SetStep(50);
  s->Delay = 30;
  s->OnProgress = [&](TCustomVantascreen& v) {
    if (v.Progress() == 50) sched.SetTime(sched.TickCount() + 45);  // this frame took 45 ms
  };
  const uint32_t t0 = sched.TickCount();
  s->Start();
  RunToEnd();
  EXPECT_EQ(sched.TickCount() - t0, 45u);
}

TEST_F(Surface, SecondStartFromAFinishedRunDrawsTheOldPictureFirst) {
  s->SetPicture(Solid(10, 10, 0xFF));
  s->SetStep(50);
  s->Start();
  RunToEnd();
  EXPECT_EQ(s->Progress(), 100);
  frames.clear();
  s->Start();
  RunToEnd();
  EXPECT_EQ(frames, (std::vector<int>{0, 50, 100}));
  EXPECT_EQ(completes, 2);
}

TEST_F(Surface, StartAndStopAreIgnoredWhenTheyDoNotApply) {
  s->Stop();  // idle
  s->Start();  // no picture
  EXPECT_FALSE(s->Running());
  s->SetPicture(Solid(10, 10, 0xFF));
  s->SetManual(true);
  s->Start();
  s->SetProgress(30);
  s->Start();  // already running
  EXPECT_EQ(s->Progress(), 30);
  EXPECT_EQ(frames, (std::vector<int>{30}));
  s->Stop();
  EXPECT_FALSE(s->Running());
  EXPECT_EQ(completes, 0);
}

TEST_F(Surface, StopDuringAThreadedRunWaitsAndNeverCompletes) {
  s->SetPicture(Solid(10, 10, 0xFF));
  s->Start();
  ASSERT_TRUE(sched.RunUntil([&] { return s->Progress() >= 40; }));
  s->Stop();
  EXPECT_FALSE(s->Running());
  EXPECT_EQ(completes, 0);
  const size_t n = frames.size();
  sched.RunPending();
  EXPECT_EQ(frames.size(), n);  // nothing more after Stop returned
  EXPECT_EQ(sched.StartedPriorities().size(), 1u);
}

TEST_F(Surface, StopFromInsideAStepEndsTheRun) {
  s->SetPicture(Solid(10, 10, 0xFF));
  s->OnProgress = [&](TCustomVantascreen& v) {
    frames.push_back(v.Progress());
    if (v.Progress() == 20) v.Stop();
  };
  s->Start();
  ASSERT_TRUE(sched.RunUntil([&] { return !s->Running(); }));
  sched.RunUntil([] { return false; }, 50);  // let the worker finish its end handling
  EXPECT_EQ(frames.back(), 20);
  EXPECT_EQ(completes, 0);
}

TEST_F(Surface, ManualDuringAThreadedRunPausesAndResumes) {
  s->SetPicture(Solid(10, 10, 0xFF));
  s->ThreadPriority = TThreadPriority::tpHigher;
  s->OnProgress = [&](TCustomVantascreen& v) {
    frames.push_back(v.Progress());
    if (v.Progress() == 40) v.SetManual(true);
  };
  s->Start();
  ASSERT_TRUE(sched.RunUntil([&] { return !frames.empty() && frames.back() == 40; }));
  sched.RunUntil([] { return false; }, 50);  // the worker ends after this step
  EXPECT_TRUE(s->Running());
  EXPECT_EQ(completes, 0);
  EXPECT_EQ(frames.back(), 40);
  s->SetProgress(70);  // the application drives it now
  s->SetProgress(100);  // reaching the end does not complete in manual mode
  EXPECT_TRUE(s->Running());
  s->SetProgress(60);
  s->SetManual(false);  // resumes from 60 with a new worker
  RunToEnd();
  EXPECT_EQ(completes, 1);
  EXPECT_EQ((std::vector<int>(frames.end() - 3, frames.end())), (std::vector<int>{92, 96, 100}));
  EXPECT_EQ(sched.StartedPriorities(),
            (std::vector<TThreadPriority>{TThreadPriority::tpHigher, TThreadPriority::tpHigher}));
}

TEST_F(Surface, ManualOnAndOffWithinOneStepKeepsTheWorker) {
  s->SetPicture(Solid(10, 10, 0xFF));
  s->OnProgress = [&](TCustomVantascreen& v) {
    frames.push_back(v.Progress());
    if (v.Progress() == 40) {
      v.SetManual(true);
      v.SetManual(false);
    }
  };
  s->Start();
  RunToEnd();
  EXPECT_EQ(frames.size(), 25u);  // 25 stepped frames, none repeated
  EXPECT_EQ(completes, 1);
  EXPECT_EQ(sched.StartedPriorities().size(), 1u);
}

TEST_F(Surface, ManualSwitchedOnDuringTheCallingThreadLoop) {
  s->Threaded = false;
  s->SetPicture(Solid(10, 10, 0xFF));
  s->OnProgress = [&](TCustomVantascreen& v) {
    frames.push_back(v.Progress());
    if (v.Progress() == 12) v.SetManual(true);
  };
  s->Start();  // returns once manual mode is on
  EXPECT_TRUE(s->Running());
  EXPECT_EQ(frames.back(), 12);
  s->SetManual(false);  // runs the rest in this call
  EXPECT_FALSE(s->Running());
  EXPECT_EQ(frames.back(), 100);
  EXPECT_EQ(completes, 1);
}

TEST_F(Surface, ManualWhileIdleResetsProgress) {
  struct Case { bool reverse; int want; } cases[] = {{false, 0}, {true, 100}};
  for (const auto& c : cases) {
    TVantascreen v(host, sched);
    v.Reverse = c.reverse;
    v.SetManual(true);
    EXPECT_EQ(v.Progress(), c.want);
  }
}

TEST_F(Surface, ReverseRunEndsShowingTheOldPicture) {
  s->SetAutoSize(false);
  s->SetBounds(10, 20, 40, 30);
  s->SetColor(0x00FF00);
  s->SetPicture(TaggedPicture(40, 30, false));
  s->Reverse = true;
  s->Style = 43;
  s->SetStep(10);
  host.UpdateNow();  // the background was painted before the run
  s->Start();
  RunToEnd();
  EXPECT_EQ(completes, 1);
  EXPECT_TRUE(s->ScreenBitmap() == Solid(40, 30, 0x00FF00));
  for (int y = 20; y < 50; ++y)
    for (int x = 10; x < 50; ++x) ASSERT_EQ(host.Display().Pixel(x, y), 0x00FF00u) << x << "," << y;
}

TEST_F(Surface, ForwardRunReachesTheWindowAndTheCaptionFollows) {
  s->SetAutoSize(false);
  s->SetBounds(10, 20, 60, 40);
  s->SetColor(0x111111);
  s->SetCenter(true);
  s->SetPicture(TaggedPicture(40, 30, false));
  s->Caption = "hi";
  s->CaptionPos = cpTopOfScreen;
  s->Style = 118;
  s->SetStep(25);
  host.UpdateNow();
  s->Start();
  RunToEnd();
  // The picture sits centred (offset 10, 5) inside the surface at (10, 20).
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x) {
      const bool inside = x >= 10 && x < 50 && y >= 5 && y < 35;
      ASSERT_EQ(host.Display().Pixel(10 + x, 20 + y), inside ? test::Tag(x - 10, y - 5) : 0x111111u) << x << "," << y;
    }
  EXPECT_EQ(host.Display().Pixel(5, 5), 0u);  // outside the surface: untouched
  EXPECT_EQ(host.Captions().size(), 4u);      // after every frame: 25, 50, 75, 100
  EXPECT_EQ(host.Captions().back().At, (TPoint{10 + 20, 20 + 10}));  // "hi" is 20 wide
}

TEST_F(Surface, OldImageIsWhatWasPaintedOverTheDisplayRectangle) {
  s->SetAutoSize(false);
  s->SetBounds(0, 0, 8, 8);
  s->SetColor(0x0000AA);
  s->SetBgMode(bmCentered);
  s->SetBgPicture(Solid(2, 2, 0x00BB00));
  host.UpdateNow();
  s->SetPicture(Solid(8, 8, 0xFF));
  s->SetManual(true);
  s->Start();
  ASSERT_NE(s->OldImage(), nullptr);
  EXPECT_EQ(s->OldImage()->Pixel(0, 0), 0x0000AAu);
  EXPECT_EQ(s->OldImage()->Pixel(3, 3), 0x00BB00u);
  EXPECT_EQ(s->OldImage()->Pixel(4, 4), 0x00BB00u);
  EXPECT_EQ(s->OldImage()->Pixel(5, 5), 0x0000AAu);
  s->Stop();
}

TEST_F(Surface, TiledBackgroundCoversTheClientWithCutEdges) {
  s->SetAutoSize(false);
  s->SetBounds(0, 0, 5, 3);
  TBitmap24 tile(2, 2);
  tile.SetPixel(0, 0, 1);
  tile.SetPixel(1, 0, 2);
  tile.SetPixel(0, 1, 3);
  tile.SetPixel(1, 1, 4);
  s->SetBgPicture(tile);
  host.UpdateNow();
  const TColor want[3][5] = {{1, 2, 1, 2, 1}, {3, 4, 3, 4, 3}, {1, 2, 1, 2, 1}};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(host.Display().Pixel(x, y), want[y][x]) << x << "," << y;
}

TEST_F(Surface, EffectZeroWithoutHandlerEndsAfterOneFrameEitherWay) {
  for (bool reverse : {false, true}) {
    TVantascreen v(host, sched);
    int done = 0, n = 0;
    v.OnComplete = [&](TCustomVantascreen&) { ++done; };
    v.OnProgress = [&](TCustomVantascreen&) { ++n; };
    v.SetPicture(Solid(10, 10, 0xFF));
    v.Style = 0;
    v.Reverse = reverse;
    v.Start();
    ASSERT_TRUE(sched.RunUntil([&] { return !v.Running(); }, 2000)) << reverse;
    EXPECT_EQ(done, 1);
    EXPECT_EQ(v.Progress(), 100);
    EXPECT_TRUE(v.ScreenBitmap() == Solid(10, 10, 0xFF));
    EXPECT_LE(n, 2);
  }
}

TEST_F(Surface, AFailingStepEndsTheWorkerAndTheRun) {
  s->SetPicture(Solid(10, 10, 0xFF));
  s->OnProgress = [&](TCustomVantascreen& v) {
    if (v.Progress() == 20) throw std::runtime_error("frame failed");
  };
  s->Start();
  RunToEnd();
  EXPECT_EQ(s->Progress(), 20);
  EXPECT_EQ(completes, 1);
}

TEST_F(Surface, DestroyingDuringARunWaitsForTheWorker) {
  s->SetPicture(Solid(10, 10, 0xFF));
  s->Start();
  ASSERT_TRUE(sched.RunUntil([&] { return s->Progress() >= 20; }));
  s.reset();
  EXPECT_EQ(completes, 0);
}

TEST_F(Surface, TwoSurfacesRunSideBySide) {
  TVantascreen other(host, sched);
  int otherDone = 0;
  other.OnComplete = [&](TCustomVantascreen&) { ++otherDone; };
  other.SetBounds(100, 0, 10, 10);
  s->SetPicture(Solid(10, 10, 0xFF));
  other.SetPicture(Solid(10, 10, 0xFF00));
  other.SetStep(10);
  s->Start();
  other.Start();
  ASSERT_TRUE(sched.RunUntil([&] { return !s->Running() && !other.Running(); }));
  EXPECT_EQ(completes, 1);
  EXPECT_EQ(otherDone, 1);
  EXPECT_EQ(host.Display().Pixel(0, 0), 0xFFu);
  EXPECT_EQ(host.Display().Pixel(105, 5), 0xFF00u);
}

TEST_F(Surface, ClearScreenOnlyWhenIdle) {
  s->SetPicture(Solid(10, 10, 0xFF));
  s->SetManual(true);
  s->Start();
  s->SetProgress(100);
  s->ClearScreen();  // running: refused
  EXPECT_FALSE(s->ScreenBitmap().Empty());
  s->Stop();
  ASSERT_TRUE(s->TryLockScreen());
  s->ClearScreen();  // held by somebody: refused
  EXPECT_FALSE(s->ScreenBitmap().Empty());
  s->UnlockScreen();
  host.ClearLog();
  s->ClearScreen();
  EXPECT_TRUE(s->ScreenBitmap().Empty());
  EXPECT_EQ(host.Invalidations(), (std::vector<TRect>{s->BoundsRect()}));
}

TEST_F(Surface, AutoSizeFollowsThePictureUnlessAligned) {
  s->SetPicture(Solid(30, 20, 0));
  EXPECT_EQ(s->Width(), 30);
  EXPECT_EQ(s->Height(), 20);
  s->SetAutoSize(false);
  s->SetPicture(Solid(50, 60, 0));
  EXPECT_EQ(s->Width(), 30);
  s->SetAutoSize(true);  // applied at once
  EXPECT_EQ(s->Height(), 60);
  s->SetAlign(TAlign::alClient);
  s->SetPicture(Solid(5, 5, 0));
  EXPECT_EQ(s->Width(), 50);
}

TEST_F(Surface, ShrinkingProgressInvalidatesTheWholePictureFirst) {
  s->SetPicture(Solid(40, 30, 0xFF));
  s->Style = 5;
  s->SetManual(true);
  s->Start();
  s->SetProgress(50);
  host.ClearLog();
  s->SetProgress(20);
  ASSERT_GE(host.Invalidations().size(), 2u);
  EXPECT_EQ(host.Invalidations()[0], (TRect{0, 0, 40, 30}));
  EXPECT_EQ(host.Invalidations()[1], (TRect{0, 0, 8, 30}));
  s->Stop();
}

}  // namespace
}  // namespace vanta
