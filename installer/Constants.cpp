#include "Constants.h"

#include <array>

#include "PathRules.h"
#include "TextRules.h"

namespace vanta::build {
namespace {

constexpr std::array<std::string_view, kFolderCount> kNames = {"app", "pf", "sys", "win", "group", "userdesktop", "sd"};

}  // namespace

std::string_view FolderName(TFolder f) { return kNames[static_cast<size_t>(f) - 1]; }

bool IsValidFolderByte(uint8_t b) { return b >= 1 && b <= kFolderCount; }

std::optional<TFolder> FolderFromName(std::string_view name) {
  for (size_t i = 0; i < kNames.size(); ++i)
    if (SameText(name, kNames[i])) return static_cast<TFolder>(i + 1);
  return std::nullopt;
}

bool TConstText::HasConstants() const {
  for (const TPiece& p : pieces)
    if (p.folder) return true;
  return false;
}

std::string TConstText::Literal() const {
  std::string s;
  for (const TPiece& p : pieces)
    if (!p.folder) s += p.text;
  return s;
}

std::string TConstText::ScriptText() const {
  std::string s;
  for (const TPiece& p : pieces) {
    if (p.folder) {
      s += '{';
      s += FolderName(*p.folder);
      s += '}';
      continue;
    }
    for (char c : p.text) {
      s += c;
      if (c == '{') s += '{';
    }
  }
  return s;
}

std::optional<TConstText> ParseConstText(std::string_view text, std::string* error) {
  TConstText out;
  std::string literal;
  auto flush = [&] {
    if (!literal.empty()) out.pieces.push_back({std::nullopt, std::move(literal)});
    literal.clear();
  };
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '{') {
      literal += text[i];
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == '{') {
      literal += '{';
      ++i;
      continue;
    }
    const size_t close = text.find('}', i + 1);
    if (close == std::string_view::npos) {
      if (error) *error = "a \"{\" without its \"}\" (write \"{{\" for the character)";
      return std::nullopt;
    }
    const std::string_view name = text.substr(i + 1, close - i - 1);
    const std::optional<TFolder> folder = FolderFromName(name);
    if (!folder) {
      if (error) *error = "the constant {" + std::string(name) + "} is not supported";
      return std::nullopt;
    }
    flush();
    out.pieces.push_back({folder, {}});
    i = close;
  }
  flush();
  return out;
}

std::string Expand(const TConstText& text, const TFolderValues& values) {
  std::string s;
  bool dropBackslash = false;
  for (const TConstText::TPiece& p : text.pieces) {
    if (p.folder) {
      s += values(*p.folder);
      dropBackslash = !s.empty() && s.back() == '\\';
      continue;
    }
    std::string_view t = p.text;
    if (dropBackslash && !t.empty() && t.front() == '\\') t.remove_prefix(1);
    s += t;
    dropBackslash = false;
  }
  return s;
}

std::string TDestination::ScriptText() const {
  std::string s = "{" + std::string(FolderName(folder)) + "}";
  if (!relative.empty()) {
    s += '\\';
    for (char c : relative) {
      s += c;
      if (c == '{') s += '{';
    }
  }
  return s;
}

std::optional<TDestination> ParseDestination(std::string_view text, std::string* error) {
  std::string why;
  const std::optional<TConstText> parsed = ParseConstText(text, &why);
  if (!parsed) {
    if (error) *error = why;
    return std::nullopt;
  }
  const auto& pieces = parsed->pieces;
  if (pieces.empty() || !pieces.front().folder) {
    if (error) *error = "\"" + std::string(text) + "\" does not start with a folder constant such as {app}";
    return std::nullopt;
  }
  TDestination d;
  d.folder = *pieces.front().folder;
  if (pieces.size() > 2 || (pieces.size() == 2 && pieces[1].folder)) {
    if (error) *error = "\"" + std::string(text) + "\" has a second constant; only one, at the start, is supported";
    return std::nullopt;
  }
  if (pieces.size() == 2) {
    std::string_view rest = pieces[1].text;
    // "{app}x" would be a sibling of {app}, not a place inside it.
    if (rest.front() != '\\' && rest.front() != '/') {
      if (error) *error = "\"" + std::string(text) + "\": a backslash must follow the constant";
      return std::nullopt;
    }
    rest.remove_prefix(1);
    if (rest.size() > 1 && (rest.back() == '\\' || rest.back() == '/')) rest.remove_suffix(1);
    if (auto bad = CheckRelativePath(rest)) {
      if (error) *error = "\"" + std::string(text) + "\": " + *bad;
      return std::nullopt;
    }
    d.relative.assign(rest);
    for (char& c : d.relative)
      if (c == '/') c = '\\';
  }
  return d;
}

}  // namespace vanta::build
