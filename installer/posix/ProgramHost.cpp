#include "../ProgramHost.h"

#include <filesystem>

#include "../ConsoleStatus.h"

namespace vanta::build {

std::string ProgramFolder() {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::canonical("/proc/self/exe", ec);
  return ec ? std::string() : self.parent_path().string() + "/";
}

bool ScriptPathsAreLocal() { return false; }

std::optional<std::string> EmbeddedStub() { return std::nullopt; }

std::unique_ptr<IBuildStatus> MakeBuildStatus() { return std::make_unique<TConsoleStatus>(stdout); }

}  // namespace vanta::build
