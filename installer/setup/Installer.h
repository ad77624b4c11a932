// One install from a payload: the folders, files, shortcuts, INI entries,
// registry values, the Add/Remove Programs entry and the uninstaller with
// its log, as one transaction. A failure or Cancel before the end rolls
// all of it back.
#pragma once
#include <functional>
#include <string>

#include "InstallTransaction.h"
#include "Payload.h"

namespace vanta::build {

// The constants' values on this computer, without trailing backslashes.
struct TSetupFolders {
  std::string app, pf, sys, win, group, userDesktop, sd;
  std::string Value(TFolder f) const;
};

struct TInstallOptions {
  bool noIcons = false;  // no shortcuts in {group}
};

inline constexpr const char* kUninstallerName = "unins000.exe";
inline constexpr const char* kUninstallLogName = "unins000.dat";
inline constexpr const char* kUninstallKeyBase = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

class IInstallProgress {
 public:
  virtual ~IInstallProgress() = default;
  virtual void Progress(const std::string& what, uint64_t done, uint64_t total) = 0;
  virtual bool Cancelled() = 0;
};

enum class TInstallOutcome { Done, Failed, Cancelled };

struct TInstallResult {
  TInstallOutcome outcome = TInstallOutcome::Done;
  std::string reason;                     // Failed
  bool damaged = false;                   // Failed: the setup's own data did not check out
  std::vector<std::string> rollbackProblems;
  std::string readme;                     // the isreadme file's path, "" when none
  std::vector<std::string> keptNewer;     // system files left as they were: a newer version was there
  std::vector<TLogRecord> log;            // what was done (Done) or undone
};

// Checks a folder the user chose or /DIR gave: a full drive path below the
// drive's root whose parts pass the path rules. nullopt when acceptable.
std::optional<std::string> CheckInstallFolder(const std::string& path);

// The uninstall entry's version and publisher values, those the index gives.
std::vector<std::pair<std::string, TRegValue>> AboutValues(const TPayloadIndex& index);

// `data` is the payload's data (OpenData). `uninstaller` writes the program
// that becomes {app}\unins000.exe.
TInstallResult Install(IByteSource& data, const TPayload& payload, const TSetupFolders& folders,
                       const TInstallOptions& options, IInstallTarget& target, IInstallProgress& progress,
                       const TFileProducer& uninstaller);

// The text a value names: the script's text with the folders put in. A
// name in the builder's 8.3 form ("MySaver~1.scr") of a file this install
// put in that folder becomes the file's real short path, or its long path
// where the volume has no short names.
std::string ExpandValue(const TConstText& text, const TSetupFolders& folders,
                        const std::vector<std::string>& installedFiles, IInstallTarget& target);

}  // namespace vanta::build
