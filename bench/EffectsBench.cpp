// Frame time of every effect 0..127, as the surface composes it, at 1920x1080 and 3840x2160,
// p = 50, beside the time to copy one frame (memcpy) of the same size in the
// same run. Each effect's "x_copy" counter is its median frame time divided
// by the median time of the copies interleaved with its frames (both in CPU
// time of the thread); "ms" is the median frame time. Each effect's label is
// its family's caption.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

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

void BM_FrameCopy(benchmark::State& state) {
  TPictures& p = Pictures(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    std::memcpy(p.screen.Bits(), p.oldImage.Bits(), p.oldImage.SizeBytes());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(p.oldImage.SizeBytes()));
}

// The least any frame drawing from both pictures costs: the same bytes as
// a copy, but alternate runs of a quarter row from each picture. The
// processor's prefetchers then pull in both pictures whole, so a frame's
// working set is three pictures against the plain copy's two, which at
// 1080p is the difference between the cache and memory.
void BM_TwoPictureCopy(benchmark::State& state) {
  TPictures& p = Pictures(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const size_t rowBytes = static_cast<size_t>(p.screen.Width()) * 3, run = std::max<size_t>(rowBytes / 4, 1);
  for (auto _ : state) {
    for (int y = 0; y < p.screen.Height(); ++y)
      for (size_t x = 0, k = 0; x < rowBytes; x += run, ++k)
        std::memcpy(p.screen.Row(y) + x, (k % 2 ? p.newImage : p.oldImage).Row(y) + x, std::min(run, rowBytes - x));
    benchmark::ClobberMemory();
  }
}

double Median(std::vector<double>& v) {
  std::nth_element(v.begin(), v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2), v.end());
  return v[v.size() / 2];
}

// Every iteration times one frame copy and then one frame, so that both see
// the same load on a shared machine; the ratio is of their medians.
void BM_Effect(benchmark::State& state) {
  const int style = static_cast<int>(state.range(0)), w = static_cast<int>(state.range(1)),
            h = static_cast<int>(state.range(2));
  TPictures& p = Pictures(w, h);
  std::vector<double> copies, frames;
  for (auto _ : state) {
    const double t0 = ThreadSeconds();
    std::memcpy(p.screen.Bits(), p.oldImage.Bits(), p.oldImage.SizeBytes());
    benchmark::ClobberMemory();
    const double t1 = ThreadSeconds();
    ComposeFrame(p.oldImage, p.newImage, p.screen, 50, 4, style);
    benchmark::ClobberMemory();
    const double t2 = ThreadSeconds();
    copies.push_back(t1 - t0);
    frames.push_back(t2 - t1);
    state.SetIterationTime(t2 - t1);
  }
  if (frames.empty()) return;
  const double frame = Median(frames), copy = Median(copies);
  state.counters["x_copy"] = frame / copy;
  state.counters["ms"] = frame * 1000;
  state.counters["copy_ms"] = copy * 1000;
  state.SetLabel(std::string(FamilyCaption(FamilyOf(style))));
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
BENCHMARK(BM_TwoPictureCopy)->Apply(Sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Effect)->Apply(Effects)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
