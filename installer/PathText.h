// Windows paths as the compiler and the setup take them apart and compare
// them: backslashes as delimiters, letters without regard to case
// (TextRules.h).
#pragma once
#include <string>
#include <string_view>

#include "TextRules.h"

namespace vanta::build {

// `path` lies below `folder`.
inline bool InsideFolder(std::string_view path, std::string_view folder) {
  return path.size() > folder.size() && path[folder.size()] == '\\' && SameText(path.substr(0, folder.size()), folder);
}

// `path` is `folder` or lies below it.
inline bool WithinFolder(std::string_view path, std::string_view folder) {
  return SameText(path, folder) || InsideFolder(path, folder);
}

// "C:\..." : a full path on a drive.
inline bool HasDriveRoot(std::string_view path) {
  return path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == ':' && path[2] == '\\';
}

// A drive ("C:", "C:\"), a share ("\\server\share") or nothing: where going
// up ends.
inline bool IsRootFolder(std::string_view path) {
  if (path.size() == 2 && path[1] == ':') return true;
  if (path.size() == 3 && path[1] == ':' && path[2] == '\\') return true;
  if (path.rfind("\\\\", 0) == 0) {
    const size_t server = path.find('\\', 2);
    return server == std::string_view::npos || path.find('\\', server + 1) == std::string_view::npos;
  }
  return path.empty();
}

// The folder holding `path` ("C:\" for a file on a drive's root); "" for a
// root or a bare name.
inline std::string ParentFolder(const std::string& path) {
  if (IsRootFolder(path)) return {};
  std::string p = path;
  if (p.back() == '\\') p.pop_back();
  const size_t cut = p.find_last_of('\\');
  if (cut == std::string::npos) return {};
  std::string parent = p.substr(0, cut);
  if (parent.size() == 2 && parent[1] == ':') parent += '\\';
  return parent;
}

// Everything before the last backslash; "" when there is none.
inline std::string FolderOfPath(const std::string& path) {
  const size_t cut = path.find_last_of('\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

// The name after the last "\", "/" or ":" (the whole text when none).
inline std::string_view FileNameOf(std::string_view path) {
  const size_t cut = path.find_last_of("\\/:");
  return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

}  // namespace vanta::build
