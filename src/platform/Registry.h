// Reading the registry. The program only reads; keys are never created.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace vanta::platform {

// Default (unnamed) text value of HKEY_CURRENT_USER\subKey; nullopt when the
// key or the value is missing or not text.
std::optional<std::string> ReadCurrentUserDefault(const std::string& subKey);
// The same under HKEY_LOCAL_MACHINE, in the 32-bit view (where a 32-bit
// setup's values land on 64-bit Windows), whatever this program's bitness.
std::optional<std::string> ReadLocalMachineDefault(const std::string& subKey);

// A 32-bit integer value of HKEY_CURRENT_USER\subKey; nullopt when the key
// or value is missing or of another type.
std::optional<int32_t> ReadCurrentUserDword(const std::string& subKey, const std::string& valueName);

#ifndef _WIN32
// Natively there is no registry: tests put values into an in-memory one.
void SetCurrentUserDefaultForTests(const std::string& subKey, std::optional<std::string> value);
void SetLocalMachineDefaultForTests(const std::string& subKey, std::optional<std::string> value);
void SetCurrentUserDwordForTests(const std::string& subKey, const std::string& valueName, std::optional<int32_t> value);
#endif

}  // namespace vanta::platform
