#include "settings/Instance.h"

#include "base/Text.h"
#include "platform/Files.h"

namespace vanta {
namespace {
bool IsDelim(char c) { return c == '\\' || c == '/'; }
}  // namespace

bool IsUsableInstallFolder(const std::string& folder) {
  std::string f = folder;
  while (!f.empty() && IsDelim(f.back())) f.pop_back();
  if (f.size() >= 2 && IsDelim(f[0]) && IsDelim(f[1])) {  // \\server\share\folder
    const size_t server = f.find_first_of("\\/", 2);
    return server != std::string::npos && f.find_first_of("\\/", server + 1) != std::string::npos;
  }
  if (f.size() >= 2 && f[1] == ':') return f.size() > 3 && IsDelim(f[2]);  // C:\folder, not C: or C:x
  return kPathDelim == '/' && f.size() > 1 && f[0] == '/';               // natively: /folder
}

TInstanceIdentity DetermineInstanceIdentity(const std::string& exePath, platform::IRegistry& registry,
                                            platform::IUserFolders& userFolders) {
  TInstanceIdentity id;
  id.InstanceName = FileBaseName(exePath);
  id.ProgramFolder = ExtractFilePath(exePath);

  const size_t tilde = id.InstanceName.find('~');
  if (tilde != std::string::npos) {
    const auto names = platform::ListFiles(id.ProgramFolder, id.InstanceName.substr(0, tilde) + "*.002");
    if (!names.empty()) id.InstanceName = names.front().substr(0, names.front().rfind('.'));
  }

  const bool builder = IsBuilderInstance(id.InstanceName);
  const std::string key = kRegistryRoot + id.InstanceName;
  const std::optional<std::string> machine = registry.LocalMachineDefault(key);
  if (builder)
    id.CompilerFolder = machine && IsUsableInstallFolder(*machine) ? IncludeTrailingDelimiter(*machine) : id.ProgramFolder;
  for (const auto& value : {registry.CurrentUserDefault(key), machine}) {
    if (value && IsUsableInstallFolder(*value)) {
      // The setup writes the folder without a trailing delimiter; one that
      // has it already does not get a second.
      id.InstallFolder = IncludeTrailingDelimiter(*value);
      break;
    }
  }
  if (id.InstallFolder.empty() && builder) id.InstallFolder = id.ProgramFolder;

  const std::string base =
      userFolders.Folder(builder ? platform::TUserFolder::LocalAppData : platform::TUserFolder::RoamingAppData);
  // Without such a folder (natively) a copy keeps its files beside itself.
  id.UserFolder = base.empty() ? id.ProgramFolder
                               : base + (builder ? kBuilderUserFolderName : kSaverUserFolderName) + kPathDelim;
  return id;
}

}  // namespace vanta
