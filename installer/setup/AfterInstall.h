// What the setup opens after installing (the readme, the Finished page's programs): always with the token
// of the user at the desktop, never with the setup's own. The setup runs
// elevated, often with an administrator's credentials typed in for a
// standard user; a readme opened with that token would give the user an
// administrator's editor, whose Open dialog starts programs.
#pragma once
#include <string>

#include "Installer.h"

namespace vanta::build {

class IUserShell {
 public:
  virtual ~IUserShell() = default;
  // Opens the file as the desktop's user would by double-clicking it; false
  // when that cannot be done (no desktop shell to ask).
  virtual bool OpenAsUser(const std::string& file, const std::string& parameters = {}) = 0;
};

// Opens the installed readme when the install is done, the user asked for
// it and someone is there to read it. Returns a line for the setup's log
// ("" when nothing was to be opened); when the desktop's shell cannot do
// it, the readme is not opened at all.
std::string OpenReadmeAsUser(const TInstallResult& result, bool asked, bool interactive, IUserShell& shell);

// Starts the Finished page's programs after a done install: those ticked
// (`ticked`, one per entry) or, in a silent install, those that start
// ticked and do not skip silent installs; the folders put in. Returns the
// log's lines, one per program started or not.
std::vector<std::string> RunAfterInstall(const TInstallResult& result, const std::vector<TPackedRun>& run,
                                         const std::vector<bool>& ticked, bool silent, const TSetupFolders& folders,
                                         IUserShell& shell);

}  // namespace vanta::build
