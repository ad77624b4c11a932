#include <windows.h>

#include "../SourceFiles.h"

namespace vanta::build {

// rename() will not replace an existing file on Windows.
bool ReplaceFileWith(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

unsigned CurrentProcessId() { return GetCurrentProcessId(); }

}  // namespace vanta::build
