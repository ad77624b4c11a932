#include "settings/IniDocument.h"

#include <string>
#include <unordered_map>
#include <unordered_set>

#include "base/Text.h"

namespace vanta {
namespace {
constexpr size_t npos = std::string::npos;

// Line breaks inside a name or value would let the text smuggle in
// sections or keys of its own.
std::string OneLine(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c == '\r' || c == '\n') c = ' ';
  return r;
}
bool IsQuote(char c) { return c == '"' || c == '\''; }

// One pair of matching quotes around a value is not part of it, as the
// platform reads values; they keep the blanks at its ends.
std::string_view Unquote(std::string_view v) {
  if (v.size() >= 2 && IsQuote(v.front()) && v.back() == v.front()) return v.substr(1, v.size() - 2);
  return v;
}

// A value that would lose something on the way back (blanks at its ends,
// or quotes around it) is written in quotes.
std::string QuoteIfNeeded(std::string v) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  if (!v.empty() && (blank(v.front()) || blank(v.back()) || Unquote(v).size() != v.size())) return '"' + v + '"';
  return v;
}
}  // namespace

std::optional<int32_t> ParseIniInteger(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  std::string_view digits = s;
  bool negative = false;
  if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
    negative = digits.front() == '-';
    digits.remove_prefix(1);
  }
  if (!digits.empty() && digits.front() == '$') digits.remove_prefix(1);
  else if (digits.size() >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) digits.remove_prefix(2);
  else return ParseDecimal32(s);
  if (digits.empty()) return std::nullopt;
  uint64_t v = 0;
  for (char c : digits) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return std::nullopt;
    v = v * 16 + static_cast<uint64_t>(digit);
    if (v > 0xFFFFFFFFull) return std::nullopt;
  }
  // Hexadecimal spans all 32 bits: $FFFFFFFF is -1.
  const auto bits = static_cast<uint32_t>(v);
  return static_cast<int32_t>(negative ? 0u - bits : bits);
}

TIniDocument::TLine TIniDocument::ParseLine(std::string text, std::string eol) {
  TLine line{std::move(text), std::move(eol), TKind::Other, {}};
  const std::string_view t = Trim(line.text);
  if (t.empty() || t.front() == ';') return line;
  if (t.front() == '[') {
    const size_t close = t.find(']');
    line.kind = TKind::Section;
    line.name = std::string(Trim(t.substr(1, close == npos ? npos : close - 1)));
    return line;
  }
  const std::string_view key = Trim(t.substr(0, t.find('=')));
  if (!key.empty()) {
    line.kind = TKind::Key;
    line.name = std::string(key);
  }
  return line;
}

TIniDocument::TIniDocument(std::string_view text) {
  while (!text.empty()) {
    const size_t lf = text.find('\n');
    std::string_view body = text.substr(0, lf);
    std::string eol;
    if (lf != npos) {
      eol = "\n";
      if (!body.empty() && body.back() == '\r') {
        body.remove_suffix(1);
        eol = "\r\n";
      }
    }
    lines_.push_back(ParseLine(std::string(body), std::move(eol)));
    text.remove_prefix(lf == npos ? text.size() : lf + 1);
  }
}

std::string TIniDocument::Text() const {
  std::string out;
  for (const TLine& l : lines_) out.append(l.text).append(l.eol);
  return out;
}

const std::string& TIniDocument::NewLineEnding() const {
  static const std::string crlf = "\r\n";
  for (const TLine& l : lines_)
    if (!l.eol.empty()) return l.eol;
  return crlf;
}

template <typename F>
void TIniDocument::ForEachSectionLine(std::string_view section, F&& f) const {
  bool inside = false;
  for (size_t i = 0; i < lines_.size(); ++i) {
    const TLine& l = lines_[i];
    if (l.kind == TKind::Section) inside = SameText(l.name, section);
    else if (inside && l.kind == TKind::Key && !f(i)) return;
  }
}

size_t TIniDocument::FindKey(std::string_view section, std::string_view key) const {
  size_t found = npos;
  ForEachSectionLine(section, [&](size_t i) {
    if (!SameText(lines_[i].name, key)) return true;
    found = i;
    return false;
  });
  return found;
}

bool TIniDocument::SectionExists(std::string_view section) const {
  for (const TLine& l : lines_)
    if (l.kind == TKind::Section && SameText(l.name, section)) return true;
  return false;
}

std::optional<std::string> TIniDocument::Value(std::string_view section, std::string_view key) const {
  const size_t i = FindKey(section, Trim(key));
  if (i == npos) return std::nullopt;
  const std::string& text = lines_[i].text;
  const size_t eq = text.find('=');
  if (eq == npos) return std::nullopt;
  return std::string(Unquote(Trim(std::string_view(text).substr(eq + 1))));
}

std::string TIniDocument::ReadString(std::string_view section, std::string_view key, std::string_view def) const {
  std::optional<std::string> v = Value(section, key);
  if (!v) return std::string(Utf8Prefix(def, kMaxValueChars));
  if (v->size() > kMaxValueChars) v->resize(Utf8Prefix(*v, kMaxValueChars).size());
  return *v;
}

int32_t TIniDocument::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
  const std::optional<std::string> v = Value(section, key);
  if (!v) return def;
  return ParseIniInteger(Utf8Prefix(*v, kMaxValueChars)).value_or(def);
}

bool TIniDocument::ReadBool(std::string_view section, std::string_view key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool TIniDocument::BoolValue(std::string_view value, bool def) {
  return ParseIniInteger(Utf8Prefix(value, kMaxValueChars)).value_or(def ? 1 : 0) != 0;
}

std::vector<std::string> TIniDocument::ReadSectionKeys(std::string_view section) const {
  std::vector<std::string> keys;
  std::unordered_set<std::string> seen;
  size_t bytes = 0;
  ForEachSectionLine(section, [&](size_t i) {
    const std::string& name = lines_[i].name;
    if (!seen.insert(LowerCase(name)).second) return true;  // a repeated key is one key
    if (bytes + name.size() + 1 > kKeyListBytes) return false;
    bytes += name.size() + 1;
    keys.push_back(name);
    return true;
  });
  return keys;
}

void TIniDocument::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  const std::string sect = std::string(Trim(OneLine(section)));
  const std::string name = std::string(Trim(OneLine(key)));
  const std::string val = QuoteIfNeeded(OneLine(value));
  if (name.empty()) return;  // "=value" would not read back as a key
  const size_t existing = FindKey(sect, name);
  if (existing != npos) {
    TLine& l = lines_[existing];
    l.text = l.name + "=" + val;
    return;
  }
  // After the last key of the section's first occurrence, or right below its header.
  size_t at = npos;
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind != TKind::Section || !SameText(lines_[i].name, sect)) continue;
    at = i + 1;
    for (size_t j = i + 1; j < lines_.size() && lines_[j].kind != TKind::Section; ++j)
      if (lines_[j].kind == TKind::Key) at = j + 1;
    break;
  }
  const std::string eol = NewLineEnding();
  if (!lines_.empty() && lines_.back().eol.empty()) lines_.back().eol = eol;
  if (at == npos) {
    if (!lines_.empty() && !Trim(lines_.back().text).empty()) lines_.push_back(ParseLine("", eol));
    lines_.push_back(ParseLine("[" + sect + "]", eol));
    at = lines_.size();
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), ParseLine(name + "=" + val, eol));
}

void TIniDocument::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void TIniDocument::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void TIniDocument::EraseSection(std::string_view section) {
  std::vector<TLine> kept;
  kept.reserve(lines_.size());
  bool erasing = false;
  for (TLine& l : lines_) {
    if (l.kind == TKind::Section) erasing = SameText(l.name, section);
    if (!erasing) kept.push_back(std::move(l));
  }
  lines_ = std::move(kept);
}

TIniDocument::TPairs TIniDocument::ReadSectionPairs(std::string_view section) const {
  TPairs pairs;
  std::unordered_set<std::string> seen;
  ForEachSectionLine(section, [&](size_t i) {
    const TLine& l = lines_[i];
    if (!seen.insert(LowerCase(l.name)).second) return true;  // the first occurrence wins
    const size_t eq = l.text.find('=');
    std::optional<std::string> value;
    if (eq != npos) value = std::string(Unquote(Trim(std::string_view(l.text).substr(eq + 1))));
    pairs.emplace_back(l.name, std::move(value));
    return true;
  });
  return pairs;
}

void TIniDocument::ReplaceSection(std::string_view section,
                                  const std::vector<std::pair<std::string, std::string>>& pairs) {
  EraseSection(section);
  const std::string sect = std::string(Trim(OneLine(section)));
  // Keys as WriteString would leave them: a key written again keeps its
  // first place and takes the last value.
  std::vector<std::pair<std::string, std::string>> keys;
  std::unordered_map<std::string, size_t> where;
  for (const auto& [key, value] : pairs) {
    std::string name = std::string(Trim(OneLine(key)));
    if (name.empty()) continue;
    std::string val = QuoteIfNeeded(OneLine(value));
    const auto [it, added] = where.try_emplace(LowerCase(name), keys.size());
    if (added) keys.emplace_back(std::move(name), std::move(val));
    else keys[it->second].second = std::move(val);
  }
  if (keys.empty()) return;
  const std::string eol = NewLineEnding();
  if (!lines_.empty() && lines_.back().eol.empty()) lines_.back().eol = eol;
  if (!lines_.empty() && !Trim(lines_.back().text).empty()) lines_.push_back(ParseLine("", eol));
  lines_.push_back(ParseLine("[" + sect + "]", eol));
  for (auto& [name, val] : keys) lines_.push_back(ParseLine(name + "=" + val, eol));
}

}  // namespace vanta
