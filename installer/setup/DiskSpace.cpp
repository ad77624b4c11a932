#include "DiskSpace.h"

#include <cstdio>

namespace vanta::build {
namespace {

// The largest file FAT32 holds: its sizes are 32 bits.
constexpr uint64_t kFatLargestFile = 0xFFFFFFFFull;

std::string DriveOf(const std::string& folder) { return folder.size() >= 2 && folder[1] == ':' ? folder.substr(0, 2) : folder; }

}  // namespace

TSpaceNeeded SpaceNeeded(const TPayloadIndex& index, uint64_t uninstallerSize) {
  TSpaceNeeded n;
  n.total = uninstallerSize;
  for (const TPackedFile& f : index.files) {
    n.total += f.size;
    if (f.size > n.largest) {
      n.largest = f.size;
      n.largestName = f.name;
    }
  }
  return n;
}

std::string SizeText(uint64_t bytes) {
  if (bytes < 1024) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
  const char* units[] = {"KB", "MB", "GB", "TB", "PB"};
  double v = double(bytes) / 1024;
  int u = 0;
  while (v >= 1000 && u < 4) {
    v /= 1024;
    ++u;
  }
  char text[32];
  std::snprintf(text, sizeof text, v < 10 ? "%.2f %s" : v < 100 ? "%.1f %s" : "%.0f %s", v, units[u]);
  return text;
}

std::string SpaceLine(const TSpaceNeeded& need, const std::string& folder, const TDriveSpace& drive) {
  std::string line = "At least " + SizeText(need.total) + " of free disk space is required.";
  if (drive.known) line += " Free on " + DriveOf(folder) + " " + SizeText(drive.freeBytes) + ".";
  return line;
}

std::optional<std::string> CheckSpace(const TSpaceNeeded& need, const std::string& folder, const TDriveSpace& drive) {
  if (!drive.known) return std::nullopt;
  if (drive.fat && need.largest > kFatLargestFile)
    return "The drive " + DriveOf(folder) + " (FAT) cannot hold files of 4 GB or more, and " + need.largestName + " is " +
           SizeText(need.largest) + ". Choose a folder on an NTFS drive.";
  if (need.total > drive.freeBytes)
    return "There is not enough free disk space on " + DriveOf(folder) + ": the install needs " + SizeText(need.total) + ", and " +
           SizeText(drive.freeBytes) + " is free. Free some space or choose a folder on another drive.";
  return std::nullopt;
}

}  // namespace vanta::build
