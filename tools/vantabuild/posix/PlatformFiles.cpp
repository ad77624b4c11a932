#include <unistd.h>

#include <cstdio>

#include "../SourceFiles.h"

namespace vanta::build {

bool ReplaceFileWith(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }

unsigned CurrentProcessId() { return static_cast<unsigned>(::getpid()); }

}  // namespace vanta::build
