// The Effects page's tree, apart from its window: twelve groups of effects,
// a tick on every node, the effect number each effect node carries, and how
// ticks couple (a group's tick sets its effects; an effect never changes its
// group). The window draws a TEffectTree and reports clicks and ticks; the
// ticks become the settings' effect set through TConfigControls::EffectTicks.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/IniFile.h"
#include "settings/SaverSettings.h"

namespace vanta {

// An effect the table does not name gets this number.
inline constexpr int32_t kUnknownEffectNumber = 59;
inline constexpr const char* kEffectTableName = "VantaSaver.001";

struct TEffectNode {
  std::string Caption;
  int32_t Number = kUnknownEffectNumber;
  bool Ticked = false;
};
struct TEffectGroupNode {
  std::string Caption;
  bool Ticked = false;
  std::vector<TEffectNode> Effects;
};

struct TEffectTree {
  std::vector<TEffectGroupNode> Groups;
  bool Filled = false;  // set by the first fill; a project load clears it
};

// The tree as designed: the twelve groups and their 127 effects in order,
// nothing ticked, every number unknown.
TEffectTree DesignEffectTree();

// Fills the tree from the table ("VantaSaver.001": section = group, key =
// effect, value = number; missing ones give 59) and the enabled set: an
// effect is ticked when its number (at most 127) is in the set, and a group
// when any of its effects is. Marks the tree filled.
void FillEffectTree(TEffectTree& tree, TIniFile& table, const TEffectSet& enabled);

// A node: a group alone (effect -1) or one effect of a group.
struct TEffectNodeRef {
  size_t Group = 0;
  int Effect = -1;
};
// The tick of a node changed (by the user): a group's tick goes to its
// effects. False (nothing to mark) while the tree is not filled.
bool TickChanged(TEffectTree& tree, TEffectNodeRef node, bool ticked);
// "Select All" / "Disable All": every node; always a change.
void TickAll(TEffectTree& tree, bool ticked);
// The effect a click previews: the node's own, or a group's first.
std::optional<int32_t> PreviewEffect(const TEffectTree& tree, TEffectNodeRef node);
// The set the ticks give: every ticked effect whose number is at most 127.
TEffectSet TickedEffects(const TEffectTree& tree);
// The numbers of the effects not ticked, in tree order: the keys
// (number x 3 = 0) of the settings' "Transitions" section.
std::vector<int32_t> UntickedNumbers(const TEffectTree& tree);

}  // namespace vanta
