// The two roles of the one setup program: a setup (its own file carries a
// payload) and, as {app}\unins000.exe, the uninstaller.
#pragma once
#include <string>

#include "PathText.h"
#include "SetupUi.h"

namespace vanta::build {

// Exit codes of the setup.
enum TSetupExit : int {
  kSetupDone = 0,
  kSetupCouldNotStart = 1,
  kSetupCancelledBefore = 2,
  kSetupFailed = 4,
  kSetupCancelledDuring = 5,
};

int RunSetup(const TSetupCommand& command, const std::string& self);
// unins000.exe started by the user: copy itself to a fresh private folder,
// start the copy and end.
int StartUninstallCopy(const TSetupCommand& command, const std::string& self);
// The copy: wait for the first process, then uninstall from the log.
int RunUninstallCopy(const TSetupCommand& command, const std::string& self);

}  // namespace vanta::build
