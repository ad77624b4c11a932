// Who this copy of the program is: its instance name and folders.
//
// The same executable is installed under many names; the name decides
// between the builder and a built saver and names the settings file, and the
// registry key written by a saver's setup says where its pictures went.
#pragma once
#include <string>

namespace vanta {

struct TInstanceIdentity {
  std::string InstanceName;
  std::string ProgramFolder;  // with a trailing delimiter
  std::string InstallFolder;  // with a trailing delimiter; a lone one when unknown
};

inline constexpr const char* kBuilderInstanceName = "vantasaver";
inline constexpr const char* kRegistryRoot = "\\Software\\Norvane\\";

// Identity of an executable at exePath: its base name (through the settings
// files of its folder when the system started it by an 8.3 short name such
// as MOUNTA~1), its folder, and the install folder from the registry.
TInstanceIdentity DetermineInstanceIdentity(const std::string& exePath);

// The identity of this process, as the last settings load fixed it.
const TInstanceIdentity& Instance();
void SetInstance(TInstanceIdentity identity);

// The executable path identity is computed from; tests put in another.
std::string InstanceExecutablePath();
void SetInstanceExecutablePathForTests(std::string path);

}  // namespace vanta
