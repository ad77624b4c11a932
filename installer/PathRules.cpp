#include "PathRules.h"

#include <array>

#include "TextRules.h"

namespace vanta::build {
namespace {


// The names CreateFile opens as devices in any folder. COM and LPT take the
// digits 0-9 and the superscripts 1-3 (U+00B9, U+00B2, U+00B3), which
// is what the single-byte code pages' 0xB9, 0xB2, 0xB3 become.
bool IsDeviceStem(std::u16string_view u) {
  static constexpr std::array<std::u16string_view, 7> kNames = {u"CON", u"PRN", u"AUX", u"NUL", u"CONIN$", u"CONOUT$", u"CLOCK$"};
  for (std::u16string_view n : kNames)
    if (u == n) return true;
  if (u.size() != 4) return false;
  const std::u16string_view stem = u.substr(0, 3);
  if (stem != u"COM" && stem != u"LPT") return false;
  const char16_t d = u[3];
  return (d >= u'0' && d <= u'9') || d == 0xB9 || d == 0xB2 || d == 0xB3;
}

bool IsDeviceName16(std::u16string_view name) {
  // "CON.txt" and "con .log" are the device too: Windows looks at the part
  // before the first dot, with trailing blanks dropped.
  std::u16string_view stem = name.substr(0, name.find(u'.'));
  while (!stem.empty() && stem.back() == u' ') stem.remove_suffix(1);
  std::u16string u(stem);
  for (char16_t& c : u) c = UpperAscii(c);
  return IsDeviceStem(u);
}

std::string Named(std::string_view name) { return "\"" + std::string(name) + "\""; }

}  // namespace

std::optional<std::u16string> Utf8ToUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    char32_t c;
    size_t n;
    if (b < 0x80) c = b, n = 1;
    else if (b >= 0xC2 && b <= 0xDF) c = b & 0x1F, n = 2;
    else if (b >= 0xE0 && b <= 0xEF) c = b & 0x0F, n = 3;
    else if (b >= 0xF0 && b <= 0xF4) c = b & 0x07, n = 4;
    else return std::nullopt;
    if (s.size() - i < n) return std::nullopt;
    for (size_t k = 1; k < n; ++k) {
      const unsigned char t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) return std::nullopt;
      c = c << 6 | (t & 0x3F);
    }
    if ((n == 3 && c < 0x800) || (n == 4 && (c < 0x10000 || c > 0x10FFFF)) || (c >= 0xD800 && c <= 0xDFFF))
      return std::nullopt;
    if (c >= 0x10000) {
      out += char16_t(0xD800 + ((c - 0x10000) >> 10));
      out += char16_t(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += char16_t(c);
    }
    i += n;
  }
  return out;
}

bool IsDeviceName(std::string_view name) {
  const std::optional<std::u16string> wide = Utf8ToUtf16(name);
  return wide && IsDeviceName16(*wide);
}

std::optional<std::string> CheckFileName(std::string_view name) {
  if (name.empty()) return "an empty name";
  if (name == "." || name == "..") return Named(name) + " names a folder above or itself";
  const std::optional<std::u16string> wide = Utf8ToUtf16(name);
  if (!wide) return "bytes that are not UTF-8 in the name " + Named(name);
  for (char16_t c : *wide) {
    if (c < 0x20) return "a control character in " + Named(name);
    switch (c) {
      case u'\\':
      case u'/':
        return "a folder separator in the name " + Named(name);
      case u':':
        return "a colon (drive or stream) in " + Named(name);
      case u'<': case u'>': case u'"': case u'|': case u'?': case u'*':
        return "the character '" + std::string(1, char(c)) + "' in " + Named(name);
      default:
        break;
    }
  }
  if (wide->back() == u'.' || wide->back() == u' ') return Named(name) + " ends in a dot or blank, which Windows drops";
  if (IsDeviceName16(*wide)) return Named(name) + " is a device name";
  if (wide->size() > 255) return "a name longer than 255 characters";
  return std::nullopt;
}

std::optional<std::string> CheckRelativePath(std::string_view path) {
  if (path.empty()) return std::nullopt;
  if (path.size() > kMaxRelativePath) return "a path longer than " + std::to_string(kMaxRelativePath) + " characters";
  if (path.front() == '\\' || path.front() == '/') return "a rooted path " + Named(path);
  size_t start = 0;
  while (true) {
    const size_t end = path.find_first_of("\\/", start);
    const std::string_view part = path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (part.empty()) return "an empty folder name in " + Named(path);
    if (auto why = CheckFileName(part)) return why;
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return std::nullopt;
}

}  // namespace vanta::build
