// The order in which a show's pictures come.
//
// List order gives the entries as listed, round and round. Shuffle deals
// rounds: each round is a fresh random order of all the pictures, every
// picture comes once before any comes again, and a round never opens with
// the picture that closed the one before, so the same picture is never
// shown twice in a row, not even across a round's seam.
//
// Several sequences (one per monitor) may draw from one deck: each passes
// the pictures the others show right now, which are passed over while the
// list has others to give, so no picture is on two screens at once.
//
// Entries that name the same file are one picture (sameAs): a shuffle
// deals it once a round, and no sequence gets it straight after itself.
// A list whose entries are all one picture always gives entry 0.
//
// The deck's place (the round still to come, or the list position) can be
// taken and given to a later deck over the same list, so a saver goes on
// where it stopped (ShowPlace.h keeps it in a file).
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vanta {

struct TDeckPlace {
  bool Shuffle = false;
  uint32_t Round = 0;
  std::vector<size_t> Left;  // shuffle: this round's pictures still to come, in order
  std::ptrdiff_t Last = -1;  // the entry given last, or -1
  size_t Cursor = 0;         // list order: the entry to try first next time
  friend bool operator==(const TDeckPlace&, const TDeckPlace&) = default;
};

class TPictureDeck {
 public:
  // count: pictures in the list; shuffle: RandomImage (else list order).
  TPictureDeck(size_t count, bool shuffle);
  // sameAs[i]: the first entry naming entry i's file (SamePictures).
  TPictureDeck(std::vector<size_t> sameAs, bool shuffle);

  // The next picture index for one sequence; indexes in `showing` (on screen elsewhere right now)
  // are avoided while the list has others to give; `current` is this sequence's picture now
  // (or -1), never given again straight away when n > 1. 0 for an empty list.
  size_t Next(std::span<const size_t> showing, std::ptrdiff_t current);

  size_t Count() const { return sameAs_.size(); }
  TDeckPlace Place() const;
  // Continues from a place taken from a deck over the same list; false
  // (and nothing changed) when the place does not fit this deck.
  bool Resume(const TDeckPlace& place);

 private:
  size_t Picture(size_t entry) const { return sameAs_[entry]; }
  bool Avoided(size_t picture, std::span<const size_t> showing, std::ptrdiff_t current, bool withShowing) const;
  size_t NextInList(std::span<const size_t> showing, std::ptrdiff_t current);
  size_t NextShuffled(std::span<const size_t> showing, std::ptrdiff_t current);
  void NewRound();

  std::vector<size_t> sameAs_;
  std::vector<size_t> pictures_;  // the distinct pictures: their first entries, in list order
  bool shuffle_;
  uint32_t round_ = 0;
  std::vector<size_t> left_;
  std::ptrdiff_t last_ = -1;
  size_t cursor_ = 0;
};

// For each entry, the first entry naming the same file (letter case
// ignored, as the list's duplicate rule and Windows compare names).
std::vector<size_t> SamePictures(const std::vector<std::string>& files);

// A fingerprint of the list (names in order) and its order mode: a place
// taken for one list is not continued on another.
uint64_t PictureListKey(const std::vector<std::string>& files, bool shuffle);

}  // namespace vanta
