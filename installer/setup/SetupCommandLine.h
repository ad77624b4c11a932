// The setup's and the uninstaller's switches:
//   /SILENT /VERYSILENT /SUPPRESSMSGBOXES /NORESTART /NOCANCEL /NOICONS
//   /DIR="x:\dir" /GROUP="name" /LOG /LOG="file"
// and, for the uninstaller's private copy, /UNINSTALLFROM="folder"
// /WAITPID=n. Names without letter case; others are kept to be logged.
#pragma once
#include <optional>
#include <string>
#include <vector>

namespace vanta::build {

enum class TQuietness { Normal, Silent, VerySilent };

struct TSetupCommand {
  TQuietness quiet = TQuietness::Normal;
  bool suppressMessageBoxes = false;
  bool noRestart = false;
  bool noCancel = false;
  bool noIcons = false;
  std::optional<std::string> dir;
  std::optional<std::string> group;
  bool log = false;
  std::string logFile;  // "" with /LOG: the setup picks one in the temporary folder
  std::string uninstallFrom;
  unsigned long waitPid = 0;
  std::vector<std::string> ignored;
};

// Arguments as the C runtime splits them (quotes already taken out).
TSetupCommand ParseSetupCommand(const std::vector<std::string>& args);

// The n-th name tried for a /LOG file when the ones before exist: the log
// is always a new file, never appended to one that is there (it could be
// anything, put there by anyone). 0 is the name itself; then
// "setup.1.log", "setup.2.log"... beside it ("name.1" without extension).
std::string NumberedLogName(const std::string& path, int n);

// The arguments that start the uninstaller's private copy.
std::string CopyCommandLine(const TSetupCommand& c, const std::string& from, unsigned long pid);

}  // namespace vanta::build
