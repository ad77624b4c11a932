#include "engine/RegionCompose.h"

#include <algorithm>
#include <cstring>
#include <span>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace vanta {

namespace {

// From this length the library's copy (which uses the widest moves the
// processor has) is faster than the loop below.
constexpr size_t kLibraryCopyBytes = 256;

// Copies N <= n <= 2N bytes as two blocks of N, one from each end (they may
// overlap); both are read before either is written.
template <size_t N>
inline void CopyEnds(uint8_t* to, const uint8_t* from, size_t n) {
  uint8_t a[N], b[N];
  std::memcpy(a, from, N);
  std::memcpy(b, from + n - N, N);
  std::memcpy(to, a, N);
  std::memcpy(to + n - N, b, N);
}

// Copies n >= 3 bytes between two bitmaps, inline. Region effects make many
// spans a few pixels wide (5-pixel stripes), where a call into memcpy costs
// more than the bytes, and medium spans between rows of two bitmaps at the
// same offset are where the library copy was measured several times slower
// than a plain loop of 16-byte moves. Short spans are two overlapping blocks.
inline void CopySpanBytes(uint8_t* to, const uint8_t* from, size_t n) {
  if (n >= kLibraryCopyBytes) {
    std::memcpy(to, from, n);
  } else if (n >= 64) {
    size_t i = 0;
    for (; i + 64 <= n; i += 64) {
      uint8_t block[64];
      std::memcpy(block, from + i, 64);
      std::memcpy(to + i, block, 64);
    }
    if (i < n) {
      uint8_t block[64];
      std::memcpy(block, from + n - 64, 64);
      std::memcpy(to + n - 64, block, 64);
    }
  } else if (n >= 32) {
    CopyEnds<32>(to, from, n);
  } else if (n >= 16) {
    CopyEnds<16>(to, from, n);
  } else if (n >= 8) {
    CopyEnds<8>(to, from, n);
  } else if (n >= 4) {
    CopyEnds<4>(to, from, n);
  } else {
    for (size_t i = 0; i < n; ++i) to[i] = from[i];
  }
}

}  // namespace

void CopyRegion(const TRegion& region, const TBitmap24& src, TBitmap24& dst) {
  if (region.IsEmpty()) return;
  const int width = std::min(src.Width(), dst.Width());
  const int height = std::min(src.Height(), dst.Height());
  const TRect bounds = region.Bounds();
  const bool inside = bounds.Left >= 0 && bounds.Top >= 0 && bounds.Right <= width && bounds.Bottom <= height;
  for (const TRegion::TBand& band : region.Bands()) {
    const int top = std::max(band.Top, 0), bottom = std::min(band.Bottom, height);
    if (top >= bottom) continue;
    const std::span<const TSpan> spans = region.Spans(band);
    for (int y = top; y < bottom; ++y) {
      const uint8_t* from = src.Row(y);
      uint8_t* to = dst.Row(y);
      if (inside) {
        // The usual case: the region was built for these bitmaps.
        for (const TSpan& s : spans)
          CopySpanBytes(to + size_t(s.Left) * 3, from + size_t(s.Left) * 3, size_t(s.Right - s.Left) * 3);
        continue;
      }
      for (const TSpan& s : spans) {
        const int left = std::max(s.Left, 0), right = std::min(s.Right, width);
        if (left < right) CopySpanBytes(to + size_t(left) * 3, from + size_t(left) * 3, size_t(right - left) * 3);
      }
    }
  }
}

namespace {

// From this many spans a row (of 1920 pixels, about 24 bytes per run of old
// or new pixels) a band is blended through a byte mask instead: one
// streaming pass over both pictures beats hundreds of tiny copies.
constexpr size_t kDenseRunBytes = 96;

bool IsDenseRow(size_t spans, size_t rowBytes) { return (2 * spans + 1) * kDenseRunBytes > rowBytes; }

// Sets n >= 3 bytes to 0xFF, inline: the spans of a dense row are mostly a
// few pixels wide, where a call into memset costs more than the bytes.
inline void SetSpanBytes(uint8_t* to, size_t n) {
  constexpr uint64_t kOnes = ~uint64_t{0};
  if (n >= 16) {
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
      std::memcpy(to + i, &kOnes, 8);
      std::memcpy(to + i + 8, &kOnes, 8);
    }
    std::memcpy(to + n - 16, &kOnes, 8);
    std::memcpy(to + n - 8, &kOnes, 8);
  } else if (n >= 8) {
    std::memcpy(to, &kOnes, 8);
    std::memcpy(to + n - 8, &kOnes, 8);
  } else if (n >= 4) {
    std::memcpy(to, &kOnes, 4);
    std::memcpy(to + n - 4, &kOnes, 4);
  } else {
    std::memcpy(to, &kOnes, n);
  }
}

// 0xFF for the bytes of pixels inside the spans, 0 elsewhere.
void FillMask(std::span<const TSpan> spans, int width, uint8_t* mask) {
  std::memset(mask, 0, size_t(width) * 3);
  for (const TSpan& s : spans) {
    const int left = std::clamp(s.Left, 0, width), right = std::clamp(s.Right, 0, width);
    if (right > left) SetSpanBytes(mask + size_t(left) * 3, size_t(right - left) * 3);
  }
}

#if defined(__SSE2__) && defined(__GNUC__)
#define VANTA_WIDE_BLEND 1
// Processors with 32-byte integer moves (nearly all since about 2013) blend
// the bulk of a row with them: a third of the instructions, which counts
// when the machine is busy.
__attribute__((target("avx2"))) size_t BlendByMaskWide(uint8_t* to, const uint8_t* in, const uint8_t* out,
                                                        const uint8_t* mask, size_t n) {
  size_t i = 0;
  for (; i + 32 <= n; i += 32) {
    const __m256i m = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(mask + i));
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(out + i));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + i), _mm256_blendv_epi8(b, a, m));
  }
  return i;
}

bool HasWideBlend() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#endif

// to := mask ? in : out, byte by byte.
void BlendByMask(uint8_t* to, const uint8_t* in, const uint8_t* out, const uint8_t* mask, size_t n) {
  size_t i = 0;
#if defined(VANTA_WIDE_BLEND)
  if (HasWideBlend()) i = BlendByMaskWide(to, in, out, mask, n);
#endif
#if defined(__SSE2__)
  for (; i + 16 <= n; i += 16) {
    const __m128i m = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mask + i));
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i), _mm_or_si128(_mm_and_si128(m, a), _mm_andnot_si128(m, b)));
  }
#endif
  for (; i < n; ++i) to[i] = static_cast<uint8_t>((in[i] & mask[i]) | (out[i] & ~mask[i]));
}

// A dense row as a few stretches: runs of one picture at least this many
// pixels long, and the mixed columns between them.
constexpr int kLongStretch = 320;
constexpr size_t kMaxStretches = 8;

struct TStretch {
  enum TKind : uint8_t { kBlend, kInside, kOutside } Kind;
  int From, To;
};

size_t PlanStretches(std::span<const TSpan> spans, int width, TStretch* out) {
  size_t n = 0;
  int mixedFrom = 0;  // start of the mixed columns not yet planned
  auto solid = [&](TStretch::TKind kind, int from, int to) {
    if (to - from < kLongStretch || n + 3 > kMaxStretches) return;  // room for the last blend
    if (from > mixedFrom) out[n++] = {TStretch::kBlend, mixedFrom, from};
    out[n++] = {kind, from, to};
    mixedFrom = to;
  };
  int x = 0;
  for (const TSpan& s : spans) {
    const int left = std::clamp(s.Left, 0, width), right = std::clamp(s.Right, 0, width);
    solid(TStretch::kOutside, x, left);
    solid(TStretch::kInside, left, right);
    x = std::max(x, right);
  }
  solid(TStretch::kOutside, x, width);
  if (mixedFrom < width) out[n++] = {TStretch::kBlend, mixedFrom, width};
  return n;
}

}  // namespace

void ComposeRegionOver(const TRegion& region, const TBitmap24& inside, const TBitmap24& outside, TBitmap24& dst) {
  const int width = dst.Width(), height = dst.Height();
  const size_t rowBytes = size_t(width) * 3;
  // Rows are contiguous, so a run of whole rows from one picture is one copy.
  auto copyRows = [&](const TBitmap24& from, int top, int bottom) {
    if (top < bottom) std::memcpy(dst.Row(top), from.Row(top), size_t(bottom - top) * dst.Stride());
  };
  // Frames may be composed on the animation thread and on the main thread.
  thread_local std::vector<uint8_t> mask;
  int y = 0;
  for (const TRegion::TBand& band : region.Bands()) {
    const int top = std::clamp(band.Top, 0, height), bottom = std::clamp(band.Bottom, 0, height);
    if (top >= bottom) continue;
    copyRows(outside, y, top);
    y = bottom;
    const std::span<const TSpan> spans = region.Spans(band);
    if (spans.size() == 1 && spans[0].Left <= 0 && spans[0].Right >= width) {
      copyRows(inside, top, bottom);
    } else if (IsDenseRow(spans.size(), rowBytes)) {
      mask.resize(rowBytes);
      FillMask(spans, width, mask.data());
      // Long stretches of one picture (the solid half of a comb) are
      // copied from that picture alone; the rest is blended.
      TStretch stretches[kMaxStretches];
      const size_t count = PlanStretches(spans, width, stretches);
      for (int row = top; row < bottom; ++row) {
        uint8_t* to = dst.Row(row);
        const uint8_t *in = inside.Row(row), *out = outside.Row(row);
        for (size_t k = 0; k < count; ++k) {
          const size_t from = size_t(stretches[k].From) * 3, n = size_t(stretches[k].To - stretches[k].From) * 3;
          if (stretches[k].Kind == TStretch::kBlend)
            BlendByMask(to + from, in + from, out + from, mask.data() + from, n);
          else
            std::memcpy(to + from, (stretches[k].Kind == TStretch::kInside ? in : out) + from, n);
        }
      }
    } else {
      for (int row = top; row < bottom; ++row) {
        uint8_t* to = dst.Row(row);
        const uint8_t *in = inside.Row(row), *out = outside.Row(row);
        int x = 0;
        for (const TSpan& s : spans) {
          const int left = std::clamp(s.Left, 0, width), right = std::clamp(s.Right, 0, width);
          if (left > x) CopySpanBytes(to + size_t(x) * 3, out + size_t(x) * 3, size_t(left - x) * 3);
          if (right > left) CopySpanBytes(to + size_t(left) * 3, in + size_t(left) * 3, size_t(right - left) * 3);
          x = std::max(x, right);
        }
        if (x < width) CopySpanBytes(to + size_t(x) * 3, out + size_t(x) * 3, size_t(width - x) * 3);
      }
    }
  }
  copyRows(outside, y, height);
}

}  // namespace vanta
