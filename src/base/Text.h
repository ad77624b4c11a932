// Small text and path helpers shared by the settings, the start-up and the
// show. Paths are the platform's: backslashes on Windows (slashes are
// accepted too), slashes natively.
#pragma once
#include <cstdint>
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

// Texts are UTF-8. Case is folded as Windows folds file names for the
// letters of ASCII and of the Latin-1 and Latin Extended-A blocks ("É" and
// "é", "Ő" and "ő"); other characters, and bytes that are not UTF-8, stay
// as they are. A folded text keeps its length in bytes.
std::string UpperCase(std::string_view s);  // ASCII letters only, for extensions and switches
std::string LowerCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);
// True when part occurs anywhere in s, letter case ignored as SameText does.
bool ContainsNoCase(std::string_view s, std::string_view part);

bool IsValidUtf8(std::string_view s);
// The longest start of s of at most maxBytes that does not end inside a
// UTF-8 character.
std::string_view Utf8Prefix(std::string_view s, size_t maxBytes);
// Windows-1252 text as UTF-8 (its five unused bytes become the control
// characters U+0081.. of the same number, as Windows maps them).
std::string Cp1252ToUtf8(std::string_view s);
std::string_view Trim(std::string_view s);  // blanks and tabs at both ends

// The one decimal reader: an optional sign, then digits, the whole text;
// nullopt for anything else. A number past 64 bits stops at its sign's end,
// so that whoever clamps it into a range still gets that range's end.
std::optional<int64_t> ParseDecimal(std::string_view s);
// The same, nullopt outside 32 bits.
std::optional<int32_t> ParseDecimal32(std::string_view s);

// A text as a multi-line editor wants it (the one rule for every memo):
// every line break (CR LF, LF or CR alone) becomes CR LF, and NUL
// characters, which would end the text early, become blanks.
std::string MemoText(std::string_view text);

}  // namespace vanta
