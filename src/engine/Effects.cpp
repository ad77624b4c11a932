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

}  // namespace

void CrossFade(TBitmap24& screen, const TBitmap24& newImage, int progress) {
  const int p = std::clamp(progress, 0, 100), q = 100 - p;
  if (p == 0) return;
  // The bitmaps have the same size, so their bytes (rows and padding alike)
  // line up and can be blended in one pass.
  const size_t n = std::min(screen.SizeBytes(), newImage.SizeBytes());
  uint8_t* o = screen.Bits();
  const uint8_t* in = newImage.Bits();
  size_t i = 0;
#if defined(__SSE2__)
  // v * k div 100 for v * k <= 25500 is exactly (v * k * 5243) >> 19.
  const __m128i kq = _mm_set1_epi16(static_cast<short>(q)), kp = _mm_set1_epi16(static_cast<short>(p));
  const __m128i magic = _mm_set1_epi16(5243), zero = _mm_setzero_si128();
  for (; i + 16 <= n; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(o + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    auto half = [&](__m128i va, __m128i vb) {
      const __m128i x = _mm_srli_epi16(_mm_mulhi_epu16(_mm_mullo_epi16(va, kq), magic), 3);
      const __m128i y = _mm_srli_epi16(_mm_mulhi_epu16(_mm_mullo_epi16(vb, kp), magic), 3);
      return _mm_add_epi16(x, y);
    };
    const __m128i lo = half(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero));
    const __m128i hi = half(_mm_unpackhi_epi8(a, zero), _mm_unpackhi_epi8(b, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o + i), _mm_packus_epi16(lo, hi));
  }
#endif
  for (; i < n; ++i) o[i] = static_cast<uint8_t>(o[i] * q / 100 + in[i] * p / 100);
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

void Rotate(TBitmap24& screen, const TBitmap24& newImage, int progress, int style) {
  const int W = newImage.Width(), H = newImage.Height();
  if (W == 0 || H == 0 || screen.Width() != W || screen.Height() != H) return;
  const double theta = (100 - std::clamp(progress, 0, 100)) * std::numbers::pi / 200;
  const double s = std::sin(theta), c = std::cos(theta);
  const int cx = (style == 119 || style == 120) ? -1 : W;
  const int cy = (style == 119 || style == 121) ? -1 : H;
  // dx*c and dx*s per column, dy*s and dy*c per row: the same products as
  // the per-pixel formula, computed once.
  std::vector<double> colC(static_cast<size_t>(W)), colS(static_cast<size_t>(W));
  for (int x = 0; x < W; ++x) {
    colC[static_cast<size_t>(x)] = static_cast<double>(x - cx) * c;
    colS[static_cast<size_t>(x)] = static_cast<double>(x - cx) * s;
  }
  for (int y = 0; y < H; ++y) {
    const double dy = y - cy, rowS = dy * s, rowC = dy * c;
    uint8_t* out = screen.Row(y);
    // u and v never fall as x rises (c, s >= 0), so the pixels that find a
    // source are one run: skip to it and stop after it.
    int x = 0;
    for (; x < W; ++x) {
      const int u = RoundEven(colC[static_cast<size_t>(x)] - rowS) + cx;
      const int v = RoundEven(colS[static_cast<size_t>(x)] + rowC) + cy;
      if (u >= W || v >= H) { x = W; break; }
      if (u >= 0 && v >= 0) break;
    }
    for (; x < W; ++x) {
      const int u = RoundEven(colC[static_cast<size_t>(x)] - rowS) + cx;
      const int v = RoundEven(colS[static_cast<size_t>(x)] + rowC) + cy;
      if (u < 0 || u >= W || v < 0 || v >= H) break;
      const uint8_t* from = newImage.Row(v) + u * 3;
      out[x * 3] = from[0];
      out[x * 3 + 1] = from[1];
      out[x * 3 + 2] = from[2];
    }
  }
}

TFrameResult ComposeFrame(const TBitmap24& oldImage, const TBitmap24& newImage, TBitmap24& screen, int progress,
                          int step, int style, const TFrameHooks& hooks) {
  TFrameResult r;
  const int W = newImage.Width(), H = newImage.Height();
  const int p = std::clamp(progress, 0, 100);
  // 1. The old picture.
  if (screen.Width() != W || screen.Height() != H) screen.SetSize(W, H);
  if (oldImage.Width() == W && oldImage.Height() == H) CopyWhole(screen, oldImage);
  else CopyRect(screen, 0, 0, oldImage, oldImage.Bounds());
  // 2.
  if (hooks.BeforeNewFrame) hooks.BeforeNewFrame();
  // 3.
  const TFrameGeometry g = FrameGeometry(W, H, p, step);
  const TRect whole{0, 0, W, H};
  r.Invalid = whole;
  // 4.
  if (style < 0 || style > 127) return r;
  r.Composed = true;
  auto invalidate = [&](const TRect& d) {
    if (hooks.Invalidate) hooks.Invalidate(d);
  };
  // 5 and 6: the effect's work, then the finishing step.
  if (style >= 1 && style <= 57) {
    TCopy copies[4];
    const int n = RectangleCopies(style, g, copies);
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
