// Which entries a background colour list holds (the builder's Options page
// and a saver's "Setting" dialog): portable, so native tests reach it.
#pragma once
#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "base/Types.h"

namespace vanta {

// The colour list: named colours, the current colour when it has no name,
// and last an entry that opens the system's colour dialog for any other.
struct TNamedColor {
  TColor Color;
  const char* Name;
};
std::span<const TNamedColor> NamedColors();

inline constexpr const char* kOtherColorText = "Other color...";

struct TColorListItem {
  TColor Color = 0;
  std::string Text;
  bool Other = false;  // the entry that asks for another colour
};
struct TColorList {
  std::vector<TColorListItem> Items;
  size_t Selected = 0;
};
// The list to show while color is the chosen colour.
TColorList ColorListFor(TColor color);
// How a colour without a name is shown: "Custom R, G, B".
std::string CustomColorText(TColor color);

}  // namespace vanta
