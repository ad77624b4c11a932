// Small text and path helpers shared by the settings, the start-up and the
// show. Paths are the platform's: backslashes on Windows (slashes are
// accepted too), slashes natively.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace vanta {

#ifdef _WIN32
inline constexpr char kPathDelim = '\\';
#else
inline constexpr char kPathDelim = '/';
#endif

bool IsPathDelimiter(char c);

// Everything after the last path delimiter (and, on Windows, drive colon).
std::string ExtractFileName(std::string_view path);
// Everything up to and including the last delimiter.
std::string ExtractFilePath(std::string_view path);
// The name's extension with its dot ("" when there is none).
std::string ExtractFileExt(std::string_view path);
// The file name cut just before the first occurrence of its extension text:
// "My Show.scr" -> "My Show", "a.scr.scr" -> "a".
std::string FileBaseName(std::string_view path);
std::string IncludeTrailingDelimiter(std::string_view folder);

std::string UpperCase(std::string_view s);  // ASCII letters only, as file names compare
std::string LowerCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);
std::string_view Trim(std::string_view s);  // blanks and tabs at both ends

// Decimal, optional sign, the whole text; nullopt outside 32 bits.
std::optional<int32_t> ParseDecimal32(std::string_view s);

}  // namespace vanta
