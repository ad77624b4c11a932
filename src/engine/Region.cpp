#include "engine/Region.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "engine/RegionSpans.h"

namespace vanta {

using region_detail::AppendJoined;
using region_detail::kNone;

namespace {

// Boolean operation on two sorted lists of disjoint spans: walks the
// boundaries of both, tracking whether each side is inside.
void CombineSpans(std::span<const TSpan> a, std::span<const TSpan> b, unsigned op, std::vector<TSpan>& out) {
  out.clear();
  if (op == 0b1110) {
    // Union, where one side is often a few wide spans and the other a long
    // row of stripes: the stretches of one side that neither touch the
    // other nor the last span out are appended whole.
    const auto emit = [&out](const TSpan& s) { AppendJoined(out, s.Left, s.Right); };
    const TSpan *p = a.data(), *pe = p + a.size(), *q = b.data(), *qe = q + b.size();
    if (p == pe) std::swap(p, q), std::swap(pe, qe);
    while (p < pe) {
      if (q < qe && q->Left < p->Left) std::swap(p, q), std::swap(pe, qe);
      emit(*p++);
      // Spans of this side inside the last one out vanish in it, and one
      // reaching past its end joins it.
      const int right = out.back().Right;
      p = std::upper_bound(p, pe, right, [](int x, const TSpan& s) { return x < s.Right; });
      if (p < pe && p->Left <= right) emit(*p++);
      const TSpan* run = p;
      if (q == qe)
        p = pe;
      else
        while (p < pe && p->Right < q->Left) ++p;
      out.insert(out.end(), run, p);
      if (p == pe) std::swap(p, q), std::swap(pe, qe);
    }
    return;
  }
  if (op == 0b1000) {
    // Intersection, the common case of the frame regions, pair by pair: two
    // pieces of it never touch, since a gap of one side lies between them.
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
      const int left = std::max(a[i].Left, b[j].Left), right = std::min(a[i].Right, b[j].Right);
      if (left < right) out.push_back({left, right});
      if (a[i].Right < b[j].Right) ++i;
      else ++j;
    }
    return;
  }
  const size_t na = a.size() * 2, nb = b.size() * 2;
  size_t i = 0, j = 0;
  bool inA = false, inB = false, in = false;
  int start = 0;
  while (i < na || j < nb) {
    const int xa = i < na ? (i % 2 ? a[i / 2].Right : a[i / 2].Left) : kNone;
    const int xb = j < nb ? (j % 2 ? b[j / 2].Right : b[j / 2].Left) : kNone;
    const int x = std::min(xa, xb);
    if (xa == x) inA = !inA, ++i;
    if (xb == x) inB = !inB, ++j;
    const bool now = (op >> (unsigned(inA) * 2 + unsigned(inB))) & 1u;
    if (now != in) {
      if (now)
        start = x;
      else
        out.push_back({start, x});
      in = now;
    }
  }
}

}  // namespace

TRegion::TRegion(const TRect& r) {
  if (r.IsEmpty()) return;
  const TSpan s{r.Left, r.Right};
  AppendBand(r.Top, r.Bottom, &s, 1);
}

void TRegion::AppendBand(int top, int bottom, const TSpan* spans, size_t count) {
  if (count == 0 || top >= bottom) return;
  if (!bands_.empty()) {
    TBand& last = bands_.back();
    if (last.Bottom == top && last.Count == count &&
        std::equal(spans, spans + count, spans_.begin() + last.First)) {
      last.Bottom = bottom;
      return;
    }
  }
  bands_.push_back({top, bottom, static_cast<uint32_t>(spans_.size()), static_cast<uint32_t>(count)});
  spans_.insert(spans_.end(), spans, spans + count);
}

TRect TRegion::Bounds() const {
  if (bands_.empty()) return {};
  int left = INT_MAX, right = INT_MIN;
  for (const TBand& b : bands_) {
    left = std::min(left, spans_[b.First].Left);
    right = std::max(right, spans_[b.First + b.Count - 1].Right);
  }
  return {left, bands_.front().Top, right, bands_.back().Bottom};
}

bool TRegion::Contains(int x, int y) const {
  const auto band = std::upper_bound(bands_.begin(), bands_.end(), y,
                                     [](int v, const TBand& b) { return v < b.Bottom; });
  if (band == bands_.end() || y < band->Top) return false;
  const std::span<const TSpan> s = Spans(*band);
  const auto span = std::upper_bound(s.begin(), s.end(), x, [](int v, const TSpan& sp) { return v < sp.Right; });
  return span != s.end() && x >= span->Left;
}

int64_t TRegion::Area() const {
  int64_t area = 0;
  for (const TBand& b : bands_) {
    int64_t width = 0;
    for (const TSpan& s : Spans(b)) width += int64_t{s.Right} - s.Left;
    area += width * (int64_t{b.Bottom} - b.Top);
  }
  return area;
}

bool TRegion::IsValid() const {
  size_t next = 0;
  for (size_t i = 0; i < bands_.size(); ++i) {
    const TBand& b = bands_[i];
    if (b.Top >= b.Bottom || b.Count == 0 || b.First != next) return false;
    next += b.Count;
    if (next > spans_.size()) return false;
    if (i > 0) {
      const TBand& p = bands_[i - 1];
      if (p.Bottom > b.Top) return false;
      if (p.Bottom == b.Top && p.Count == b.Count &&
          std::equal(spans_.begin() + p.First, spans_.begin() + p.First + p.Count, spans_.begin() + b.First))
        return false;
    }
    const std::span<const TSpan> s = Spans(b);
    for (size_t k = 0; k < s.size(); ++k) {
      if (s[k].Left >= s[k].Right) return false;
      if (k > 0 && s[k - 1].Right >= s[k].Left) return false;
    }
  }
  return next == spans_.size();
}

bool operator==(const TRegion& a, const TRegion& b) {
  if (a.bands_.size() != b.bands_.size() || a.spans_ != b.spans_) return false;
  for (size_t i = 0; i < a.bands_.size(); ++i)
    if (a.bands_[i].Top != b.bands_[i].Top || a.bands_[i].Bottom != b.bands_[i].Bottom ||
        a.bands_[i].Count != b.bands_[i].Count)
      return false;
  return true;
}

void TRegion::Combine(const TRegion& a, const TRegion& b, TOp op, TRegion& out) {
  const unsigned table = static_cast<unsigned>(op);
  out.Clear();
  thread_local std::vector<TSpan> spans;
  const std::span<const TSpan> none;
  size_t ia = 0, ib = 0;
  const size_t na = a.bands_.size(), nb = b.bands_.size();
  int y = INT_MIN;
  for (;;) {
    while (ia < na && a.bands_[ia].Bottom <= y) ++ia;
    while (ib < nb && b.bands_[ib].Bottom <= y) ++ib;
    if (ia == na && ib == nb) break;
    const int ta = ia < na ? std::max(a.bands_[ia].Top, y) : kNone;
    const int tb = ib < nb ? std::max(b.bands_[ib].Top, y) : kNone;
    const int top = std::min(ta, tb);
    const bool inA = ta == top, inB = tb == top;
    // The rows up to the next place where either side changes.
    int bottom = kNone;
    bottom = std::min(bottom, inA ? a.bands_[ia].Bottom : ta);
    bottom = std::min(bottom, inB ? b.bands_[ib].Bottom : tb);
    CombineSpans(inA ? a.Spans(a.bands_[ia]) : none, inB ? b.Spans(b.bands_[ib]) : none, table, spans);
    out.AppendBand(top, bottom, spans.data(), spans.size());
    y = bottom;
  }
}

void Union(const TRegion& a, const TRegion& b, TRegion& out) {
  if (a.IsEmpty()) out = b;
  else if (b.IsEmpty()) out = a;
  else TRegion::Combine(a, b, TRegion::TOp::kUnion, out);
}
void Intersect(const TRegion& a, const TRegion& b, TRegion& out) {
  if (a.IsEmpty() || b.IsEmpty()) out.Clear();
  else TRegion::Combine(a, b, TRegion::TOp::kIntersect, out);
}
void Xor(const TRegion& a, const TRegion& b, TRegion& out) { TRegion::Combine(a, b, TRegion::TOp::kXor, out); }
void Subtract(const TRegion& a, const TRegion& b, TRegion& out) {
  TRegion::Combine(a, b, TRegion::TOp::kSubtract, out);
}

namespace {
template <void (*Op)(const TRegion&, const TRegion&, TRegion&)>
TRegion Fresh(const TRegion& a, const TRegion& b) {
  TRegion out;
  Op(a, b, out);
  return out;
}
}  // namespace

TRegion Union(const TRegion& a, const TRegion& b) { return Fresh<Union>(a, b); }
TRegion Intersect(const TRegion& a, const TRegion& b) { return Fresh<Intersect>(a, b); }
TRegion Xor(const TRegion& a, const TRegion& b) { return Fresh<Xor>(a, b); }
TRegion Subtract(const TRegion& a, const TRegion& b) { return Fresh<Subtract>(a, b); }
TRegion TRegion::Clipped(const TRect& clip) const { return Intersect(*this, TRegion(clip)); }

}  // namespace vanta
