#include "engine/Blit.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#if defined(__SSE2__) && defined(__GNUC__)
#include <immintrin.h>
#define VANTA_SHUFFLE_GATHER 1
#endif

namespace vanta {

void CopyWhole(TBitmap24& dst, const TBitmap24& src) {
  if (dst.Width() != src.Width() || dst.Height() != src.Height()) dst.SetSize(src.Width(), src.Height());
  if (src.SizeBytes() != 0) std::memcpy(dst.Bits(), src.Bits(), src.SizeBytes());
}

void CopyRect(TBitmap24& dst, int x, int y, const TBitmap24& src, const TRect& s) {
  // Clip the source to its bitmap, then the moved rectangle to the target.
  TRect sr = IntersectRect(s, src.Bounds());
  if (sr.IsEmpty()) return;
  x += sr.Left - s.Left;
  y += sr.Top - s.Top;
  const TRect dr = IntersectRect({x, y, x + sr.Width(), y + sr.Height()}, dst.Bounds());
  if (dr.IsEmpty()) return;
  const int sx = sr.Left + (dr.Left - x), sy = sr.Top + (dr.Top - y);
  const size_t bytes = static_cast<size_t>(dr.Width()) * 3;
  for (int row = 0; row < dr.Height(); ++row)
    std::memmove(dst.Row(dr.Top + row) + dr.Left * 3, src.Row(sy + row) + sx * 3, bytes);
}

namespace {

// One axis of a stretched copy: the first destination index drawn, how many,
// and for each the source index.
struct TAxisMap {
  int first = 0;
  std::vector<int> source;
};

// d0, d1: destination edges as given (d0 > d1 mirrors); s0, s1 source edges.
TAxisMap MapAxis(int d0, int d1, int s0, int s1, int dstLimit, int srcLimit) {
  TAxisMap m;
  const bool mirrored = d0 > d1;
  const int lo = std::min(d0, d1), hi = std::max(d0, d1);
  const int dn = hi - lo, sn = s1 - s0;
  const int from = std::max(lo, 0), to = std::min(hi, dstLimit);
  if (from >= to) return m;
  // Source indices rise (or fall, mirrored) monotonically along the span, so
  // the destination pixels with a source inside the bitmap are one run.
  int runStart = -1;
  for (int d = from; d < to; ++d) {
    const int i = mirrored ? hi - 1 - d : d - lo;
    const int s = SampleIndex(s0, sn, i, dn);
    if (s < 0 || s >= srcLimit) {
      if (runStart >= 0) break;
      continue;
    }
    if (runStart < 0) {
      runStart = d;
      m.first = d;
    }
    m.source.push_back(s);
  }
  return m;
}

}  // namespace

namespace {

// How every destination row of a stretched copy is made from its source row:
// one run of bytes, a few runs (scales near one), or pixel by pixel.
struct TRowRecipe {
  struct TRun {
    int dst, src, len;  // pixels, bytes, pixels
  };
  int first = 0;               // the first destination column
  int count = 0;               // pixels a row
  bool oneRun = false;         // unscaled along x (and not mirrored)
  std::vector<TRun> runs;      // empty unless they pay
  std::vector<int> offsets;    // each pixel's source byte in its row
  int maxOffset = 0;
  // Five pixels at a time by byte shuffles, from one or two 16-byte loads
  // at `base` (empty when some five pixels lie further apart).
  struct TShuffle {
    int base;
    uint8_t lo[16], hi[16];  // from the first and the second load; 0x80 takes nothing
  };
  std::vector<TShuffle> shuffles;
  bool twoLoads = false;
  int maxBase = 0;
};

// Processors with byte shuffles (nearly all since about 2008) make five
// pixels from the source bytes in a register instead of five loads and
// stores; from shuffles[k] come bytes 15k .. 15k + 15 of the row, the last
// of which the next five overwrite.
void PlanShuffles(TRowRecipe& r) {
  const int groups = (r.count - 1) / 5;  // the last pixel always goes by itself
  r.shuffles.resize(static_cast<size_t>(groups));
  for (int k = 0; k < groups; ++k) {
    TRowRecipe::TShuffle& g = r.shuffles[static_cast<size_t>(k)];
    const int* off = r.offsets.data() + 5 * k;
    g.base = *std::min_element(off, off + 5);
    std::memset(g.lo, 0x80, 16);
    std::memset(g.hi, 0x80, 16);
    for (int j = 0; j < 15; ++j) {
      const int at = off[j / 3] - g.base + j % 3;
      if (at >= 32) {
        r.shuffles.clear();
        return;
      }
      (at < 16 ? g.lo[j] : g.hi[j]) = static_cast<uint8_t>(at % 16);
      r.twoLoads |= at >= 16;
    }
    r.maxBase = std::max(r.maxBase, g.base);
  }
}

#if defined(VANTA_SHUFFLE_GATHER)
bool HasShuffles() {
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
}

template <bool kTwoLoads>
__attribute__((target("ssse3"))) void ShuffleRow(uint8_t* out, const uint8_t* in, const TRowRecipe& r) {
  for (const TRowRecipe::TShuffle& g : r.shuffles) {
    const uint8_t* p = in + g.base;
    __m128i v = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                                 _mm_loadu_si128(reinterpret_cast<const __m128i*>(g.lo)));
    if (kTwoLoads)
      v = _mm_or_si128(v, _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)),
                                           _mm_loadu_si128(reinterpret_cast<const __m128i*>(g.hi))));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v);
    out += 15;
  }
}
#endif

TRowRecipe RecipeOf(const TAxisMap& xs, bool plainX) {
  TRowRecipe r;
  r.first = xs.first;
  r.count = static_cast<int>(xs.source.size());
  r.offsets.resize(xs.source.size());
  for (size_t i = 0; i < xs.source.size(); ++i) r.offsets[i] = xs.source[i] * 3;
  r.maxOffset = *std::max_element(r.offsets.begin(), r.offsets.end());
  r.oneRun = plainX && xs.source.back() - xs.source.front() == r.count - 1;
  if (r.oneRun) return r;
  // Long runs of consecutive source pixels go as a few memcpys instead of a
  // pixel-by-pixel gather.
  for (int i = 0; i < r.count; ++i) {
    const int off = r.offsets[static_cast<size_t>(i)];
    if (!r.runs.empty() && off == r.runs.back().src + r.runs.back().len * 3 && r.runs.back().dst + r.runs.back().len == i)
      ++r.runs.back().len;
    else
      r.runs.push_back({i, off, 1});
    if (static_cast<int>(r.runs.size()) * 16 > r.count) {  // too short to pay
      r.runs.clear();
      break;
    }
  }
#if defined(VANTA_SHUFFLE_GATHER)
  if (r.runs.empty() && HasShuffles()) PlanShuffles(r);
#endif
  return r;
}

// Pixel by pixel: each a four-byte store whose fourth byte the next pixel
// overwrites, the last one three bytes. `wide`: four bytes can be read at
// every source offset.
void GatherRow(uint8_t* out, const uint8_t* in, const int* off, int n, bool wide) {
  if (!wide) {
    for (int i = 0; i < n; ++i) std::memcpy(out + i * 3, in + off[i], 3);
    return;
  }
  int i = 0;
  for (; i + 5 <= n; i += 4) {
    std::memcpy(out + i * 3, in + off[i], 4);
    std::memcpy(out + i * 3 + 3, in + off[i + 1], 4);
    std::memcpy(out + i * 3 + 6, in + off[i + 2], 4);
    std::memcpy(out + i * 3 + 9, in + off[i + 3], 4);
  }
  for (; i + 1 < n; ++i) std::memcpy(out + i * 3, in + off[i], 4);
  std::memcpy(out + i * 3, in + off[i], 3);
}

// One row pixel by pixel, by shuffles where they serve and every load stays
// inside the source bitmap.
void GatherAlong(uint8_t* out, const uint8_t* in, const TBitmap24& src, const TRowRecipe& r) {
  const size_t rowStart = static_cast<size_t>(in - src.Bits()), size = src.SizeBytes();
  int done = 0;
#if defined(VANTA_SHUFFLE_GATHER)
  if (!r.shuffles.empty() && rowStart + static_cast<size_t>(r.maxBase) + 32 <= size) {
    if (r.twoLoads) ShuffleRow<true>(out, in, r);
    else ShuffleRow<false>(out, in, r);
    done = static_cast<int>(r.shuffles.size()) * 5;
  }
#endif
  // A four-byte read of the row's last pixel may run past the bitmap.
  const bool wide = rowStart + static_cast<size_t>(r.maxOffset) + 4 <= size;
  GatherRow(out + done * 3, in, r.offsets.data() + done, r.count - done, wide);
}

}  // namespace

void StretchCopy(TBitmap24& dst, const TRect& d, const TBitmap24& src, const TRect& s) {
  if (d.Left == d.Right || d.Top == d.Bottom || s.Width() <= 0 || s.Height() <= 0) return;
  const bool plainX = d.Right - d.Left == s.Width(), plainY = d.Bottom - d.Top == s.Height();
  if (plainX && plainY) {
    CopyRect(dst, d.Left, d.Top, src, s);
    return;
  }
  const TAxisMap xs = MapAxis(d.Left, d.Right, s.Left, s.Right, dst.Width(), src.Width());
  const TAxisMap ys = MapAxis(d.Top, d.Bottom, s.Top, s.Bottom, dst.Height(), src.Height());
  if (xs.source.empty() || ys.source.empty()) return;
  const TRowRecipe r = RecipeOf(xs, plainX);
  const size_t bytes = static_cast<size_t>(r.count) * 3;
  int prevSource = -1;
  uint8_t* prevRow = nullptr;
  for (size_t j = 0; j < ys.source.size(); ++j) {
    uint8_t* out = dst.Row(ys.first + static_cast<int>(j)) + r.first * 3;
    const int sy = ys.source[j];
    if (sy == prevSource) {  // enlarged vertically: repeat the finished row
      std::memcpy(out, prevRow, bytes);
      continue;
    }
    const uint8_t* in = src.Row(sy);
    if (r.oneRun) {
      std::memcpy(out, in + r.offsets[0], bytes);
    } else if (!r.runs.empty()) {
      for (const TRowRecipe::TRun& k : r.runs) std::memcpy(out + k.dst * 3, in + k.src, static_cast<size_t>(k.len) * 3);
    } else {
      GatherAlong(out, in, src, r);
    }
    prevSource = sy;
    prevRow = out;
  }
}

}  // namespace vanta
