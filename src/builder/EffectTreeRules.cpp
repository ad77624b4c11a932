#include "builder/EffectTreeRules.h"

#include "builder/EffectTree.h"

namespace vanta {
namespace {

bool InSet(int32_t number, const TEffectSet& set) {
  return number >= 0 && number <= 127 && set.test(static_cast<size_t>(number));
}

}  // namespace

TEffectTree DesignEffectTree() {
  TEffectTree tree;
  for (const TEffectGroup& g : kEffectTree) {
    TEffectGroupNode group{std::string(g.Caption), false, {}};
    for (std::string_view e : g.Effects) group.Effects.push_back({std::string(e)});
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
