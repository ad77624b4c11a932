// The effect-number table beside the program (VantaSaver.001): every caption
// of the builder's effect tree is there once, the numbers are 1..127 once
// each, and the effect behind each caption moves the way the caption says.
//
// What a caption says is written below as a promise: a kind of motion and
// where it happens. Directions name where the motion heads: "Left" starts at
// the right edge, "TopLeft" in the bottom-right corner, "Out" at the centre.
// Each promise is checked on frames the engine composes between two
// pictures whose pixels tell where they came from, so a frame shows which
// part of the new picture stands where: uncovered in place, moved, squeezed,
// enlarged, mirrored or turned.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "EffectPromises.h"
#include "EffectsTestSupport.h"
#include "base/Random.h"
#include "base/Text.h"
#include "builder/EffectTree.h"
#include "engine/Effects.h"
#include "settings/IniDocument.h"

namespace vanta {
namespace {

using namespace test;

// ---------------------------------------------------------------------------
// What an effect's frames show.

constexpr int kW = 320, kH = 240, kStep = 1;
constexpr int kCells = 9;  // the picture in three by three cells
using TCellShares = std::array<double, kCells>;

// One frame: for each pixel, the new picture's pixel it shows (U, V), the
// old picture's own pixel (U = kOld) or something else (U = kMixed).
struct TShot {
  static constexpr int kOld = -1, kMixed = -2;
  std::vector<int> U, V;
  bool New(int x, int y) const { return U[y * kW + x] != kOld; }
  bool Known(int x, int y) const { return U[y * kW + x] >= 0; }
  bool InPlace(int x, int y) const { return U[y * kW + x] == x && V[y * kW + x] == y; }
};

TShot Shoot(int effect, int p, uint32_t seed) {
  static const TBitmap24 oldPicture = test::TaggedPicture(kW, kH, true);
  static const TBitmap24 newPicture = test::TaggedPicture(kW, kH, false);
  TBitmap24 screen;
  SetRandSeed(seed);
  ComposeFrame(oldPicture, newPicture, screen, p, kStep, effect);
  TShot s;
  s.U.assign(kW * kH, TShot::kMixed);
  s.V.assign(kW * kH, TShot::kMixed);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const TColor c = screen.Pixel(x, y);
      const int u = static_cast<int>(c & 0x7FF), v = static_cast<int>((c >> 11) & 0x3FF);
      if (c == (test::Tag(x, y) | test::kOldBit)) s.U[y * kW + x] = TShot::kOld;
      else if (c < (1u << 21) && u < kW && v < kH) s.U[y * kW + x] = u, s.V[y * kW + x] = v;
    }
  return s;
}

int CellOf(int x, int y) { return (y * 3 / kH) * 3 + x * 3 / kW; }

template <typename F> TCellShares SharesOf(F&& counts) {
  TCellShares n{};
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) n[CellOf(x, y)] += counts(x, y) ? 1 : 0;
  for (double& v : n) v /= (kW / 3.0) * (kH / 3.0);
  return n;
}

double Part(int n, int of) { return of ? n / double(of) : 0.0; }

double Coverage(const TShot& s) {
  int n = 0;
  for (int i = 0; i < kW * kH; ++i) n += s.U[i] != TShot::kOld;
  return Part(n, kW * kH);
}

// Pieces of new picture not touching each other.
int Pieces(const TShot& s) {
  std::vector<bool> seen(kW * kH);
  std::vector<int> todo;
  int pieces = 0;
  for (int start = 0; start < kW * kH; ++start) {
    if (seen[start] || s.U[start] == TShot::kOld) continue;
    ++pieces;
    seen[start] = true;
    todo.push_back(start);
    while (!todo.empty()) {
      const int i = todo.back(), x = i % kW, y = i / kW;
      todo.pop_back();
      for (const auto& [nx, ny] : {std::pair{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}}) {
        if (nx < 0 || nx >= kW || ny < 0 || ny >= kH) continue;
        const int j = ny * kW + nx;
        if (seen[j] || s.U[j] == TShot::kOld) continue;
        seen[j] = true;
        todo.push_back(j);
      }
    }
  }
  return pieces;
}

// The corners in the order TL, TR, BL, BR.
constexpr unsigned kCornerBits[4] = {kTL, kTR, kBL, kBR};

// Of the box between a corner and where the new picture's front meets the
// two edges there, the part the new picture covers: a half for a straight
// front, more for one that bulges out, less for one that bulges in; 0 when
// the front does not meet both edges.
double CornerFill(const TShot& s, int corner) {
  const bool right = corner & 1, bottom = corner & 2;
  const auto px = [&](int i) { return right ? kW - 1 - i : i; };
  const auto py = [&](int i) { return bottom ? kH - 1 - i : i; };
  int a = 0, b = 0;
  while (a < kW && s.New(px(a), py(0))) ++a;
  while (b < kH && s.New(px(0), py(b))) ++b;
  if (a < 4 || b < 4) return 0;
  int n = 0;
  for (int j = 0; j < b; ++j)
    for (int i = 0; i < a; ++i) n += s.New(px(i), py(j));
  return Part(n, a * b);
}

struct TSeen {
  TCellShares First{};      // new picture by cell, at the first progress where it covers 3 %
  TCellShares OldAt75{};    // old picture by cell at p = 75
  std::array<double, 4> CornerFill{};  // at p = 50
  // The rest at p = 25 (or at the first progress, if later).
  TCellShares Uncovered{};  // new picture in place, by cell
  double Covered = 0;
  double InPlace = 0;       // of the new pixels
  // Neighbour pairs along each axis (0 across, 1 down) showing new pixels
  // one apart (true size), the same pixel (enlarged), further apart
  // (squeezed), in reverse (mirrored); pairs whose other coordinate differs.
  std::array<double, 2> Unit{}, Still{}, Skip{}, Back{};
  double Turned = 0;
  std::array<double, 2> Span{};  // of the new picture's extent shown
  // Of the new pixels per axis: shown at their own coordinate, or taken
  // from nearer the low end, the high end or the middle.
  std::array<double, 2> Same{}, FromLow{}, FromHigh{}, FromMiddle{};
  // Of the new pixels, by the signs of (position - source): 3 (sx + 1) + sy + 1.
  std::array<double, 9> Drift{};
  int RowChanges = 0, ColumnChanges = 0;  // rows (columns) unlike the one before
  int Pieces = 0;
  double Stripes = 0;    // new pixels whose stripe five pixels on differs and ten on does not
  bool Seeded = false;   // another seed gives another frame
  bool Grid = false;     // alike in every cell of a 10 x 10 grid, growing from the cells' top-left corners
  bool Blend = false;    // between solid pictures every pixel is one mixed colour, nearer the new one as p rises
};

// Where each new pixel comes from, against where it stands.
void WatchContent(const TShot& s, TSeen& seen) {
  int fresh = 0, inPlace = 0, turned = 0;
  std::array<int, 2> pairs{}, unit{}, still{}, skip{}, back{}, lo{kW, kH}, hi{-1, -1};
  std::array<int, 2> same{}, fromLow{}, fromHigh{}, fromMiddle{};
  std::array<int, 9> drift{};
  const auto sign = [](int v) { return (v > 0) - (v < 0); };
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      if (!s.New(x, y)) continue;
      ++fresh;
      if (!s.Known(x, y)) continue;
      inPlace += s.InPlace(x, y);
      const int pos[2] = {x, y}, src[2] = {s.U[y * kW + x], s.V[y * kW + x]}, size[2] = {kW, kH};
      ++drift[3 * (sign(x - src[0]) + 1) + sign(y - src[1]) + 1];
      for (int a = 0; a < 2; ++a) {
        lo[a] = std::min(lo[a], src[a]), hi[a] = std::max(hi[a], src[a]);
        same[a] += src[a] == pos[a];
        fromLow[a] += src[a] <= pos[a];
        fromHigh[a] += src[a] >= pos[a];
        fromMiddle[a] += std::abs(2 * src[a] - (size[a] - 1)) <= std::abs(2 * pos[a] - (size[a] - 1)) + 2;
        const int nx = x + (a == 0), ny = y + (a == 1);
        if (nx >= kW || ny >= kH || !s.New(nx, ny)) continue;
        ++pairs[a];
        if (!s.Known(nx, ny)) continue;
        const int next[2] = {s.U[ny * kW + nx], s.V[ny * kW + nx]};
        const int along = next[a] - src[a], across = next[1 - a] - src[1 - a];
        if (across != 0) ++turned;
        else if (along == 1) ++unit[a];
        else if (along == 0) ++still[a];
        else if (along > 1) ++skip[a];
        else ++back[a];
      }
    }
  seen.Covered = Part(fresh, kW * kH);
  seen.InPlace = Part(inPlace, fresh);
  seen.Turned = Part(turned, pairs[0] + pairs[1]);
  for (int a = 0; a < 2; ++a) {
    seen.Unit[a] = Part(unit[a], pairs[a]), seen.Still[a] = Part(still[a], pairs[a]);
    seen.Skip[a] = Part(skip[a], pairs[a]), seen.Back[a] = Part(back[a], pairs[a]);
    seen.Span[a] = hi[a] < 0 ? 0 : Part(hi[a] - lo[a] + 1, a == 0 ? kW : kH);
    seen.Same[a] = Part(same[a], fresh), seen.FromLow[a] = Part(fromLow[a], fresh);
    seen.FromHigh[a] = Part(fromHigh[a], fresh), seen.FromMiddle[a] = Part(fromMiddle[a], fresh);
  }
  for (int k = 0; k < 9; ++k) seen.Drift[k] = Part(drift[k], fresh);
}

// The outline of the new picture: straight fronts change few rows and
// columns; stripes five pixels wide alternate.
void WatchShape(const TShot& s, TSeen& seen) {
  for (int y = 1; y < kH; ++y) {
    bool differs = false;
    for (int x = 0; x < kW && !differs; ++x) differs = s.New(x, y) != s.New(x, y - 1);
    seen.RowChanges += differs;
  }
  for (int x = 1; x < kW; ++x) {
    bool differs = false;
    for (int y = 0; y < kH && !differs; ++y) differs = s.New(x, y) != s.New(x - 1, y);
    seen.ColumnChanges += differs;
  }
  seen.Pieces = Pieces(s);
  int fresh = 0, striped = 0;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      if (!s.New(x, y)) continue;
      ++fresh;
      if (y + 10 < kH) striped += s.New(x, y + 5) != s.New(x, y) && s.New(x, y + 10) == s.New(x, y);
      if (x + 10 < kW) striped += s.New(x + 5, y) != s.New(x, y) && s.New(x + 10, y) == s.New(x, y);
    }
  seen.Stripes = Part(striped, fresh);

  constexpr int cw = kW / 10, ch = kH / 10;
  int alike = 0, all = 0;
  for (int y = 0; y + ch < kH; ++y)
    for (int x = 0; x + cw < kW; ++x, ++all)
      alike += s.New(x, y) == s.New(x + cw, y) && s.New(x, y) == s.New(x, y + ch);
  bool cornersFirst = true;
  for (int y = 0; y < kH; y += ch)
    for (int x = 0; x < kW; x += cw) cornersFirst = cornersFirst && s.New(x, y) && !s.New(x + cw - 1, y + ch - 1);
  seen.Grid = cornersFirst && alike >= 0.98 * all;
}

// Between two solid pictures: one mixed colour everywhere, each channel
// strictly between the two and nearer the new one as p rises.
bool Blends(int effect) {
  constexpr TColor from = 0x00204060, to = 0x00E0B080;
  const TBitmap24 a = test::Solid(kW, kH, from), b = test::Solid(kW, kH, to);
  TBitmap24 screen;
  TColor last = from;
  for (int p : {25, 50, 75}) {
    SetRandSeed(1);
    ComposeFrame(a, b, screen, p, kStep, effect);
    const TColor c = screen.Pixel(0, 0);
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        if (screen.Pixel(x, y) != c) return false;
    for (int shift : {0, 8, 16}) {
      const auto channel = [shift](TColor v) { return static_cast<int>((v >> shift) & 0xFF); };
      if (channel(c) <= channel(last) || channel(c) >= channel(to)) return false;
    }
    last = c;
  }
  return true;
}

TSeen Watch(int effect) {
  TSeen seen;
  int firstP = 5;
  for (;; firstP += 5) {
    const TShot s = Shoot(effect, firstP, 1);
    if (Coverage(s) >= 0.03 || firstP == 50) {
      seen.First = SharesOf([&](int x, int y) { return s.New(x, y); });
      break;
    }
  }
  const TShot at75 = Shoot(effect, 75, 1);
  seen.OldAt75 = SharesOf([&](int x, int y) { return !at75.New(x, y); });
  const TShot at50 = Shoot(effect, 50, 1);
  for (int k = 0; k < 4; ++k) seen.CornerFill[k] = CornerFill(at50, k);

  const int p = std::max(25, firstP);
  const TShot s = Shoot(effect, p, 1), reseeded = Shoot(effect, p, 2);
  seen.Uncovered = SharesOf([&](int x, int y) { return s.InPlace(x, y); });
  for (int i = 0; i < kW * kH; ++i)
    seen.Seeded = seen.Seeded || (s.U[i] == TShot::kOld) != (reseeded.U[i] == TShot::kOld);
  WatchContent(s, seen);
  WatchShape(s, seen);
  seen.Blend = Blends(effect);
  return seen;
}

const TSeen& Seen(int effect) {
  static std::map<int, TSeen> cache;
  auto it = cache.find(effect);
  if (it == cache.end()) it = cache.emplace(effect, Watch(effect)).first;
  return it->second;
}

// ---------------------------------------------------------------------------
// Keeping a promise.

// How far, in cells, a cell lies from where a motion starts: 0 for the cells
// it starts in, 2 or more for cells it cannot reach at first.
int CellDistance(unsigned where, int cell) {
  const int r = cell / 3, c = cell % 3;
  int d = 9;
  const auto take = [&](unsigned bit, int dist) {
    if (where & bit) d = std::min(d, dist);
  };
  take(kL, c), take(kR, 2 - c), take(kT, r), take(kB, 2 - r);
  take(kTL, r + c), take(kTR, r + 2 - c), take(kBL, 2 - r + c), take(kBR, 4 - r - c);
  take(kVMid, 2 * std::abs(c - 1)), take(kHMid, 2 * std::abs(r - 1)), take(kMid, std::abs(r - 1) + std::abs(c - 1));
  return d;
}

// Some of it in every cell the motion starts in and the most in one of
// them, a quarter of that at most in the cells next to them, next to none
// further away.
bool StartsAt(const TCellShares& share, unsigned where) {
  const auto most = std::max_element(share.begin(), share.end());
  if (CellDistance(where, static_cast<int>(most - share.begin())) != 0) return false;
  for (int cell = 0; cell < kCells; ++cell) {
    const int d = CellDistance(where, cell);
    if (d == 0 && share[cell] == 0) return false;
    if (d == 1 && share[cell] > *most / 4) return false;
    if (d >= 2 && share[cell] > 0.01) return false;
  }
  return true;
}

// Plenty in the cells of one place, none in the cells of another.
bool LiesAt(const TCellShares& share, unsigned at, unsigned notAt) {
  for (int cell = 0; cell < kCells; ++cell) {
    if (CellDistance(at, cell) == 0 && share[cell] < 0.1) return false;
    if (CellDistance(notAt, cell) == 0 && share[cell] > 0.01) return false;
  }
  return true;
}

// The axes a motion from there runs along: bit 0 across, bit 1 down.
unsigned AxesOf(unsigned where) {
  return ((where & (kL | kR | kVMid | kCorners | kMid)) ? 1u : 0u) |
         ((where & (kT | kB | kHMid | kCorners | kMid)) ? 2u : 0u);
}

// A start on one edge, or two edges meeting in a corner, as that edge or
// corner; Far gives the opposite one.
unsigned Near(unsigned where) {
  if (where == (kL | kT)) return kTL;
  if (where == (kR | kT)) return kTR;
  if (where == (kL | kB)) return kBL;
  if (where == (kR | kB)) return kBR;
  return where;
}
unsigned Far(unsigned where) {
  const unsigned n = Near(where);
  const std::pair<unsigned, unsigned> opposite[] = {{kL, kR}, {kT, kB}, {kTL, kBR}, {kTR, kBL}};
  for (auto [a, b] : opposite) {
    if (n == a) return b;
    if (n == b) return a;
  }
  return 0;
}

// Which way the content is displaced while it moves in from there: the
// signs of (position - source) as Drift counts them.
int DriftOf(unsigned bit) {
  switch (bit) {
    case kL: return 3 * 0 + 1;
    case kR: return 3 * 2 + 1;
    case kT: return 3 * 1 + 0;
    case kB: return 3 * 1 + 2;
    case kTL: return 0;
    case kTR: return 3 * 2 + 0;
    case kBL: return 3 * 0 + 2;
    case kBR: return 3 * 2 + 2;
  }
  return -1;
}

// Moving in from every start given, and only so.
bool DriftsFrom(const TSeen& s, unsigned where) {
  double total = 0;
  for (unsigned bit = 1; bit <= kBR; bit <<= 1) {
    if (!(where & bit)) continue;
    if (s.Drift[DriftOf(bit)] < 0.05) return false;
    total += s.Drift[DriftOf(bit)];
  }
  return total >= 0.99;
}

// Enlarged toward what it shrinks onto: along each axis the anchor names,
// every pixel comes from nearer the anchor; along the others, from its own
// coordinate.
bool ShrinksOnto(const TSeen& s, unsigned where) {
  const unsigned axes = AxesOf(where);
  for (int a = 0; a < 2; ++a) {
    if (!(axes & (1u << a))) {
      if (s.Same[a] < 0.99) return false;
      continue;
    }
    const unsigned low = a == 0 ? (kL | kTL | kBL) : (kT | kTL | kTR);
    const unsigned high = a == 0 ? (kR | kTR | kBR) : (kB | kBL | kBR);
    const double from = (where & low) ? s.FromLow[a] : (where & high) ? s.FromHigh[a] : s.FromMiddle[a];
    if (from < 0.99 || s.Still[a] < 0.5) return false;
  }
  return true;
}

// At every corner the motion starts from, a front that is straight (the
// new picture fills half the box, if its front meets both edges there) or
// curved (it bulges out or in).
bool CornerFronts(const TSeen& s, unsigned where, bool straight) {
  for (int k = 0; k < 4; ++k) {
    if (!(where & kCornerBits[k])) continue;
    const double f = s.CornerFill[k];
    if (straight ? (f > 0 && (f < 0.4 || f > 0.6)) : (f == 0 || (f > 0.35 && f < 0.65))) return false;
  }
  return true;
}

// Why a promise is not kept; empty when it is.
std::string Broken(const TPromise& pr, const TSeen& s) {
  std::string why;
  const auto need = [&](bool ok, const char* what) {
    if (!ok && why.empty()) why = what;
  };
  const unsigned axes = AxesOf(pr.Where);
  const auto along = [&](const std::array<double, 2>& v, double atLeast) {
    for (int a = 0; a < 2; ++a)
      if ((axes & (1u << a)) && v[a] < atLeast) return false;
    return true;
  };
  const auto across = [&](const std::array<double, 2>& v, double atLeast) {
    for (int a = 0; a < 2; ++a)
      if (!(axes & (1u << a)) && v[a] < atLeast) return false;
    return true;
  };
  const bool inPlace = s.InPlace >= 0.999, straight = s.RowChanges <= 4 && s.ColumnChanges <= 4;
  switch (pr.Kind) {
    case Wipe:
      need(inPlace && !s.Seeded, "not uncovered in place");
      need(straight && s.Covered < 0.99, "fronts not straight");
      need(StartsAt(s.First, pr.Where), "starts elsewhere");
      break;
    case Scroll:
      need(s.InPlace <= 0.01 && s.Unit[0] >= 0.95 && s.Unit[1] >= 0.95, "not moved at true size");
      need(StartsAt(s.First, pr.Where), "starts elsewhere");
      need(DriftsFrom(s, pr.Where), "moves in from elsewhere");
      break;
    case Squeeze:
      need(along(s.Skip, 0.9) && along(s.Span, 0.95), "not the whole picture squeezed");
      need(across(s.Unit, 0.95), "squeezed across the motion too");
      need(StartsAt(s.First, pr.Where), "starts elsewhere");
      break;
    case Zoom:
      need(s.Covered >= 0.999 && s.InPlace < 0.1, "does not cover the screen enlarged");
      need(ShrinksOnto(s, pr.Where), "shrinks onto something else");
      break;
    case Smear:
      need(s.Covered >= 0.999 && s.InPlace >= 0.1 && s.InPlace <= 0.9, "not uncovered with a stretched rest");
      need(along(s.Still, 0.5), "rest not stretched along the motion");
      need(StartsAt(s.Uncovered, pr.Where), "uncovered elsewhere");
      break;
    case Fold:
      need(s.Covered < 0.99 && s.InPlace >= 0.5, "not uncovered");
      need(along(s.Back, 0.1), "no mirrored fold");
      need(StartsAt(s.First, pr.Where), "starts elsewhere");
      break;
    case Arc:
    case Diagonal:
      need(inPlace && !s.Seeded, "not uncovered in place");
      need(s.Stripes < 0.3 && s.Pieces <= 8, "striped or scattered");
      need(s.RowChanges + s.ColumnChanges > 20, "fronts along the axes");
      need(StartsAt(s.First, pr.Where), "starts elsewhere");
      need(CornerFronts(s, pr.Where, pr.Kind == Diagonal), pr.Kind == Arc ? "front not curved" : "front not straight");
      break;
    case Wave:
      need(inPlace && s.Seeded, "not uncovered in place, anew each frame");
      need(s.Stripes < 0.3 && s.Pieces <= 4, "striped or scattered");
      need(StartsAt(s.First, pr.Where), "starts elsewhere");
      break;
    case Band:
      need(inPlace && !s.Seeded, "not uncovered in place");
      need(s.Stripes >= 0.5, "not striped");
      need(StartsAt(s.First, pr.Where), "starts elsewhere");
      if (pr.Second == TPass::Same)
        need(LiesAt(s.OldAt75, Far(pr.Where), Near(pr.Where)), "second set not the same way");
      if (pr.Second == TPass::Back) need(LiesAt(s.OldAt75, Near(pr.Where), Far(pr.Where)), "second set not back");
      break;
    case Swarm:
      need(inPlace && s.Seeded, "not uncovered in place, anew each frame");
      need(s.Pieces >= 10, "no loose blocks");
      need(StartsAt(s.First, pr.Where), "starts elsewhere");
      break;
    case Turn:
      need(s.Turned >= 0.5, "not turned");
      need(StartsAt(s.First, pr.Where), "starts elsewhere");
      break;
    case Grid:
      need(inPlace && !s.Seeded && s.Grid, "no grid of growing triangles");
      break;
    case Flash:
      need(s.Blend, "not a mix of the two pictures");
      break;
    case Dissolve: {
      need(inPlace && s.Seeded, "not uncovered in place, anew each frame");
      const auto [lo, hi] = std::minmax_element(s.First.begin(), s.First.end());
      need(*lo > 0 && *hi <= 3 * *lo, "not spread over the whole picture");
      break;
    }
  }
  return why;
}

// What was seen, for failure messages.
std::string Describe(const TSeen& s) {
  const auto cells = [](const TCellShares& share) {
    std::string out;
    for (int cell = 0; cell < kCells; ++cell) {
      const double v = share[cell];
      out += v == 0 ? '.' : v < 0.05 ? ',' : v > 0.995 ? '#' : static_cast<char>('0' + static_cast<int>(v * 10));
      if (cell % 3 == 2 && cell < 8) out += '/';
    }
    return out;
  };
  char numbers[400];
  std::snprintf(numbers, sizeof numbers,
                " covered %.2f in place %.2f unit %.2f/%.2f still %.2f/%.2f skip %.2f/%.2f back %.2f/%.2f turned %.2f "
                "changes %d/%d pieces %d stripes %.2f seeded %d corner fill %.2f %.2f %.2f %.2f",
                s.Covered, s.InPlace, s.Unit[0], s.Unit[1], s.Still[0], s.Still[1], s.Skip[0], s.Skip[1], s.Back[0],
                s.Back[1], s.Turned, s.RowChanges, s.ColumnChanges, s.Pieces, s.Stripes, s.Seeded, s.CornerFill[0],
                s.CornerFill[1], s.CornerFill[2], s.CornerFill[3]);
  return "first " + cells(s.First) + " uncovered " + cells(s.Uncovered) + " old at 75 " + cells(s.OldAt75) + numbers;
}

// ---------------------------------------------------------------------------
// The table file.

struct TEntry {
  std::string_view Group, Caption;
  int Number;
};

std::string TableText() {
  std::ifstream in(std::string(VANTA_BIN_DIR) + "/VantaSaver.001", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every tree entry with the number the table gives it (0 when missing).
std::vector<TEntry> TableEntries() {
  const TIniDocument ini(TableText());
  std::vector<TEntry> entries;
  for (const TEffectGroup& g : kEffectTree)
    for (std::string_view caption : g.Effects)
      entries.push_back({g.Caption, caption, ini.ReadInteger(g.Caption, caption, 0)});
  return entries;
}

const TPromise* PromiseOf(std::string_view group, std::string_view caption) {
  for (const TPromise& p : kPromises)
    if (p.Group == group && p.Caption == caption) return &p;
  return nullptr;
}

// One promise for each entry of the tree; within a group no two captions
// differ only in letter case, which the table's keys would not tell apart.
TEST(EffectTable, EveryTreeEntryHasOnePromise) {
  size_t entries = 0;
  for (const TEffectGroup& g : kEffectTree) {
    std::set<std::string> keys;
    for (std::string_view caption : g.Effects) {
      EXPECT_TRUE(keys.insert(LowerCase(caption)).second) << g.Caption << " / " << caption;
      EXPECT_EQ(std::count_if(std::begin(kPromises), std::end(kPromises),
                              [&](const TPromise& p) { return p.Group == g.Caption && p.Caption == caption; }),
                1)
          << g.Caption << " / " << caption;
      ++entries;
    }
  }
  EXPECT_EQ(entries, 127u);
  EXPECT_EQ(std::size(kPromises), entries);
}

TEST(EffectTable, HoldsEveryCaptionOnceInTreeOrderAndEveryNumberOnce) {
  const std::string text = TableText();
  ASSERT_FALSE(text.empty()) << "no VantaSaver.001 beside the program in " << VANTA_BIN_DIR;
  // CR LF line ends throughout.
  size_t lineFeeds = 0;
  for (size_t i = 0; i < text.size(); ++i) lineFeeds += text[i] == '\n';
  size_t crLfs = 0;
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++crLfs;
  EXPECT_EQ(crLfs, lineFeeds);
  EXPECT_EQ(text.find('\r'), text.find("\r\n"));  // no CR alone either
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");

  // Sections in tree order, and no key line beyond the tree's.
  std::vector<std::string> sections;
  int keyLines = 0;
  for (size_t at = 0; at < text.size();) {
    const size_t end = std::min(text.find("\r\n", at), text.size());
    const std::string line = text.substr(at, end - at);
    at = end + 2;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') sections.push_back(line.substr(1, line.find(']') - 1));
    else ++keyLines;
  }
  std::vector<std::string> groups;
  for (const TEffectGroup& g : kEffectTree) groups.emplace_back(g.Caption);
  EXPECT_EQ(sections, groups);
  EXPECT_EQ(keyLines, 127);

  const TIniDocument ini(text);
  std::multiset<int> numbers;
  for (const TEffectGroup& g : kEffectTree) {
    const std::vector<std::string> want(g.Effects.begin(), g.Effects.end());
    EXPECT_EQ(ini.ReadSectionKeys(g.Caption), want) << g.Caption;
    for (std::string_view caption : g.Effects) {
      const auto value = ini.Value(g.Caption, caption);
      ASSERT_TRUE(value.has_value()) << g.Caption << " / " << caption;
      const auto n = ParseIniInteger(*value);
      ASSERT_TRUE(n.has_value()) << g.Caption << " / " << caption << " = " << *value;
      numbers.insert(*n);
    }
  }
  std::multiset<int> all;
  for (int n = 1; n <= 127; ++n) all.insert(n);
  EXPECT_EQ(numbers, all);
}

TEST(EffectTable, EveryCaptionsEffectMovesAsTheCaptionSays) {
  for (const TEntry& e : TableEntries()) {
    const TPromise* promise = PromiseOf(e.Group, e.Caption);
    ASSERT_NE(promise, nullptr) << "no promise for " << e.Group << " / " << e.Caption;
    ASSERT_TRUE(e.Number >= 1 && e.Number <= 127) << e.Group << " / " << e.Caption;
    EXPECT_EQ(Broken(*promise, Seen(e.Number)), "")
        << e.Group << " / " << e.Caption << " = " << e.Number << ": " << Describe(Seen(e.Number));
  }
}

// The promises tell the effects apart: each is kept by exactly one effect,
// so no two numbers in the table could trade places unnoticed.
TEST(EffectTable, EachPromiseIsKeptByOneEffectAlone) {
  for (const TPromise& p : kPromises) {
    std::vector<int> keepers;
    for (int effect = 1; effect <= 127; ++effect)
      if (Broken(p, Seen(effect)).empty()) keepers.push_back(effect);
    std::string list;
    for (int k : keepers) list += " " + std::to_string(k);
    EXPECT_EQ(keepers.size(), 1u) << p.Group << " / " << p.Caption << " kept by" << list;
  }
}

}  // namespace
}  // namespace vanta
