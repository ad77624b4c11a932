// The registry roots a script may name and a setup writes under; the script,
// the payload and the install target share it without the script's parser.
#pragma once
#include <cstdint>

namespace vanta::build {

enum class TRegistryRoot : uint8_t { CurrentUser = 1, LocalMachine = 2 };

}  // namespace vanta::build
