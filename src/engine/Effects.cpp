#include "engine/Effects.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <cstring>
#include <vector>

#include "base/MulDiv.h"
#include "engine/Blit.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vanta {

TFrameGeometry FrameGeometry(int w, int h, int progress, int step) {
  TFrameGeometry g;
  g.W = w;
  g.H = h;
  g.Progress = progress;
  g.Step = step;
  if (w > 0 && h > 0) {
    if (h > w) {
      g.Y = MulDiv(h, progress, 100);
      g.X = MulDiv(g.Y, w, h);
    } else {
      g.X = MulDiv(w, progress, 100);
      g.Y = MulDiv(g.X, h, w);
    }
  }
  g.J = MulDiv(std::max(w, h), step, 90);
  return g;
}

namespace {

constexpr int Half(int v) { return v / 2; }  // truncates toward zero, also for negatives

// One copy along one axis: destination edges (exchanged for a mirrored
// copy), source edges, and for a fold the span it invalidates.
struct TSpanCopy {
  int d0, d1, s0, s1;
  bool mirrored = false;
  int inval0 = 0, inval1 = 0;
};

struct TAxisPlan {
  TSpanCopy copies[2];
  int count = 0;  // the last copy is the finishing one
  void Add(const TSpanCopy& c) { copies[count++] = c; }
};

// Members 1..17 along one axis: n is the picture's extent on that axis and
// x the frame's extent (X or Y).
TAxisPlan AxisPlan(int member, int x, int n) {
  TAxisPlan p;
  const int strip = n / 20;
  switch (member) {
    case 1: p.Add({n - x, n, 0, n}); break;
    case 2: p.Add({0, x, 0, n}); break;
    case 3: p.Add({n - x, 2 * n - x, 0, n}); break;
    case 4: p.Add({x - n, x, 0, n}); break;
    case 5: p.Add({0, x, 0, x}); break;
    case 6: p.Add({n - x, n, n - x, n}); break;
    case 7: p.Add({0, 2 * n - x, 0, x}); break;
    case 8: p.Add({x - n, n, n - x, n}); break;
    case 9: p.Add({x - n, 2 * n - x, Half(n - x), Half(n + x)}); break;
    case 10: p.Add({Half(n - x), Half(n + x), 0, n}); break;
    case 11: p.Add({Half(n - x), Half(n + x), Half(n - x), Half(n + x)}); break;
    case 12:
      p.Add({0, Half(x) + 1, 0, Half(x) + 1});
      p.Add({n - Half(x) - 1, n, n - Half(x) - 1, n});
      break;
    case 13:
      p.Add({0, Half(x) + 1, 0, Half(n) + 1});
      p.Add({n - Half(x) - 1, n, Half(n), n});
      break;
    case 14: {
      // The fold just ahead of the front: the picture beyond e mirrored
      // back onto the span from the front to e.
      int e;
      if (x < n / 5) e = x + Half(x);
      else if (n < x + n / 5) e = x + Half(n - x);
      else e = x + n / 10;
      TSpanCopy fold{e + 1, x - 1, std::max(e, 0), std::min(2 * e - x, n), true, x, e};
      p.Add(fold);
      p.Add({0, x, 0, x});
      break;
    }
    case 15: {
      const int b = n - x;
      int g;
      if (n < b + n / 5) g = b - Half(x);
      else if (b < n / 5) g = b - Half(b);
      else g = b - n / 10;
      TSpanCopy fold{b + 1, g - 1, std::max(2 * g - b, 0), std::min(g, n), true, g, b};
      p.Add(fold);
      p.Add({n - x, n, n - x, n});
      break;
    }
    case 16:
      p.Add({0, x, 0, x});
      p.Add({x, n, x, x + strip});
      break;
    case 17:
      p.Add({n - x, n, n - x, n});
      p.Add({0, n - x, n - x - strip, n - x});
      break;
  }
  return p;
}

struct TCopy {
  TRect d, s;
  bool mirrored = false;
  TRect inval;
};

TCopy Horizontal(const TSpanCopy& c, int h) {
  TCopy k{{c.d0, 0, c.d1, h}, {c.s0, 0, c.s1, h}, c.mirrored, {}};
  k.inval = c.mirrored ? TRect{c.inval0, 0, c.inval1, h} : k.d;
  return k;
}

TCopy Vertical(const TSpanCopy& c, int w) {
  TCopy k{{0, c.d0, w, c.d1}, {0, c.s0, w, c.s1}, c.mirrored, {}};
  k.inval = c.mirrored ? TRect{0, c.inval0, w, c.inval1} : k.d;
  return k;
}

// Members of the combined effects 35..53: horizontal member, vertical member - 17.
constexpr int kCombined[19][2] = {{1, 1}, {1, 2},  {2, 2},  {2, 1}, {3, 3}, {3, 4}, {4, 4},
                                  {4, 3}, {5, 5},  {5, 6},  {6, 6}, {6, 5}, {7, 7}, {7, 8},
                                  {8, 8}, {8, 7},  {9, 9},  {10, 10}, {11, 11}};

// The copies of effects 1..57, the finishing one last.
int RectangleCopies(int style, const TFrameGeometry& g, TCopy* out) {
  const int W = g.W, H = g.H, X = g.X, Y = g.Y;
  int n = 0;
  if (style <= 17) {
    const TAxisPlan p = AxisPlan(style, X, W);
    for (int i = 0; i < p.count; ++i) out[n++] = Horizontal(p.copies[i], H);
  } else if (style <= 34) {
    const TAxisPlan p = AxisPlan(style - 17, Y, H);
    for (int i = 0; i < p.count; ++i) out[n++] = Vertical(p.copies[i], W);
  } else if (style <= 53) {
    const TSpanCopy h = AxisPlan(kCombined[style - 35][0], X, W).copies[0];
    const TSpanCopy v = AxisPlan(kCombined[style - 35][1], Y, H).copies[0];
    TCopy k{{h.d0, v.d0, h.d1, v.d1}, {h.s0, v.s0, h.s1, v.s1}, false, {}};
    k.inval = k.d;
    out[n++] = k;
  } else {
    const int hx = Half(X), hy = Half(Y), hw = Half(W), hh = Half(H);
    auto add = [&](TRect d, TRect s) { out[n++] = TCopy{d, s, false, d}; };
    switch (style) {
      case 54:
        add({0, 0, W, hy}, {0, 0, W, hy});
        add({0, H - hy, W, H}, {0, H - hy, W, H});
        add({0, 0, hx, H}, {0, 0, hx, H});
        add({W - hx, 0, W, H}, {W - hx, 0, W, H});
        break;
      case 55:
        add({0, 0, hx + 1, hy + 1}, {0, 0, hx + 1, hy + 1});
        add({0, H - hy - 1, hx + 1, H}, {0, H - hy - 1, hx + 1, H});
        add({W - hx - 1, H - hy - 1, W, H}, {W - hx - 1, H - hy - 1, W, H});
        add({W - hx - 1, 0, W, hy + 1}, {W - hx - 1, 0, W, hy + 1});
        break;
      case 56:
        add({0, 0, hx + 1, hy + 1}, {0, 0, hw + 1, hh + 1});
        add({0, H - hy, hx + 1, H}, {0, hh + 1, hw + 1, H});
        add({W - hx, H - hy, W, H}, {hw + 1, hh + 1, W, H});
        add({W - hx, 0, W, hy + 1}, {hw + 1, 0, W, hh + 1});
        break;
      case 57:
        add({Half(X - W), 0, hx + 1, hh + 1}, {0, 0, hw + 1, hh + 1});
        add({hw - 1, Half(Y - H), W, hy + 1}, {hw - 1, 0, W, hh + 1});
        add({W - hx, hh - 1, Half(W - X) + W, H}, {hw + 1, hh - 1, W, H});
        add({0, H - hy, hw + 1, H + Half(H - Y)}, {0, hh + 1, hw + 1, H});
        break;
    }
  }
  return n;
}

void ApplyCopy(TBitmap24& screen, const TBitmap24& newImage, const TCopy& c) {
  // A mirrored copy takes only the part of its source inside the picture.
  const TRect s = c.mirrored ? IntersectRect(c.s, newImage.Bounds()) : c.s;
  StretchCopy(screen, c.d, newImage, s);
}

// Copies src into dst everywhere except inside the holes (rectangles within both).
void CopyAround(TBitmap24& dst, const TBitmap24& src, const TRect* holes, int count) {
  const int w = src.Width();
  for (int y = 0; y < src.Height(); ++y) {
    // This row's covered spans, sorted by left edge.
    std::pair<int, int> spans[4];
    int n = 0;
    for (int i = 0; i < count; ++i) {
      if (y < holes[i].Top || y >= holes[i].Bottom) continue;
      int j = n++;
      for (; j > 0 && spans[j - 1].first > holes[i].Left; --j) spans[j] = spans[j - 1];
      spans[j] = {holes[i].Left, holes[i].Right};
    }
    uint8_t* out = dst.Row(y);
    const uint8_t* in = src.Row(y);
    int x = 0;
    for (int i = 0; i < n; ++i) {
      if (spans[i].first > x) std::memcpy(out + x * 3, in + x * 3, static_cast<size_t>(spans[i].first - x) * 3);
      x = std::max(x, spans[i].second);
    }
    if (x < w) std::memcpy(out + x * 3, in + x * 3, static_cast<size_t>(w - x) * 3);
  }
}

}  // namespace

namespace {

// out := a * (100 - p) div 100 + b * p div 100, byte by byte.
void Blend(const uint8_t* a, const uint8_t* b, uint8_t* out, size_t n, int p) {
  if (p <= 0 || p >= 100) {
    std::memmove(out, p <= 0 ? a : b, n);
    return;
  }
  const int q = 100 - p;
  size_t i = 0;
#if defined(__SSE2__)
  // For v <= 255 and 0 <= k < 100, v * k div 100 is (v * M) >> 16 with
  // M = ceil(k * 65536 / 100): M overshoots k / 100 by less than 1/65536,
  // which adds under 255/65536 to a quotient whose fraction is at most
  // 0.99, so the floor never changes. One multiply a product.
  const __m128i kq = _mm_set1_epi16(static_cast<short>((q * 65536 + 99) / 100));
  const __m128i kp = _mm_set1_epi16(static_cast<short>((p * 65536 + 99) / 100));
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= n; i += 16) {
    const __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i));
    const __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i));
    const __m128i lo = _mm_add_epi16(_mm_mulhi_epu16(_mm_unpacklo_epi8(va, zero), kq),
                                     _mm_mulhi_epu16(_mm_unpacklo_epi8(vb, zero), kp));
    const __m128i hi = _mm_add_epi16(_mm_mulhi_epu16(_mm_unpackhi_epi8(va, zero), kq),
                                     _mm_mulhi_epu16(_mm_unpackhi_epi8(vb, zero), kp));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(lo, hi));
  }
#endif
  for (; i < n; ++i) out[i] = static_cast<uint8_t>(a[i] * q / 100 + b[i] * p / 100);
}

}  // namespace

// The bitmaps have the same size, so their bytes (rows and padding alike)
// line up and can be blended in one pass.
void CrossFade(TBitmap24& screen, const TBitmap24& newImage, int progress) {
  const int p = std::clamp(progress, 0, 100);
  if (p == 0) return;
  Blend(screen.Bits(), newImage.Bits(), screen.Bits(), std::min(screen.SizeBytes(), newImage.SizeBytes()), p);
}

void CrossFadeFrom(const TBitmap24& oldImage, const TBitmap24& newImage, TBitmap24& screen, int progress) {
  const int p = std::clamp(progress, 0, 100);
  const size_t n = std::min({screen.SizeBytes(), oldImage.SizeBytes(), newImage.SizeBytes()});
  Blend(oldImage.Bits(), newImage.Bits(), screen.Bits(), n, p);
}

namespace {

inline int RoundEven(double v) {
#if defined(__SSE2__)
  return _mm_cvtsd_si32(_mm_set_sd(v));  // the default rounding mode: nearest, ties to even
#else
  return static_cast<int>(std::nearbyint(v));
#endif
}

}  // namespace

namespace {

// Rotation frames row by row. With oldImage the old picture is copied in
// around each row's run of rotated pixels; without it screen already holds it.
void RotateRows(const TBitmap24* oldImage, const TBitmap24& newImage, TBitmap24& screen, int progress, int style) {
  const int W = newImage.Width(), H = newImage.Height();
  if (W == 0 || H == 0 || screen.Width() != W || screen.Height() != H) return;
  const double theta = (100 - std::clamp(progress, 0, 100)) * std::numbers::pi / 200;
  const double s = std::sin(theta), c = std::cos(theta);
  const int cx = (style == 119 || style == 120) ? -1 : W;
  const int cy = (style == 119 || style == 121) ? -1 : H;
  // dx*c and dx*s per column, dy*s and dy*c per row: the same products as
  // the per-pixel formula u = round(dx*c - dy*s) + cx, v = round(dx*s + dy*c) + cy.
  std::vector<double> colC(static_cast<size_t>(W) + 1), colS(static_cast<size_t>(W) + 1);
  for (int x = 0; x <= W; ++x) {
    colC[static_cast<size_t>(x)] = static_cast<double>(x - cx) * c;
    colS[static_cast<size_t>(x)] = static_cast<double>(x - cx) * s;
  }
  std::vector<const uint8_t*> rows(static_cast<size_t>(H));
  for (int v = 0; v < H; ++v) rows[static_cast<size_t>(v)] = newImage.Row(v);
#if defined(__SSE2__)
  // Byte offsets from (u - cx, v - cy) by a signed 16-bit multiply-add,
  // which holds while the stride fits in 16 bits.
  const int stride = static_cast<int>(newImage.Stride());
  const bool packedOffsets = stride <= 32767 && newImage.SizeBytes() >= 4;
  const __m128i low16 = _mm_set1_epi32(0xFFFF), perPixel = _mm_set1_epi32(stride << 16 | 3);
  const __m128i pivotOffset = _mm_set1_epi32(cx * 3 + cy * stride);
  const uint8_t* bits = newImage.Bits();
  const int lastWord = static_cast<int>(newImage.SizeBytes()) - 4;  // the last offset a four-byte read may start at
#endif
  // Bands of rows in chunks of columns keep the source reads of a rotated
  // walk close together (a rotated row crosses many source rows).
  constexpr int kBand = 64, kChunk = 32;
  int runA[kBand], runB[kBand];
  for (int y0 = 0; y0 < H; y0 += kBand) {
    const int y1 = std::min(y0 + kBand, H);
    for (int y = y0; y < y1; ++y) {
      const double dy = y - cy, rowS = dy * s, rowC = dy * c;
      auto U = [&](int x) { return RoundEven(colC[static_cast<size_t>(x)] - rowS) + cx; };
      auto V = [&](int x) { return RoundEven(colS[static_cast<size_t>(x)] + rowC) + cy; };
      // u and v never fall as x rises (c, s >= 0): the pixels with a source
      // inside the picture are one run [a, b), found by bisection.
      int lo = 0, hi = W;
      while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (U(mid) >= 0 && V(mid) >= 0) hi = mid;
        else lo = mid + 1;
      }
      const int a = lo;
      hi = W;
      while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (U(mid) >= W || V(mid) >= H) hi = mid;
        else lo = mid + 1;
      }
      runA[y - y0] = a;
      runB[y - y0] = lo;
      if (oldImage) {
        uint8_t* out = screen.Row(y);
        const uint8_t* in = oldImage->Row(y);
        std::memcpy(out, in, static_cast<size_t>(a) * 3);
        std::memcpy(out + lo * 3, in + lo * 3, static_cast<size_t>(W - lo) * 3);
      }
    }
    for (int x0 = 0; x0 < W; x0 += kChunk) {
      for (int y = y0; y < y1; ++y) {
        const int a = std::max(runA[y - y0], x0), b = std::min(runB[y - y0], x0 + kChunk);
        if (a >= b) continue;
        const double dy = y - cy, rowS = dy * s, rowC = dy * c;
        uint8_t* out = screen.Row(y);
        int x = a;
#if defined(__SSE2__)
        const __m128d vs = _mm_set1_pd(rowS), vc = _mm_set1_pd(rowC);
        if (packedOffsets) {
          // Four pixels at a time: the rounded (u - cx, v - cy) pairs packed
          // as 16-bit halves give their byte offsets in one multiply-add.
          for (; x + 4 <= b; x += 4) {
            const size_t i = static_cast<size_t>(x);
            const __m128i u = _mm_unpacklo_epi64(_mm_cvtpd_epi32(_mm_sub_pd(_mm_loadu_pd(&colC[i]), vs)),
                                                 _mm_cvtpd_epi32(_mm_sub_pd(_mm_loadu_pd(&colC[i + 2]), vs)));
            const __m128i v = _mm_unpacklo_epi64(_mm_cvtpd_epi32(_mm_add_pd(_mm_loadu_pd(&colS[i]), vc)),
                                                 _mm_cvtpd_epi32(_mm_add_pd(_mm_loadu_pd(&colS[i + 2]), vc)));
            const __m128i uv = _mm_or_si128(_mm_and_si128(u, low16), _mm_slli_epi32(v, 16));
            const __m128i off = _mm_add_epi32(_mm_madd_epi16(uv, perPixel), pivotOffset);
            const int o3 = _mm_cvtsi128_si32(_mm_shuffle_epi32(off, 3));
            if (o3 > lastWord) break;  // offsets rise along the row: the rest reads near the end
            CopyFourPixels(out + x * 3, bits + _mm_cvtsi128_si32(off), bits + _mm_cvtsi128_si32(_mm_shuffle_epi32(off, 1)),
                           bits + _mm_cvtsi128_si32(_mm_shuffle_epi32(off, 2)), bits + o3);
          }
        }
        for (; x + 2 <= b; x += 2) {
          const __m128i u = _mm_cvtpd_epi32(_mm_sub_pd(_mm_loadu_pd(&colC[static_cast<size_t>(x)]), vs));
          const __m128i v = _mm_cvtpd_epi32(_mm_add_pd(_mm_loadu_pd(&colS[static_cast<size_t>(x)]), vc));
          const int u0 = _mm_cvtsi128_si32(u) + cx, u1 = _mm_cvtsi128_si32(_mm_srli_si128(u, 4)) + cx;
          const int v0 = _mm_cvtsi128_si32(v) + cy, v1 = _mm_cvtsi128_si32(_mm_srli_si128(v, 4)) + cy;
          const uint8_t* p0 = rows[static_cast<size_t>(v0)] + u0 * 3;
          const uint8_t* p1 = rows[static_cast<size_t>(v1)] + u1 * 3;
          uint8_t* o = out + x * 3;
          std::memcpy(o, p0, 3);
          std::memcpy(o + 3, p1, 3);
        }
#endif
        for (; x < b; ++x) {
          const int u = RoundEven(colC[static_cast<size_t>(x)] - rowS) + cx;
          const int v = RoundEven(colS[static_cast<size_t>(x)] + rowC) + cy;
          const uint8_t* from = rows[static_cast<size_t>(v)] + u * 3;
          out[x * 3] = from[0];
          out[x * 3 + 1] = from[1];
          out[x * 3 + 2] = from[2];
        }
      }
    }
  }
}

}  // namespace

void Rotate(TBitmap24& screen, const TBitmap24& newImage, int progress, int style) {
  RotateRows(nullptr, newImage, screen, progress, style);
}

TFrameResult ComposeFrame(const TBitmap24& oldImage, const TBitmap24& newImage, TBitmap24& screen, int progress,
                          int step, int style, const TFrameHooks& hooks) {
  TFrameResult r;
  const int W = newImage.Width(), H = newImage.Height();
  const int p = std::clamp(progress, 0, 100);
  const TFrameGeometry g = FrameGeometry(W, H, p, step);
  const TRect whole{0, 0, W, H};
  r.Invalid = whole;
  const bool known = style >= 0 && style <= 127;
  const bool rectangles = style >= 1 && style <= 57;
  TCopy copies[4];
  const int n = rectangles ? RectangleCopies(style, g, copies) : 0;

  // The old picture first. Where the frame is certain to cover it, it is not
  // copied at all (nobody can look at it in between without a handler).
  if (screen.Width() != W || screen.Height() != H) screen.SetSize(W, H);
  const bool sameSize = oldImage.Width() == W && oldImage.Height() == H;
  TRect holes[4];
  int holeCount = 0;
  bool coversAll = false;
  if (sameSize && !hooks.BeforeNewFrame && known) {
    if (p == 100 || (style == 0 && !hooks.CustomDraw)) {
      coversAll = true;
    } else if (rectangles && p > 0) {
      // A copy whose source lies inside the picture writes every pixel of
      // its destination.
      // (A mirrored copy takes its source clipped to the picture first.)
      for (int i = 0; i < n; ++i) {
        const TCopy& k = copies[i];
        const TRect src = k.mirrored ? IntersectRect(k.s, whole) : k.s;
        const TRect d{std::min(k.d.Left, k.d.Right), std::min(k.d.Top, k.d.Bottom), std::max(k.d.Left, k.d.Right),
                      std::max(k.d.Top, k.d.Bottom)};
        const bool opaque = !d.IsEmpty() && !src.IsEmpty() && IntersectRect(src, whole) == src;
        const TRect hole = IntersectRect(d, whole);
        if (opaque && !hole.IsEmpty()) holes[holeCount++] = hole;
      }
    } else if (IsRegionEffect(style) && p > 0 && p < 100 &&
               ComposeRegionFrame(static_cast<uint8_t>(style), g, oldImage, newImage, screen)) {
      return {true, whole, false};
    } else if (style == kCrossFade && p > 0) {
      CrossFadeFrom(oldImage, newImage, screen, p);
      return {true, whole, false};
    } else if (style >= kFirstRotation && style <= kLastRotation) {
      RotateRows(&oldImage, newImage, screen, p, style);
      return {true, whole, false};
    }
  }
  if (!sameSize) CopyRect(screen, 0, 0, oldImage, oldImage.Bounds());
  else if (coversAll) {
  } else if (holeCount == 0) CopyWhole(screen, oldImage);
  else CopyAround(screen, oldImage, holes, holeCount);
  // The handler may draw over the old picture before the new one comes.
  if (hooks.BeforeNewFrame) hooks.BeforeNewFrame();
  // An unknown effect number draws nothing of the new picture.
  if (!known) return r;
  r.Composed = true;
  auto invalidate = [&](const TRect& d) {
    if (hooks.Invalidate) hooks.Invalidate(d);
  };
  // The effect's work, then the finishing step: at p = 100 the whole new
  // picture, whatever the effect left.
  if (rectangles) {
    for (int i = 0; i + 1 < n; ++i) {
      ApplyCopy(screen, newImage, copies[i]);
      invalidate(copies[i].inval);
    }
    r.Invalid = copies[n - 1].d;
    if (p == 100) CopyWhole(screen, newImage);
    else if (p > 0) ApplyCopy(screen, newImage, copies[n - 1]);
  } else if (style == kCrossFade) {
    if (p == 100) CopyWhole(screen, newImage);
    else CrossFade(screen, newImage, p);
  } else if (style >= kFirstRotation && style <= kLastRotation) {
    if (p == 100) CopyWhole(screen, newImage);
    else Rotate(screen, newImage, p, style);
  } else {
    bool handled = false;
    if (IsRegionEffect(style)) handled = ComposeRegionEffect(static_cast<uint8_t>(style), g, newImage, screen, p > 0 && p < 100);
    if (!handled && style == 0 && hooks.CustomDraw) {
      hooks.CustomDraw();
      handled = true;  // no region: the handler's frame stands until p = 100
    }
    if (!handled) {
      // No effect: the new picture at once, and the run ends with this frame.
      CopyWhole(screen, newImage);
      r.ForceComplete = true;
    }
    if (p == 100) CopyWhole(screen, newImage);
  }
  return r;
}

}  // namespace vanta
