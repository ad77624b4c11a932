#include "builder/EffectTreeRules.h"

#include <initializer_list>

namespace vanta {
namespace {

struct TGroupDesign {
  const char* Caption;
  std::initializer_list<const char*> Effects;
};

// The tree as the window is designed: its order is the order of the
// "Transitions" keys a save writes.
const TGroupDesign kDesign[] = {
    {"Arc Wiping", {"Left", "Right", "Up", "Down", "TopLeft", "TopRight", "BottomLeft", "BottomRight", "Round Out", "Round In"}},
    {"Regular Wiping",
     {"Left", "Right", "Up", "Down", "Stretch Left", "Stretch Right", "Scroll Right", "Scroll Left", "Scroll Down", "Scroll Up"}},
    {"Cross Wiping", {"UpLeft", "UpRight", "DownLeft", "DownRight", "LeftRight", "UpDown", "WindMill"}},
    {"Slide Wiping",
     {"Stretch Left", "Stretch Right", "Extend Left", "Extend Right", "Stretch Up", "Stretch Down", "Extend Up", "Extend Down"}},
    {"Random Wave",
     {"Left", "Right", "Up", "Down", "UpLeft", "UpRight", "DownLeft", "DownRight", "LeftRightUp", "LeftRightDown",
      "UpDownLeft", "UpDownRight", "LeftRight Out", "LeftRight In", "UpDown Out", "UpDown In", "Cross Out", "Rectangle In"}},
    {"Box Line",
     {"UpLeft", "UpRight", "DownLeft", "DownRight", "UpLeft Flex", "UpRight Flex", "DownLeft Flex", "DownRight Flex",
      "LeftRightUp Flex", "LeftRightDown Flex", "UpDownLeft Flex", "UpDownRight Flex", "Cross Flex", "Alternation"}},
    {"Splash Show", {"Left", "Right", "Up", "Down"}},
    {"Swarm Show", {"Left", "Right", "Up", "Down"}},
    {"Blind Show",
     {"Left Line", "Right Line", "Up Line", "Down Line", "Left Flex", "Right Flex", "Down Flex", "Up Flex", "UpDown",
      "LeftRight Cross"}},
    {"Expand Show",
     {"LeftRight Out", "LeftRight In", "UpDown Out", "UpDown In", "Extend Four Sides Out", "Extend Four Sides In",
      "LeftRight Cover In", "UpDown Cover In", "Corners Cross In", "Oblong Cross In", "Stretch Cross In",
      "Stretch LeftRight Out", "Stretch LeftRight In", "Stretch Four Sides Out", "Stretch Four Sides In", "Stretch Up",
      "Stretch Down", "Stretch TopLeft", "Stretch TopRight", "Stretch BottomLeft", "Stretch BottomRight",
      "Stretch UpDown In", "Stretch UpDown Out"}},
    {"Corner Slide",
     {"TopLeft", "TopRight", "BottomLeft", "BottomRight", "Stretch TopLeft", "Stretch TopRight", "Stretch BottomLeft",
      "Stretch BottomRight", "Extend TopLeft", "Extend TopRight", "Extend BottomLeft", "Extend BottomRight",
      "Shrink TopLeft", "Shrink TopRight", "Shrink BottomLeft", "Shrink BottomRight"}},
    {"Miscellaneous", {"Triangle", "Flash", "Dissolve"}},
};

bool InSet(int32_t number, const TEffectSet& set) {
  return number >= 0 && number <= 127 && set.test(static_cast<size_t>(number));
}

}  // namespace

TEffectTree DesignEffectTree() {
  TEffectTree tree;
  for (const TGroupDesign& g : kDesign) {
    TEffectGroupNode group{g.Caption, false, {}};
    for (const char* e : g.Effects) group.Effects.push_back({e});
    tree.Groups.push_back(std::move(group));
  }
  return tree;
}

void FillEffectTree(TEffectTree& tree, TIniFile& table, const TEffectSet& enabled) {
  for (TEffectGroupNode& g : tree.Groups) {
    g.Ticked = false;
    for (TEffectNode& e : g.Effects) {
      e.Number = table.ReadInteger(g.Caption, e.Caption, kUnknownEffectNumber);
      e.Ticked = InSet(e.Number, enabled);
      g.Ticked = g.Ticked || e.Ticked;
    }
  }
  tree.Filled = true;
}

bool TickChanged(TEffectTree& tree, TEffectNodeRef node, bool ticked) {
  if (!tree.Filled || node.Group >= tree.Groups.size()) return false;
  TEffectGroupNode& g = tree.Groups[node.Group];
  if (node.Effect < 0) {
    g.Ticked = ticked;
    for (TEffectNode& e : g.Effects) e.Ticked = ticked;
  } else if (static_cast<size_t>(node.Effect) < g.Effects.size()) {
    g.Effects[static_cast<size_t>(node.Effect)].Ticked = ticked;
  } else {
    return false;
  }
  return true;
}

void TickAll(TEffectTree& tree, bool ticked) {
  for (TEffectGroupNode& g : tree.Groups) {
    g.Ticked = ticked;
    for (TEffectNode& e : g.Effects) e.Ticked = ticked;
  }
}

std::optional<int32_t> PreviewEffect(const TEffectTree& tree, TEffectNodeRef node) {
  if (node.Group >= tree.Groups.size()) return std::nullopt;
  const TEffectGroupNode& g = tree.Groups[node.Group];
  const size_t i = node.Effect < 0 ? 0 : static_cast<size_t>(node.Effect);
  if (i >= g.Effects.size()) return std::nullopt;
  return g.Effects[i].Number;
}

TEffectSet TickedEffects(const TEffectTree& tree) {
  TEffectSet set;
  for (const TEffectGroupNode& g : tree.Groups)
    for (const TEffectNode& e : g.Effects)
      if (e.Ticked && e.Number >= 0 && e.Number <= 127) set.set(static_cast<size_t>(e.Number));
  return set;
}

std::vector<int32_t> UntickedNumbers(const TEffectTree& tree) {
  std::vector<int32_t> numbers;
  for (const TEffectGroupNode& g : tree.Groups)
    for (const TEffectNode& e : g.Effects)
      if (!e.Ticked) numbers.push_back(e.Number);
  return numbers;
}

}  // namespace vanta
