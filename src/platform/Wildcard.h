#pragma once
#include <string_view>

namespace vanta::platform {

// '*' any run, '?' one character; ASCII letter case ignored.
bool WildcardMatch(std::string_view name, std::string_view pattern);

}  // namespace vanta::platform
