// The install's log: one record per action, written before the action is
// done. A failed or cancelled install undoes the records in reverse
// (rollback); the committed log is the uninstaller's, which undoes them in
// reverse by its own rules. One text line per record:
//   A  app name                 D  folder created
//   F  file written (new)       R  file replaced (old one moved to a backup)
//   K  registry key created     V  registry value written (old value)
//   I  INI entry written (old)  X  key to delete at uninstall
// fields separated by tabs, "%" and control characters written %XX.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "InstallTarget.h"

namespace vanta::build {

enum class TLogKind : char {
  App = 'A',
  Folder = 'D',
  File = 'F',
  Replace = 'R',
  Key = 'K',
  Value = 'V',
  Ini = 'I',
  DeleteKey = 'X',
};

struct TLogRecord {
  TLogKind kind = TLogKind::File;
  std::string path;    // folder, file, INI file, registry subkey; App: the name
  std::string backup;  // Replace
  bool neverUninstall = false;  // File, Replace
  TRegistryRoot root = TRegistryRoot::CurrentUser;  // Key, Value, DeleteKey
  std::string name;  // Value: value name; Ini: section
  std::string key;   // Ini
  std::optional<TRegValue> oldValue;  // Value: nullopt when there was none
  std::optional<std::string> oldText;  // Ini
  bool operator==(const TLogRecord&) const = default;
};

TLogRecord AppRecord(const std::string& name);
TLogRecord FolderRecord(const std::string& path);
TLogRecord FileRecord(const std::string& path, bool neverUninstall);
TLogRecord ReplaceRecord(const std::string& path, const std::string& backup, bool neverUninstall);
TLogRecord KeyRecord(TRegistryRoot root, const std::string& subkey);
TLogRecord ValueRecord(TRegistryRoot root, const std::string& subkey, const std::string& name, std::optional<TRegValue> old);
TLogRecord IniRecord(const std::string& file, const std::string& section, const std::string& key, std::optional<std::string> old);
TLogRecord DeleteKeyRecord(TRegistryRoot root, const std::string& subkey);

inline constexpr std::string_view kLogHeader = "VantaUninstallLog\t1";

std::string EncodeRecord(const TLogRecord& r);
// Throws TInstallError on a line that is not a record.
TLogRecord DecodeRecord(std::string_view line);

// The whole log file: the header line, then one record a line.
std::string EncodeLog(const std::vector<TLogRecord>& records);
std::vector<TLogRecord> DecodeLog(std::string_view text);  // throws TInstallError

// Where records go as they are made: the log file, written through.
class IJournal {
 public:
  virtual ~IJournal() = default;
  virtual void Append(const TLogRecord& r) = 0;  // throws TInstallError
  // Several records in one write to the disk.
  virtual void AppendAll(const std::vector<TLogRecord>& records) {
    for (const TLogRecord& r : records) Append(r);
  }
};

}  // namespace vanta::build
