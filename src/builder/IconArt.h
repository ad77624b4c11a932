// The builder's own icons, drawn in code at whatever size the DPI asks for.
//
// Each icon is a few flat shapes (polygons, ellipses, rounded rectangles) on
// a unit square, rasterised with 4 x 4 samples a pixel so that edges are
// smooth at any size. The result is plain pixels; the window turns them
// into icon handles. No skin or picture file is needed, and the icons stay
// sharp at 144 DPI where a 32-pixel bitmap would be blown up.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vanta {

enum class TBuilderIcon : uint8_t {
  Images, Music, Effects, Options, Build,  // the side bar, in its order
  Next, Back, Up, Down,                    // picture buttons
  Logo,                                    // the window and the About box
};

// Pixels top-down, each 0xAARRGGBB with straight (not premultiplied) alpha,
// the layout of a 32-bit DIB with an alpha channel.
struct TIconImage {
  int Size = 0;
  std::vector<uint32_t> Pixels;

  uint32_t At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Size + x]; }
};

// The icon at size x size pixels (at least 1).
TIconImage DrawBuilderIcon(TBuilderIcon icon, int size);

}  // namespace vanta
