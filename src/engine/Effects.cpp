#include "engine/Effects.h"

#include <algorithm>
#include <cstring>

#include "base/MulDiv.h"
#include "engine/Blit.h"
#include "base/EffectFamilies.h"
#include "engine/EffectsRotation.h"

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

// Members 1..17 of the horizontal copies along one axis: n is the picture's extent on that axis and
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

// Members of the combined copies: the horizontal member and the vertical one (as members of the horizontal family).
constexpr int kCombined[19][2] = {{1, 1}, {1, 2},  {2, 2},  {2, 1}, {3, 3}, {3, 4}, {4, 4},
                                  {4, 3}, {5, 5},  {5, 6},  {6, 6}, {6, 5}, {7, 7}, {7, 8},
                                  {8, 8}, {8, 7},  {9, 9},  {10, 10}, {11, 11}};

// The copies of a rectangle-copy effect (a member of its family), the
// finishing one last.
int RectangleCopies(TEffectPlace place, const TFrameGeometry& g, TCopy* out) {
  const int W = g.W, H = g.H, X = g.X, Y = g.Y, m = place.Member;
  int n = 0;
  if (place.Family == TEffectFamily::HorizontalCopies) {
    const TAxisPlan p = AxisPlan(m + 1, X, W);
    for (int i = 0; i < p.count; ++i) out[n++] = Horizontal(p.copies[i], H);
  } else if (place.Family == TEffectFamily::VerticalCopies) {
    const TAxisPlan p = AxisPlan(m + 1, Y, H);
    for (int i = 0; i < p.count; ++i) out[n++] = Vertical(p.copies[i], W);
  } else if (place.Family == TEffectFamily::CombinedCopies) {
    const TSpanCopy h = AxisPlan(kCombined[m][0], X, W).copies[0];
    const TSpanCopy v = AxisPlan(kCombined[m][1], Y, H).copies[0];
    TCopy k{{h.d0, v.d0, h.d1, v.d1}, {h.s0, v.s0, h.s1, v.s1}, false, {}};
    k.inval = k.d;
    out[n++] = k;
  } else {
    const int hx = Half(X), hy = Half(Y), hw = Half(W), hh = Half(H);
    auto add = [&](TRect d, TRect s) { out[n++] = TCopy{d, s, false, d}; };
    switch (m) {
      case 0:
        add({0, 0, W, hy}, {0, 0, W, hy});
        add({0, H - hy, W, H}, {0, H - hy, W, H});
        add({0, 0, hx, H}, {0, 0, hx, H});
        add({W - hx, 0, W, H}, {W - hx, 0, W, H});
        break;
      case 1:
        add({0, 0, hx + 1, hy + 1}, {0, 0, hx + 1, hy + 1});
        add({0, H - hy - 1, hx + 1, H}, {0, H - hy - 1, hx + 1, H});
        add({W - hx - 1, H - hy - 1, W, H}, {W - hx - 1, H - hy - 1, W, H});
        add({W - hx - 1, 0, W, hy + 1}, {W - hx - 1, 0, W, hy + 1});
        break;
      case 2:
        add({0, 0, hx + 1, hy + 1}, {0, 0, hw + 1, hh + 1});
        add({0, H - hy, hx + 1, H}, {0, hh + 1, hw + 1, H});
        add({W - hx, H - hy, W, H}, {hw + 1, hh + 1, W, H});
        add({W - hx, 0, W, hy + 1}, {hw + 1, 0, W, hh + 1});
        break;
      case 3:
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

void Rotate(TBitmap24& screen, const TBitmap24& newImage, int progress, int style) {
  RotateRows(nullptr, newImage, screen, progress, style);
}

namespace {

// One frame being composed, and what the steps below share.
struct TFrameWork {
  TFrameWork(const TBitmap24& o, const TBitmap24& n, TBitmap24& s, const TFrameHooks& h, int progress, int step,
             int number)
      : oldImage(o), newImage(n), screen(s), hooks(h), p(std::clamp(progress, 0, 100)),
        style(static_cast<uint8_t>(number)), place(PlaceOf(number)), g(FrameGeometry(n.Width(), n.Height(), p, step)) {
    if (Rectangles()) copyCount = RectangleCopies(place, g, copies);
  }

  const TBitmap24& oldImage;
  const TBitmap24& newImage;
  TBitmap24& screen;
  const TFrameHooks& hooks;
  int p = 0;
  uint8_t style = 0;
  TEffectPlace place;
  TFrameGeometry g;
  TCopy copies[4];
  int copyCount = 0;

  bool Known() const { return place.Family != TEffectFamily::Unknown; }
  bool Rectangles() const { return IsRectangleCopy(place.Family); }
  TRect Whole() const { return {0, 0, g.W, g.H}; }
};

// The effects that write every pixel from both pictures, in one pass
// instead of the old picture and then the new one over it. False when the
// frame is not theirs to make that way.
bool ComposeInOnePass(TFrameWork& f) {
  switch (f.place.Family) {
    case TEffectFamily::CrossFade:
      if (f.p == 0) return false;
      CrossFadeFrom(f.oldImage, f.newImage, f.screen, f.p);
      return true;
    case TEffectFamily::Rotations:
      RotateRows(&f.oldImage, f.newImage, f.screen, f.p, f.style);
      return true;
    default:
      return IsRegionFamily(f.place.Family) && f.p > 0 && f.p < 100 &&
             ComposeRegionFrame(f.style, f.g, f.oldImage, f.newImage, f.screen);
  }
}

// Where the rectangle copies are certain to write every pixel: a copy whose
// source lies inside the picture (a mirrored one's source is clipped to it
// first) covers its whole destination.
int OpaqueHoles(const TFrameWork& f, TRect* holes) {
  const TRect whole = f.Whole();
  int count = 0;
  for (int i = 0; i < f.copyCount; ++i) {
    const TCopy& k = f.copies[i];
    const TRect src = k.mirrored ? IntersectRect(k.s, whole) : k.s;
    const TRect d{std::min(k.d.Left, k.d.Right), std::min(k.d.Top, k.d.Bottom), std::max(k.d.Left, k.d.Right),
                  std::max(k.d.Top, k.d.Bottom)};
    const bool opaque = !d.IsEmpty() && !src.IsEmpty() && IntersectRect(src, whole) == src;
    const TRect hole = IntersectRect(d, whole);
    if (opaque && !hole.IsEmpty()) holes[count++] = hole;
  }
  return count;
}

// The old picture onto the screen bitmap, except where the frame is certain
// to cover it (nobody can look at it in between without a handler). True
// when the frame was made in one pass and is complete.
bool DrawOldPicture(TFrameWork& f) {
  const bool sameSize = f.oldImage.Width() == f.g.W && f.oldImage.Height() == f.g.H;
  TRect holes[4];
  int holeCount = 0;
  if (sameSize && !f.hooks.BeforeNewFrame && f.Known()) {
    if (f.p == 100 || (f.place.Family == TEffectFamily::None && !f.hooks.CustomDraw)) return false;  // covered whole
    if (f.Rectangles() && f.p > 0) holeCount = OpaqueHoles(f, holes);
    else if (ComposeInOnePass(f)) return true;
  }
  if (!sameSize) CopyRect(f.screen, 0, 0, f.oldImage, f.oldImage.Bounds());
  else if (holeCount == 0) CopyWhole(f.screen, f.oldImage);
  else CopyAround(f.screen, f.oldImage, holes, holeCount);
  return false;
}

// The rectangle copies: the intermediate ones, each invalidated at once,
// then the finishing one (the whole new picture at p = 100).
TRect DrawCopies(TFrameWork& f) {
  for (int i = 0; i + 1 < f.copyCount; ++i) {
    ApplyCopy(f.screen, f.newImage, f.copies[i]);
    if (f.hooks.Invalidate) f.hooks.Invalidate(f.copies[i].inval);
  }
  if (f.p == 100) CopyWhole(f.screen, f.newImage);
  else if (f.p > 0) ApplyCopy(f.screen, f.newImage, f.copies[f.copyCount - 1]);
  return f.copies[f.copyCount - 1].d;
}

// A region effect, effect 0's handler, or no effect at all (the new picture
// at once, and the run ends with this frame).
bool DrawClippedOrNone(TFrameWork& f) {
  bool handled = IsRegionFamily(f.place.Family) &&
                 ComposeRegionEffect(f.style, f.g, f.newImage, f.screen, f.p > 0 && f.p < 100);
  if (!handled && f.place.Family == TEffectFamily::None && f.hooks.CustomDraw) {
    f.hooks.CustomDraw();
    handled = true;  // no region: the handler's frame stands until p = 100
  }
  if (!handled) CopyWhole(f.screen, f.newImage);
  if (f.p == 100) CopyWhole(f.screen, f.newImage);
  return !handled;
}

}  // namespace

TFrameResult ComposeFrame(const TBitmap24& oldImage, const TBitmap24& newImage, TBitmap24& screen, int progress,
                          int step, int style, const TFrameHooks& hooks) {
  const int W = newImage.Width(), H = newImage.Height();
  TFrameWork f(oldImage, newImage, screen, hooks, progress, step, style);
  if (screen.Width() != W || screen.Height() != H) screen.SetSize(W, H);
  TFrameResult r{true, f.Whole(), false};
  if (DrawOldPicture(f)) return r;
  // The handler may draw over the old picture before the new one comes.
  if (hooks.BeforeNewFrame) hooks.BeforeNewFrame();
  // An unknown effect number draws nothing of the new picture.
  if (!f.Known()) return {false, f.Whole(), false};
  switch (f.place.Family) {
    case TEffectFamily::CrossFade:
      if (f.p == 100) CopyWhole(screen, newImage);
      else CrossFade(screen, newImage, f.p);
      break;
    case TEffectFamily::Rotations:
      if (f.p == 100) CopyWhole(screen, newImage);
      else Rotate(screen, newImage, f.p, style);
      break;
    default:
      if (f.Rectangles()) r.Invalid = DrawCopies(f);
      else r.ForceComplete = DrawClippedOrNone(f);
  }
  return r;
}

}  // namespace vanta
