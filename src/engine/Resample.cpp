#include "engine/Resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
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
