// Small value types shared by the settings, the engine and the show.
#pragma once
#include <cstdint>

namespace vanta {

using TColor = uint32_t;  // 0x00BBGGRR, red in the low byte

// Where the caption of a picture stands.
enum TCaptionPosition : uint8_t {
  cpOff = 0,
  cpBelowImage = 1,
  cpAboveImage = 2,
  cpBottomOfScreen = 3,
  cpTopOfScreen = 4,
  cpFixed = 5,
};

}  // namespace vanta
