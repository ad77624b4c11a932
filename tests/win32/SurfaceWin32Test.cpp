// A picture surface in a real window: frames stepped by a worker through the
// hidden scheduler window, painted with SetDIBitsToDevice, read back from
// the window's pixels.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "engine/Vantascreen.h"
#include "platform/win32/Win32Scheduler.h"
#include "platform/win32/Win32SurfaceHost.h"

namespace vanta {
namespace {

using platform::TWin32Scheduler;
using platform::TWin32SurfaceHost;

TColor PatternPixel(int x, int y) { return static_cast<TColor>((x * 5) & 0xFF) | ((y * 7) & 0xFF) << 8 | 0x400000; }

TBitmap24 Pattern(int w, int h) {
  TBitmap24 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, PatternPixel(x, y));
  return b;
}

struct SurfaceWindow : ::testing::Test {
  TWin32Scheduler sched;
  std::unique_ptr<TWin32SurfaceHost> host;
  std::unique_ptr<TVantascreen> s;
  int completes = 0;
  std::vector<int> frames;

  SurfaceWindow() {
    host = std::make_unique<TWin32SurfaceHost>(nullptr, RECT{40, 40, 240, 190}, WS_POPUP | WS_VISIBLE, "surface");
    SetWindowPos(host->Window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    s = std::make_unique<TVantascreen>(*host, sched);
    s->OnComplete = [this](TCustomVantascreen&) { ++completes; };
    s->OnProgress = [this](TCustomVantascreen& v) { frames.push_back(v.Progress()); };
    s->SetAutoSize(false);
    s->SetBounds(0, 0, 200, 150);
    s->SetColor(0x000000);
    Pump(50);
  }
  ~SurfaceWindow() override {
    s.reset();
    host.reset();
  }
  void Pump(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    while (static_cast<int>(end - GetTickCount()) > 0) sched.ProcessMessages(5);
  }
  bool PumpWhileRunning(DWORD limitMs = 10000) {
    const DWORD end = GetTickCount() + limitMs;
    while (s->Running() && static_cast<int>(end - GetTickCount()) > 0) sched.ProcessMessages(5);
    return !s->Running();
  }
  TColor WindowPixel(int x, int y) {
    HDC dc = GetDC(host->Window());
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(host->Window(), dc);
    return c;
  }
};

TEST_F(SurfaceWindow, ThreadedRunReachesTheWindowPixels) {
  s->SetCenter(true);
  s->SetPicture(Pattern(120, 90));
  s->Style = 5;
  s->SetStep(10);
  s->Delay = 5;
  s->Start();
  ASSERT_TRUE(PumpWhileRunning());
  EXPECT_EQ(completes, 1);
  EXPECT_EQ(frames.size(), 10u);
  // Force a full repaint too: what the paint composes equals what the frames left.
  InvalidateRect(host->Window(), nullptr, FALSE);
  UpdateWindow(host->Window());
  const struct { int x, y; TColor want; } probes[] = {
      {40, 30, PatternPixel(0, 0)},   {159, 119, PatternPixel(119, 89)}, {100, 75, PatternPixel(60, 45)},
      {39, 30, 0x000000},             {160, 100, 0x000000},              {10, 10, 0x000000},
  };
  for (const auto& p : probes) EXPECT_EQ(WindowPixel(p.x, p.y), p.want) << p.x << "," << p.y;
}

TEST_F(SurfaceWindow, HalfWayFrameShowsOnlyTheUncoveredPart) {
  s->SetPicture(Pattern(200, 150));
  s->Style = 5;
  s->SetManual(true);
  s->Start();
  s->SetProgress(50);
  EXPECT_EQ(WindowPixel(99, 20), PatternPixel(99, 20));
  EXPECT_EQ(WindowPixel(100, 20), 0x000000u);
  s->Stop();
  EXPECT_EQ(completes, 0);
}

TEST_F(SurfaceWindow, StopWaitsForTheWorkerWhileServingIt) {
  s->SetPicture(Pattern(200, 150));
  s->Style = 118;
  s->SetStep(1);
  s->Delay = 20;
  s->Start();
  const DWORD end = GetTickCount() + 5000;
  while (s->Progress() < 10 && static_cast<int>(end - GetTickCount()) > 0) sched.ProcessMessages(5);
  s->Stop();
  EXPECT_FALSE(s->Running());
  EXPECT_EQ(completes, 0);
  const size_t n = frames.size();
  Pump(100);
  EXPECT_EQ(frames.size(), n);
}

TEST_F(SurfaceWindow, CallingThreadLoopAndCaption) {
  s->Threaded = false;
  s->SetPicture(Pattern(200, 150));
  s->ContentRect = {0, 0, 200, 150};
  s->Style = 22;
  s->SetStep(25);
  s->Delay = 1;
  s->Caption = "WWWW";
  s->CaptionPos = cpTopOfScreen;
  s->CaptionFont.Height = 24;
  s->CaptionFont.Color = 0x00FFFF;  // yellow: no pattern pixel has it
  s->Start();  // returns at the end
  EXPECT_FALSE(s->Running());
  EXPECT_EQ(completes, 1);
  int yellow = 0;
  for (int y = 10; y < 40; ++y)
    for (int x = 40; x < 160; ++x) yellow += WindowPixel(x, y) == 0x00FFFFu;
  EXPECT_GT(yellow, 20);
  // A repaint removes the caption: it is not part of the picture.
  InvalidateRect(host->Window(), nullptr, FALSE);
  UpdateWindow(host->Window());
  EXPECT_EQ(WindowPixel(100, 75), PatternPixel(100, 75));
}

TEST(Win32Scheduler, WorkerPrioritiesAndCallsThroughTheMainThread) {
  TWin32Scheduler sched;
  struct Case { platform::TThreadPriority p; int level; } cases[] = {
      {platform::TThreadPriority::tpLowest, THREAD_PRIORITY_LOWEST},
      {platform::TThreadPriority::tpNormal, THREAD_PRIORITY_NORMAL},
      {platform::TThreadPriority::tpHighest, THREAD_PRIORITY_HIGHEST},
      {platform::TThreadPriority::tpIdle, THREAD_PRIORITY_IDLE},
  };
  for (const auto& c : cases) {
    int seen = 99;
    DWORD ranOn = 0;
    bool caught = false;
    auto t = sched.StartThread(
        [&] {
          seen = GetThreadPriority(GetCurrentThread());
          sched.CallOnMain([&] { ranOn = GetCurrentThreadId(); });
          try {
            sched.CallOnMain([] { throw std::runtime_error("step failed"); });
          } catch (const std::runtime_error&) {
            caught = true;
          }
        },
        c.p);
    sched.WaitForThread(*t);
    EXPECT_EQ(seen, c.level);
    EXPECT_EQ(ranOn, GetCurrentThreadId());
    EXPECT_TRUE(caught);
  }
}

TEST(Win32Scheduler, TimersAndPostedCallsRunInMessageProcessing) {
  TWin32Scheduler sched;
  int ticks = 0, posted = 0;
  const uint32_t id = sched.SetTimer(10, [&] { ++ticks; });
  sched.Post([&] { ++posted; });
  const DWORD end = GetTickCount() + 3000;
  while ((ticks < 2 || posted == 0) && static_cast<int>(end - GetTickCount()) > 0) sched.ProcessMessages(20);
  sched.KillTimer(id);
  EXPECT_GE(ticks, 2);
  EXPECT_EQ(posted, 1);
}

// Runs what is queued for this thread the way the program's message loop
// does, without the scheduler, waiting up to ms for something to arrive.
void DispatchPlainly(DWORD ms) {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

TEST(Win32Scheduler, AThrowingTimerIsDroppedAndKeepsTicking) {
  TWin32Scheduler sched;
  struct Case { const char* loop; std::function<void()> pump; } cases[] = {
      {"ProcessMessages", [&] { sched.ProcessMessages(20); }},
      {"DispatchMessage", [] { DispatchPlainly(20); }},
  };
  for (const Case& c : cases) {
    int thrown = 0, ticks = 0;
    const uint32_t bad = sched.SetTimer(10, [&] {
      ++thrown;
      throw std::runtime_error("tick failed");
    });
    const uint32_t good = sched.SetTimer(10, [&] { ++ticks; });
    const DWORD end = GetTickCount() + 3000;
    while ((thrown < 3 || ticks < 3) && static_cast<int>(end - GetTickCount()) > 0) c.pump();
    sched.KillTimer(bad);
    sched.KillTimer(good);
    EXPECT_GE(thrown, 3) << c.loop;
    EXPECT_GE(ticks, 3) << c.loop;
    // A posted call that throws is dropped the same way; the next still runs.
    int posted = 0;
    sched.Post([&] {
      ++posted;
      throw std::runtime_error("post failed");
    });
    sched.Post([&] { ++posted; });
    for (int i = 0; i < 50 && posted < 2; ++i) c.pump();
    EXPECT_EQ(posted, 2) << c.loop;
  }
}

TEST(Win32Scheduler, AsMainMakesItOnTheMainThread) {
  TWin32Scheduler main;
  EXPECT_TRUE(main.OnMainThread());
  // Its timers run in any loop of the thread, as the music tests pump.
  int ticks = 0;
  const uint32_t id = main.SetTimer(10, [&] { ++ticks; });
  const DWORD end = GetTickCount() + 3000;
  while (ticks < 2 && static_cast<int>(end - GetTickCount()) > 0) DispatchPlainly(20);
  main.KillTimer(id);
  EXPECT_GE(ticks, 2);
}

}  // namespace
}  // namespace vanta
