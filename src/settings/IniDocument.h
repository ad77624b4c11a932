// An INI text held in memory, read and edited with the rules of the
// platform's profile functions:
// - "[name]" opens a section, "key=value" gives a value; blanks around names
//   and values do not count; section and key names compare without regard
//   to ASCII letter case; a line starting with ';' is a comment; one pair
//   of matching quotes around a value is not part of it (values with
//   blanks at their ends are written so).
// - A section that occurs twice reads as one; the first occurrence of a key
//   wins; writes go to the first occurrence.
// - Edits change only the lines they concern: every other byte of the text,
//   line endings and comments included, stays as it was.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vanta {

class TIniDocument {
 public:
  static constexpr size_t kMaxValueChars = 2047;   // of a value read as text
  static constexpr size_t kKeyListBytes = 16384;   // key names of one section, each with a terminator

  TIniDocument() = default;
  explicit TIniDocument(std::string_view text);

  std::string Text() const;
  bool Empty() const { return lines_.empty(); }

  // The value as written (blanks trimmed); nullopt when the key is missing
  // or its line has no '='.
  std::optional<std::string> Value(std::string_view section, std::string_view key) const;

  // At most kMaxValueChars characters of the value; def when the key is missing.
  std::string ReadString(std::string_view section, std::string_view key, std::string_view def) const;
  // Decimal after leading blanks and an optional sign; hexadecimal after
  // "0x", "0X" or "$". def when missing or not a number.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
  // An integer; every value but 0 is true.
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;
  // A value as ReadBool reads it; def when it is not a number.
  static bool BoolValue(std::string_view value, bool def);
  // The key names of the section in file order, as many whole names as fit
  // into kKeyListBytes counting one terminator per name.
  std::vector<std::string> ReadSectionKeys(std::string_view section) const;
  bool SectionExists(std::string_view section) const;

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int32_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);
  void EraseSection(std::string_view section);

  // Every key of the section with its value (nullopt for a line without
  // '='), in file order, a repeated key once. Unlike ReadSectionKeys there
  // is no byte limit: the builder's lists hold thousands of files.
  using TPairs = std::vector<std::pair<std::string, std::optional<std::string>>>;
  TPairs ReadSectionPairs(std::string_view section) const;
  // The same text as EraseSection followed by WriteString of each pair in
  // order, in one pass instead of one search per key.
  void ReplaceSection(std::string_view section, const std::vector<std::pair<std::string, std::string>>& pairs);

 private:
  enum class TKind : uint8_t { Other, Section, Key };
  struct TLine {
    std::string text;  // without its line ending
    std::string eol;   // "\r\n", "\n" or "" for a last line without one
    TKind kind = TKind::Other;
    std::string name;  // section name or key name, trimmed
  };

  static TLine ParseLine(std::string text, std::string eol);
  const std::string& NewLineEnding() const;
  // Index of the key line of section/key, or npos.
  size_t FindKey(std::string_view section, std::string_view key) const;
  template <typename F> void ForEachSectionLine(std::string_view section, F&& f) const;

  std::vector<TLine> lines_;
};

// Integer conversion of a settings value, as ReadInteger applies it.
std::optional<int32_t> ParseIniInteger(std::string_view s);

}  // namespace vanta
