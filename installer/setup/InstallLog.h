// The install's log: one record per action, written before the action is
// done. A failed or cancelled install undoes the records in reverse
// (rollback); the committed log is the uninstaller's, which undoes them in
// reverse by its own rules. One text line per record:
//   A  app name                 O  a root: what the install may touch
//   D  folder created           F  file written (new)
//   R  file replaced (old one moved to a backup, put back at uninstall)
//   K  registry key created     V  registry value written (old value)
//   I  INI entry written (new and old)   X  key to delete at uninstall
// fields separated by tabs, "%" and control characters written %XX.
//
// The uninstaller runs elevated and does what the log says, so a log is
// checked whole before anything is undone (CheckLog): its roots come first,
// written before any action, and every action must lie inside them.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "InstallTarget.h"

namespace vanta::build {

enum class TLogKind : char {
  App = 'A',
  Root = 'O',
  Folder = 'D',
  File = 'F',
  Replace = 'R',
  Key = 'K',
  Value = 'V',
  Ini = 'I',
  DeleteKey = 'X',
};

// What a root record allows: the install folder and anything inside it,
// one file outside it (in a system folder, a shortcut) and the folders
// above it an install makes, one registry key and what is below it, one
// INI entry.
enum class TRootKind { App, File, Key, Ini };

struct TLogError : TInstallError {
  using TInstallError::TInstallError;
};

// What a record names is in the field of its meaning, so that a reader
// cannot take a key for a file: the others stay empty.
struct TLogRecord {
  TLogKind kind = TLogKind::File;
  std::string appName;  // App
  std::string folder;   // Folder; Root of the install folder
  std::string file;     // File, Replace; Root of a file; Ini and Root of an entry: the INI file
  std::string subkey;   // Key, Value, DeleteKey; Root of a key
  std::string backup;   // Replace
  bool neverUninstall = false;  // File, Replace
  bool shared = false;          // File, Replace: counted in SharedDLLs
  TRootKind rootKind = TRootKind::App;  // Root
  TRegistryRoot root = TRegistryRoot::CurrentUser;  // Key, Value, DeleteKey, Root of a key
  std::string valueName;  // Value
  std::string section;    // Ini and Root of an entry
  std::string key;        // Ini and Root of an entry
  std::optional<TRegValue> oldValue;  // Value: nullopt when there was none
  std::optional<std::string> oldText;  // Ini
  std::string newText;                 // Ini: what the install wrote
  bool operator==(const TLogRecord&) const = default;
};

// What a record names, whatever its kind: for messages.
const std::string& Subject(const TLogRecord& r);

TLogRecord AppRecord(const std::string& name);
TLogRecord FolderRecord(const std::string& path);
TLogRecord RootRecord(TRootKind kind, const std::string& path);
TLogRecord KeyRootRecord(TRegistryRoot root, const std::string& subkey);
TLogRecord IniRootRecord(const std::string& file, const std::string& section, const std::string& key);
TLogRecord FileRecord(const std::string& path, bool neverUninstall, bool shared = false);
TLogRecord ReplaceRecord(const std::string& path, const std::string& backup, bool neverUninstall, bool shared = false);
TLogRecord KeyRecord(TRegistryRoot root, const std::string& subkey);
TLogRecord ValueRecord(TRegistryRoot root, const std::string& subkey, const std::string& name, std::optional<TRegValue> old);
TLogRecord IniRecord(const std::string& file, const std::string& section, const std::string& key, std::string written,
                     std::optional<std::string> old);
TLogRecord DeleteKeyRecord(TRegistryRoot root, const std::string& subkey);

inline constexpr std::string_view kLogHeader = "VantaUninstallLog\t2";
inline constexpr std::string_view kOlderLogHeader = "VantaUninstallLog\t1";
// Where Windows counts the users of a shared file, one value a path.
inline constexpr const char* kSharedDllsKey = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

std::string EncodeRecord(const TLogRecord& r);
// Throws TLogError on a line that is not a record.
TLogRecord DecodeRecord(std::string_view line);

// The whole log file: the header line, then one record a line.
std::string EncodeLog(const std::vector<TLogRecord>& records);
std::vector<TLogRecord> DecodeLog(std::string_view text);  // throws TLogError

// Throws TLogError, naming the record, unless the log is one an install
// writes: one app name (appName's, when given) first, then its roots, the
// install folder among them and equal to logFolder (where the log lies),
// then only actions inside those roots: files inside the install folder or
// named by a file root, folders inside or above either, keys and values
// inside a key root (keys above one, made when missing, too), the counts
// of the log's shared files, INI entries named by an entry root, and
// backups beside the file they keep. Paths must be full and plain (no "."
// or ".." parts), a key root never a broad one of the system's, nor a
// vendor's whole tree, nor another program's uninstall entry, and no INI
// root in a section of system.ini or win.ini that Windows maps to the
// registry (but for the current saver's line, "[boot] SCRNSAVE.EXE").
void CheckLog(const std::vector<TLogRecord>& records, const std::string& logFolder, const std::string& appName = "");

// The value of the uninstall entry (HKLM, where only administrators write)
// that binds the entry to its committed log: the log's SHA-256, in hex.
inline constexpr const char* kLogDigestValue = "VantaLogSha256";
// Throws TLogError unless the uninstall entry of the log's program names
// logFolder as its InstallLocation and holds the digest of `logBytes`.
void CheckLogBinding(std::string_view logBytes, const std::vector<TLogRecord>& records, const std::string& logFolder,
                     IInstallTarget& target);

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
