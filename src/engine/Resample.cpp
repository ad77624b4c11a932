#include "engine/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__SSE2__) && defined(__GNUC__)
#include <immintrin.h>
#include <tmmintrin.h>
#define VANTA_SSSE3 1
#endif

namespace vanta {

namespace {

// The raw weight of source pixel j (centred at j + 0.5) for a target pixel
// centred at c: a tent one source pixel wide each side when enlarging
// (bilinear), as wide as the target pixel when shrinking, which averages
// the area under it more smoothly than a box and damps fine patterns better.
double RawWeight(int j, double c, double reach) { return std::max(0.0, 1 - std::abs(j + 0.5 - c) / reach); }

}  // namespace

TResampleAxis MakeResampleAxis(double from, double to, int targetCount, int sourceCount) {
  TResampleAxis axis;
  if (targetCount <= 0 || sourceCount <= 0 || !(to > from)) return axis;
  const double scale = (to - from) / targetCount;
  const double reach = std::max(scale, 1.0);
  axis.Taps = static_cast<int>(std::ceil(2 * reach)) + 1;
  const auto n = static_cast<size_t>(targetCount);
  axis.First.resize(n);
  axis.Count.resize(n);
  axis.Weights.assign(n * static_cast<size_t>(axis.Taps), 0);
  std::vector<double> raw(static_cast<size_t>(axis.Taps));
  for (int i = 0; i < targetCount; ++i) {
    const double c = from + (i + 0.5) * scale;
    const int lo = static_cast<int>(std::floor(c - reach));
    // Pixels beyond the edge repeat it: their weight joins the edge pixel's.
    const int first = std::clamp(lo, 0, sourceCount - 1);
    const int last = std::clamp(lo + axis.Taps - 1, 0, sourceCount - 1);
    std::fill(raw.begin(), raw.end(), 0.0);
    double total = 0;
    for (int j = lo; j < lo + axis.Taps; ++j) {
      const double w = RawWeight(j, c, reach);
      raw[static_cast<size_t>(std::clamp(j, 0, sourceCount - 1) - first)] += w;
      total += w;
    }
    int16_t* w = &axis.Weights[static_cast<size_t>(i) * static_cast<size_t>(axis.Taps)];
    int32_t sum = 0;
    size_t largest = 0;
    for (size_t k = 0; k + first <= static_cast<size_t>(last); ++k) {
      w[k] = static_cast<int16_t>(std::lround(total > 0 ? raw[k] / total * TResampleAxis::kWeightOne : 0));
      sum += w[k];
      if (w[k] > w[largest]) largest = k;
    }
    if (total <= 0) largest = 0;
    w[largest] = static_cast<int16_t>(w[largest] + TResampleAxis::kWeightOne - sum);  // exactly one in all
    axis.First[static_cast<size_t>(i)] = first;
    axis.Count[static_cast<size_t>(i)] = last - first + 1;
  }
  return axis;
}

namespace {

inline uint8_t Round(int32_t acc) {
  const int32_t v = (acc + (TResampleAxis::kWeightOne >> 1)) >> TResampleAxis::kWeightBits;
  return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

#if defined(__SSE2__)
// One pixel's three bytes, without reading past the last pixel of a bitmap.
inline __m128i Pixel(const uint8_t* p) {
  return _mm_cvtsi32_si128(p[0] | (p[1] << 8) | (p[2] << 16));
}
#endif

}  // namespace

void TResampler::ResampleRow(const uint8_t* in, uint8_t* out, int x0, int x1) const {
  const int taps = columns_.Taps;
#if defined(__SSE2__)
  // Two taps at a time: their pixels interleaved channel by channel as
  // 16-bit lanes, multiplied by the pair of weights and added in one step.
  const __m128i zero = _mm_setzero_si128(), half = _mm_set1_epi32(TResampleAxis::kWeightOne >> 1);
  for (int x = x0; x < x1; ++x, out += 3) {
    const int16_t* w = &columns_.Weights[static_cast<size_t>(x) * static_cast<size_t>(taps)];
    const uint8_t* p = in + static_cast<size_t>(columns_.First[x]) * 3;
    const int n = columns_.Count[x];
    __m128i acc = half;
    for (int k = 0; k < n; k += 2, p += 6) {
      const bool pair = k + 1 < n;
      const __m128i two = _mm_unpacklo_epi8(_mm_unpacklo_epi8(Pixel(p), pair ? Pixel(p + 3) : zero), zero);
      const int32_t weights = static_cast<uint16_t>(w[k]) | (pair ? static_cast<int32_t>(w[k + 1]) << 16 : 0);
      acc = _mm_add_epi32(acc, _mm_madd_epi16(two, _mm_set1_epi32(weights)));
    }
    acc = _mm_srai_epi32(acc, TResampleAxis::kWeightBits);
    const int32_t bgr = _mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(acc, zero), zero));
    std::memcpy(out, &bgr, 3);
  }
#else
  for (int x = x0; x < x1; ++x) {
    const int16_t* w = &columns_.Weights[static_cast<size_t>(x) * static_cast<size_t>(taps)];
    const uint8_t* p = in + static_cast<size_t>(columns_.First[x]) * 3;
    int32_t b = 0, g = 0, r = 0;
    for (int k = 0, n = columns_.Count[x]; k < n; ++k, p += 3) {
      b += w[k] * p[0];
      g += w[k] * p[1];
      r += w[k] * p[2];
    }
    *out++ = Round(b);
    *out++ = Round(g);
    *out++ = Round(r);
  }
#endif
}

void TResampler::Draw(TBitmap24& dst, const TRect& target, const TBitmap24& src, const TSourceWindow& window) {
  const TRect visible = IntersectRect(target, dst.Bounds());
  if (visible.IsEmpty() || src.Empty() || !(window.Width() > 0) || !(window.Height() > 0)) return;
  // Enlarging (a target pixel no wider than a source pixel) on both axes.
  constexpr double kSlack = 1e-9;
  if (window.Width() <= target.Width() * (1 + kSlack) && window.Height() <= target.Height() * (1 + kSlack)) {
    DrawTwoTap(dst, target, visible, src, window);
    return;
  }
  columns_ = MakeResampleAxis(window.Left, window.Right, target.Width(), src.Width());
  rows_ = MakeResampleAxis(window.Top, window.Bottom, target.Height(), src.Height());
  const int x0 = visible.Left - target.Left, x1 = visible.Right - target.Left;
  const int y0 = visible.Top - target.Top, y1 = visible.Bottom - target.Top;
  const int firstRow = rows_.First[static_cast<size_t>(y0)];
  int lastRow = firstRow;
  for (int y = y0; y < y1; ++y) lastRow = std::max(lastRow, rows_.First[y] + rows_.Count[y] - 1);

  // Horizontal pass: each source row the visible target rows need.
  const size_t rowBytes = static_cast<size_t>(x1 - x0) * 3;
  across_.resize(rowBytes * static_cast<size_t>(lastRow - firstRow + 1));
  for (int sy = firstRow; sy <= lastRow; ++sy)
    ResampleRow(src.Row(sy), &across_[rowBytes * static_cast<size_t>(sy - firstRow)], x0, x1);

  // Vertical pass: byte by byte along the row, which the compiler vectorises.
  acc_.resize(rowBytes);
  for (int y = y0; y < y1; ++y) {
    const int16_t* w = &rows_.Weights[static_cast<size_t>(y) * static_cast<size_t>(rows_.Taps)];
    const uint8_t* in = &across_[rowBytes * static_cast<size_t>(rows_.First[y] - firstRow)];
    uint8_t* out = dst.Row(target.Top + y) + static_cast<size_t>(visible.Left) * 3;
    const int n = rows_.Count[y];
    if (n == 1) {
      std::copy_n(in, rowBytes, out);
      continue;
    }
    int32_t* acc = acc_.data();
    const int32_t w0 = w[0], w1 = w[1];
    const uint8_t* in1 = in + rowBytes;
    for (size_t i = 0; i < rowBytes; ++i) acc[i] = w0 * in[i] + w1 * in1[i];
    for (int k = 2; k < n; ++k) {
      const int32_t wk = w[k];
      const uint8_t* ink = in + rowBytes * static_cast<size_t>(k);
      for (size_t i = 0; i < rowBytes; ++i) acc[i] += wk * ink[i];
    }
    for (size_t i = 0; i < rowBytes; ++i) out[i] = Round(acc[i]);
  }
}

}  // namespace vanta

// ---- helpers that share a frame's rows ----

namespace vanta {

TRowWorkers::~TRowWorkers() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    quit_ = true;
  }
  wake_.notify_all();
  for (std::thread& t : helpers_) t.join();
}

void TRowWorkers::Run(int parts, const std::function<void(int part)>& job) {
  if (parts <= 1 || threads_ <= 1) {
    for (int p = 0; p < parts; ++p) job(p);
    return;
  }
  std::unique_lock<std::mutex> lock(mutex_);
  try {
    while (static_cast<int>(helpers_.size()) < threads_ - 1) helpers_.emplace_back([this] { Serve(); });
  } catch (...) {
    threads_ = static_cast<int>(helpers_.size()) + 1;  // no more threads to be had: do with these
  }
  job_ = &job;
  parts_ = parts;
  next_ = 0;
  ++generation_;
  lock.unlock();
  wake_.notify_all();
  Take();
  lock.lock();
  done_.wait(lock, [this] { return busy_ == 0; });
  job_ = nullptr;
}

void TRowWorkers::Take() {
  for (;;) {
    const std::function<void(int)>* job;
    int part;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!job_ || next_ >= parts_) return;
      job = job_;
      part = next_++;
      ++busy_;
    }
    (*job)(part);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      --busy_;
    }
    done_.notify_all();
  }
}

void TRowWorkers::Serve() {
  uint64_t seen = 0;
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait(lock, [&] { return quit_ || generation_ != seen; });
      if (quit_) return;
      seen = generation_;
    }
    Take();
  }
}

// ---- the two-tap way: bilinear, for enlarging ----

namespace {

constexpr int32_t kAcrossOne = 128;   // horizontal weights: each fits a signed byte
constexpr int32_t kDownOne = 65536;   // vertical weights: 16 bits
constexpr int kRowsAPart = 64;        // fewer rows are not worth a thread
constexpr int kStripValues = 2048;    // a multiple of 8

// Target pixel i of an axis reads source pixels A and B, B with weight W1
// (of kAcrossOne or kDownOne) and A with the rest. A pixel that stands
// alone (W1 = 0) has B = A.
struct TTap {
  int32_t A = 0, B = 0, W1 = 0;
};

TTap TapAt(double centre, int count, int32_t one) {
  const double p = std::clamp(centre - 0.5, -1.0, static_cast<double>(count));
  double j = std::floor(p);
  int32_t w1 = static_cast<int32_t>(std::lround((p - j) * one));
  if (w1 >= one) {
    j += 1;
    w1 = 0;
  }
  const int a = static_cast<int>(std::clamp(j, 0.0, count - 1.0));
  const int b = static_cast<int>(std::clamp(j + 1, 0.0, count - 1.0));
  if (w1 == 0 || a == b) return {a, a, 0};
  return {a, b, w1};
}

// The horizontal weights of a column: one alone is read twice at half
// weight, so that no weight needs the full 128.
inline int32_t AcrossW0(const TTap& c) { return c.W1 == 0 ? kAcrossOne / 2 : kAcrossOne - c.W1; }
inline int32_t AcrossW1(const TTap& c) { return c.W1 == 0 ? kAcrossOne / 2 : c.W1; }

// What the processor runs (the system saving the AVX registers included).
TResampleCode MachineCode() {
#if defined(VANTA_SSSE3)
  static const TResampleCode code = [] {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return TResampleCode::Avx2;
    return __builtin_cpu_supports("ssse3") ? TResampleCode::Ssse3 : TResampleCode::Plain;
  }();
  return code;
#else
  return TResampleCode::Plain;
#endif
}

}  // namespace

// Per frame: the taps of the visible columns and rows, and for the
// horizontal pass, blocks of eight channel values that one 16-byte load of
// the source row holds, each with the shuffle that picks its byte pairs and
// their weights. Per part of the rows: the two horizontal rows in use.
struct TResampler::TTwoTap {
  struct TLines {
    std::vector<int16_t> Line[2];
    int Row[2] = {-1, -1};
  };
  std::vector<TTap> Columns, Rows;
  // Block k: 16 bytes of Picks and of Weights, and the byte offset in the
  // source row that its load starts at.
  std::vector<uint8_t> Picks;
  std::vector<int8_t> Weights;
  std::vector<int32_t> Bases;
  std::vector<TLines> Parts;
  int Values = 0;  // channel values a row

  size_t Blocks() const { return Bases.size(); }
  void BuildBlocks(int sourceWidth);
};

void TResampler::TTwoTap::BuildBlocks(int sourceWidth) {
  Picks.clear();
  Weights.clear();
  Bases.clear();
  const int rowBytes = sourceWidth * 3;
  for (int k = 0; (k + 1) * 8 <= Values; ++k) {
    uint8_t pick[16];
    int8_t weights[16];
    const int first = Columns[static_cast<size_t>(8 * k / 3)].A;
    if (first * 3 + 16 > rowBytes) return;  // the rest by plain code: no load past the row
    for (int j = 0; j < 8; ++j) {
      const int v = 8 * k + j, ch = v % 3;
      const TTap& c = Columns[static_cast<size_t>(v / 3)];
      const int o0 = (c.A - first) * 3 + ch, o1 = (c.B - first) * 3 + ch;
      if (o0 < 0 || o1 < 0 || o0 > 15 || o1 > 15) return;
      pick[2 * j] = static_cast<uint8_t>(o0);
      pick[2 * j + 1] = static_cast<uint8_t>(o1);
      weights[2 * j] = static_cast<int8_t>(AcrossW0(c));
      weights[2 * j + 1] = static_cast<int8_t>(AcrossW1(c));
    }
    Picks.insert(Picks.end(), pick, pick + 16);
    Weights.insert(Weights.end(), weights, weights + 16);
    Bases.push_back(first * 3);
  }
}

namespace {

using TTwoTap = TResampler::TTwoTap;

// A strip of a row's channel values [From, To) (From a multiple of 8), and
// the shuffle blocks that lie in it: a strip's tables and horizontal rows
// stay in the first-level cache however wide the frame.
struct TStrip {
  int From = 0, To = 0;
  size_t BlockFrom = 0, BlockTo = 0;
};

// The horizontal pass of one source row over values [from, to): 8.7 fixed
// point, exactly what the shuffling code computes.
void AcrossPlain(const uint8_t* row, const TTwoTap& t, int16_t* out, int from, int to) {
  for (int v = from; v < to; ++v) {
    const TTap& c = t.Columns[static_cast<size_t>(v / 3)];
    const int ch = v % 3;
    out[v] = static_cast<int16_t>(row[c.A * 3 + ch] * AcrossW0(c) + row[c.B * 3 + ch] * AcrossW1(c));
  }
}

#if defined(VANTA_SSSE3)
// `next`: the source row after this one, fetched into the cache meanwhile
// (the rows of a strip are read far apart, where the processor does not
// guess the next read).
__attribute__((target("ssse3"))) void AcrossSsse3(const uint8_t* row, const uint8_t* next, const TTwoTap& t,
                                                  int16_t* out, const TStrip& s) {
  const auto at = [](const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); };
  for (size_t k = s.BlockFrom; k < s.BlockTo; ++k) {
    if (k % 4 == 0) _mm_prefetch(reinterpret_cast<const char*>(next + t.Bases[k]), _MM_HINT_T0);
    const __m128i picked = _mm_shuffle_epi8(at(row + t.Bases[k]), at(&t.Picks[16 * k]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8 * k), _mm_maddubs_epi16(picked, at(&t.Weights[16 * k])));
  }
  AcrossPlain(row, t, out, std::max(s.From, static_cast<int>(s.BlockTo * 8)), s.To);
}

// Two blocks at once, one in each half of the register.
__attribute__((target("avx2"))) void AcrossAvx2(const uint8_t* row, const uint8_t* next, const TTwoTap& t,
                                                 int16_t* out, const TStrip& s) {
  size_t k = s.BlockFrom;
  for (; k + 2 <= s.BlockTo; k += 2) {
    if (k % 4 == 0) _mm_prefetch(reinterpret_cast<const char*>(next + t.Bases[k]), _MM_HINT_T0);
    const __m256i src = _mm256_inserti128_si256(
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(row + t.Bases[k]))),
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + t.Bases[k + 1])), 1);
    const __m256i pick = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(&t.Picks[16 * k]));
    const __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(&t.Weights[16 * k]));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 8 * k), _mm256_maddubs_epi16(_mm256_shuffle_epi8(src, pick), w));
  }
  AcrossPlain(row, t, out, std::max(s.From, static_cast<int>(k * 8)), s.To);
}
#endif

// The vertical pass: two horizontal rows (or one alone) to a target row.
inline uint8_t Down(int16_t a, int16_t b, uint32_t w0, uint32_t w1) {
  return static_cast<uint8_t>(
      (((static_cast<uint16_t>(a) * w0) >> 16) + ((static_cast<uint16_t>(b) * w1) >> 16) + 64) >> 7);
}

void DownPlain(const int16_t* a, const int16_t* b, uint32_t w1, uint8_t* out, int i, int n) {
  if (w1 == 0)
    for (; i < n; ++i) out[i] = static_cast<uint8_t>((a[i] + 64) >> 7);
  else
    for (; i < n; ++i) out[i] = Down(a[i], b[i], kDownOne - w1, w1);
}

void DownSse2(const int16_t* a, const int16_t* b, uint32_t w1, uint8_t* out, int n) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i round = _mm_set1_epi16(64);
  const __m128i w0v = _mm_set1_epi16(static_cast<int16_t>(kDownOne - w1)), w1v = _mm_set1_epi16(static_cast<int16_t>(w1));
  const auto mix = [&](int at) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + at));
    if (w1 == 0) return _mm_srli_epi16(_mm_add_epi16(x, round), 7);
    const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + at));
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(_mm_mulhi_epu16(x, w0v), _mm_mulhi_epu16(y, w1v)), round), 7);
  };
  for (; i + 16 <= n; i += 16) _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(mix(i), mix(i + 8)));
#endif
  DownPlain(a, b, w1, out, i, n);
}

#if defined(VANTA_SSSE3)
// 32 target values from two horizontal rows.
__attribute__((target("avx2"), always_inline)) inline __m256i MixAvx2(const int16_t* a, const int16_t* b,
                                                                      uint32_t w1, int i) {
  const __m256i round = _mm256_set1_epi16(64);
  __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + i));
  __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + i + 16));
  if (w1 != 0) {
    const __m256i w0v = _mm256_set1_epi16(static_cast<int16_t>(kDownOne - w1));
    const __m256i w1v = _mm256_set1_epi16(static_cast<int16_t>(w1));
    lo = _mm256_add_epi16(_mm256_mulhi_epu16(lo, w0v),
                          _mm256_mulhi_epu16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i)), w1v));
    hi = _mm256_add_epi16(_mm256_mulhi_epu16(hi, w0v),
                          _mm256_mulhi_epu16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + i + 16)), w1v));
  }
  lo = _mm256_srli_epi16(_mm256_add_epi16(lo, round), 7);
  hi = _mm256_srli_epi16(_mm256_add_epi16(hi, round), 7);
  // Packing works within halves: put the quarters back in order.
  return _mm256_permute4x64_epi64(_mm256_packus_epi16(lo, hi), 0xD8);
}

__attribute__((target("avx2"))) void DownAvx2(const int16_t* a, const int16_t* b, uint32_t w1, uint8_t* out, int n) {
  if (n < 32) return DownPlain(a, b, w1, out, 0, n);
  // The first and last 32 bytes unaligned (overlapping what the middle
  // writes with the same values); the middle aligned and straight to
  // memory, not read into the cache first (a frame is larger than it).
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), MixAvx2(a, b, w1, 0));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + n - 32), MixAvx2(a, b, w1, n - 32));
  for (int i = static_cast<int>((32 - (reinterpret_cast<uintptr_t>(out) & 31)) & 31); i + 32 <= n; i += 32)
    _mm256_stream_si256(reinterpret_cast<__m256i*>(out + i), MixAvx2(a, b, w1, i));
}
#endif

}  // namespace

TResampler::TResampler(int threads, TResampleCode code) : code_(code), workers_(threads) {}

TResampler::~TResampler() = default;

int TResampler::SurfaceThreads() {
  return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
}

void TResampler::DrawTwoTap(TBitmap24& dst, const TRect& target, const TRect& visible, const TBitmap24& src,
                            const TSourceWindow& window) {
  if (!twoTap_) twoTap_ = std::make_unique<TTwoTap>();
  TTwoTap& t = *twoTap_;
  const int x0 = visible.Left - target.Left, x1 = visible.Right - target.Left;
  const int y0 = visible.Top - target.Top, y1 = visible.Bottom - target.Top;
  const double sx = window.Width() / target.Width(), sy = window.Height() / target.Height();
  t.Columns.resize(static_cast<size_t>(x1 - x0));
  for (int x = x0; x < x1; ++x)
    t.Columns[static_cast<size_t>(x - x0)] = TapAt(window.Left + (x + 0.5) * sx, src.Width(), kAcrossOne);
  t.Rows.resize(static_cast<size_t>(y1 - y0));
  for (int y = y0; y < y1; ++y)
    t.Rows[static_cast<size_t>(y - y0)] = TapAt(window.Top + (y + 0.5) * sy, src.Height(), kDownOne);
  t.Values = (x1 - x0) * 3;
  // The best code the processor runs, unless told to take a plainer one.
  const TResampleCode code = std::min(code_, MachineCode());
  if (code != TResampleCode::Plain) t.BuildBlocks(src.Width());
  const int parts = std::clamp((y1 - y0) / kRowsAPart, 1, workers_.Threads());
  t.Parts.resize(static_cast<size_t>(parts));
  for (TTwoTap::TLines& p : t.Parts)
    for (int i = 0; i < 2; ++i) {
      p.Line[i].resize(static_cast<size_t>(t.Values));
      p.Row[i] = -1;
    }
  const auto across = [&](int row, int16_t* out, const TStrip& s) {
#if defined(VANTA_SSSE3)
    const uint8_t* next = src.Row(std::min(row + 1, src.Height() - 1));
    if (code == TResampleCode::Avx2) return AcrossAvx2(src.Row(row), next, t, out, s);
    if (code == TResampleCode::Ssse3) return AcrossSsse3(src.Row(row), next, t, out, s);
#endif
    AcrossPlain(src.Row(row), t, out, s.From, s.To);
  };
  const auto down = [&](const int16_t* a, const int16_t* b, uint32_t w1, uint8_t* out, const TStrip& s) {
    a += s.From, b += s.From, out += s.From;
    const int n = s.To - s.From;
#if defined(VANTA_SSSE3)
    if (code == TResampleCode::Avx2) return DownAvx2(a, b, w1, out, n);
#endif
    if (code == TResampleCode::Plain) return DownPlain(a, b, w1, out, 0, n);
    DownSse2(a, b, w1, out, n);
  };
  workers_.Run(parts, [&](int part) {
    TTwoTap::TLines& lines = t.Parts[static_cast<size_t>(part)];
    const int rows = y1 - y0, from = y0 + rows * part / parts, to = y0 + rows * (part + 1) / parts;
    for (int v = 0; v < t.Values; v += kStripValues) {
      TStrip strip{v, std::min(v + kStripValues, t.Values)};
      strip.BlockFrom = std::min(static_cast<size_t>(v / 8), t.Blocks());
      strip.BlockTo = std::min(static_cast<size_t>(strip.To / 8), t.Blocks());
      lines.Row[0] = lines.Row[1] = -1;
      // The horizontal row of source row `row`, made if not at hand, in the
      // slot that does not hold `keep`.
      const auto line = [&](int row, int keep) -> const int16_t* {
        for (int i = 0; i < 2; ++i)
          if (lines.Row[i] == row) return lines.Line[i].data();
        const int slot = lines.Row[0] == keep ? 1 : 0;
        lines.Row[slot] = row;
        across(row, lines.Line[slot].data(), strip);
        return lines.Line[slot].data();
      };
      for (int y = from; y < to; ++y) {
        const TTap& r = t.Rows[static_cast<size_t>(y - y0)];
        const int16_t* a = line(r.A, r.B);
        const int16_t* b = r.W1 == 0 ? a : line(r.B, r.A);
        down(a, b, static_cast<uint32_t>(r.W1), dst.Row(target.Top + y) + static_cast<size_t>(visible.Left) * 3, strip);
      }
    }
#if defined(__SSE2__)
    _mm_sfence();  // the streamed rows seen by every thread before the part counts as done
#endif
  });
}

}  // namespace vanta
