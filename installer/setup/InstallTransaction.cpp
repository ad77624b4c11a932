#include "InstallTransaction.h"
#include "PathText.h"

#include <algorithm>

namespace vanta::build {
void TInstallTransaction::AttachJournal(IJournal& journal) {
  journal_ = &journal;
  if (!records_.empty()) journal_->AppendAll(records_);
}

void TInstallTransaction::Log(const TLogRecord& r) {
  if (journal_) journal_->Append(r);
  records_.push_back(r);
}

void TInstallTransaction::LogAll(const std::vector<TLogRecord>& records) {
  if (records.empty()) return;
  if (journal_) journal_->AppendAll(records);
  records_.insert(records_.end(), records.begin(), records.end());
}

void TInstallTransaction::Begin(const std::string& appName, const std::vector<TLogRecord>& roots,
                                const std::vector<TLogRecord>& earlier) {
  if (!records_.empty()) throw std::logic_error("the log's head goes first");
  Log(AppRecord(appName));
  std::set<std::string> seen;
  for (const auto* list : {&earlier, &roots})
    for (const TLogRecord& r : *list)
      if (r.kind == TLogKind::Root && seen.insert(LowerText(EncodeRecord(r))).second) Log(r);
  for (const TLogRecord& r : earlier) {
    if (r.kind == TLogKind::App || r.kind == TLogKind::Root) continue;
    Log(r);
    if (r.kind == TLogKind::File || r.kind == TLogKind::Replace) earlierFiles_.insert(LowerText(r.file));
  }
  inherited_ = records_.size();
}

void TInstallTransaction::CreateFolders(const std::string& path) {
  std::vector<std::string> missing;
  for (std::string p = path; !p.empty() && !IsRootFolder(p) && !target_.FolderExists(p); p = ParentFolder(p))
    missing.push_back(p);
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    Log(FolderRecord(*it));
    target_.CreateFolder(*it);
  }
}

void TInstallTransaction::CreateFolders(const std::vector<std::string>& paths) {
  std::vector<std::string> missing;
  std::set<std::string> seen;
  for (const std::string& path : paths) {
    std::vector<std::string> chain;
    for (std::string p = path; !p.empty() && !IsRootFolder(p) && !target_.FolderExists(p); p = ParentFolder(p)) chain.push_back(p);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
      if (seen.insert(LowerText(*it)).second) missing.push_back(*it);
  }
  std::vector<TLogRecord> records;
  for (const std::string& folder : missing) records.push_back(FolderRecord(folder));
  LogAll(records);
  for (const std::string& folder : missing) target_.CreateFolder(folder);
}

void TInstallTransaction::LogNewFiles(const std::vector<std::pair<std::string, TFileFlags>>& files) {
  std::vector<TLogRecord> records;
  for (const auto& [path, flags] : files) {
    if (target_.FileExists(path) || !loggedNew_.insert(LowerText(path)).second) continue;
    records.push_back(FileRecord(path, flags.neverUninstall, flags.shared));
  }
  LogAll(records);
}

void TInstallTransaction::PrepareFile(const std::string& path, TFileFlags flags) {
  if (!target_.FileExists(path)) {
    Log(FileRecord(path, flags.neverUninstall, flags.shared));
    return;
  }
  std::string backup;
  for (int n = 1;; ++n) {
    backup = path + ".~vb" + std::to_string(n);
    if (!target_.FileExists(backup) && !target_.FolderExists(backup)) break;
  }
  Log(ReplaceRecord(path, backup, flags.neverUninstall, flags.shared));
  target_.RenameFile(path, backup);
}

void TInstallTransaction::InstallFile(const std::string& path, TFileFlags flags, const TFileProducer& produce) {
  // Logged already while it was not there: written as it is. (Still there
  // in the log afterwards, the same path written again is replaced.)
  if (loggedNew_.erase(LowerText(path)) == 0 || target_.FileExists(path)) PrepareFile(path, flags);
  target_.WriteFile(path, produce);
}

void TInstallTransaction::CreateShortcut(const std::string& link, const std::string& target, const std::string& parameters) {
  PrepareFile(link, {});
  target_.CreateShortcut(link, target, parameters);
}

void TInstallTransaction::WriteIni(const std::string& file, const std::string& section, const std::string& key,
                                   const std::string& value) {
  Log(IniRecord(file, section, key, value, target_.ReadIni(file, section, key)));
  target_.WriteIni(file, section, key, value);
}

void TInstallTransaction::MissingKeyRecord(TRegistryRoot root, const std::string& subkey, std::vector<TLogRecord>& out) {
  // The outermost key that is missing is ours with all below it; a root's
  // first level ("Software") is the system's, made or not.
  for (size_t cut = subkey.find('\\'); cut != std::string::npos;) {
    cut = subkey.find('\\', cut + 1);
    const std::string key = subkey.substr(0, cut);
    if (!target_.KeyExists(root, key)) {
      out.push_back(KeyRecord(root, key));
      return;
    }
  }
}

void TInstallTransaction::WriteValue(TRegistryRoot root, const std::string& subkey, const std::string& name,
                                     const TRegValue& value) {
  std::vector<TLogRecord> records;
  MissingKeyRecord(root, subkey, records);
  for (const TLogRecord& r : records) Log(r);
  Log(ValueRecord(root, subkey, name, target_.ReadValue(root, subkey, name)));
  target_.WriteValue(root, subkey, name, value);
}

void TInstallTransaction::WriteValues(TRegistryRoot root, const std::string& subkey,
                                      const std::vector<std::pair<std::string, TRegValue>>& values, bool deleteKeyOnUninstall) {
  std::vector<TLogRecord> records;
  MissingKeyRecord(root, subkey, records);
  for (const auto& [name, value] : values) records.push_back(ValueRecord(root, subkey, name, target_.ReadValue(root, subkey, name)));
  if (deleteKeyOnUninstall) records.push_back(DeleteKeyRecord(root, subkey));
  LogAll(records);
  for (const auto& [name, value] : values) target_.WriteValue(root, subkey, name, value);
}

void TInstallTransaction::DeleteKeyOnUninstall(TRegistryRoot root, const std::string& subkey) {
  Log(DeleteKeyRecord(root, subkey));
}

void TInstallTransaction::Commit() {
  for (size_t i = inherited_; i < records_.size(); ++i) {
    const TLogRecord& r = records_[i];
    if (r.kind != TLogKind::Replace || !earlierFiles_.count(LowerText(r.file))) continue;
    if (!target_.RemoveFile(r.backup)) target_.RemoveAtRestart(r.backup);
  }
}

// A file the rollback cannot remove now (someone holds it open without
// allowing deletion) goes when Windows next starts, and is reported: the
// install did not end as if it never ran.
void TInstallTransaction::NotUndone(const std::string& path, std::vector<std::string>& problems) {
  const bool later = target_.RemoveAtRestart(path);
  problems.push_back(path + " could not be removed" + (later ? "; it goes when Windows next starts" : ""));
}

std::vector<std::string> TInstallTransaction::Rollback() {
  std::vector<std::string> problems;
  for (auto it = records_.rbegin(); it != records_.rend() - inherited_; ++it) {
    const TLogRecord& r = *it;
    try {
      switch (r.kind) {
        case TLogKind::App:
        case TLogKind::Root:
        case TLogKind::DeleteKey:
          break;
        case TLogKind::Folder:
          if (target_.FolderExists(r.folder) && !target_.RemoveFolderIfEmpty(r.folder) &&
              std::any_of(problems.begin(), problems.end(), [&](const std::string& p) { return InsideFolder(p, r.folder); }))
            target_.RemoveAtRestart(r.folder);
          break;
        case TLogKind::File:
          if (target_.FileExists(r.file) && !target_.RemoveFile(r.file)) NotUndone(r.file, problems);
          break;
        case TLogKind::Replace:
          // Without the backup the old file was never moved: leave it.
          if (!target_.FileExists(r.backup)) break;
          if (!target_.FileExists(r.file) || target_.RemoveFile(r.file)) {
            target_.RenameFile(r.backup, r.file);
          } else {
            const bool later = target_.RenameAtRestart(r.backup, r.file);
            problems.push_back(r.file + " could not be put back" + (later ? "; it comes back when Windows next starts" : ""));
          }
          break;
        case TLogKind::Key:
          target_.DeleteKeyTree(r.root, r.subkey);
          break;
        case TLogKind::Value:
          if (r.oldValue) target_.WriteValue(r.root, r.subkey, r.valueName, *r.oldValue);
          else target_.DeleteValue(r.root, r.subkey, r.valueName);
          break;
        case TLogKind::Ini:
          if (r.oldText) target_.WriteIni(r.file, r.section, r.key, *r.oldText);
          else target_.DeleteIni(r.file, r.section, r.key);
          break;
      }
    } catch (const std::exception& e) {
      problems.push_back(EncodeRecord(r) + ": " + e.what());
    }
  }
  return problems;
}

}  // namespace vanta::build
