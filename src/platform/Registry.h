// Reading the current user's registry. The saver only reads; the key is
// never created.
#pragma once
#include <optional>
#include <string>

namespace vanta::platform {

// Default (unnamed) text value of HKEY_CURRENT_USER\subKey; nullopt when the
// key or the value is missing or not text.
std::optional<std::string> ReadCurrentUserDefault(const std::string& subKey);

#ifndef _WIN32
// Natively there is no registry: tests put values into an in-memory one.
void SetCurrentUserDefaultForTests(const std::string& subKey, std::optional<std::string> value);
#endif

}  // namespace vanta::platform
