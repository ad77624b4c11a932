// The version of a Windows program or library, from the fixed part of its
// version resource, as the setup compares a shared file it brings with the
// one already in a system folder. Read from the bytes alone (the system's
// version library is not one Windows always takes from the system folder,
// so an elevated setup does not load it).
#pragma once
#include <cstdint>
#include <string_view>

namespace vanta::build {

// (major << 48 | minor << 32 | build << 16 | revision); 0 for a file
// without a version resource, which counts as the oldest.
uint64_t FileVersion(std::string_view bytes);

}  // namespace vanta::build
