// Frame time of every effect 0..127 at 3840x2160 on one monitor and on two
// monitors whose frames are composed together, each on its own thread as
// the full-screen show's workers compose them, beside one 4K frame copy in
// the same run. Times are wall-clock: the point is what the cores do at once.
// bench/monitors_table.py turns the JSON output into the table and the checks.
#include <benchmark/benchmark.h>

#include <atomic>
#include <barrier>
#include <cstring>
#include <thread>

#include "engine/Effects.h"

namespace {

using namespace vanta;

constexpr int kW = 3840, kH = 2160;

struct TMonitorFrames {
  TBitmap24 oldImage, newImage, screen;
  explicit TMonitorFrames(int seed) : oldImage(kW, kH), newImage(kW, kH), screen(kW, kH) {
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW * 3; ++x) {
        oldImage.Row(y)[x] = static_cast<uint8_t>(x + y + seed);
        newImage.Row(y)[x] = static_cast<uint8_t>(x * 7 - y * 3 + seed);
      }
  }
  void Compose(int style) { ComposeFrame(oldImage, newImage, screen, 50, 4, style); }
};

TMonitorFrames& First() {
  static TMonitorFrames frames(0);
  return frames;
}

// The second monitor's worker: composes a frame whenever the first does.
class TSecondMonitor {
 public:
  TSecondMonitor() : thread_([this] { Run(); }) {}
  ~TSecondMonitor() {
    quit_ = true;
    start_.arrive_and_wait();
    thread_.join();
  }
  void Begin(int style) {
    style_ = style;
    start_.arrive_and_wait();
  }
  void End() { done_.arrive_and_wait(); }

 private:
  void Run() {
    for (;;) {
      start_.arrive_and_wait();
      if (quit_) return;
      frames_.Compose(style_);
      done_.arrive_and_wait();
    }
  }
  TMonitorFrames frames_{1};
  std::atomic<int> style_{0};
  std::atomic<bool> quit_{false};
  std::barrier<> start_{2}, done_{2};
  std::thread thread_;
};

void BM_FrameCopy4K(benchmark::State& state) {
  TMonitorFrames& f = First();
  for (auto _ : state) {
    std::memcpy(f.screen.Bits(), f.oldImage.Bits(), f.oldImage.SizeBytes());
    benchmark::ClobberMemory();
  }
}

void BM_OneMonitor(benchmark::State& state) {
  TMonitorFrames& f = First();
  for (auto _ : state) {
    f.Compose(static_cast<int>(state.range(0)));
    benchmark::ClobberMemory();
  }
}

void BM_TwoMonitors(benchmark::State& state) {
  static TSecondMonitor second;
  TMonitorFrames& f = First();
  for (auto _ : state) {
    second.Begin(static_cast<int>(state.range(0)));
    f.Compose(static_cast<int>(state.range(0)));
    second.End();
    benchmark::ClobberMemory();
  }
}

}  // namespace

BENCHMARK(BM_FrameCopy4K)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OneMonitor)->DenseRange(0, 127)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TwoMonitors)->DenseRange(0, 127)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
