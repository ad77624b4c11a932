#include "PathRules.h"

#include <array>

namespace vanta::build {
namespace {

std::string Upper(std::string_view s) {
  std::string u(s);
  for (char& c : u)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return u;
}

// The names CreateFile opens as devices in any folder. COM and LPT take the
// digits 0-9 and the superscripts 1-3 of the ANSI code page.
bool IsNumberedDevice(std::string_view u) {
  if (u.size() != 4) return false;
  const std::string_view stem = u.substr(0, 3);
  if (stem != "COM" && stem != "LPT") return false;
  const unsigned char d = static_cast<unsigned char>(u[3]);
  return (d >= '0' && d <= '9') || d == 0xB9 || d == 0xB2 || d == 0xB3;
}

}  // namespace

bool IsDeviceName(std::string_view name) {
  // "CON.txt" and "con .log" are the device too: Windows looks at the part
  // before the first dot, with trailing blanks dropped.
  std::string_view stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  const std::string u = Upper(stem);
  static constexpr std::array<std::string_view, 7> kNames = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
  for (std::string_view n : kNames)
    if (u == n) return true;
  return IsNumberedDevice(u);
}

std::optional<std::string> CheckFileName(std::string_view name) {
  if (name.empty()) return "an empty name";
  if (name == "." || name == "..") return "\"" + std::string(name) + "\" names a folder above or itself";
  for (char c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20) return "a control character in \"" + std::string(name) + "\"";
    switch (c) {
      case '\\':
      case '/':
        return "a folder separator in the name \"" + std::string(name) + "\"";
      case ':':
        return "a colon (drive or stream) in \"" + std::string(name) + "\"";
      case '<': case '>': case '"': case '|': case '?': case '*':
        return "the character '" + std::string(1, c) + "' in \"" + std::string(name) + "\"";
      default:
        break;
    }
  }
  if (name.back() == '.' || name.back() == ' ')
    return "\"" + std::string(name) + "\" ends in a dot or blank, which Windows drops";
  if (IsDeviceName(name)) return "\"" + std::string(name) + "\" is a device name";
  if (name.size() > 255) return "a name longer than 255 characters";
  return std::nullopt;
}

std::optional<std::string> CheckRelativePath(std::string_view path) {
  if (path.empty()) return std::nullopt;
  if (path.size() > kMaxRelativePath) return "a path longer than " + std::to_string(kMaxRelativePath) + " characters";
  if (path.front() == '\\' || path.front() == '/') return "a rooted path \"" + std::string(path) + "\"";
  size_t start = 0;
  while (true) {
    const size_t end = path.find_first_of("\\/", start);
    const std::string_view part = path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (part.empty()) return "an empty folder name in \"" + std::string(path) + "\"";
    if (auto why = CheckFileName(part)) return why;
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return std::nullopt;
}

}  // namespace vanta::build
