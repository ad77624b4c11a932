// What a destination below a folder constant may be. Both the compiler and
// the setup check every path with these rules, so a payload built by hand
// cannot reach outside the folder its constant names: no "..", no rooted or
// drive paths, no device names (CON, COM1...), no ":" streams, no names that
// Windows would silently change (trailing dots or blanks). Names are UTF-8;
// the rules apply to the UTF-16 name that Windows sees, whatever the code
// page a program runs under, and bytes that are not UTF-8 are refused.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace vanta::build {

inline constexpr size_t kMaxRelativePath = 240;  // keeps {app}\... under MAX_PATH in practice

// A relative folder or file path below a constant, parts separated by "\"
// ("" is the constant's folder itself). nullopt when it is acceptable, else
// why not.
std::optional<std::string> CheckRelativePath(std::string_view path);

// One file or folder name (no separators).
std::optional<std::string> CheckFileName(std::string_view name);

// Windows' reserved device names, whatever the extension or letter case.
bool IsDeviceName(std::string_view name);

// UTF-8 to UTF-16, strictly (no overlong forms, no surrogates, nothing
// beyond U+10FFFF, nothing cut short); nullopt when it is not UTF-8.
std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8);

}  // namespace vanta::build
