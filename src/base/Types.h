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

// How a show uses several monitors.
enum TMultiScreen : uint8_t {
  msOwnPicture = 0,   // each monitor its own sequence from the one list
  msSamePicture = 1,  // the same picture on every monitor, in step
  msSpanned = 2,      // one picture across the whole virtual screen
  msPrimaryOnly = 3,  // the primary monitor; the others in the background colour
};

}  // namespace vanta
