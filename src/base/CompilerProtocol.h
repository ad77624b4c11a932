// What the builder and its installer compiler agree on, written once for
// both programs. The compiler finds the builder's window by its caption and
// sends it WM_COPYDATA records: a status line under kStatusLineCode, then one
// end record whose code is 0 for success.
#pragma once
#include <cstdint>

namespace vanta {

inline constexpr const char* kBuilderCaption = "Vanta Screensaver Builder";
inline constexpr uint32_t kStatusLineCode = 10000;
inline constexpr const char* kCompilerName = "vantabuild.exe";

}  // namespace vanta
