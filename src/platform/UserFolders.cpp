#include <array>

#include "platform/Files.h"

namespace vanta::platform {
namespace {
std::array<std::string, 3>& Overrides() {
  static std::array<std::string, 3> folders;
  return folders;
}
}  // namespace

std::string UserFolder(TUserFolder kind) {
  const std::string& over = Overrides()[static_cast<size_t>(kind)];
  return over.empty() ? SystemUserFolder(kind) : over;
}

void SetUserFolderForTests(TUserFolder kind, std::string folder) { Overrides()[static_cast<size_t>(kind)] = std::move(folder); }

}  // namespace vanta::platform
