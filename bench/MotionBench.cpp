// One frame of a moving picture as the show draws it, at 1920x1080 and
// 3840x2160, beside a plain frame copy of the same size in the same run: a
// full-screen surface with a caption, its picture's next framing drawn from
// the picture as loaded (TCustomVantascreen::DrawStandingFrom: the scaling,
// the paint buffer composed, the caption drawn). The host's present is left
// out: it is the system's copy to the window, the same for every frame.
//
// MotionFrame draws with the caller's thread alone, MotionFrameShowThreads
// as a show's surface does (its rows shared among the machine's cores, at
// most four; real time). MotionScale is the scaling alone on one thread.
#include <benchmark/benchmark.h>

#include <cstring>

#include "engine/PanZoom.h"
#include "engine/Resample.h"
#include "engine/Vantascreen.h"
#include "platform/headless/HeadlessScheduler.h"

namespace {

using namespace vanta;

TBitmap24 Photo(int w, int h) {
  TBitmap24 b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w * 3; ++x) b.Row(y)[x] = static_cast<uint8_t>(x * 7 - y * 3);
  return b;
}

// A window that paints at once and shows nothing.
class TBenchHost final : public platform::ISurfaceHost {
 public:
  void Attach(platform::IPaintable& s) override { surface_ = &s; }
  void Detach(platform::IPaintable&) override { surface_ = nullptr; }
  void InvalidateArea(const TRect&) override { invalid_ = true; }
  void UpdateNow() override {
    if (invalid_ && surface_) surface_->Paint();
    invalid_ = false;
  }
  void PresentBuffer(const TBitmap24& buffer, TPoint) override { benchmark::DoNotOptimize(buffer.Bits()); }
  TPoint MeasureText(const platform::TCaptionFont& font, const std::string& text) override {
    return {static_cast<int>(text.size()) * font.Height / 2, font.Height};
  }
  void DrawText(TPoint, const std::string&, const platform::TCaptionFont&) override {}

 private:
  platform::IPaintable* surface_ = nullptr;
  bool invalid_ = false;
};

TPanZoomPath StrongPath(const TBitmap24& photo) {
  const TSourceWindow whole{0, 0, double(photo.Width()), double(photo.Height())};
  return MakePanZoomPath(whole, photo.Width(), photo.Height(), TPanZoom::Strong, {4, true});
}

void FrameCopy(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const TBitmap24 src = Photo(w, h);
  TBitmap24 screen(w, h);
  for (auto _ : state) {
    std::memcpy(screen.Bits(), src.Bits(), src.SizeBytes());
    benchmark::ClobberMemory();
  }
}

void MotionFrames(benchmark::State& state, int threads) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  platform::THeadlessScheduler scheduler;
  TBenchHost host;
  TVantascreen v(host, scheduler);
  // As the show sets up a monitor's surface (RunVantascreen), fitted.
  v.SetColor(0);
  v.SetBounds(0, 0, w, h);
  v.SetAlign(TAlign::alClient);
  v.SetAutoSize(false);
  v.SetBgMode(bmNone);
  v.SetCenter(true);
  v.SetFitMode(TFitMode::Fit);
  v.Threaded = false;
  v.Style = 0;
  v.Caption = "Holidays 2026 - DSC01234";
  v.CaptionPos = cpBottomOfScreen;
  if (threads > 0) v.SetMotionThreads(threads);
  const TBitmap24 photo = Photo(w, h);
  v.ContentRect = photo.Bounds();
  v.SetPicture(photo);
  v.Start();  // effect 0: the picture at once
  host.UpdateNow();
  const TPanZoomPath path = StrongPath(photo);
  double t = 0;
  for (auto _ : state) {
    v.DrawStandingFrom(photo, path.At(t));
    t = t >= 1 ? 0 : t + 0.01;
    benchmark::ClobberMemory();
  }
}

void MotionFrame(benchmark::State& state) { MotionFrames(state, 1); }
void MotionFrameShowThreads(benchmark::State& state) { MotionFrames(state, 0); }

void MotionScale(benchmark::State& state) {
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  const TBitmap24 photo = Photo(w, h);
  TBitmap24 screen(w, h);
  const TPanZoomPath path = StrongPath(photo);
  TResampler resampler;
  double t = 0;
  for (auto _ : state) {
    resampler.Draw(screen, screen.Bounds(), photo, path.At(t));
    t = t >= 1 ? 0 : t + 0.01;
    benchmark::ClobberMemory();
  }
}

void Sizes(benchmark::internal::Benchmark* b) { b->Args({1920, 1080})->Args({3840, 2160}); }

}  // namespace

BENCHMARK(FrameCopy)->Apply(Sizes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(MotionScale)->Apply(Sizes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(MotionFrame)->Apply(Sizes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(MotionFrameShowThreads)->Apply(Sizes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
