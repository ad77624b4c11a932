// Whether an install fits on the drive of the chosen folder: the folder
// page says what it needs and what is free, and Next (or a silent run)
// stops when it does not fit, before anything is written.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "Payload.h"

namespace vanta::build {

struct TDriveSpace {
  bool known = false;  // false: the drive could not be asked (no such drive...)
  uint64_t freeBytes = 0;
  bool fat = false;  // FAT12/16/32: no file of 4 GB or more
};
// The drive of a folder on this computer, asked when the folder changes.
using TDriveProbe = std::function<TDriveSpace(const std::string& folder)>;

struct TSpaceNeeded {
  uint64_t total = 0;  // every file and the uninstaller
  uint64_t largest = 0;
  std::string largestName;
};
TSpaceNeeded SpaceNeeded(const TPayloadIndex& index, uint64_t uninstallerSize);

// "512 bytes", "12.3 MB", "4.00 GB": binary units, three figures.
std::string SizeText(uint64_t bytes);
// The folder page's line: what is needed, and what is free where known.
std::string SpaceLine(const TSpaceNeeded& need, const std::string& folder, const TDriveSpace& drive);
// Why the install cannot go into `folder`'s drive; nullopt when it fits
// (or the drive cannot be asked: the install itself then says what failed).
std::optional<std::string> CheckSpace(const TSpaceNeeded& need, const std::string& folder, const TDriveSpace& drive);

}  // namespace vanta::build
