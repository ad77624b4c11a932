// An icon file (.ico) as the setup program's icon resources take it: the
// file's images become RT_ICON resources as they are (bitmap or PNG), and
// its directory, with resource numbers in place of file offsets, the
// RT_GROUP_ICON that Explorer and the window manager read.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vanta::build {

struct TIconEntry {
  uint8_t width = 0, height = 0;  // 0 is 256
  uint8_t colors = 0;
  uint16_t planes = 1, bitCount = 32;
  std::string bytes;  // a BITMAPINFOHEADER and its rows, or a PNG file
};

inline constexpr size_t kMaxIconImages = 64;

// Throws std::runtime_error saying what is wrong with the file.
std::vector<TIconEntry> ParseIconFile(std::string_view file);

// The RT_GROUP_ICON of `images`, numbered firstId, firstId + 1...
std::string GroupIconBytes(const std::vector<TIconEntry>& images, uint16_t firstId);

// An .ico file of `images` (the inverse of ParseIconFile).
std::string IconFileBytes(const std::vector<TIconEntry>& images);

}  // namespace vanta::build
