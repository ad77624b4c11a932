#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "base/Random.h"
#include "show/PictureDeck.h"
#include "show/ShowPlace.h"
#include "TempDir.h"

namespace vanta {
namespace {

std::vector<size_t> Draw(TPictureDeck& deck, size_t count, std::ptrdiff_t current = -1) {
  std::vector<size_t> got;
  for (size_t i = 0; i < count; ++i) {
    const size_t next = deck.Next({}, current);
    got.push_back(next);
    current = static_cast<std::ptrdiff_t>(next);
  }
  return got;
}

TEST(PictureDeck, ShuffleDealsEveryPictureOnceARoundNeverTwiceInARow) {
  for (size_t n : {1u, 2u, 3u, 4u, 7u, 50u}) {
    for (uint32_t seed : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u}) {
      SetRandSeed(seed);
      TPictureDeck deck(n, true);
      const std::vector<size_t> got = Draw(deck, n * 12);
      for (size_t round = 0; round < 12; ++round) {
        std::set<size_t> in(got.begin() + round * n, got.begin() + (round + 1) * n);
        ASSERT_EQ(in.size(), n) << "n " << n << " seed " << seed << " round " << round;
        ASSERT_LT(*in.rbegin(), n);
      }
      for (size_t i = 1; i < got.size() && n > 1; ++i) ASSERT_NE(got[i], got[i - 1]) << "n " << n << " at " << i;
    }
  }
}

TEST(PictureDeck, ShuffleRoundsDiffer) {
  SetRandSeed(11);
  TPictureDeck deck(8, true);
  std::set<std::vector<size_t>> rounds;
  for (int r = 0; r < 6; ++r) rounds.insert(Draw(deck, 8));
  EXPECT_GT(rounds.size(), 3u);
}

TEST(PictureDeck, ListOrderAndRepeatedFiles) {
  struct Case {
    const char* name;
    std::vector<std::string> files;
    bool shuffle;
    size_t draws;
    std::vector<size_t> expect;  // list order: exactly; shuffle: the set of each round
  } cases[] = {
      {"list order", {"a", "b", "c"}, false, 7, {0, 1, 2, 0, 1, 2, 0}},
      {"one file throughout", {"a", "a", "A"}, true, 4, {0, 0, 0, 0}},
      {"one file in list order", {"a", "a"}, false, 3, {0, 0, 0}},
      {"a file listed twice is not shown twice in a row", {"a", "a", "b"}, false, 4, {0, 2, 0, 2}},
      {"a file listed twice comes once a round", {"a", "b", "A", "c"}, true, 3, {0, 1, 3}},
      {"empty list", {}, true, 2, {0, 0}},
  };
  for (const Case& c : cases) {
    SetRandSeed(3);
    TPictureDeck deck(SamePictures(c.files), c.shuffle);
    std::vector<size_t> got = Draw(deck, c.draws);
    if (c.shuffle && c.expect.size() == c.draws && std::set<size_t>(c.expect.begin(), c.expect.end()).size() > 1)
      std::sort(got.begin(), got.end());
    EXPECT_EQ(got, c.expect) << c.name;
  }
}

TEST(PictureDeck, SequencesSharingTheListNeverShowOnePictureTwice) {
  struct Case { size_t pictures, screens; bool shuffle; } cases[] = {
      {3, 2, true}, {4, 3, true}, {10, 3, true}, {5, 4, false}, {9, 2, false}};
  for (const Case& c : cases) {
    SetRandSeed(static_cast<uint32_t>(c.pictures * 7 + c.screens));
    TPictureDeck deck(c.pictures, c.shuffle);
    std::vector<std::ptrdiff_t> on(c.screens, -1);
    std::multiset<size_t> dealt;
    for (size_t step = 0; step < c.pictures * 20; ++step) {
      const size_t s = step % c.screens;
      std::vector<size_t> showing;
      for (size_t o = 0; o < c.screens; ++o)
        if (o != s && on[o] >= 0) showing.push_back(static_cast<size_t>(on[o]));
      const size_t next = deck.Next(showing, on[s]);
      ASSERT_NE(static_cast<std::ptrdiff_t>(next), on[s]) << c.pictures << "/" << c.screens << " step " << step;
      ASSERT_EQ(std::count(showing.begin(), showing.end(), next), 0) << c.pictures << "/" << c.screens;
      on[s] = static_cast<std::ptrdiff_t>(next);
      dealt.insert(next);
    }
    // Every picture comes about equally often: none left out, none hogging.
    for (size_t p = 0; p < c.pictures; ++p) {
      EXPECT_GE(dealt.count(p), 17u) << c.pictures << "/" << c.screens << " picture " << p;
      EXPECT_LE(dealt.count(p), 23u) << c.pictures << "/" << c.screens << " picture " << p;
    }
  }
}

TEST(PictureDeck, APlaceTakenMidRoundIsContinued) {
  for (bool shuffle : {true, false}) {
    SetRandSeed(5);
    TPictureDeck first(6, shuffle);
    const std::vector<size_t> before = Draw(first, 4);
    const TDeckPlace place = first.Place();
    const std::vector<size_t> rest = Draw(first, 2, static_cast<std::ptrdiff_t>(before.back()));

    TPictureDeck later(6, shuffle);
    ASSERT_TRUE(later.Resume(place));
    EXPECT_EQ(Draw(later, 2, -1), rest) << shuffle;  // the new run does not know what was on screen
    if (shuffle) {
      std::set<size_t> round(before.begin(), before.end());
      round.insert(rest.begin(), rest.end());
      EXPECT_EQ(round.size(), 6u);
    }
  }
}

TEST(PictureDeck, APlaceThatDoesNotFitIsRefused) {
  TPictureDeck deck(SamePictures({"a", "b", "A", "c"}), true);
  const TDeckPlace fresh = deck.Place();
  struct Case { const char* name; TDeckPlace place; } cases[] = {
      {"other order mode", {false, 1, {}, -1, 0}},
      {"picture beyond the list", {true, 1, {0, 4}, -1, 0}},
      {"a picture twice", {true, 1, {1, 1}, -1, 0}},
      {"a second entry of one file", {true, 1, {2}, -1, 0}},
      {"last beyond the list", {true, 1, {1}, 9, 0}},
      {"cursor beyond the list", {true, 1, {1}, 0, 4}},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(deck.Resume(c.place)) << c.name;
    EXPECT_EQ(deck.Place(), fresh) << c.name;
  }
}

TEST(ShowPlace, TextRoundTripsAndDamageReadsAsNoPlace) {
  const TDeckPlace place{true, 3, {4, 0, 2}, 1, 0};
  const std::string text = FormatShowPlace(77, place);
  EXPECT_EQ(ParseShowPlace(text, 77), place);
  EXPECT_EQ(ParseShowPlace(FormatShowPlace(77, {false, 0, {}, 5, 6}), 77), (TDeckPlace{false, 0, {}, 5, 6}));
  const auto replaced = [&](const std::string& from, const std::string& to) {
    std::string t = text;
    t.replace(t.find(from), from.size(), to);
    return t;
  };
  struct Case { const char* name; std::string text; } cases[] = {
      {"another list", FormatShowPlace(78, place)},
      {"empty", ""},
      {"cut short", text.substr(0, text.size() - 3)},
      {"no header", text.substr(text.find('\n') + 1)},
      {"a number that is none", replaced("round=3", "round=x")},
      {"a negative position", replaced("cursor=0", "cursor=-1")},
      {"a broken list", replaced("4,0,2", "4,,2")},
      {"order unknown", replaced("shuffle", "random")},
      {"a line more", text + "extra=1\n"},
      {"binary junk", std::string("\0\xff\n", 3)},
  };
  for (const Case& c : cases) EXPECT_FALSE(ParseShowPlace(c.text, 77)) << c.name;
}

TEST(ShowPlace, FilesThatCannotBeReadOrWritten) {
  test::TTempDir dir;
  const TDeckPlace place{true, 1, {1, 2}, 0, 0};
  EXPECT_FALSE(LoadShowPlace(dir.Path("none.place"), 5));
  EXPECT_FALSE(LoadShowPlace("", 5));
  EXPECT_FALSE(SaveShowPlace("", 5, place));
  // A folder in the way of the file, and a file in the way of its folder.
  std::filesystem::create_directories(dir.Path("taken.place"));
  EXPECT_FALSE(SaveShowPlace(dir.Path("taken.place"), 5, place));
  EXPECT_FALSE(LoadShowPlace(dir.Path("taken.place"), 5));
  dir.Write("file", "x");
  EXPECT_FALSE(SaveShowPlace(dir.Path("file") + "/sub/s.place", 5, place));
  // A new folder is made; the file reads back; a rewrite replaces it whole.
  const std::string fresh = dir.Path("Norvane/Show.place");
  ASSERT_TRUE(SaveShowPlace(fresh, 5, place));
  EXPECT_EQ(LoadShowPlace(fresh, 5), place);
  ASSERT_TRUE(SaveShowPlace(fresh, 5, {true, 2, {}, 1, 0}));
  EXPECT_EQ(LoadShowPlace(fresh, 5), (TDeckPlace{true, 2, {}, 1, 0}));
  EXPECT_EQ(ShowPlaceFileName(dir.Folder(), "Show"), dir.Path("Show.place"));
}

TEST(ShowPlace, TheListKeyFollowsNamesOrderAndMode) {
  const std::vector<std::string> list = {"a.jpg", "b.jpg"};
  const uint64_t key = PictureListKey(list, true);
  EXPECT_EQ(PictureListKey(list, true), key);
  EXPECT_NE(PictureListKey(list, false), key);
  EXPECT_NE(PictureListKey({"b.jpg", "a.jpg"}, true), key);
  EXPECT_NE(PictureListKey({"a.jpg", "b.jpg", "c.jpg"}, true), key);
  EXPECT_NE(PictureListKey({"a.jpgb.jpg"}, true), key);
}

}  // namespace
}  // namespace vanta
