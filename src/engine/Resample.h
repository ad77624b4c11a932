// Resampling for pictures that move while they are shown: a window of the
// source, in fractional pixels, drawn into a rectangle of the destination.
// Shrinking averages the area that each target pixel covers (a tent as wide
// as the target pixel), so a slow zoom out does not shimmer; enlarging
// interpolates bilinearly. A window of
// the rectangle's own size at whole-pixel offsets copies the pixels exactly,
// so a picture standing still looks as it did before it could move.
//
// Separable and in fixed point: a horizontal pass over the source rows that
// the target rows need, then a vertical pass. The weight tables and the
// intermediate rows are kept between frames.
//
// Enlarging (and one to one) takes a faster way, which is every frame of a
// moving picture: two taps an axis, the horizontal pass picking its bytes
// with one shuffle for eight channel values (AVX2 or SSSE3 where the
// processor has them, the same arithmetic in plain code where not), 16-bit
// intermediate values, the frame in strips that stay in the cache, and the
// target's rows shared out among threads.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/Bitmap.h"
#include "base/Rect.h"

namespace vanta {

// A part of a picture in its own pixel coordinates (right and bottom
// exclusive, as rectangles are). Parts outside the picture repeat its edge.
struct TSourceWindow {
  double Left = 0, Top = 0, Right = 0, Bottom = 0;
  double Width() const { return Right - Left; }
  double Height() const { return Bottom - Top; }
  friend constexpr bool operator==(const TSourceWindow&, const TSourceWindow&) = default;
};

// The weights of one axis: target pixel i reads source pixels First[i] ..
// First[i] + Count[i] - 1 with Weights[i * Taps ..], which add up to
// kWeightOne exactly.
struct TResampleAxis {
  static constexpr int kWeightBits = 14;
  static constexpr int32_t kWeightOne = 1 << kWeightBits;
  std::vector<int32_t> First, Count;
  std::vector<int16_t> Weights;
  int Taps = 0;
};

// Weights for `targetCount` pixels over [from, to) of an axis of
// `sourceCount` pixels.
TResampleAxis MakeResampleAxis(double from, double to, int targetCount, int sourceCount);

// Runs a job over parts 0..n-1 on the calling thread and up to threads - 1
// helpers, which wait between jobs (started on first use). Whatever helper
// cannot be started, the caller does its share.
class TRowWorkers {
 public:
  explicit TRowWorkers(int threads) : threads_(threads < 1 ? 1 : threads) {}
  ~TRowWorkers();
  TRowWorkers(const TRowWorkers&) = delete;
  TRowWorkers& operator=(const TRowWorkers&) = delete;

  int Threads() const { return threads_; }
  // Returns when every part is done. The job must not throw.
  void Run(int parts, const std::function<void(int part)>& job);

 private:
  void Serve();
  void Take();

  int threads_;
  std::vector<std::thread> helpers_;
  std::mutex mutex_;
  std::condition_variable wake_, done_;
  const std::function<void(int)>* job_ = nullptr;
  uint64_t generation_ = 0;
  int parts_ = 0, next_ = 0, busy_ = 0;
  bool quit_ = false;
};

// Which code draws the two-tap way: the best the processor runs (Best), or
// at most the one named. Every code draws the same bytes; Plain runs on any
// processor.
enum class TResampleCode { Plain, Ssse3, Avx2, Best };

class TResampler {
 public:
  // `threads`: how many threads share a frame's rows (1: the caller's alone).
  explicit TResampler(int threads = 1, TResampleCode code = TResampleCode::Best);
  ~TResampler();
  TResampler(const TResampler&) = delete;
  TResampler& operator=(const TResampler&) = delete;

  // Draws `window` of `src` into `target` of `dst` (clipped to dst). An empty
  // source or window draws nothing.
  void Draw(TBitmap24& dst, const TRect& target, const TBitmap24& src, const TSourceWindow& window);

  // The threads for a picture surface: the machine's cores, at most four.
  static int SurfaceThreads();

  struct TTwoTap;  // the enlarging way's tables (Resample.cpp)

 private:
  void ResampleRow(const uint8_t* in, uint8_t* out, int x0, int x1) const;
  void DrawTwoTap(TBitmap24& dst, const TRect& target, const TRect& visible, const TBitmap24& src,
                  const TSourceWindow& window);

  TResampleCode code_;
  TRowWorkers workers_;
  std::unique_ptr<TTwoTap> twoTap_;
  TResampleAxis columns_, rows_;
  std::vector<uint8_t> across_;  // the horizontal pass, one row per source row needed
  std::vector<int32_t> acc_;
};

}  // namespace vanta
