// One frame of a moving picture (a window of the photo drawn over the whole
// screen through the resampler) at 1920x1080 and 3840x2160, beside a plain
// frame copy of the same size in the same run. The photo is decoded a
// quarter larger than the screen, as the show loads a picture that may zoom.
#include <benchmark/benchmark.h>

#include <cstring>
#include <thread>

#include "engine/PanZoom.h"
#include "engine/Resample.h"

namespace {

using namespace vanta;

TBitmap24 Photo(int w, int h) {
  TBitmap24 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w * 3; ++x) b.Row(y)[x] = static_cast<uint8_t>(x * 7 - y * 3);
  return b;
}

void BM_FrameCopy(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const TBitmap24 src = Photo(w, h);
  TBitmap24 screen(w, h);
  for (auto _ : state) {
    std::memcpy(screen.Bits(), src.Bits(), src.SizeBytes());
    benchmark::ClobberMemory();
  }
}

void BM_MotionFrame(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const TBitmap24 photo = Photo(w * 5 / 4, h * 5 / 4);
  TBitmap24 screen(w, h);
  const TPanZoomPath path = MakePanZoomPath({0, 0, double(photo.Width()), double(photo.Height())}, photo.Width(),
                                            photo.Height(), TPanZoom::Strong, {4, true});
  TResampler resampler;
  double t = 0;
  for (auto _ : state) {
    resampler.Draw(screen, screen.Bounds(), photo, path.At(t));
    t = t >= 1 ? 0 : t + 0.01;
    benchmark::ClobberMemory();
  }
}

// The same frame in two halves of rows, each on a thread with its own
// resampler (the second half's window starts where the first's ends).
void BM_MotionFrameTwoThreads(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const TBitmap24 photo = Photo(w * 5 / 4, h * 5 / 4);
  TBitmap24 screen(w, h);
  const TPanZoomPath path = MakePanZoomPath({0, 0, double(photo.Width()), double(photo.Height())}, photo.Width(),
                                            photo.Height(), TPanZoom::Strong, {4, true});
  TResampler halves[2];
  double t = 0;
  for (auto _ : state) {
    const TSourceWindow win = path.At(t);
    const int mid = h / 2;
    const double cut = win.Top + win.Height() * mid / h;
    std::thread lower([&] {
      halves[1].Draw(screen, {0, mid, w, h}, photo, {win.Left, cut, win.Right, win.Bottom});
    });
    halves[0].Draw(screen, {0, 0, w, mid}, photo, {win.Left, win.Top, win.Right, cut});
    lower.join();
    t = t >= 1 ? 0 : t + 0.01;
    benchmark::ClobberMemory();
  }
}

void Sizes(benchmark::internal::Benchmark* b) { b->Args({1920, 1080})->Args({3840, 2160}); }

}  // namespace

BENCHMARK(BM_FrameCopy)->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MotionFrame)->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MotionFrameTwoThreads)->Apply(Sizes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
