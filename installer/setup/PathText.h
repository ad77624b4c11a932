// Windows paths and names as the setup compares them: letters without
// regard to case (ASCII; Windows folds the rest too, but our names and the
// system's folders are what is compared), backslashes as delimiters.
#pragma once
#include <algorithm>
#include <string>
#include <string_view>

namespace vanta::build {

inline char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

inline std::string LowerText(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), LowerAscii);
  return s;
}

inline bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

// `path` lies below `folder`.
inline bool InsideFolder(std::string_view path, std::string_view folder) {
  return path.size() > folder.size() && path[folder.size()] == '\\' && SameText(path.substr(0, folder.size()), folder);
}

// `path` is `folder` or lies below it.
inline bool WithinFolder(std::string_view path, std::string_view folder) {
  return SameText(path, folder) || InsideFolder(path, folder);
}

}  // namespace vanta::build
