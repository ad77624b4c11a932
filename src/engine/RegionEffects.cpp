// The region effects. Each family is a small table of parameters over one
// shape builder: rounded rectangles, bands of 5-pixel stripes, ragged
// stripes, triangles, swarms of blocks ahead of a front, random squares.
// Every shape of a frame goes into one TRegionBuilder and is united in one
// sweep.
#include "engine/RegionEffects.h"

#include <algorithm>
#include <iterator>

#include "base/MulDiv.h"
#include "base/Random.h"
#include "base/EffectFamilies.h"
#include "engine/EffectRegion.h"
#include "engine/RegionCompose.h"

namespace vanta {
namespace {

int Half(int v) { return v / 2; }

// (9 v) div 5 without overflowing on very wide pictures.
int NineFifths(int v) { return static_cast<int>(int64_t{9} * v / 5); }

int Rnd(int n) { return static_cast<int>(Random(static_cast<uint32_t>(std::max(n, 0)))); }

// --- Rounded rectangles -----------------------------------------------------

struct TRoundRectEffect {
  int X1, Y1, X2, Y2, Ew, Eh;
};

// Members in number order: 58, 59, 69, 70, 80..85.
constexpr int kRoundHole = 9;  // 85: the whole picture exclusive-ored with a rounded hole
static_assert(EffectNumber(TEffectFamily::RoundRects, kRoundHole) == 85);

TRoundRectEffect RoundRectOf(int member, const TFrameGeometry& g) {
  const int W = g.W, H = g.H, X = g.X, Y = g.Y;
  switch (member) {
    case 0: return {-2 * W, -5, 2 * X, H + 5, 2 * W, 2 * W};
    case 1: return {W - 2 * X, -5, 3 * W, H + 5, 2 * W, 2 * W};
    case 2: return {-5, -2 * H, W + 5, 2 * Y, 2 * H, 2 * H};
    case 3: return {-5, H - 2 * Y, W + 5, 3 * H, 2 * H, 2 * H};
    case 4: return {-2 * W, -2 * H, 2 * X, 2 * Y, 2 * W, 2 * H};
    case 5: return {W - 2 * X, -2 * H, 3 * W, 2 * Y, 2 * W, 2 * H};
    case 6: return {-2 * W, H - 2 * Y, 2 * X, 3 * H, 2 * W, 2 * H};
    // The bottom-right corner's arc is a circle of the picture's height.
    case 7: return {W - 2 * X, H - 2 * Y, 3 * W, 3 * H, 2 * H, 2 * H};
    case 8: return {Half(W) - X, Half(H) - Y, Half(W) + X, Half(H) + Y, NineFifths(X), NineFifths(Y)};
    default:  // the hole
      return {X - Half(W), Y - Half(H), (3 * W) / 2 - X, (3 * H) / 2 - Y, NineFifths(W - X), NineFifths(H - Y)};
  }
}

// --- Bands ------------------------------------------------------------------

struct TBandEffect {
  int8_t A, B;  // row and column extent: 1 = X (Y), 2 = 2X (2Y), 0 = absent
  uint8_t Hk, Vk;
  bool Snap;  // s = J, else 0
};

// Members in number order: 60..64, 71..75, 86..98; the last member (99) is
// the intersection of the bands of 86 and 89.
constexpr TBandEffect kBandEffects[] = {
    {2, 0, 1, 0, true}, {2, 0, 2, 0, true}, {2, 0, 4, 0, true}, {2, 0, 5, 0, true}, {1, 0, 3, 0, false},
    {0, 2, 0, 1, true}, {0, 2, 0, 2, true}, {0, 2, 0, 4, true}, {0, 2, 0, 5, true}, {0, 1, 0, 3, false},
    {2, 2, 1, 1, true}, {2, 2, 1, 2, true}, {2, 2, 2, 1, true}, {2, 2, 2, 2, true}, {2, 2, 4, 4, true},
    {2, 2, 4, 5, true}, {2, 2, 5, 4, true}, {2, 2, 5, 5, true}, {1, 1, 1, 3, true}, {1, 1, 2, 3, true},
    {1, 1, 3, 1, true}, {1, 1, 3, 2, true}, {1, 1, 3, 3, false},
};
constexpr int kBandCrossing = std::size(kBandEffects);
constexpr int kCrossingFirst = PlaceOf(86).Member, kCrossingSecond = PlaceOf(89).Member;
static_assert(EffectNumber(TEffectFamily::Bands, kBandCrossing) == 99);

// One part of a band region along one axis. `along` is the length of the
// stripes' axis (W for the rows part) and `across` the other (H). The
// callback takes a rectangle in (stripe start, stripe end, from, to) terms:
// rows part: rows [s0, s1), columns [from, to).
template <typename AddFn>
void BandPart(int extent, int kind, int snap, int along, int across, AddFn add) {
  if (kind == 0) return;
  int a = extent;
  if (a <= along) {
    // Phase one: every other stripe grows from its edge.
    if (a + snap > along) a = along;
    for (int i = 0; i < across + 5; i += 10) {
      switch (kind) {
        case 1:
        case 5: add(i, i + 5, along - a, along); break;
        case 2:
        case 4: add(i, i + 5, 0, a); break;
        case 3:
          add(i, i + 5, along - a, along);
          add(i + 5, i + 10, 0, a);
          break;
      }
    }
  } else {
    // Phase two: the first set is complete, the second set grows.
    for (int i = 5; i < across + 5; i += 10) {
      add(i - 5, i, 0, along);
      switch (kind) {
        case 1:
        case 4: add(i, i + 5, 2 * along - a, along); break;
        case 2:
        case 5: add(i, i + 5, 0, a - along); break;
      }
    }
  }
}

// The rows part goes to `rows`, the columns part to `columns`.
void AddBandRegion(TRegionBuilder& rows, TRegionBuilder& columns, const TBandEffect& e, const TFrameGeometry& g) {
  const int s = e.Snap ? g.J : 0;
  BandPart(e.A * g.X, e.Hk, s, g.W, g.H, [&](int s0, int s1, int from, int to) { rows.AddRect(from, s0, to, s1); });
  BandPart(e.B * g.Y, e.Vk, s, g.H, g.W, [&](int s0, int s1, int from, int to) { columns.AddRect(s0, from, s1, to); });
}

// --- Ragged edges -------------------------------------------------------------

struct TRaggedEffect {
  uint8_t Hk, Vk;
};

// Members in number order: 65..68, 76..79, 100..109.
constexpr TRaggedEffect kRaggedEffects[] = {
    {1, 0}, {2, 0}, {3, 0}, {4, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {1, 1},
    {1, 2}, {2, 1}, {2, 2}, {1, 3}, {2, 3}, {3, 1}, {3, 2}, {3, 3}, {4, 4},
};
static_assert(EffectNumber(TEffectFamily::RaggedEdges, std::size(kRaggedEffects)) == -1);

// Stripes 5 long (plus the remainder, so the last one reaches the end) with a
// front at `extent` made ragged by up to along div 7 either way; straight
// once the front has reached the far edge.
template <typename AddFn>
void RaggedPart(int extent, int kind, int along, int across, AddFn add) {
  if (kind == 0) return;
  const int c = extent < along ? along / 7 : 0;
  const int X = extent, W = along;
  for (int off = 0; off < across; off += 5) {
    const int s0 = off, s1 = off + 5 + across % 5;
    const int r1 = Rnd(c), r2 = Rnd(c);
    switch (kind) {
      case 1: add(s0, s1, W - X + r1 - r2, W); break;
      case 2: add(s0, s1, 0, X + r1 - r2); break;
      case 3: {
        const int r3 = Rnd(c), r4 = Rnd(c);
        add(s0, s1, ((W - X) + r1 - r2) / 2, Half(W));
        add(s0, s1, Half(W), (W + X + r3 - r4) / 2);
        break;
      }
      case 4: {
        const int r3 = Rnd(c), r4 = Rnd(c);
        add(s0, s1, W - ((X + r1 - r2) / 2), W);
        add(s0, s1, 0, (X + r3 - r4) / 2);
        break;
      }
    }
  }
}

void AddRaggedRegion(TRegionBuilder& rows, TRegionBuilder& columns, const TRaggedEffect& e, const TFrameGeometry& g) {
  RaggedPart(g.X, e.Hk, g.W, g.H, [&](int s0, int s1, int from, int to) { rows.AddRect(from, s0, to, s1); });
  RaggedPart(g.Y, e.Vk, g.H, g.W, [&](int s0, int s1, int from, int to) { columns.AddRect(s0, from, s1, to); });
}

// --- Triangles ------------------------------------------------------------------

// Members in number order: 110..117.
void AddTriangleRegion(TRegionBuilder& b, int member, const TFrameGeometry& g) {
  const int W = g.W, H = g.H, X = g.X, Y = g.Y;
  const auto tri = [&b](int x1, int y1, int x2, int y2, int x3, int y3) {
    b.AddTriangle({x1, y1}, {x2, y2}, {x3, y3});
  };
  switch (member) {
    case 0: tri(0, 0, 2 * X, 0, 0, 2 * Y); break;
    case 1: tri(W, 0, W - 2 * X, 0, W, 2 * Y); break;
    case 2: tri(0, H, 2 * X, H, 0, H - 2 * Y); break;
    case 3: tri(W, H, W - 2 * X, H, W, H - 2 * Y); break;
    case 4:
      tri(0, H, 0, 0, X, H);
      tri(W, H, W, 0, W - X, 0);
      break;
    case 5:
      tri(W, 0, 0, 0, W, Y);
      tri(W, H, 0, H, 0, H - Y);
      break;
    case 6: {
      const int cx = Half(W), cy = Half(H);
      tri(cx, cy, 0, H, 0, H - Y);
      tri(0, 0, X, 0, cx, cy);
      tri(W - X, H, cx, cy, W, H);
      tri(cx, cy, W, 0, W, Y);
      break;
    }
    case 7: {
      // A 10 x 10 grid of triangles growing from each cell's top-left corner.
      const int t = X / 5, u = MulDiv(t, H, W);
      for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 10; ++c) {
          const int x = static_cast<int>(int64_t{c} * W / 10), y = static_cast<int>(int64_t{r} * H / 10);
          tri(x, y, x + t, y, x, y + u);
        }
      break;
    }
  }
}

// --- Swarms ---------------------------------------------------------------------

// A solid front at `extent` with loose blocks ahead of it; kind 1 moves from
// the far edge toward 0, kind 2 from 0 outward.
template <typename AddFn>
void SwarmPart(int extent, int kind, int along, int across, AddFn add) {
  const int z = extent < along ? along / 10 : 0;
  const int f = std::max(z / 20, 2);
  const int n = z / f;
  const int t = ((3 * z) / f) / 4;
  const int X = extent, W = along;
  for (int y0 = 0; y0 < across; y0 += Half(f)) {
    if (kind == 1)
      add(y0, y0 + f, W - X, W);
    else
      add(y0, y0 + f, 0, X);
    for (int i = n; i >= 1; --i) {
      const int r = Rnd(i);
      if ((i <= t ? 1 : 0) < r) continue;
      if (kind == 1)
        add(y0, y0 + f, W - X - i * f, W - X - i * f + f);
      else
        add(y0, y0 + f, X + i * f - f, X + i * f);
    }
  }
}

// Members in number order: 123..126 (rows toward 0, rows outward, columns
// toward 0, columns outward).
void AddSwarmRegion(TRegionBuilder& b, int member, const TFrameGeometry& g) {
  const int kind = member % 2 == 0 ? 1 : 2;
  if (member < 2)
    SwarmPart(g.X, kind, g.W, g.H, [&](int s0, int s1, int from, int to) { b.AddRect(from, s0, to, s1); });
  else
    SwarmPart(g.Y, kind, g.H, g.W, [&](int s0, int s1, int from, int to) { b.AddRect(s0, from, s1, to); });
}

// --- Random squares -------------------------------------------------------------

void AddRandomSquares(TRegionBuilder& b, const TFrameGeometry& g) {
  const int d = std::max(std::min(g.W, g.H) / 50 + g.Progress / 10, 1);
  for (int x = 0; x < g.W; x += d)
    for (int y = 0; y < g.H; y += d)
      if (Rnd(100) < g.Progress) b.AddRect(x - d, y - d, x + d, y + d);
}

}  // namespace

bool HasEffectRegion(uint8_t style) { return IsRegionEffect(style); }

namespace {

// Working memory kept from frame to frame, so that a frame's region does not
// allocate and fault in fresh pages each time. It carries nothing from one
// frame to the next.
struct TScratch {
  TRegionBuilder First, Second;
  TRegion A, B, C, D, Frame;
};

// Stripes across and stripes along: each set alone is a simple region (a
// band per stripe, or a few bands of many spans), and their union is cheap
// where one sweep over both would merge every stripe at every row.
template <typename AddParts>
void BuildTwoParts(TScratch& scratch, const TRect& picture, AddParts add, TRegion& a, TRegion& b, TRegion& out) {
  scratch.First.Reset(picture);
  scratch.Second.Reset(picture);
  add(scratch.First, scratch.Second);
  scratch.First.Build(a);
  scratch.Second.Build(b);
  Union(a, b, out);
}

TScratch& Scratch() {
  thread_local TScratch scratch;
  return scratch;
}

}  // namespace

bool BuildEffectRegion(uint8_t style, const TFrameGeometry& g, TRegion& region) {
  region.Clear();
  const TEffectPlace place = PlaceOf(style);
  if (!IsRegionFamily(place.Family)) return false;
  const TRect picture{0, 0, std::max(g.W, 0), std::max(g.H, 0)};
  TScratch& scratch = Scratch();
  TRegionBuilder& builder = scratch.First;
  builder.Reset(picture);
  const int m = place.Member;
  const auto bands = [&g](int member) {
    return [&g, member](TRegionBuilder& rows, TRegionBuilder& columns) {
      AddBandRegion(rows, columns, kBandEffects[member], g);
    };
  };
  switch (place.Family) {
    case TEffectFamily::RoundRects: {
      const TRoundRectEffect e = RoundRectOf(m, g);
      builder.AddRoundRect(e.X1, e.Y1, e.X2, e.Y2, e.Ew, e.Eh);
      if (m != kRoundHole) {
        builder.Build(region);
      } else {
        builder.Build(scratch.A);
        Xor(TRegion(picture), scratch.A, region);
      }
      return true;
    }
    case TEffectFamily::Bands:
      if (m != kBandCrossing) {
        BuildTwoParts(scratch, picture, bands(m), scratch.A, scratch.B, region);
      } else {
        // Both band regions built in full, the first one first.
        BuildTwoParts(scratch, picture, bands(kCrossingFirst), scratch.A, scratch.B, scratch.C);
        BuildTwoParts(scratch, picture, bands(kCrossingSecond), scratch.A, scratch.B, scratch.D);
        Intersect(scratch.C, scratch.D, region);
      }
      return true;
    case TEffectFamily::RaggedEdges: {
      const auto add = [&](TRegionBuilder& rows, TRegionBuilder& columns) {
        AddRaggedRegion(rows, columns, kRaggedEffects[m], g);
      };
      BuildTwoParts(scratch, picture, add, scratch.A, scratch.B, region);
      return true;
    }
    case TEffectFamily::Triangles: AddTriangleRegion(builder, m, g); break;
    case TEffectFamily::Swarms: AddSwarmRegion(builder, m, g); break;
    default: AddRandomSquares(builder, g); break;
  }
  builder.Build(region);
  return true;
}

bool ComposeRegionEffect(uint8_t style, const TFrameGeometry& g, const TBitmap24& newImage, TBitmap24& screen,
                         bool drawNew) {
  TRegion& region = Scratch().Frame;
  if (!BuildEffectRegion(style, g, region)) return false;
  if (drawNew) CopyRegion(region, newImage, screen);
  return true;
}

bool ComposeRegionFrame(uint8_t style, const TFrameGeometry& g, const TBitmap24& oldImage, const TBitmap24& newImage,
                        TBitmap24& screen) {
  TRegion& region = Scratch().Frame;
  if (!BuildEffectRegion(style, g, region)) return false;
  ComposeRegionOver(region, newImage, oldImage, screen);
  return true;
}

}  // namespace vanta
