#include "show/ShowPlace.h"

#include <charconv>
#include <vector>

#include "base/Text.h"
#include "platform/Files.h"

namespace vanta {
namespace {

constexpr std::string_view kHeader = "vanta show place 1";
constexpr size_t kMaxPlaceFileBytes = size_t{1} << 20;  // a list of thousands of pictures takes a few dozen KB

template <typename T>
bool ParseNumber(std::string_view text, T& out) {
  const char* end = text.data() + text.size();
  const auto r = std::from_chars(text.data(), end, out);
  return r.ec == std::errc() && r.ptr == end && !text.empty();
}

std::vector<std::string_view> Split(std::string_view text, char sep) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i)
    if (i == text.size() || text[i] == sep) {
      parts.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  return parts;
}

// "key=value" lines after the header, in a fixed order.
bool ReadField(const std::vector<std::string_view>& lines, size_t line, std::string_view key, std::string_view& value) {
  if (line >= lines.size()) return false;
  const std::string_view l = lines[line];
  if (l.size() <= key.size() || l.substr(0, key.size()) != key || l[key.size()] != '=') return false;
  value = l.substr(key.size() + 1);
  return true;
}

}  // namespace

std::string ShowPlaceFileName(const std::string& userFolder, const std::string& instanceName) {
  return userFolder + instanceName + ".place";
}

std::string FormatShowPlace(uint64_t listKey, const TDeckPlace& place) {
  std::string text(kHeader);
  text += "\nlist=" + std::to_string(listKey);
  text += std::string("\norder=") + (place.Shuffle ? "shuffle" : "list");
  text += "\nround=" + std::to_string(place.Round);
  text += "\nlast=" + std::to_string(place.Last);
  text += "\ncursor=" + std::to_string(place.Cursor);
  text += "\nleft=";
  for (size_t i = 0; i < place.Left.size(); ++i) text += (i ? "," : "") + std::to_string(place.Left[i]);
  return text + "\n";
}

std::optional<TDeckPlace> ParseShowPlace(std::string_view text, uint64_t listKey) {
  if (text.empty() || text.back() != '\n') return std::nullopt;  // cut short
  const std::vector<std::string_view> lines = Split(text.substr(0, text.size() - 1), '\n');
  std::string_view v;
  uint64_t key = 0;
  TDeckPlace p;
  if (lines.size() != 7 || lines[0] != kHeader) return std::nullopt;
  if (!ReadField(lines, 1, "list", v) || !ParseNumber(v, key) || key != listKey) return std::nullopt;
  if (!ReadField(lines, 2, "order", v) || (v != "shuffle" && v != "list")) return std::nullopt;
  p.Shuffle = v == "shuffle";
  if (!ReadField(lines, 3, "round", v) || !ParseNumber(v, p.Round)) return std::nullopt;
  if (!ReadField(lines, 4, "last", v) || !ParseNumber(v, p.Last)) return std::nullopt;
  if (!ReadField(lines, 5, "cursor", v) || !ParseNumber(v, p.Cursor)) return std::nullopt;
  if (!ReadField(lines, 6, "left", v)) return std::nullopt;
  if (!v.empty())
    for (std::string_view item : Split(v, ',')) {
      size_t index = 0;
      if (!ParseNumber(item, index)) return std::nullopt;
      p.Left.push_back(index);
    }
  return p;
}

std::optional<TDeckPlace> LoadShowPlace(const std::string& fileName, uint64_t listKey) noexcept {
  try {
    std::string text;
    if (fileName.empty() || platform::ReadWholeFile(fileName, text, kMaxPlaceFileBytes) != platform::TReadResult::Ok)
      return std::nullopt;
    return ParseShowPlace(text, listKey);
  } catch (...) {
    return std::nullopt;
  }
}

bool SaveShowPlace(const std::string& fileName, uint64_t listKey, const TDeckPlace& place) noexcept {
  try {
    if (fileName.empty()) return false;
    const std::string folder = ExtractFilePath(fileName);
    if (!folder.empty() && !platform::CreateFolders(folder)) return false;
    return platform::WriteFileAtomically(fileName, FormatShowPlace(listKey, place));
  } catch (...) {
    return false;
  }
}

}  // namespace vanta
