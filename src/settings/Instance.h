// Working out the instance identity (settings/InstanceIdentity.h) of an
// executable, once, in start-up.
#pragma once
#include <string>

#include "platform/Files.h"
#include "platform/Registry.h"
#include "settings/InstanceIdentity.h"

namespace vanta {

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
TInstanceIdentity DetermineInstanceIdentity(const std::string& exePath, platform::IRegistry& registry,
                                            platform::IUserFolders& userFolders);

}  // namespace vanta
