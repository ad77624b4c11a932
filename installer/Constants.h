// The folder constants a script may use ({app}, {pf}, {sys}, {win},
// {group}, {userdesktop}, {sd} the system drive) and texts that hold them. The compiler keeps such
// texts as they are written; the setup expands them once it knows the
// folders, dropping a backslash right after a constant whose value already
// ends in one.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vanta::build {

// Stored in the payload as one byte: keep the numbers.
enum class TFolder : uint8_t { App = 1, Pf = 2, Sys = 3, Win = 4, Group = 5, UserDesktop = 6, Sd = 7 };
inline constexpr uint8_t kFolderCount = 7;

std::string_view FolderName(TFolder f);  // "app", "pf", ...
std::optional<TFolder> FolderFromName(std::string_view name);  // letter case ignored
bool IsValidFolderByte(uint8_t b);

// Literal text and constants, in order. `{{` in script text is a literal "{".
struct TConstText {
  struct TPiece {
    std::optional<TFolder> folder;  // a constant, or else the literal text
    std::string text;
    bool operator==(const TPiece&) const = default;
  };
  std::vector<TPiece> pieces;

  bool HasConstants() const;
  std::string Literal() const;  // the literal text alone (for texts without constants)
  std::string ScriptText() const;  // back to `{app}\x` form, `{` written `{{`
  bool operator==(const TConstText&) const = default;
};

// nullopt and a reason in `error` on an unknown constant or a lone "{".
std::optional<TConstText> ParseConstText(std::string_view text, std::string* error);

using TFolderValues = std::function<std::string(TFolder)>;
std::string Expand(const TConstText& text, const TFolderValues& values);

// A place below a folder constant: `{app}\sample` is (App, "sample").
struct TDestination {
  TFolder folder = TFolder::App;
  std::string relative;  // parts joined by "\"; "" is the folder itself

  std::string ScriptText() const;
  bool operator==(const TDestination&) const = default;
};

// The script form of a destination: one constant first, then "\" and a
// relative path that the path rules accept (one trailing "\" allowed).
std::optional<TDestination> ParseDestination(std::string_view text, std::string* error);

}  // namespace vanta::build
