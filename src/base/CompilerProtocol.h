// What the builder and its installer compiler agree on, written once for
// both programs. The compiler finds the builder's window by its caption and
// sends it WM_COPYDATA records: a status line under kStatusLineCode, then one
// end record whose code is 0 for success. Each output file, once complete,
// gets the line `Wrote "<full path>" (<size> bytes)`; the success record's
// text is the full paths of every file written, the setup first, separated
// by CR LF (the builder takes an empty text for the setup alone).
#pragma once
#include <cstdint>
#include <string>

namespace vanta {

inline constexpr const char* kBuilderCaption = "Vanta Screensaver Builder";
inline constexpr uint32_t kStatusLineCode = 10000;
inline constexpr const char* kCompilerName = "vantabuild.exe";

// A setup too large for one file has its data in parts beside it, named
// after its base name: "<base>-1.bin", "<base>-2.bin"...
inline std::string SetupPartName(const std::string& base, uint64_t number) {
  return base + "-" + std::to_string(number) + ".bin";
}

}  // namespace vanta
