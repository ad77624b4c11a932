#include "engine/Blit.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

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
};

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
      // A four-byte read of the row's last pixel may run past the last row.
      const bool wide = sy + 1 < src.Height() || r.maxOffset + 4 <= static_cast<int>(src.Stride());
      GatherRow(out, in, r.offsets.data(), r.count, wide);
    }
    prevSource = sy;
    prevRow = out;
  }
}

}  // namespace vanta
