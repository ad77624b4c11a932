// Row converters shared by the readers that decode to RGB or RGBA bytes
// (PNG, WebP) into the engine's blue-green-red rows. Transparent pixels go
// on the background colour the same way as in GIF and icon pictures: each
// channel fg * a + bg * (255 - a), divided by 255 and rounded.
#pragma once
#include <cstdint>

#include "base/Types.h"

namespace vanta {

inline uint8_t BlendChannel(unsigned fg, unsigned bg, unsigned a) {
  return static_cast<uint8_t>((fg * a + bg * (255 - a) + 127) / 255);
}

// Red and blue swapped in place: RGB bytes become BGR.
inline void RgbToBgrRow(uint8_t* row, int width) {
  for (int x = 0; x < width; ++x, row += 3) {
    const uint8_t r = row[0];
    row[0] = row[2];
    row[2] = r;
  }
}

// RGBA (straight alpha) on the background into BGR.
inline void RgbaOntoBgrRow(const uint8_t* rgba, uint8_t* bgr, int width, TColor background) {
  const unsigned bgR = background & 0xFF, bgG = background >> 8 & 0xFF, bgB = background >> 16 & 0xFF;
  for (int x = 0; x < width; ++x, rgba += 4, bgr += 3) {
    const unsigned a = rgba[3];
    if (a == 255) {
      bgr[0] = rgba[2], bgr[1] = rgba[1], bgr[2] = rgba[0];
    } else {
      bgr[0] = BlendChannel(rgba[2], bgB, a);
      bgr[1] = BlendChannel(rgba[1], bgG, a);
      bgr[2] = BlendChannel(rgba[0], bgR, a);
    }
  }
}

}  // namespace vanta
