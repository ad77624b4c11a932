#include "startup/Instance.h"

#include "base/Text.h"
#include "platform/Files.h"
#include "platform/Registry.h"

namespace vanta {
namespace {
TInstanceIdentity gInstance;
std::string gExePathOverride;
}  // namespace

TInstanceIdentity DetermineInstanceIdentity(const std::string& exePath) {
  TInstanceIdentity id;
  id.InstanceName = FileBaseName(exePath);
  id.ProgramFolder = ExtractFilePath(exePath);

  const size_t tilde = id.InstanceName.find('~');
  if (tilde != std::string::npos) {
    const auto names = platform::ListFiles(id.ProgramFolder, id.InstanceName.substr(0, tilde) + "*.002");
    if (!names.empty()) id.InstanceName = names.front().substr(0, names.front().rfind('.'));
  }

  const std::string folder = platform::ReadCurrentUserDefault(kRegistryRoot + id.InstanceName).value_or("");
  // The setup writes the folder without a trailing delimiter; one that has
  // it already does not get a second.
  id.InstallFolder = folder.empty() ? std::string(1, kPathDelim) : IncludeTrailingDelimiter(folder);
  return id;
}

const TInstanceIdentity& Instance() { return gInstance; }
void SetInstance(TInstanceIdentity identity) { gInstance = std::move(identity); }

std::string InstanceExecutablePath() {
  return gExePathOverride.empty() ? platform::ExecutablePath() : gExePathOverride;
}
void SetInstanceExecutablePathForTests(std::string path) { gExePathOverride = std::move(path); }

}  // namespace vanta
