// Who this copy of the program is: its instance name and folders.
//
// The same executable is installed under many names; the name decides
// between the builder and a built saver and names the settings file, and the
// registry value written by a saver's setup says where its pictures went.
// Start-up works the identity out (settings/Instance.h) and hands it down.
//
// Programs live where only administrators write (the builder under Program
// Files, savers in the system folder); what a user changes lives in that
// user's own folders, so a standard user never needs to write beside a
// program and an administrator never runs what a user could have replaced.
#pragma once
#include <string>

#include "base/Text.h"

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

inline bool IsBuilderInstance(const std::string& instanceName) { return LowerCase(instanceName) == kBuilderInstanceName; }

}  // namespace vanta
