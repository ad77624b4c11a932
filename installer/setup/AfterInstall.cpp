#include "AfterInstall.h"

namespace vanta::build {

std::string OpenReadmeAsUser(const TInstallResult& result, bool asked, bool interactive, IUserShell& shell) {
  if (result.outcome != TInstallOutcome::Done || !asked || !interactive || result.readme.empty()) return {};
  if (shell.OpenAsUser(result.readme)) return "Opened the readme as the desktop's user: " + result.readme;
  return "The readme was not opened: the desktop's shell could not open it as its user";
}

std::vector<std::string> RunAfterInstall(const TInstallResult& result, const std::vector<TPackedRun>& run,
                                         const std::vector<bool>& ticked, bool silent, const TSetupFolders& folders,
                                         IUserShell& shell) {
  std::vector<std::string> lines;
  if (result.outcome != TInstallOutcome::Done) return lines;
  const auto value = [&](TFolder f) { return folders.Value(f); };
  for (size_t i = 0; i < run.size(); ++i) {
    const TPackedRun& r = run[i];
    const bool wanted = silent ? !(r.flags & (kRunUnchecked | kRunSkipIfSilent)) : i < ticked.size() && ticked[i];
    if (!wanted) continue;
    const std::string file = Expand(r.filename, value), parameters = Expand(r.parameters, value);
    const std::string what = "\"" + r.description + "\" (" + file + (parameters.empty() ? "" : " " + parameters) + ")";
    lines.push_back(shell.OpenAsUser(file, parameters) ? "Started as the desktop's user: " + what
                                                       : "Not started: the desktop's shell could not start " + what);
  }
  return lines;
}

}  // namespace vanta::build
