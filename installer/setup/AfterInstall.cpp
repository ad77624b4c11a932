#include "AfterInstall.h"

namespace vanta::build {

std::string OpenReadmeAsUser(const TInstallResult& result, bool asked, bool interactive, IUserShell& shell) {
  if (result.outcome != TInstallOutcome::Done || !asked || !interactive || result.readme.empty()) return {};
  if (shell.OpenAsUser(result.readme)) return "Opened the readme as the desktop's user: " + result.readme;
  return "The readme was not opened: the desktop's shell could not open it as its user";
}

}  // namespace vanta::build
