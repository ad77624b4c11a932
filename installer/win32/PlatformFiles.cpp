#include <windows.h>

#include "../SourceFiles.h"

namespace vanta::build {

// rename() will not replace an existing file on Windows.
bool ReplaceFileWith(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

unsigned CurrentProcessId() { return GetCurrentProcessId(); }

// The ANSI calls, so that a folder named in the script's code page is the
// one made (std::filesystem would convert the name on its own terms).
bool MakeFolders(const std::string& path) {
  for (size_t cut = path.find_first_of("\\/", 3); ; cut = path.find_first_of("\\/", cut + 1)) {
    const std::string part = path.substr(0, cut);
    if (!part.empty() && part.back() != ':') CreateDirectoryA(part.c_str(), nullptr);
    if (cut == std::string::npos) break;
  }
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace vanta::build
