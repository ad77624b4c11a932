// Frame cost of the region effects at 1080p and 4K (p = 50), next to the cost
// of copying one frame measured in the same run, and the cost of building
// the densest regions alone.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "base/MulDiv.h"
#include "base/Random.h"
#include "engine/EffectRegion.h"
#include "engine/Effects.h"
#include "engine/RegionEffects.h"

namespace vanta {
namespace {

TFrameGeometry Geometry(int W, int H, int p, int step = 5) { return FrameGeometry(W, H, p, step); }

struct TPictures {
  TBitmap24 Fresh, Screen;
  TPictures(int w, int h) : Fresh(w, h), Screen(w, h) {
    for (int y = 0; y < h; ++y)
      for (size_t i = 0; i < size_t(w) * 3; ++i) Fresh.Row(y)[i] = uint8_t(i * 7 + y);
  }
};

TPictures& PicturesOf(int w) {
  static TPictures hd(1920, 1080), uhd(3840, 2160);
  return w == 1920 ? hd : uhd;
}

void FrameCopy(benchmark::State& state, int w) {
  TPictures& pics = PicturesOf(w);
  for (auto _ : state) {
    std::memcpy(pics.Screen.Bits(), pics.Fresh.Bits(), pics.Fresh.SizeBytes());
    benchmark::ClobberMemory();
  }
}

void Compose(benchmark::State& state, uint8_t style, int w, int h, int p) {
  TPictures& pics = PicturesOf(w);
  const TFrameGeometry g = Geometry(w, h, p);
  for (auto _ : state) {
    SetRandSeed(12345);
    ComposeRegionEffect(style, g, pics.Fresh, pics.Screen, true);
    benchmark::ClobberMemory();
  }
}

void BuildOnly(benchmark::State& state, uint8_t style, int w, int h, int p) {
  const TFrameGeometry g = Geometry(w, h, p);
  TRegion region;
  for (auto _ : state) {
    SetRandSeed(12345);
    BuildEffectRegion(style, g, region);
    benchmark::DoNotOptimize(region);
  }
  state.counters["bands"] = double(region.Bands().size());
}

// 5,000 squares on a 1080p picture: one sweep against one union per square.
void SquaresRects(std::vector<TRect>& rects) {
  SetRandSeed(7);
  for (int i = 0; i < 5000; ++i) {
    const int x = int(Random(1920)), y = int(Random(1080));
    rects.push_back({x - 20, y - 20, x + 20, y + 20});
  }
}

// One build of all the squares, by the builder's own choice of method or by
// the one given.
void SquaresOneSweep(benchmark::State& state, TRegionBuilder::TMethod method) {
  std::vector<TRect> rects;
  SquaresRects(rects);
  TRegionBuilder b;
  TRegion region;
  b.SetMethod(method);
  for (auto _ : state) {
    b.Reset({0, 0, 1920, 1080});
    for (const TRect& r : rects) b.AddRect(r);
    b.Build(region);
    benchmark::DoNotOptimize(region);
  }
}

void SquaresPairwise(benchmark::State& state) {
  std::vector<TRect> rects;
  SquaresRects(rects);
  for (auto _ : state) {
    TRegion all;
    for (const TRect& r : rects) all = Union(all, TRegion(IntersectRect(r, {0, 0, 1920, 1080})));
    benchmark::DoNotOptimize(all);
  }
}

}  // namespace
}  // namespace vanta

int main(int argc, char** argv) {
  using namespace vanta;
  const struct { int w, h; const char* name; } sizes[] = {{1920, 1080, "1080p"}, {3840, 2160, "4K"}};
  for (const auto& s : sizes) {
    benchmark::RegisterBenchmark((std::string("FrameCopy/") + s.name).c_str(), FrameCopy, s.w)
        ->Unit(benchmark::kMillisecond);
    for (int style = 58; style <= 127; ++style) {
      if (!HasEffectRegion(uint8_t(style))) continue;
      benchmark::RegisterBenchmark(("Effect/" + std::to_string(style) + "/" + s.name).c_str(), Compose,
                                   uint8_t(style), s.w, s.h, 50)
          ->Unit(benchmark::kMillisecond);
    }
  }
  // The densest regions, built without drawing.
  const struct { int style, p; } dense[] = {{127, 95}, {127, 99}, {127, 5}, {98, 50}, {86, 75}, {99, 75},
                                            {86, 50}, {108, 50}, {109, 50}, {100, 50}, {117, 50}, {117, 99}, {124, 50}, {126, 50}};
  for (const auto& d : dense)
    benchmark::RegisterBenchmark(("Build/" + std::to_string(d.style) + "/p" + std::to_string(d.p) + "/1080p").c_str(),
                                 BuildOnly, uint8_t(d.style), 1920, 1080, d.p)
        ->Unit(benchmark::kMicrosecond);
  using M = TRegionBuilder::TMethod;
  for (const auto& [name, method] : {std::pair{"OneSweep", M::kAuto}, std::pair{"Counting", M::kCoverage},
                                      std::pair{"ActiveList", M::kSweep}})
    benchmark::RegisterBenchmark((std::string("Squares5000/") + name).c_str(), SquaresOneSweep, method)
        ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("Squares5000/PairwiseUnion", SquaresPairwise)->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
