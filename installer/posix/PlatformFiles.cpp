#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "../SourceFiles.h"

namespace vanta::build {

bool ReplaceFileWith(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }

unsigned CurrentProcessId() { return static_cast<unsigned>(::getpid()); }

bool MakeFolders(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  return std::filesystem::is_directory(path, ec);
}

}  // namespace vanta::build
