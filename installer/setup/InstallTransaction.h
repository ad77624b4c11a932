// An install as a transaction: every action is logged (to the journal, and
// so to disk) before it is done, so that Rollback can undo exactly what was
// done, even an action cut short, and the committed log is the
// uninstaller's. Actions that only add (folders, new files, a new key's
// values) can be logged together before the first of them, in one write
// to the disk: undoing copes with any of them not done yet.
#pragma once
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "PathText.h"

#include "InstallLog.h"

namespace vanta::build {

class TInstallTransaction {
 public:
  explicit TInstallTransaction(IInstallTarget& target) : target_(target) {}

  // From now on each record also goes to `journal`, starting with those
  // made so far.
  void AttachJournal(IJournal& journal);

  void Note(const TLogRecord& r) { Log(r); }  // a record without an action
  // The head of the log, before any other record: the app's name, the
  // roots of an earlier install into the same folder and this one's, then
  // that earlier install's actions, kept for the uninstaller and never
  // rolled back.
  void Begin(const std::string& appName, const std::vector<TLogRecord>& roots, const std::vector<TLogRecord>& earlier);
  void CreateFolders(const std::string& path);  // every missing level, outermost first
  // Every missing level of all `paths`, logged together, then made.
  void CreateFolders(const std::vector<std::string>& paths);
  struct TFileFlags {
    bool neverUninstall = false;
    bool shared = false;
  };
  // Logs together those of `files` that are not there; InstallFile then
  // writes them without a record of its own.
  void LogNewFiles(const std::vector<std::pair<std::string, TFileFlags>>& files);
  // A file that is there is moved aside (logged on its own, just before).
  void InstallFile(const std::string& path, TFileFlags flags, const TFileProducer& produce);
  void CreateShortcut(const std::string& link, const std::string& target, const std::string& parameters);
  void WriteIni(const std::string& file, const std::string& section, const std::string& key, const std::string& value);
  void WriteValue(TRegistryRoot root, const std::string& subkey, const std::string& name, const TRegValue& value);
  // The values of one key, logged together (with the key's deletion at
  // uninstall when asked), then written.
  void WriteValues(TRegistryRoot root, const std::string& subkey,
                   const std::vector<std::pair<std::string, TRegValue>>& values, bool deleteKeyOnUninstall);
  void DeleteKeyOnUninstall(TRegistryRoot root, const std::string& subkey);

  // Drops the backups of replaced files that the uninstall will not put
  // back (files an earlier install of the log wrote); one in use goes at
  // the next restart. A shared file's backup stays until its last user's
  // uninstall. The records stay.
  void Commit();
  // Undoes the records in reverse; returns what could not be undone (a
  // file that cannot go now is also set to go at the next restart).
  std::vector<std::string> Rollback();

  const std::vector<TLogRecord>& Records() const { return records_; }

 private:
  void Log(const TLogRecord& r);
  void LogAll(const std::vector<TLogRecord>& records);
  void MissingKeyRecord(TRegistryRoot root, const std::string& subkey, std::vector<TLogRecord>& out);
  // Records the file at `path` as new or replaced (moving the old one away)
  // and leaves the path free to write.
  void PrepareFile(const std::string& path, TFileFlags flags);
  void NotUndone(const std::string& path, std::vector<std::string>& problems);

  IInstallTarget& target_;
  IJournal* journal_ = nullptr;
  std::vector<TLogRecord> records_;
  size_t inherited_ = 0;
  std::set<std::string> loggedNew_;  // lower case: logged by LogNewFiles, not written yet
  std::set<std::string> earlierFiles_;  // lower case: written by the earlier install
};

}  // namespace vanta::build
