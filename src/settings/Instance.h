// Who this copy of the program is: its instance name and folders.
//
// The same executable is installed under many names; the name decides
// between the builder and a built saver and names the settings file, and the
// registry value written by a saver's setup says where its pictures went.
//
// Programs live where only administrators write (the builder under Program
// Files, savers in the system folder); what a user changes lives in that
// user's own folders, so a standard user never needs to write beside a
// program and an administrator never runs what a user could have replaced.
#pragma once
#include <string>

namespace vanta {

struct TInstanceIdentity {
  std::string InstanceName;
  std::string ProgramFolder;  // with a trailing delimiter
  std::string InstallFolder;  // with a trailing delimiter; empty when unknown
  std::string UserFolder;      // this user's own files, with a trailing delimiter
  // Where the builder starts its compiler from: only a folder an
  // administrator named (the machine's value) or its own program folder.
  std::string CompilerFolder;  // with a trailing delimiter
};

inline constexpr const char* kBuilderInstanceName = "vantasaver";
inline constexpr const char* kRegistryRoot = "\\Software\\Norvane\\";
// The builder's per-user folder, below the user's local application data.
inline constexpr const char* kBuilderUserFolderName = "Vanta Screensaver Builder";
// Every saver's per-user settings, below the user's roaming application data.
inline constexpr const char* kSaverUserFolderName = "Norvane";

bool IsBuilderInstance(const std::string& instanceName);

// A registry value usable as an install folder: a full path below a drive
// or share, never the root itself (a folder there any user may make).
bool IsUsableInstallFolder(const std::string& folder);

// Identity of an executable at exePath: its base name (through the settings
// files of its folder when the system started it by an 8.3 short name such
// as MOUNTA~1), its folder, the install folder and the user's folder.
// The install folder is the registry value of the current user (the setup
// ran as that user), else the machine's (an administrator installed for
// them), else, for the builder, its own folder. The compiler's folder
// never comes from the user's value, which any program of that user can
// set while an elevated builder would run what it names.
TInstanceIdentity DetermineInstanceIdentity(const std::string& exePath);

// The identity of this process, as the last settings load fixed it.
const TInstanceIdentity& Instance();
void SetInstance(TInstanceIdentity identity);

// The executable path identity is computed from; tests put in another.
std::string InstanceExecutablePath();
void SetInstanceExecutablePathForTests(std::string path);

}  // namespace vanta
