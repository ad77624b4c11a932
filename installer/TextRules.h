// Letter case as the compiler and the setup compare names: directives,
// parameters, folder constants, registry roots, paths. ASCII only: Windows
// folds the rest too, but what is compared here is ours or the system's
// folders, and folding by a code page would make a name match differently
// on another computer.
#pragma once
#include <algorithm>
#include <string>
#include <string_view>

namespace vanta::build {

template <class C>
constexpr C LowerAscii(C c) {
  return (c >= C('A') && c <= C('Z')) ? C(c - C('A') + C('a')) : c;
}
template <class C>
constexpr C UpperAscii(C c) {
  return (c >= C('a') && c <= C('z')) ? C(c - C('a') + C('A')) : c;
}
constexpr bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

inline std::string LowerText(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), LowerAscii<char>);
  return s;
}

inline std::string UpperText(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), UpperAscii<char>);
  return s;
}

inline bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

}  // namespace vanta::build
