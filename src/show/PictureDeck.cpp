#include "show/PictureDeck.h"

#include <algorithm>
#include <numeric>
#include <unordered_map>

#include "base/Random.h"
#include "base/Text.h"

namespace vanta {
namespace {

std::vector<size_t> Identity(size_t count) {
  std::vector<size_t> v(count);
  std::iota(v.begin(), v.end(), size_t{0});
  return v;
}

bool Contains(std::span<const size_t> set, size_t v) { return std::find(set.begin(), set.end(), v) != set.end(); }

}  // namespace

TPictureDeck::TPictureDeck(size_t count, bool shuffle) : TPictureDeck(Identity(count), shuffle) {}

TPictureDeck::TPictureDeck(std::vector<size_t> sameAs, bool shuffle) : sameAs_(std::move(sameAs)), shuffle_(shuffle) {
  for (size_t i = 0; i < sameAs_.size(); ++i) {
    if (sameAs_[i] > i || sameAs_[sameAs_[i]] != sameAs_[i]) sameAs_[i] = i;  // not a first entry: its own
    if (sameAs_[i] == i) pictures_.push_back(i);
  }
}

bool TPictureDeck::Avoided(size_t picture, std::span<const size_t> showing, std::ptrdiff_t current,
                           bool withShowing) const {
  const auto same = [&](size_t entry) { return entry < sameAs_.size() && Picture(entry) == picture; };
  if (current >= 0 && same(static_cast<size_t>(current))) return true;
  return withShowing && std::any_of(showing.begin(), showing.end(), same);
}

size_t TPictureDeck::Next(std::span<const size_t> showing, std::ptrdiff_t current) {
  if (pictures_.size() <= 1) return 0;
  const size_t entry = shuffle_ ? NextShuffled(showing, current) : NextInList(showing, current);
  last_ = static_cast<std::ptrdiff_t>(entry);
  return entry;
}

size_t TPictureDeck::NextInList(std::span<const size_t> showing, std::ptrdiff_t current) {
  const size_t n = sameAs_.size();
  // First pass passes over what other screens show; the second only the
  // sequence's own picture (there is always another picture to give).
  for (const bool withShowing : {true, false})
    for (size_t k = 0; k < n; ++k) {
      const size_t entry = (cursor_ + k) % n;
      if (Avoided(Picture(entry), showing, current, withShowing)) continue;
      cursor_ = (entry + 1) % n;
      return entry;
    }
  return 0;  // not reached: two distinct pictures exist
}

void TPictureDeck::NewRound() {
  // What is left of the round ends up first in the next (the caller only
  // starts one early when none of it may be shown now).
  std::vector<size_t> round = left_;
  const size_t carried = round.size();
  for (size_t p : pictures_)
    if (!Contains(std::span<const size_t>(left_), p)) round.push_back(p);
  for (size_t i = round.size() - 1; i > carried; --i)
    std::swap(round[i], round[carried + Random(static_cast<uint32_t>(i - carried + 1))]);
  // The picture that closed the last round does not open this one.
  if (carried == 0 && last_ >= 0 && round.front() == Picture(static_cast<size_t>(last_)))
    std::swap(round.front(), round[1 + Random(static_cast<uint32_t>(round.size() - 1))]);
  left_ = std::move(round);
  ++round_;
}

size_t TPictureDeck::NextShuffled(std::span<const size_t> showing, std::ptrdiff_t current) {
  if (left_.empty()) NewRound();
  // Other screens' pictures are passed over while the list has others; only
  // with too few pictures for every screen is one shown on two.
  for (const bool withShowing : {true, false}) {
    const auto acceptable = [&](size_t p) { return !Avoided(p, showing, current, withShowing); };
    auto it = std::find_if(left_.begin(), left_.end(), acceptable);
    if (it == left_.end()) {
      // The rest of the round is on screen: the next round starts now,
      // with that rest first, when it has a picture that may be shown.
      const bool other = std::any_of(pictures_.begin(), pictures_.end(), [&](size_t p) {
        return acceptable(p) && !Contains(std::span<const size_t>(left_), p);
      });
      if (!other) continue;
      NewRound();
      it = std::find_if(left_.begin(), left_.end(), acceptable);
    }
    const size_t picture = *it;
    left_.erase(it);
    return picture;
  }
  return pictures_.front();  // not reached: two distinct pictures exist
}

TDeckPlace TPictureDeck::Place() const {
  TDeckPlace p;
  p.Shuffle = shuffle_;
  p.Round = round_;
  p.Left = left_;
  p.Last = last_;
  p.Cursor = cursor_;
  return p;
}

bool TPictureDeck::Resume(const TDeckPlace& place) {
  const size_t n = sameAs_.size();
  if (place.Shuffle != shuffle_ || place.Cursor >= std::max<size_t>(n, 1) || place.Last >= static_cast<std::ptrdiff_t>(n) ||
      place.Last < -1)
    return false;
  std::vector<bool> seen(n, false);
  for (size_t p : place.Left) {
    if (p >= n || Picture(p) != p || seen[p]) return false;  // only distinct pictures, each once
    seen[p] = true;
  }
  if (!shuffle_ && !place.Left.empty()) return false;
  round_ = place.Round;
  left_ = place.Left;
  last_ = place.Last;
  cursor_ = place.Cursor;
  return true;
}

std::vector<size_t> SamePictures(const std::vector<std::string>& files) {
  std::unordered_map<std::string, size_t> first;
  first.reserve(files.size());
  std::vector<size_t> sameAs(files.size());
  for (size_t i = 0; i < files.size(); ++i) sameAs[i] = first.try_emplace(LowerCase(files[i]), i).first->second;
  return sameAs;
}

uint64_t PictureListKey(const std::vector<std::string>& files, bool shuffle) {
  uint64_t h = 14695981039346656037ull;  // FNV-1a, 64 bits
  const auto add = [&](unsigned char c) {
    h ^= c;
    h *= 1099511628211ull;
  };
  add(shuffle ? 'S' : 'L');
  for (const std::string& f : files) {
    for (char c : f) add(static_cast<unsigned char>(c));
    add(0);
  }
  return h;
}

}  // namespace vanta
