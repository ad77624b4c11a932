// Small value types shared by the settings, the engine, the show and the windows.
#pragma once
#include <cstdint>

namespace vanta {

using TColor = uint32_t;  // 0x00BBGGRR, red in the low byte
using TWindowHandle = std::intptr_t;  // a window handle as the command line carries it

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
// A number read as a choice: one out of range is the first.
constexpr TMultiScreen MultiScreenOf(int n) {
  return n >= msOwnPicture && n <= msPrimaryOnly ? static_cast<TMultiScreen>(n) : msOwnPicture;
}
// The choices as the builder and the "Setting" dialog offer them, in order.
inline constexpr const char* kMultiScreenChoices[] = {
    "Each screen its own picture", "The same picture on every screen", "One picture across all screens",
    "The main screen only"};
inline constexpr const char* kMultiScreenGroup = "Several screens";

// How much a picture pans and zooms while it is shown.
enum class TPanZoom : int32_t { Off = 0, Gentle = 1, Strong = 2 };
// A number read as a choice: one out of range is Off.
constexpr TPanZoom PanZoomOf(int n) { return n >= 0 && n <= 2 ? static_cast<TPanZoom>(n) : TPanZoom::Off; }
inline constexpr const char* kPanZoomChoices[] = {"Off", "Gentle", "Strong"};
inline constexpr const char* kPanZoomLabel = "Motion:";

}  // namespace vanta
