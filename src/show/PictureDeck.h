// Which picture of the list a show's sequence takes next. Several
// sequences (one per monitor) share one deck, so that a picture on screen
// elsewhere is not dealt again while others are to be had.
#pragma once
#include <cstddef>
#include <span>

namespace vanta {

class TPictureDeck {
 public:
  TPictureDeck(size_t count, bool shuffle);  // shuffle = RandomImage, else list order
  // next index for one sequence; indexes in `showing` (on screen elsewhere now) avoided while others
  // exist; `current` = this sequence's picture now (or -1), not given again straight away when n > 1.
  size_t Next(std::span<const size_t> showing, std::ptrdiff_t current);

 private:
  size_t count_;
  bool shuffle_;
  size_t cursor_ = 0;  // list order: where the next search starts
};

}  // namespace vanta
