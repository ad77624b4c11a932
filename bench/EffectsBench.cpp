// Frame time of every effect 0..127, as the surface composes it, at 1920x1080 and 3840x2160,
// p = 50, beside the time to copy one frame (memcpy) of the same size in the
// same run. Each effect's "x_copy" counter is its frame time divided by the
// copy time measured in the same run (both in CPU time of the thread).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <map>

#include <time.h>

#include "engine/Effects.h"

namespace {

using namespace vanta;

// CPU time of this thread: other processes on the machine do not count.
double ThreadSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct TPictures {
  TBitmap24 oldImage, newImage, screen;
};

TPictures& Pictures(int w, int h) {
  static std::map<std::pair<int, int>, TPictures> cache;
  auto [it, fresh] = cache.try_emplace({w, h});
  if (fresh) {
    TPictures& p = it->second;
    p.oldImage.SetSize(w, h);
    p.newImage.SetSize(w, h);
    p.screen.SetSize(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w * 3; ++x) {
        p.oldImage.Row(y)[x] = static_cast<uint8_t>(x + y);
        p.newImage.Row(y)[x] = static_cast<uint8_t>(x * 7 - y * 3);
      }
  }
  return it->second;
}

// Measured again beside every effect, so both see the same machine load.
double SecondsPerCopy(int w, int h) {
  TPictures& p = Pictures(w, h);
  double best = 1e9;
  for (int round = 0; round < 5; ++round) {
    const double t0 = ThreadSeconds();
    for (int i = 0; i < 20; ++i) {
      std::memcpy(p.screen.Bits(), p.oldImage.Bits(), p.oldImage.SizeBytes());
      benchmark::ClobberMemory();
    }
    best = std::min(best, (ThreadSeconds() - t0) / 20);
  }
  return best;
}

void BM_FrameCopy(benchmark::State& state) {
  TPictures& p = Pictures(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    std::memcpy(p.screen.Bits(), p.oldImage.Bits(), p.oldImage.SizeBytes());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(p.oldImage.SizeBytes()));
}

void BM_Effect(benchmark::State& state) {
  const int style = static_cast<int>(state.range(0)), w = static_cast<int>(state.range(1)),
            h = static_cast<int>(state.range(2));
  TPictures& p = Pictures(w, h);
  const double copy = SecondsPerCopy(w, h);
  const double t0 = ThreadSeconds();
  for (auto _ : state) {
    ComposeFrame(p.oldImage, p.newImage, p.screen, 50, 4, style);
    benchmark::ClobberMemory();
  }
  const double each = (ThreadSeconds() - t0) /
                      static_cast<double>(std::max<int64_t>(state.iterations(), 1));
  state.counters["x_copy"] = each / copy;
  state.counters["ms"] = each * 1000;
}

void Sizes(benchmark::internal::Benchmark* b) {
  b->Args({1920, 1080})->Args({3840, 2160});
}

void Effects(benchmark::internal::Benchmark* b) {
  for (int size : {0, 1})
    for (int s = 0; s <= 127; ++s) b->Args({s, size ? 3840 : 1920, size ? 2160 : 1080});
}

}  // namespace

BENCHMARK(BM_FrameCopy)->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Effect)->Apply(Effects)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
