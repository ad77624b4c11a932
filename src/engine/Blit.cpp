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
  const int n = static_cast<int>(xs.source.size());
  const size_t bytes = static_cast<size_t>(n) * 3;
  // Unscaled along x (and not mirrored): the row is one run of source bytes.
  const bool runX = plainX && xs.source.back() - xs.source.front() == n - 1;
  std::vector<int> offsets(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) offsets[static_cast<size_t>(i)] = xs.source[static_cast<size_t>(i)] * 3;
  const int* off = offsets.data();
  const int maxOff = *std::max_element(offsets.begin(), offsets.end());
  // Scales near one leave long runs of consecutive source pixels: those rows
  // go as a few memcpys instead of a pixel-by-pixel gather.
  struct TRun {
    int dst, src, len;
  };
  std::vector<TRun> runs;
  if (!runX) {
    for (int i = 0; i < n; ++i) {
      if (!runs.empty() && off[i] == runs.back().src + runs.back().len * 3 && runs.back().dst + runs.back().len == i)
        ++runs.back().len;
      else
        runs.push_back({i, off[i], 1});
      if (static_cast<int>(runs.size()) * 16 > n) break;  // too short to pay
    }
    if (static_cast<int>(runs.size()) * 16 > n) runs.clear();
  }
  int prevSource = -1;
  uint8_t* prevRow = nullptr;
  for (size_t j = 0; j < ys.source.size(); ++j) {
    uint8_t* out = dst.Row(ys.first + static_cast<int>(j)) + xs.first * 3;
    const int sy = ys.source[j];
    if (sy == prevSource) {  // enlarged vertically: repeat the finished row
      std::memcpy(out, prevRow, bytes);
      continue;
    }
    const uint8_t* in = src.Row(sy);
    // A four-byte read of the row's last pixel may run past the last row.
    const bool wide = sy + 1 < src.Height() || maxOff + 4 <= static_cast<int>(src.Stride());
    if (runX) {
      std::memcpy(out, in + off[0], bytes);
    } else if (!runs.empty()) {
      for (const TRun& r : runs) std::memcpy(out + r.dst * 3, in + r.src, static_cast<size_t>(r.len) * 3);
    } else if (!wide) {
      for (int i = 0; i < n; ++i) std::memcpy(out + i * 3, in + off[i], 3);
    } else {
      // Four pixels at a time; the rest pixel by pixel.
      int i = 0;
      for (; i + 4 <= n; i += 4)
        CopyFourPixels(out + i * 3, in + off[i], in + off[i + 1], in + off[i + 2], in + off[i + 3]);
      for (; i < n; ++i) std::memcpy(out + i * 3, in + off[i], 3);
    }
    prevSource = sy;
    prevRow = out;
  }
}

}  // namespace vanta
