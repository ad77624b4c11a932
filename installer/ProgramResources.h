// The resources of a Windows program file (PE), read and written again:
// how the compiler gives the setup program the script's icon. The program
// is ours (the setup stub), so one layout is enough: its resource section
// is the last one, or followed only by the relocations, and nothing comes
// after them (no certificate: signing comes after the compile). The new
// resources take the old section's place; the relocations move behind
// them (they hold addresses of code and data, none of their own).
#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "IconFile.h"

namespace vanta::build {

class TProgramFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A resource's type or name: a number, or a text when `text` is not empty.
struct TResourceId {
  uint16_t number = 0;
  std::u16string text;
  bool operator==(const TResourceId&) const = default;
};

struct TResource {
  TResourceId type, name;
  uint16_t language = 0;
  uint32_t codePage = 0;
  std::string data;
  bool operator==(const TResource&) const = default;
};

inline constexpr uint16_t kResourceIcon = 3, kResourceGroupIcon = 14, kResourceManifest = 24;
// The setup's icon group: the number its window loads.
inline constexpr uint16_t kSetupIconGroup = 1;

// Throws TProgramFileError.
std::vector<TResource> ReadResources(std::string_view program);
std::string WithResources(std::string_view program, const std::vector<TResource>& resources);

// The program with `images` as its one icon (group kSetupIconGroup); other
// icons it had go. Throws TProgramFileError.
std::string WithIcon(std::string_view program, const std::vector<TIconEntry>& images);

// The PE header's checksum of a program file (the image help algorithm).
uint32_t ProgramChecksum(std::string_view program);

}  // namespace vanta::build
