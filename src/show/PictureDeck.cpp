#include "show/PictureDeck.h"

#include <algorithm>
#include <vector>

#include "base/Random.h"

namespace vanta {

TPictureDeck::TPictureDeck(size_t count, bool shuffle) : count_(count), shuffle_(shuffle) {}

size_t TPictureDeck::Next(std::span<const size_t> showing, std::ptrdiff_t current) {
  if (count_ <= 1) return 0;
  const auto free = [&](size_t i, bool avoidShowing) {
    if (static_cast<std::ptrdiff_t>(i) == current) return false;
    return !avoidShowing || std::find(showing.begin(), showing.end(), i) == showing.end();
  };
  for (bool avoidShowing : {true, false}) {
    std::vector<size_t> candidates;
    for (size_t k = 0; k < count_; ++k) {
      const size_t i = shuffle_ ? k : (cursor_ + k) % count_;
      if (free(i, avoidShowing)) candidates.push_back(i);
    }
    if (candidates.empty()) continue;
    const size_t pick = shuffle_ ? candidates[Random(static_cast<uint32_t>(candidates.size()))] : candidates.front();
    cursor_ = (pick + 1) % count_;
    return pick;
  }
  return 0;
}

}  // namespace vanta
