// The uninstaller's check of its log before it undoes anything: an elevated
// program must not delete what a line added to the log names.
#include <algorithm>
#include <set>

#include "InstallLog.h"
#include "Installer.h"
#include "PathText.h"

namespace vanta::build {
namespace {

std::vector<std::string_view> Parts(std::string_view s) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  while (true) {
    const size_t cut = s.find('\\', start);
    parts.push_back(s.substr(start, cut == std::string_view::npos ? std::string_view::npos : cut - start));
    if (cut == std::string_view::npos) return parts;
    start = cut + 1;
  }
}

// A full path on a drive or share, without empty, "." or ".." parts, below
// the root.
bool PlainPath(std::string_view p) {
  size_t rootEnd;
  if (HasDriveRoot(p)) {
    rootEnd = 3;
  } else if (p.rfind("\\\\", 0) == 0) {
    const size_t server = p.find('\\', 2), share = server == std::string_view::npos ? server : p.find('\\', server + 1);
    if (share == std::string_view::npos) return false;
    rootEnd = share + 1;
  } else {
    return false;
  }
  if (p.size() <= rootEnd || p.find('/') != std::string_view::npos) return false;
  for (std::string_view part : Parts(p.substr(rootEnd)))
    if (part.empty() || part == "." || part == "..") return false;
  return true;
}

bool PlainKey(std::string_view k) {
  if (k.empty()) return false;
  for (std::string_view part : Parts(k))
    if (part.empty()) return false;
  return true;
}

// Keys whose trees belong to Windows, to everyone or to a whole vendor: no
// install owns them. Below the system's keys only the install's own
// uninstall entry.
bool BroadKey(std::string_view k, const std::string& appName) {
  if (Parts(k).size() < 3) return true;
  for (const char* system : {"Software\\Microsoft", "Software\\Classes", "Software\\Policies", "Software\\WOW6432Node"})
    if (WithinFolder(k, system)) return !SameText(k, kUninstallKeyBase + appName + "_is1");
  return !WithinFolder(k, "Software");
}

// system.ini and win.ini sections that Windows keeps in the registry: an
// entry there can start a program at every logon. The one a saver's setup
// writes, the current screensaver, is allowed.
bool MappedIniEntry(const std::string& file, const std::string& section, const std::string& key) {
  const std::string name = LowerText(file.substr(file.find_last_of('\\') + 1));
  if (name != "system.ini" && name != "win.ini") return false;
  if (name == "system.ini" && SameText(section, "boot") && SameText(key, "SCRNSAVE.EXE")) return false;
  static const char* const kMapped[] = {
      "boot", "boot.description", "386enh", "drivers", "drivers32", "mci", "mci32", "password lists", "nonwindowsapp",
      "windows", "desktop", "colors", "fonts", "fontsubstitutes", "intl", "ports", "devices", "printerports",
      "extensions", "embedding", "mci extensions", "network", "sounds", "compatibility", "windowsex", "wow",
      "programs", "trueimage", "msucompatibility"};
  return std::any_of(std::begin(kMapped), std::end(kMapped), [&](const char* s) { return SameText(section, s); });
}

struct TRoots {
  std::string app;
  std::vector<std::string> files;
  std::vector<std::pair<TRegistryRoot, std::string>> keys;
  std::vector<TLogRecord> ini;
};

bool InKeyRoot(const TRoots& roots, TRegistryRoot root, const std::string& key) {
  return std::any_of(roots.keys.begin(), roots.keys.end(),
                     [&](const auto& k) { return k.first == root && WithinFolder(key, k.second); });
}

// A folder an install may make: the install folder, one inside it, or one
// above it or above a file root, below the drive's root.
bool AllowedFolder(const TRoots& roots, const std::string& folder) {
  if (WithinFolder(folder, roots.app)) return true;
  if (WithinFolder(roots.app, folder)) return true;
  return std::any_of(roots.files.begin(), roots.files.end(), [&](const std::string& f) {
    return WithinFolder(f, folder) && !SameText(f, folder);
  });
}

bool AllowedFile(const TRoots& roots, const std::string& path) {
  if (WithinFolder(path, roots.app) && !SameText(path, roots.app)) return true;
  return std::any_of(roots.files.begin(), roots.files.end(), [&](const std::string& f) { return SameText(f, path); });
}

bool IsBackupOf(const std::string& backup, const std::string& path) {
  if (!SameText(backup.substr(0, path.size()), path) || backup.compare(path.size(), 4, ".~vb") != 0) return false;
  const std::string n = backup.substr(path.size() + 4);
  return !n.empty() && n.size() <= 6 && n.find_first_not_of("0123456789") == std::string::npos;
}

[[noreturn]] void Refuse(const TLogRecord& r, const std::string& why) {
  throw TLogError("the uninstall log's record \"" + EncodeRecord(r) + "\" " + why);
}

}  // namespace

void CheckLog(const std::vector<TLogRecord>& records, const std::string& logFolder, const std::string& appName) {
  if (records.empty() || records[0].kind != TLogKind::App) throw TLogError("the uninstall log names no program");
  if (!appName.empty() && records[0].appName != appName)
    throw TLogError("the uninstall log is " + records[0].appName + "'s, not " + appName + "'s");
  TRoots roots;
  std::set<std::string> shared;
  for (const TLogRecord& r : records)
    if ((r.kind == TLogKind::File || r.kind == TLogKind::Replace) && r.shared) shared.insert(LowerText(r.file));
  bool acting = false;
  for (size_t i = 1; i < records.size(); ++i) {
    const TLogRecord& r = records[i];
    if (r.kind == TLogKind::Root) {
      if (acting) Refuse(r, "comes after the actions");
      switch (r.rootKind) {
        case TRootKind::App:
          if (!roots.app.empty() || !PlainPath(r.folder) || CheckInstallFolder(r.folder)) Refuse(r, "is not an install folder");
          if (!SameText(r.folder, logFolder)) Refuse(r, "names another folder than the log's");
          roots.app = r.folder;
          break;
        case TRootKind::File:
          if (!PlainPath(r.file)) Refuse(r, "is not a full path");
          roots.files.push_back(r.file);
          break;
        case TRootKind::Key:
          if (!PlainKey(r.subkey) || BroadKey(r.subkey, records[0].appName)) Refuse(r, "names a key no install may own");
          roots.keys.emplace_back(r.root, r.subkey);
          break;
        case TRootKind::Ini:
          if (!PlainPath(r.file)) Refuse(r, "is not a full path");
          if (MappedIniEntry(r.file, r.section, r.key)) Refuse(r, "names an entry Windows keeps in the registry");
          roots.ini.push_back(r);
          break;
      }
      continue;
    }
    if (!acting && roots.app.empty()) Refuse(r, "comes before the install folder is named");
    acting = true;
    switch (r.kind) {
      case TLogKind::App:
      case TLogKind::Root:
        Refuse(r, "is out of place");
      case TLogKind::Folder:
        if (!PlainPath(r.folder) || !AllowedFolder(roots, r.folder)) Refuse(r, "lies outside what the install made");
        break;
      case TLogKind::File:
      case TLogKind::Replace:
        if (!PlainPath(r.file) || !AllowedFile(roots, r.file)) Refuse(r, "lies outside what the install made");
        if (r.kind == TLogKind::Replace && !IsBackupOf(r.backup, r.file)) Refuse(r, "keeps its backup elsewhere");
        break;
      case TLogKind::Key:
        if (r.root == TRegistryRoot::LocalMachine && SameText(r.subkey, kSharedDllsKey)) break;  // made for the first count
        if (!PlainKey(r.subkey) || Parts(r.subkey).size() < 2 ||
            !std::any_of(roots.keys.begin(), roots.keys.end(),
                         [&](const auto& k) { return k.first == r.root && (WithinFolder(r.subkey, k.second) || WithinFolder(k.second, r.subkey)); }))
          Refuse(r, "lies outside the install's keys");
        break;
      case TLogKind::Value:
        if (r.root == TRegistryRoot::LocalMachine && SameText(r.subkey, kSharedDllsKey) && shared.count(LowerText(r.valueName))) break;
        if (!PlainKey(r.subkey) || !InKeyRoot(roots, r.root, r.subkey)) Refuse(r, "lies outside the install's keys");
        break;
      case TLogKind::DeleteKey:
        if (!std::any_of(roots.keys.begin(), roots.keys.end(),
                         [&](const auto& k) { return k.first == r.root && SameText(r.subkey, k.second); }))
          Refuse(r, "deletes a key the install did not write");
        break;
      case TLogKind::Ini:
        if (!std::any_of(roots.ini.begin(), roots.ini.end(), [&](const TLogRecord& e) {
              return SameText(e.file, r.file) && SameText(e.section, r.section) && SameText(e.key, r.key);
            }))
          Refuse(r, "changes an INI entry the install did not write");
        break;
    }
  }
  if (roots.app.empty()) throw TLogError("the uninstall log names no install folder");
}

void CheckLogBinding(std::string_view logBytes, const std::vector<TLogRecord>& records, const std::string& logFolder,
                     IInstallTarget& target) {
  if (records.empty() || records[0].kind != TLogKind::App) throw TLogError("the uninstall log names no program");
  const std::string key = kUninstallKeyBase + records[0].appName + "_is1";
  const auto text = [&](const char* name) -> std::string {
    const std::optional<TRegValue> v = target.ReadValue(TRegistryRoot::LocalMachine, key, name);
    if (!v || v->type != kRegString) return {};
    return v->data.substr(0, v->data.find('\0'));
  };
  std::string location = text("InstallLocation");
  if (!location.empty() && location.back() == '\\') location.pop_back();
  if (location.empty() || !SameText(location, logFolder))
    throw TLogError("no uninstall entry of " + records[0].appName + " names " + logFolder + " as its folder");
  if (DigestFromText(LowerText(text(kLogDigestValue))) != Sha256(logBytes))
    throw TLogError("the uninstall log is not the one " + records[0].appName + "'s install wrote (it was changed since)");
}

}  // namespace vanta::build
