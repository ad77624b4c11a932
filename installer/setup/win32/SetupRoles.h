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

// What a test build of the setup adds to it (SetupMain.cpp); the shipped
// setup passes none.
struct TSetupHooks {
  unsigned pauseMs = 0;       // each file or item held back this long
  std::string copyArguments;  // for the uninstaller's copy, after its own
};

int RunSetup(const TSetupCommand& command, const std::string& self, const TSetupHooks& hooks);
// unins000.exe started by the user: copy itself to a fresh private folder,
// start the copy and end.
int StartUninstallCopy(const TSetupCommand& command, const std::string& self, const TSetupHooks& hooks);
// The copy: wait for the first process, then uninstall from the log.
int RunUninstallCopy(const TSetupCommand& command, const std::string& self, const TSetupHooks& hooks);

}  // namespace vanta::build
