#include "base/Text.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace vanta {

bool IsPathDelimiter(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/' || c == ':';
#else
  return c == '/' || c == '\\';
#endif
}

namespace {
size_t NameStart(std::string_view path) {
  for (size_t i = path.size(); i > 0; --i)
    if (IsPathDelimiter(path[i - 1])) return i;
  return 0;
}
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The lower-case partner of a Latin-1 or Latin Extended-A capital (all are
// two bytes in UTF-8, as are their partners); other code points unchanged.
// Dotted I (U+0130) has no partner of the same length and stays.
uint32_t LowerLatin(uint32_t cp) {
  if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) return cp + 0x20;
  if (cp == 0x178) return 0xFF;
  const bool evenPairs = (cp >= 0x100 && cp <= 0x12F) || (cp >= 0x132 && cp <= 0x137) || (cp >= 0x14A && cp <= 0x177);
  const bool oddPairs = (cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E);
  if ((evenPairs && cp % 2 == 0) || (oddPairs && cp % 2 == 1)) return cp + 1;
  return cp;
}

// Folds the two-byte character at s[i] (a lead byte C3..C5 starts every
// character LowerLatin changes) into out[i], out[i+1].
inline bool FoldTwoBytes(std::string_view s, size_t i, char* out) {
  const auto lead = static_cast<unsigned char>(s[i]);
  if (lead < 0xC3 || lead > 0xC5 || i + 1 >= s.size()) return false;
  const auto next = static_cast<unsigned char>(s[i + 1]);
  if ((next & 0xC0) != 0x80) return false;
  const uint32_t cp = LowerLatin(((lead & 0x1Fu) << 6) | (next & 0x3Fu));
  out[0] = static_cast<char>(0xC0 | (cp >> 6));
  out[1] = static_cast<char>(0x80 | (cp & 0x3F));
  return true;
}

// The bytes of one character at s[i] folded into out; returns its length.
inline size_t FoldAt(std::string_view s, size_t i, char* out) {
  if (FoldTwoBytes(s, i, out)) return 2;
  out[0] = Lower(s[i]);
  return 1;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}
}  // namespace

std::string ExtractFileName(std::string_view path) { return std::string(path.substr(NameStart(path))); }

std::string ExtractFilePath(std::string_view path) { return std::string(path.substr(0, NameStart(path))); }

std::string ExtractFileExt(std::string_view path) {
  const std::string_view name = path.substr(NameStart(path));
  const size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

std::string FileBaseName(std::string_view path) {
  std::string name = ExtractFileName(path);
  const std::string ext = ExtractFileExt(name);
  if (!ext.empty()) name.erase(name.find(ext));
  return name;
}

std::string IncludeTrailingDelimiter(std::string_view folder) {
  std::string s(folder);
  if (s.empty() || !IsPathDelimiter(s.back()) || s.back() == ':') s += kPathDelim;
  return s;
}

std::string UpperCase(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = Upper(c);
  return r;
}

std::string LowerCase(std::string_view s) {
  std::string r(s);
  for (size_t i = 0; i < s.size();) i += FoldAt(s, i, &r[i]);
  return r;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size();) {
    if (a[i] == b[i] && static_cast<unsigned char>(a[i]) < 0x80) {
      ++i;
      continue;
    }
    char fa[2], fb[2];
    const size_t na = FoldAt(a, i, fa), nb = FoldAt(b, i, fb);
    if (na != nb || fa[0] != fb[0] || (na == 2 && fa[1] != fb[1])) return false;
    i += na;
  }
  return true;
}

bool ContainsNoCase(std::string_view s, std::string_view part) {
  return LowerCase(s).find(LowerCase(part)) != std::string::npos;
}

bool IsValidUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t n;
    uint32_t cp, min;
    if ((c & 0xE0) == 0xC0) n = 1, cp = c & 0x1Fu, min = 0x80;
    else if ((c & 0xF0) == 0xE0) n = 2, cp = c & 0x0Fu, min = 0x800;
    else if ((c & 0xF8) == 0xF0) n = 3, cp = c & 0x07u, min = 0x10000;
    else return false;
    if (s.size() - i <= n) return false;  // cut short
    for (size_t k = 1; k <= n; ++k) {
      const auto d = static_cast<unsigned char>(s[i + k]);
      if ((d & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (d & 0x3Fu);
    }
    // No overlong forms, no surrogates, nothing past U+10FFFF.
    if (cp < min || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return false;
    i += n + 1;
  }
  return true;
}

std::string_view Utf8Prefix(std::string_view s, size_t maxBytes) {
  if (s.size() <= maxBytes) return s;
  size_t end = maxBytes;
  // Step back over continuation bytes to the start of the character cut in two.
  while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) --end;
  return s.substr(0, end);
}

std::string Cp1252ToUtf8(std::string_view s) {
  static constexpr uint16_t k80[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                       0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
  std::string out;
  out.reserve(s.size() + s.size() / 4);
  for (char ch : s) {
    const auto c = static_cast<unsigned char>(ch);
    AppendUtf8(out, c >= 0x80 && c < 0xA0 ? k80[c - 0x80] : c);
  }
  return out;
}

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

std::optional<int64_t> ParseDecimal(std::string_view s) {
  bool negative = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  if (s.empty()) return std::nullopt;
  constexpr uint64_t kEnd = uint64_t{1} << 63;  // the size of INT64_MIN
  uint64_t v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v > kEnd / 10 ? kEnd : std::min(kEnd, v * 10 + static_cast<uint64_t>(c - '0'));
  }
  if (negative) return v == kEnd ? std::numeric_limits<int64_t>::min() : -static_cast<int64_t>(v);
  return static_cast<int64_t>(std::min(v, kEnd - 1));
}

std::optional<int32_t> ParseDecimal32(std::string_view s) {
  const std::optional<int64_t> v = ParseDecimal(s);
  if (!v || *v < std::numeric_limits<int32_t>::min() || *v > std::numeric_limits<int32_t>::max())
    return std::nullopt;
  return static_cast<int32_t>(*v);
}

std::string MemoText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    if (ch == '\r') {
      out += "\r\n";
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else if (ch == '\n') {
      out += "\r\n";
    } else {
      out += ch == '\0' ? ' ' : ch;
    }
  }
  return out;
}

}  // namespace vanta
