#include "Uninstall.h"
#include "PathText.h"

#include <algorithm>

namespace vanta::build {
namespace {

class TUndo {
 public:
  TUndo(const std::vector<TLogRecord>& records, IInstallTarget& target) : records_(records), target_(target) {}

  void Record(const TLogRecord& r) {
    switch (r.kind) {
      case TLogKind::Folder: return Folder(r);
      case TLogKind::File:
      case TLogKind::Replace: return File(r);
      case TLogKind::Key: target_.DeleteKeyIfEmpty(r.root, r.subkey); return;
      case TLogKind::DeleteKey: return DeleteKey(r);
      case TLogKind::Ini: return Ini(r);
      case TLogKind::App:
      case TLogKind::Root:
      case TLogKind::Value: return;
    }
  }

  TUninstallReport report;

 private:
  void Folder(const TLogRecord& r) {
    if (!target_.FolderExists(r.folder) || target_.RemoveFolderIfEmpty(r.folder)) return;
    // Holding only files that go at the restart, it goes after them;
    // holding anything else, Windows will not remove it then either.
    if (std::any_of(report.atRestart.begin(), report.atRestart.end(), [&](const std::string& p) { return InsideFolder(p, r.folder); }) &&
        target_.RemoveAtRestart(r.folder))
      report.atRestart.push_back(r.folder);
    else
      report.kept.push_back(r.folder);
  }

  void Remove(const std::string& path) {
    if (!target_.FileExists(path) || target_.RemoveFile(path)) return;
    if (target_.RemoveAtRestart(path)) report.atRestart.push_back(path);
    else report.problems.push_back("cannot delete " + path);
  }

  void File(const TLogRecord& r) {
    if (r.neverUninstall) return report.kept.push_back(r.file);
    if (r.shared && !LastUser(r.file)) {
      // Others still use it, as it is now: the backup is of no more use.
      if (r.kind == TLogKind::Replace) Remove(r.backup);
      return report.kept.push_back(r.file);
    }
    if (r.kind != TLogKind::Replace || !target_.FileExists(r.backup)) return Remove(r.file);
    // What the install replaced comes back; over a file in use, at the restart.
    if (!target_.FileExists(r.file) || target_.RemoveFile(r.file)) return target_.RenameFile(r.backup, r.file);
    if (target_.RenameAtRestart(r.backup, r.file)) report.atRestart.push_back(r.file);
    else report.problems.push_back("cannot put back " + r.file);
  }

  // One user fewer of a shared file; true when it was the last.
  bool LastUser(const std::string& path) {
    const uint32_t users = DwordOf(target_.ReadValue(TRegistryRoot::LocalMachine, kSharedDllsKey, path));
    if (users > 1) {
      target_.WriteValue(TRegistryRoot::LocalMachine, kSharedDllsKey, path, DwordValue(users - 1));
      return false;
    }
    target_.DeleteValue(TRegistryRoot::LocalMachine, kSharedDllsKey, path);
    return true;
  }

  bool Created(TRegistryRoot root, const std::string& key) const {
    return std::any_of(records_.begin(), records_.end(), [&](const TLogRecord& k) {
      return k.kind == TLogKind::Key && k.root == root && (SameText(k.subkey, key) || InsideFolder(key, k.subkey));
    });
  }

  // A key another program had before: only the values this install set.
  void DeleteKey(const TLogRecord& r) {
    if (Created(r.root, r.subkey)) return target_.DeleteKeyTree(r.root, r.subkey);
    for (auto it = records_.rbegin(); it != records_.rend(); ++it) {
      if (it->kind != TLogKind::Value || it->root != r.root || !SameText(it->subkey, r.subkey)) continue;
      if (it->oldValue) target_.WriteValue(r.root, r.subkey, it->valueName, *it->oldValue);
      else target_.DeleteValue(r.root, r.subkey, it->valueName);
    }
  }

  void Ini(const TLogRecord& r) {
    if (target_.ReadIni(r.file, r.section, r.key) != r.newText) return;  // changed since: someone else's now
    if (r.oldText) target_.WriteIni(r.file, r.section, r.key, *r.oldText);
    else target_.DeleteIni(r.file, r.section, r.key);
  }

  const std::vector<TLogRecord>& records_;
  IInstallTarget& target_;
};

}  // namespace

TUninstallReport Uninstall(const std::vector<TLogRecord>& records, const std::string& logFolder, IInstallTarget& target,
                           const TUninstallProgress& progress) {
  CheckLog(records, logFolder);
  TUndo undo(records, target);
  for (auto it = records.rbegin(); it != records.rend(); ++it) {
    if (progress) progress(Subject(*it), size_t(it - records.rbegin()), records.size());
    try {
      undo.Record(*it);
    } catch (const std::exception& e) {
      undo.report.problems.push_back(Subject(*it) + ": " + e.what());
    }
  }
  if (progress) progress({}, records.size(), records.size());
  return undo.report;
}

std::vector<TLogRecord> CheckedLog(std::string_view logBytes, const std::string& logFolder, IInstallTarget& target) {
  std::vector<TLogRecord> records = DecodeLog(logBytes);
  CheckLog(records, logFolder);
  CheckLogBinding(logBytes, records, logFolder, target);
  return records;
}

TUninstallReport UninstallLog(std::string_view logBytes, const std::string& logFolder, IInstallTarget& target) {
  return Uninstall(CheckedLog(logBytes, logFolder, target), logFolder, target);
}

}  // namespace vanta::build
