// The effect numbers 0..127 by family: the one table that says which
// numbers belong to which family. The frame composer, the region effects and
// the benchmarks' captions all read it; inside a family an effect is known by
// its member index (its place among the family's numbers, counted upward),
// which indexes the family's own parameter table.
#pragma once
#include <cstdint>
#include <string_view>

namespace vanta {

enum class TEffectFamily : uint8_t {
  None,              // no effect, or drawn by the application
  HorizontalCopies,  // rectangle copies along x
  VerticalCopies,    // the same along y
  CombinedCopies,    // one horizontal and one vertical member at once
  FourPartCopies,    // four rectangles a frame
  RoundRects,        // regions: rounded rectangles
  Bands,             // regions: stripes five pixels wide
  RaggedEdges,       // regions: stripes with a random front
  Triangles,         // regions: triangles
  CrossFade,         // the two pictures mixed
  Rotations,         // the new picture turned about a corner
  Swarms,            // regions: a front with loose blocks ahead
  RandomSquares,     // regions: squares scattered at random
  Unknown,           // numbers above 127: only the old picture
};

struct TEffectRange {
  uint8_t First, Last;
  TEffectFamily Family;
};

inline constexpr TEffectRange kEffectRanges[] = {
    {0, 0, TEffectFamily::None},
    {1, 17, TEffectFamily::HorizontalCopies},
    {18, 34, TEffectFamily::VerticalCopies},
    {35, 53, TEffectFamily::CombinedCopies},
    {54, 57, TEffectFamily::FourPartCopies},
    {58, 59, TEffectFamily::RoundRects},
    {60, 64, TEffectFamily::Bands},
    {65, 68, TEffectFamily::RaggedEdges},
    {69, 70, TEffectFamily::RoundRects},
    {71, 75, TEffectFamily::Bands},
    {76, 79, TEffectFamily::RaggedEdges},
    {80, 85, TEffectFamily::RoundRects},
    {86, 99, TEffectFamily::Bands},
    {100, 109, TEffectFamily::RaggedEdges},
    {110, 117, TEffectFamily::Triangles},
    {118, 118, TEffectFamily::CrossFade},
    {119, 122, TEffectFamily::Rotations},
    {123, 126, TEffectFamily::Swarms},
    {127, 127, TEffectFamily::RandomSquares},
};

inline constexpr int kLastEffect = 127;

struct TEffectPlace {
  TEffectFamily Family = TEffectFamily::Unknown;
  int Member = 0;  // 0-based among the family's numbers
};

constexpr TEffectPlace PlaceOf(int style) {
  int before[static_cast<int>(TEffectFamily::Unknown) + 1] = {};
  for (const TEffectRange& r : kEffectRanges) {
    const int f = static_cast<int>(r.Family);
    if (style >= r.First && style <= r.Last) return {r.Family, before[f] + style - r.First};
    before[f] += r.Last - r.First + 1;
  }
  return {};
}

constexpr TEffectFamily FamilyOf(int style) { return PlaceOf(style).Family; }

// The effect number of a family's member (-1 past the family's last).
constexpr int EffectNumber(TEffectFamily family, int member) {
  for (const TEffectRange& r : kEffectRanges) {
    if (r.Family != family) continue;
    if (member <= r.Last - r.First) return r.First + member;
    member -= r.Last - r.First + 1;
  }
  return -1;
}

constexpr bool IsRectangleCopy(TEffectFamily f) {
  return f == TEffectFamily::HorizontalCopies || f == TEffectFamily::VerticalCopies ||
         f == TEffectFamily::CombinedCopies || f == TEffectFamily::FourPartCopies;
}

constexpr bool IsRegionFamily(TEffectFamily f) {
  return f == TEffectFamily::RoundRects || f == TEffectFamily::Bands || f == TEffectFamily::RaggedEdges ||
         f == TEffectFamily::Triangles || f == TEffectFamily::Swarms || f == TEffectFamily::RandomSquares;
}

// Effects whose frames the region seam composes.
constexpr bool IsRegionEffect(int style) { return IsRegionFamily(FamilyOf(style)); }

// What a family is called where it is shown (benchmark tables, tools).
constexpr std::string_view FamilyCaption(TEffectFamily f) {
  switch (f) {
    case TEffectFamily::None: return "no effect";
    case TEffectFamily::HorizontalCopies: return "horizontal rectangle copies";
    case TEffectFamily::VerticalCopies: return "vertical rectangle copies";
    case TEffectFamily::CombinedCopies: return "combined rectangle copies";
    case TEffectFamily::FourPartCopies: return "four-part rectangle copies";
    case TEffectFamily::RoundRects: return "rounded-rectangle regions";
    case TEffectFamily::Bands: return "band regions";
    case TEffectFamily::RaggedEdges: return "ragged-edge regions";
    case TEffectFamily::Triangles: return "triangle regions";
    case TEffectFamily::CrossFade: return "cross-fade";
    case TEffectFamily::Rotations: return "rotations";
    case TEffectFamily::Swarms: return "swarm regions";
    case TEffectFamily::RandomSquares: return "random squares";
    case TEffectFamily::Unknown: break;
  }
  return "old picture only";
}

// The corner a rotation turns about, by member: top-left, bottom-left,
// top-right, bottom-right (the pivot lies one pixel outside it).
struct TRotationPivot {
  bool RightEdge, BottomEdge;
};
constexpr TRotationPivot RotationPivotOf(int style) {
  const int m = PlaceOf(style).Member;
  return {m >= 2, m % 2 == 1};
}

}  // namespace vanta
