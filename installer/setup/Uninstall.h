// The uninstall: the committed log checked whole (CheckLog), then undone in
// reverse by the uninstall's rules, which differ from a rollback's. Files
// the install wrote are removed (never one it did not write, never an
// uninsneveruninstall one) and a file it replaced is put back; a shared
// file goes only with its last user (the count Windows keeps in
// SharedDLLs); folders it created go only when empty; a key marked for
// deletion goes whole only when the install created it, otherwise its
// values get back what they held before; an INI entry that still holds
// what the install wrote gets back its old text; other registry values stay.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "InstallLog.h"

namespace vanta::build {

struct TUninstallReport {
  std::vector<std::string> kept;       // files and folders left on purpose, or not empty
  std::vector<std::string> atRestart;  // in use now: removed when Windows next starts
  std::vector<std::string> problems;   // what failed
};

// What is being undone, and how many of all the records are done.
using TUninstallProgress = std::function<void(const std::string& what, size_t done, size_t total)>;

// Throws TLogError, having changed nothing, when the log does not pass
// CheckLog for logFolder (the folder it was read from).
TUninstallReport Uninstall(const std::vector<TLogRecord>& records, const std::string& logFolder, IInstallTarget& target,
                           const TUninstallProgress& progress = {});

// The uninstaller's way in: the log file's bytes, decoded, checked
// (CheckLog) and bound to their install (CheckLogBinding) before anything
// is undone. Throws TLogError, having changed nothing.
TUninstallReport UninstallLog(std::string_view logBytes, const std::string& logFolder, IInstallTarget& target);
// Only the checks of UninstallLog; returns the records.
std::vector<TLogRecord> CheckedLog(std::string_view logBytes, const std::string& logFolder, IInstallTarget& target);

}  // namespace vanta::build
