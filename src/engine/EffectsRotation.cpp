// Effects 119..122: the new picture turned about a point just outside one
// corner. Destination pixel (x, y) shows the new picture's pixel
//   u = round(dx c - dy s) + cx,  v = round(dx s + dy c) + cy
// (dx = x - cx, dy = y - cy, products and sums in doubles, rounding to
// nearest with ties to even), or the old picture where (u, v) lies outside.
//
// Most pixels take a fixed-point image of the same sums: 16 fraction bits,
// off from the doubles by at most one unit, so they round alike except
// within two units of a half. The columns where a row comes that close are
// found per row from the columns sorted by their fractions, and only they
// take the doubles.
#include "engine/EffectsRotation.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <vector>

#include "engine/Blit.h"
#include "base/EffectFamilies.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vanta {
namespace {

// Bands of rows in chunks of columns keep the source reads of a turned walk
// close together (a turned row crosses many source rows).
constexpr int kBand = 32, kChunk = 64;

inline int RoundEven(double v) {
#if defined(__SSE2__)
  return _mm_cvtsd_si32(_mm_set_sd(v));  // the default rounding mode: nearest, ties to even
#else
  return static_cast<int>(std::nearbyint(v));
#endif
}

constexpr int kFraction = 16;
constexpr int32_t kHalf = 1 << (kFraction - 1);
constexpr uint32_t kFractionMask = (1u << kFraction) - 1;
constexpr int kNear = 2;  // units either side of a half where the doubles decide

// Only for values whose fixed point fits 32 bits.
int32_t ToFixed(double v) { return RoundEven(v * (1 << kFraction)); }

// What a row needs: its run of turned pixels and the columns that take the
// doubles (all of them when too many come close).
struct TRowPlan {
  static constexpr int kMaxNear = 14;
  int First = 0, Last = 0;
  int NearCount = 0;
  bool AllExact = false;
  int Near[kMaxNear];
};

// The columns of one fixed-point table grouped by their fractions, to find
// those whose fraction lies in a window of a few units.
class TFractionIndex {
 public:
  void Build(const std::vector<int32_t>& fixed) {
    start_.assign(kBuckets + 1, 0);
    for (const int32_t f : fixed) ++start_[Bucket(static_cast<uint32_t>(f)) + 1];
    for (size_t i = 0; i < kBuckets; ++i) start_[i + 1] += start_[i];
    keys_.resize(fixed.size());
    std::vector<uint32_t> at(start_.begin(), start_.end() - 1);
    for (size_t x = 0; x < fixed.size(); ++x) {
      const uint32_t f = static_cast<uint32_t>(fixed[x]) & kFractionMask;
      keys_[at[Bucket(f)]++] = f << kFraction | static_cast<uint32_t>(x);
    }
  }
  // Adds the columns whose fraction is within kNear of `centre` (mod one).
  void Add(uint32_t centre, TRowPlan& plan) const {
    const uint32_t lo = (centre - kNear) & kFractionMask, hi = lo + 2 * kNear;
    Window(lo, std::min(hi, kFractionMask), plan);
    if (hi > kFractionMask) Window(0, hi - kFractionMask - 1, plan);
  }

 private:
  static constexpr int kBucketBits = 12;
  static constexpr size_t kBuckets = size_t{1} << kBucketBits;
  static size_t Bucket(uint32_t fixed) { return (fixed & kFractionMask) >> (kFraction - kBucketBits); }

  void Window(uint32_t lo, uint32_t hi, TRowPlan& plan) const {
    for (uint32_t k = start_[Bucket(lo)]; k < start_[Bucket(hi) + 1]; ++k) {
      const uint32_t f = keys_[k] >> kFraction;
      if (f < lo || f > hi) continue;
      if (plan.NearCount == TRowPlan::kMaxNear) {
        plan.AllExact = true;
        return;
      }
      plan.Near[plan.NearCount++] = static_cast<int>(keys_[k] & kFractionMask);
    }
  }
  std::vector<uint32_t> start_;  // bucket i's keys are keys_[start_[i] .. start_[i + 1])
  std::vector<uint32_t> keys_;   // fraction << 16 | column, by bucket
};

// The first x in [0, limit] with x == limit or pred(x), for a pred that
// never turns false again along the row; searched outward from a guess (the
// row above's answer), then halved.
template <typename Pred>
int FirstWhere(int guess, int limit, Pred pred) {
  guess = std::clamp(guess, 0, limit);
  const auto holds = [&](int x) { return x >= limit || pred(x); };
  int lo = 0, hi = limit;
  if (holds(guess)) {
    hi = guess;
    for (int step = 1;; step *= 2) {
      const int x = hi - step;
      if (x < 0) break;
      if (!holds(x)) {
        lo = x + 1;
        break;
      }
      hi = x;
    }
  } else {
    lo = guess + 1;
    for (int step = 1;; step *= 2) {
      const int x = guess + step;
      if (x >= limit) break;
      if (holds(x)) {
        hi = x;
        break;
      }
      lo = x + 1;
    }
  }
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    if (holds(mid)) hi = mid;
    else lo = mid + 1;
  }
  return lo;
}

// One frame's turn: the per-column products of the formula (the same
// products the formula makes per pixel) and their fixed-point images.
class TTurn {
 public:
  TTurn(const TBitmap24& picture, int progress, int style);
  // Row y's plan; `above` is the row above's (its run is the first guess).
  void Plan(int y, const TRowPlan& above, TRowPlan& plan) const;
  // Row y's pixels [a, b) by the plan.
  void Span(int y, int a, int b, const TRowPlan& plan, uint8_t* out) const;

 private:
  void MakeFixed();
  int U(double rowS, int x) const { return RoundEven(colC_[static_cast<size_t>(x)] - rowS) + cx_; }
  int V(double rowC, int x) const { return RoundEven(colS_[static_cast<size_t>(x)] + rowC) + cy_; }
  void Exact(int y, int a, int b, uint8_t* out) const;
  void Fast(int y, int a, int b, uint8_t* out) const;

  const TBitmap24& picture_;
  int W_ = 0, H_ = 0, cx_ = 0, cy_ = 0, stride_ = 0;
  double s_ = 0, c_ = 0;
  std::vector<double> colC_, colS_;
  // colC and colS as fixed point plus the half, when every sum of a row
  // fits 32 bits and an offset (u - cx) * 3 + (v - cy) * stride fits the
  // 16-bit multiply-add; empty otherwise.
  std::vector<int32_t> fixC_, fixS_;
  TFractionIndex nearC_, nearS_;
  // The byte distance to the pixel a chunk further along a row: fetched
  // now, its source is in the cache when the next chunk comes (a turned
  // walk's reads are too scattered for the processor to foresee).
  intptr_t ahead_ = 0;
};

TTurn::TTurn(const TBitmap24& picture, int progress, int style) : picture_(picture) {
  W_ = picture.Width(), H_ = picture.Height();
  stride_ = static_cast<int>(picture.Stride());
  const double theta = (100 - std::clamp(progress, 0, 100)) * std::numbers::pi / 200;
  s_ = std::sin(theta), c_ = std::cos(theta);
  const TRotationPivot pivot = RotationPivotOf(style);
  cx_ = pivot.RightEdge ? W_ : -1;
  cy_ = pivot.BottomEdge ? H_ : -1;
  colC_.resize(static_cast<size_t>(W_) + 1);
  colS_.resize(static_cast<size_t>(W_) + 1);
  for (int x = 0; x <= W_; ++x) {
    colC_[static_cast<size_t>(x)] = static_cast<double>(x - cx_) * c_;
    colS_[static_cast<size_t>(x)] = static_cast<double>(x - cx_) * s_;
  }
  MakeFixed();
}

void TTurn::MakeFixed() {
  const bool fits = W_ + H_ < 30000 && stride_ <= 32767 && picture_.SizeBytes() >= 4;
  if (!fits) return;
  fixC_.resize(colC_.size());
  fixS_.resize(colS_.size());
  for (size_t i = 0; i < colC_.size(); ++i) {
    fixC_[i] = ToFixed(colC_[i]) + kHalf;
    fixS_[i] = ToFixed(colS_[i]) + kHalf;
  }
  nearC_.Build(fixC_);
  nearS_.Build(fixS_);
  ahead_ = static_cast<intptr_t>(std::lround(kChunk * c_)) * 3 + std::lround(kChunk * s_) * stride_;
}

void TTurn::Plan(int y, const TRowPlan& above, TRowPlan& plan) const {
  // u and v never fall as x rises (c, s >= 0): the pixels with a source
  // inside the picture are one run.
  const double dy = y - cy_, rowS = dy * s_, rowC = dy * c_;
  plan.First = FirstWhere(above.First, W_, [&](int x) { return U(rowS, x) >= 0 && V(rowC, x) >= 0; });
  plan.Last = std::max(plan.First, FirstWhere(above.Last, W_, [&](int x) { return U(rowS, x) >= W_ || V(rowC, x) >= H_; }));
  plan.NearCount = 0;
  plan.AllExact = fixC_.empty();
  if (plan.AllExact || plan.First == plan.Last) return;
  // u's sum has the fraction of fixC - rowS, v's that of fixS + rowC.
  nearC_.Add(static_cast<uint32_t>(ToFixed(rowS)) & kFractionMask, plan);
  nearS_.Add(static_cast<uint32_t>(-ToFixed(rowC)) & kFractionMask, plan);
  std::sort(plan.Near, plan.Near + plan.NearCount);
}

void TTurn::Exact(int y, int a, int b, uint8_t* out) const {
  const double dy = y - cy_, rowS = dy * s_, rowC = dy * c_;
  const uint8_t* bits = picture_.Bits();
  for (int x = a; x < b; ++x)
    std::memcpy(out + x * 3, bits + static_cast<size_t>(V(rowC, x)) * stride_ + U(rowS, x) * 3, 3);
}

void TTurn::Span(int y, int a, int b, const TRowPlan& plan, uint8_t* out) const {
  if (plan.AllExact) return Exact(y, a, b, out);
  const int* near = std::lower_bound(plan.Near, plan.Near + plan.NearCount, a);
  const int* nearEnd = plan.Near + plan.NearCount;
  for (int x = a; x < b;) {
    const int stop = near < nearEnd && *near < b ? *near++ : b;
    Fast(y, x, stop, out);
    const int next = std::min(stop + 1, b);
    Exact(y, stop, next, out);
    x = next;
  }
}

// Pixels [a, b) from the fixed-point tables: four at a time from a multiple
// of four on (the chunks start at one), one at a time around them.
void TTurn::Fast(int y, int a, int b, uint8_t* out) const {
  const double dy = y - cy_;
  const int32_t rs = ToFixed(dy * s_), rc = ToFixed(dy * c_);
  const uint8_t* bits = picture_.Bits();
  const ptrdiff_t pivot = cx_ * 3 + static_cast<ptrdiff_t>(cy_) * stride_;
  const auto one = [&](int x) {
    const int u = (fixC_[static_cast<size_t>(x)] - rs) >> kFraction, v = (fixS_[static_cast<size_t>(x)] + rc) >> kFraction;
    std::memcpy(out + x * 3, bits + pivot + u * 3 + static_cast<ptrdiff_t>(v) * stride_, 3);
  };
  int x = a;
  for (; x < b && x % 4 != 0; ++x) one(x);
#if defined(__SSE2__)
  const __m128i rowS = _mm_set1_epi32(rs), rowC = _mm_set1_epi32(rc);
  const __m128i low16 = _mm_set1_epi32(0xFFFF), perPixel = _mm_set1_epi32(stride_ << 16 | 3);
  const __m128i pivotOffset = _mm_set1_epi32(cx_ * 3 + cy_ * stride_);
  const int lastWord = static_cast<int>(picture_.SizeBytes()) - 4;  // the last offset a four-byte read may start at
  alignas(16) int32_t off[4];
  for (; x + 4 <= b; x += 4) {
    const size_t i = static_cast<size_t>(x);
    const __m128i u = _mm_sub_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&fixC_[i])), rowS);
    const __m128i v = _mm_add_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(&fixS_[i])), rowC);
    // (u - cx, v - cy) as 16-bit halves give the byte offsets in one multiply-add.
    const __m128i uv = _mm_or_si128(_mm_and_si128(_mm_srai_epi32(u, kFraction), low16),
                                    _mm_slli_epi32(_mm_srai_epi32(v, kFraction), 16));
    _mm_store_si128(reinterpret_cast<__m128i*>(off), _mm_add_epi32(_mm_madd_epi16(uv, perPixel), pivotOffset));
    if (off[3] > lastWord) break;  // offsets rise along the row: the rest reads near the end
    _mm_prefetch(reinterpret_cast<const char*>(reinterpret_cast<uintptr_t>(bits) + off[0] + ahead_), _MM_HINT_T0);
    _mm_prefetch(reinterpret_cast<const char*>(reinterpret_cast<uintptr_t>(bits) + off[2] + ahead_), _MM_HINT_T0);
    uint8_t* o = out + x * 3;
    if (x + 4 < b) {
      // Four-byte stores, each spilling a byte onto the next pixel, which
      // is drawn after.
      std::memcpy(o, bits + off[0], 4);
      std::memcpy(o + 3, bits + off[1], 4);
      std::memcpy(o + 6, bits + off[2], 4);
      std::memcpy(o + 9, bits + off[3], 4);
    } else {
      CopyFourPixels(o, bits + off[0], bits + off[1], bits + off[2], bits + off[3]);
    }
  }
  if (x + 4 <= b) return Exact(y, x, b, out);  // near the end of the picture
#endif
  for (; x < b; ++x) one(x);
}

}  // namespace

void RotateRows(const TBitmap24* oldImage, const TBitmap24& newImage, TBitmap24& screen, int progress, int style) {
  const int W = newImage.Width(), H = newImage.Height();
  if (W == 0 || H == 0 || screen.Width() != W || screen.Height() != H) return;
  const TTurn turn(newImage, progress, style);
  TRowPlan plans[kBand];
  for (int y0 = 0; y0 < H; y0 += kBand) {
    const int y1 = std::min(y0 + kBand, H);
    for (int y = y0; y < y1; ++y) {
      TRowPlan& plan = plans[y - y0];
      turn.Plan(y, plans[(y - y0 + kBand - 1) % kBand], plan);
      if (!oldImage) continue;
      uint8_t* out = screen.Row(y);
      const uint8_t* in = oldImage->Row(y);
      std::memcpy(out, in, static_cast<size_t>(plan.First) * 3);
      std::memcpy(out + plan.Last * 3, in + plan.Last * 3, static_cast<size_t>(W - plan.Last) * 3);
    }
    for (int x0 = 0; x0 < W; x0 += kChunk)
      for (int y = y0; y < y1; ++y) {
        const TRowPlan& plan = plans[y - y0];
        const int a = std::max(plan.First, x0), b = std::min(plan.Last, x0 + kChunk);
        if (a < b) turn.Span(y, a, b, plan, screen.Row(y));
      }
  }
}

}  // namespace vanta
