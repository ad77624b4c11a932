#include "forms/ColorList.h"

#include <array>
#include <optional>

namespace vanta {
namespace {

// The sixteen colours every display can show, in 0x00BBGGRR form.
constexpr std::array<TNamedColor, 16> kNamedColors{{
    {0x000000, "Black"},
    {0x000080, "Maroon"},
    {0x008000, "Green"},
    {0x008080, "Olive"},
    {0x800000, "Navy"},
    {0x800080, "Purple"},
    {0x808000, "Teal"},
    {0x808080, "Gray"},
    {0xC0C0C0, "Silver"},
    {0x0000FF, "Red"},
    {0x00FF00, "Lime"},
    {0x00FFFF, "Yellow"},
    {0xFF0000, "Blue"},
    {0xFF00FF, "Fuchsia"},
    {0xFFFF00, "Aqua"},
    {0xFFFFFF, "White"},
}};

}  // namespace

std::span<const TNamedColor> NamedColors() { return kNamedColors; }

std::string CustomColorText(TColor color) {
  return "Custom " + std::to_string(color & 0xFF) + ", " + std::to_string((color >> 8) & 0xFF) + ", " +
         std::to_string((color >> 16) & 0xFF);
}

TColorList ColorListFor(TColor color) {
  TColorList list;
  std::optional<size_t> selected;
  for (const TNamedColor& c : kNamedColors) {
    if (c.Color == color) selected = list.Items.size();
    list.Items.push_back({c.Color, c.Name, false});
  }
  if (!selected) {
    // The colour is kept exactly as loaded, whatever its high byte, so OK
    // without a change writes back the same value.
    selected = list.Items.size();
    list.Items.push_back({color, CustomColorText(color), false});
  }
  list.Items.push_back({0, kOtherColorText, true});
  list.Selected = *selected;
  return list;
}

}  // namespace vanta
