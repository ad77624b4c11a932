// The uninstall: the committed log undone in reverse, by the uninstall's
// rules, which differ from a rollback's. Files the install wrote are
// removed (never one it did not write, never an uninsneveruninstall one),
// folders it created only when empty, keys marked for it deleted whole;
// registry values and INI entries stay, as the script format says.
#pragma once
#include <string>
#include <vector>

#include "InstallLog.h"

namespace vanta::build {

struct TUninstallReport {
  std::vector<std::string> kept;       // files and folders left on purpose, or not empty
  std::vector<std::string> atRestart;  // in use now: removed when Windows next starts
  std::vector<std::string> problems;   // what failed
};

TUninstallReport Uninstall(const std::vector<TLogRecord>& records, IInstallTarget& target);

}  // namespace vanta::build
