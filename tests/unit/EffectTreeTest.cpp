// The Effects page's tree: how it fills from the table and the set, how
// ticks couple, what a click previews and what a save writes.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "TempDir.h"
#include "builder/ConfigControls.h"
#include "builder/EffectTreeRules.h"

namespace vanta {
namespace {

// A table numbering the tree's effects 1..127 in tree order, but for the
// entries a case leaves out or numbers otherwise.
std::string Table(const std::map<std::string, std::string>& overrides = {}) {
  std::string text;
  int n = 0;
  for (const TEffectGroupNode& g : DesignEffectTree().Groups) {
    text += "[" + g.Caption + "]\r\n";
    for (const TEffectNode& e : g.Effects) {
      const std::string key = g.Caption + "/" + e.Caption;
      ++n;
      if (overrides.count(key) == 0) text += e.Caption + "=" + std::to_string(n) + "\r\n";
      else if (!overrides.at(key).empty()) text += e.Caption + "=" + overrides.at(key) + "\r\n";
    }
  }
  return text;
}

class EffectTreeTest : public ::testing::Test {
 protected:
  TEffectTree Filled(const std::string& table, const TEffectSet& enabled) {
    TIniFile ini(dir.Write("VantaSaver.001", table));
    TEffectTree tree = DesignEffectTree();
    FillEffectTree(tree, ini, enabled);
    return tree;
  }
  test::TTempDir dir;
};

TEST_F(EffectTreeTest, TheDesignHasTwelveGroupsAndAHundredAndTwentySevenEffects) {
  const TEffectTree tree = DesignEffectTree();
  const size_t counts[] = {10, 10, 7, 8, 18, 14, 4, 4, 10, 23, 16, 3};
  ASSERT_EQ(tree.Groups.size(), 12u);
  size_t total = 0;
  for (size_t i = 0; i < 12; ++i) {
    EXPECT_EQ(tree.Groups[i].Effects.size(), counts[i]) << tree.Groups[i].Caption;
    total += tree.Groups[i].Effects.size();
  }
  EXPECT_EQ(total, 127u);
  EXPECT_FALSE(tree.Filled);
}

TEST_F(EffectTreeTest, FillingTicksTheEnabledEffectsAndTheirGroups) {
  // The set a load gives without a Transitions section: 1..127 but 119..122.
  const TEffectTree tree = Filled(Table(), DefaultTransitions());
  EXPECT_TRUE(tree.Filled);
  std::set<int32_t> unticked;
  for (const TEffectGroupNode& g : tree.Groups) {
    EXPECT_TRUE(g.Ticked) << g.Caption;
    for (const TEffectNode& e : g.Effects)
      if (!e.Ticked) unticked.insert(e.Number);
  }
  EXPECT_EQ(unticked, (std::set<int32_t>{119, 120, 121, 122}));

  // A group none of whose effects is enabled stays unticked.
  TEffectSet onlyOne;
  onlyOne.set(3);
  const TEffectTree one = Filled(Table(), onlyOne);
  EXPECT_TRUE(one.Groups[0].Ticked);
  EXPECT_FALSE(one.Groups[1].Ticked);
}

TEST_F(EffectTreeTest, MissingEntriesGet59AndNumbersAbove127AreNeverTicked) {
  TEffectSet all;
  all.set();
  const TEffectTree tree = Filled(Table({{"Arc Wiping/Left", ""}, {"Arc Wiping/Right", "200"}}), all);
  EXPECT_EQ(tree.Groups[0].Effects[0].Number, kUnknownEffectNumber);
  EXPECT_TRUE(tree.Groups[0].Effects[0].Ticked);
  EXPECT_EQ(tree.Groups[0].Effects[1].Number, 200);
  EXPECT_FALSE(tree.Groups[0].Effects[1].Ticked);
  EXPECT_EQ(UntickedNumbers(tree), std::vector<int32_t>{200});  // written all the same
  EXPECT_FALSE(TickedEffects(tree).test(2));

  // No table at all: every effect is 59.
  TIniFile none(dir.Path("missing.001"));
  TEffectTree blank = DesignEffectTree();
  FillEffectTree(blank, none, all);
  for (const TEffectGroupNode& g : blank.Groups)
    for (const TEffectNode& e : g.Effects) EXPECT_EQ(e.Number, kUnknownEffectNumber);
}

TEST_F(EffectTreeTest, GroupsTickTheirEffectsButNeverTheOtherWay) {
  TEffectTree tree = Filled(Table(), DefaultTransitions());
  ASSERT_TRUE(TickChanged(tree, {1, -1}, false));
  for (const TEffectNode& e : tree.Groups[1].Effects) EXPECT_FALSE(e.Ticked);
  ASSERT_TRUE(TickChanged(tree, {1, 3}, true));
  EXPECT_FALSE(tree.Groups[1].Ticked);  // an effect does not tick its group
  ASSERT_TRUE(TickChanged(tree, {1, -1}, true));
  for (const TEffectNode& e : tree.Groups[1].Effects) EXPECT_TRUE(e.Ticked);
  for (int i = 0; i < 10; ++i) TickChanged(tree, {1, i}, false);
  EXPECT_TRUE(tree.Groups[1].Ticked);  // unticking the last effect leaves the group

  TEffectTree unfilled = DesignEffectTree();
  EXPECT_FALSE(TickChanged(unfilled, {0, -1}, true));  // before the fill, ticks are not the user's
  EXPECT_FALSE(unfilled.Groups[0].Effects[0].Ticked);

  TickAll(tree, false);
  EXPECT_TRUE(TickedEffects(tree).none());
  EXPECT_EQ(UntickedNumbers(tree).size(), 127u);
  TickAll(tree, true);
  EXPECT_EQ(TickedEffects(tree).count(), 127u);
}

TEST_F(EffectTreeTest, AClickPreviewsTheEffectOrTheGroupsFirst) {
  const TEffectTree tree = Filled(Table(), DefaultTransitions());
  EXPECT_EQ(PreviewEffect(tree, {0, 4}), 5);
  EXPECT_EQ(PreviewEffect(tree, {2, -1}), 21);  // "Cross Wiping" starts after 10 + 10
  EXPECT_EQ(PreviewEffect(tree, {12, -1}), std::nullopt);
  EXPECT_EQ(PreviewEffect(tree, {0, 10}), std::nullopt);
}

// Unticking one effect on a fresh settings file and saving writes its key
// and those of the rotations a load never enables, in tree order.
TEST_F(EffectTreeTest, ASaveWritesTheUntickedEffectsInTreeOrder) {
  TEffectTree tree = Filled(Table(), DefaultTransitions());
  TickChanged(tree, {11, 1}, false);  // "Miscellaneous / Flash", number 126 here
  TIniFile settings(dir.Write("VantaSaver.002", "[Set]\r\nImageInterval=3\r\n"));
  TSaverSetting s;
  TConfigControls c = LoadControls(s, settings, {});
  c.EffectTicks = TickedEffects(tree);
  c.UntickedEffects = UntickedNumbers(tree);
  c.ChangedSections = csTransitions;
  ApplyControls(c, s, &settings);
  EXPECT_EQ(dir.Read("VantaSaver.002"),
            "[Set]\r\nImageInterval=3\r\n\r\n[Transitions]\r\n357=0\r\n360=0\r\n363=0\r\n366=0\r\n378=0\r\n");
  TEffectSet want = DefaultTransitions();
  want.reset(126);
  EXPECT_EQ(s.Transitions, want);
}

// The record takes the tree's ticks; only a turned tick marks the section.
TEST_F(EffectTreeTest, TheRecordTakesTheTreesTicksAndMarksOnlyAChange) {
  TEffectTree tree = Filled(Table(), DefaultTransitions());
  TConfigControls c;
  c.ChangedSections = csMusic;
  TakeEffectTree(c, tree, false);
  EXPECT_EQ(c.EffectTicks, DefaultTransitions());
  EXPECT_EQ(c.UntickedEffects, UntickedNumbers(tree));
  EXPECT_EQ(c.ChangedSections, csMusic);
  ASSERT_TRUE(TickChanged(tree, {0, 0}, false));
  TakeEffectTree(c, tree, true);
  EXPECT_FALSE(c.EffectTicks.test(1));
  EXPECT_EQ(c.UntickedEffects.front(), 1);
  EXPECT_EQ(c.ChangedSections, csMusic | csTransitions);
}

}  // namespace
}  // namespace vanta
