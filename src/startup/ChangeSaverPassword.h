// The screensaver password change of mode 5, done by the system's own
// dialog in "MPR.DLL". Windows only.
#pragma once
#include <string>

#include "startup/CommandLine.h"

namespace vanta {

// Loads MPR.DLL from the system folder and calls its PwdChangePasswordA for
// the provider "SCRSAVE"; any failure ends it silently.
void ChangeSaverPassword(TWindowHandle parent);
// The same with MPR.DLL taken from folder (tests hand in their own).
void ChangeSaverPasswordIn(std::string folder, TWindowHandle parent);

}  // namespace vanta
