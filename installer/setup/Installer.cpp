#include "Installer.h"
#include "PathText.h"

#include <algorithm>

#include "FileVersion.h"
#include "PathRules.h"

namespace vanta::build {
namespace {

struct TCancelled {};

std::string Join(const std::string& folder, const std::string& relative) {
  if (relative.empty()) return folder;
  return folder + "\\" + relative;
}

// Whether `shortName` ("MYSAVE~1.SCR", "MySaver~1.scr") is an 8.3 form of
// `longName` ("My Saver.scr"): the stem before "~digits" starts the long
// base name with blanks removed, and the extensions agree.
bool IsShortFormOf(const std::string& shortName, const std::string& longName) {
  const std::string s = LowerText(shortName), l = LowerText(longName);
  const size_t tilde = s.find('~');
  if (tilde == std::string::npos || tilde == 0) return false;
  const size_t dot = s.find('.', tilde);
  const std::string digits = s.substr(tilde + 1, dot == std::string::npos ? std::string::npos : dot - tilde - 1);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return false;
  const std::string shortExt = dot == std::string::npos ? "" : s.substr(dot + 1);
  const size_t longDot = l.find_last_of('.');
  const std::string longExt = longDot == std::string::npos ? "" : l.substr(longDot + 1);
  std::string longBase = l.substr(0, longDot);
  longBase.erase(std::remove(longBase.begin(), longBase.end(), ' '), longBase.end());
  return longExt.substr(0, 3) == shortExt && longBase.rfind(s.substr(0, tilde), 0) == 0;
}

// Program Files keeps what is in it to administrators; a folder elsewhere
// (one the user typed, such as C:\Games\Saver) inherits what its parent
// allows, often "any user may modify", and then anyone could replace the
// uninstaller or its log before an administrator runs them. A new folder
// there gets the install's own access list; an existing one any user may
// change only when it is empty.
bool NeedsProtection(const TSetupFolders& folders, IInstallTarget& target) {
  if (!folders.pf.empty() && WithinFolder(folders.app, folders.pf)) return false;
  if (!target.FolderExists(folders.app)) return true;
  if (!target.FolderOpenToUsers(folders.app)) return false;
  if (!target.FolderIsEmpty(folders.app))
    throw TInstallError("The folder " + folders.app +
                        " can be changed by users who are not administrators, so what is installed there could be "
                        "replaced behind your back. Choose an empty folder, or one only administrators can change.");
  return true;
}

}  // namespace

std::string TSetupFolders::Value(TFolder f) const {
  switch (f) {
    case TFolder::App: return app;
    case TFolder::Pf: return pf;
    case TFolder::Sys: return sys;
    case TFolder::Win: return win;
    case TFolder::Group: return group;
    case TFolder::UserDesktop: return userDesktop;
    case TFolder::Sd: return sd;
  }
  return {};
}

std::vector<std::pair<std::string, TRegValue>> AboutValues(const TPayloadIndex& index) {
  std::vector<std::pair<std::string, TRegValue>> values;
  const std::pair<const char*, const std::string*> texts[] = {
      {"DisplayVersion", &index.appVersion},  {"Publisher", &index.appPublisher},
      {"URLInfoAbout", &index.appPublisherURL}, {"HelpLink", &index.appSupportURL},
      {"URLUpdateInfo", &index.appUpdatesURL},
  };
  for (const auto& [name, text] : texts)
    if (!text->empty()) values.emplace_back(name, StringValue(*text));
  // "2.10.3": major 2, minor 10; only leading digits count, as far as a DWORD goes.
  const std::string& v = index.appVersion;
  size_t i = 0;
  for (const char* name : {"VersionMajor", "VersionMinor"}) {
    uint64_t n = 0;
    const size_t start = i;
    while (i < v.size() && v[i] >= '0' && v[i] <= '9' && n <= 0xFFFFFFFFu) n = n * 10 + uint64_t(v[i++] - '0');
    if (i == start || n > 0xFFFFFFFFu) break;
    values.emplace_back(name, DwordValue(uint32_t(n)));
    if (i >= v.size() || v[i] != '.') break;
    ++i;
  }
  return values;
}

std::optional<std::string> CheckInstallFolder(const std::string& path) {
  if (!HasDriveRoot(path)) return "\"" + path + "\" is not a full path on a drive";
  std::string rest = path.substr(3);
  if (!rest.empty() && rest.back() == '\\') rest.pop_back();
  if (rest.empty()) return "\"" + path + "\" is a drive's root";
  if (rest.find('/') != std::string::npos) return "\"" + path + "\" holds \"/\"";
  return CheckRelativePath(rest);
}

std::string ExpandValue(const TConstText& text, const TSetupFolders& folders,
                        const std::vector<std::string>& installedFiles, IInstallTarget& target) {
  const std::string value = Expand(text, [&](TFolder f) { return folders.Value(f); });
  const size_t cut = value.find_last_of('\\');
  if (cut == std::string::npos || value.find('~', cut) == std::string::npos || target.FileExists(value)) return value;
  const std::string folder = LowerText(value.substr(0, cut));
  std::string match;
  for (const std::string& file : installedFiles) {
    const size_t fileCut = file.find_last_of('\\');
    if (LowerText(file.substr(0, fileCut)) != folder || !IsShortFormOf(value.substr(cut + 1), file.substr(fileCut + 1)))
      continue;
    if (!match.empty() && LowerText(match) != LowerText(file)) return value;  // two candidates: leave it as written
    match = file;
  }
  if (match.empty()) return value;
  const std::string shortPath = target.ShortPath(match);
  return shortPath.empty() ? match : shortPath;
}

namespace {

// The uninstall log as the install writes it: its header before the first record.
class TJournal : public IJournal {
 public:
  TJournal(IInstallTarget& t, std::string path) : target_(t), path_(std::move(path)) {}
  void Append(const TLogRecord& r) override { AppendAll({r}); }
  void AppendAll(const std::vector<TLogRecord>& records) override {
    std::string lines;
    if (first_) lines = std::string(kLogHeader) + "\r\n";
    first_ = false;
    for (const TLogRecord& r : records) lines += EncodeRecord(r) + "\r\n";
    target_.AppendFile(path_, lines);
  }

 private:
  IInstallTarget& target_;
  std::string path_;
  bool first_ = true;
};

using TNewFiles = std::vector<std::pair<std::string, TInstallTransaction::TFileFlags>>;

// One install, step by step, all in one transaction that a failure or
// Cancel rolls back.
class TInstallRun {
 public:
  TInstallRun(IByteSource& data, const TPayload& payload, const TSetupFolders& folders, const TInstallOptions& options,
              IInstallTarget& target, IInstallProgress& progress, const TFileProducer& uninstaller)
      : data_(data), payload_(payload), index_(payload.index), folders_(folders), options_(options), target_(target),
        progress_(progress), uninstaller_(uninstaller), tx_(target), journal_(target, folders.app + "\\" + kUninstallLogName),
        logPath_(folders.app + "\\" + kUninstallLogName), arpKey_(kUninstallKeyBase + index_.appName + "_is1"),
        uninstallerPath_(folders.app + "\\" + kUninstallerName) {
    for (const TPackedFile& f : index_.files) total_ += f.size;
  }

  TInstallResult Run() {
    try {
      if (auto why = CheckInstallFolder(folders_.app)) throw TInstallError("the folder " + *why);
      Begin(Roots(), EarlierLog());
      const TNewFiles newFiles = PlanFiles();
      // The folders, then the files that are new, each logged in one piece:
      // two writes to the disk rather than one a file.
      CheckCancel();
      std::vector<std::string> fileFolders;
      for (const TPackedFile& f : index_.files) fileFolders.push_back(FolderOf(f.folder));
      tx_.CreateFolders(fileFolders);
      tx_.LogNewFiles(newFiles);
      for (size_t i = 0; i < index_.files.size(); ++i) InstallFile(i, newFiles[i].first, newFiles[i].second);
      ShortcutsIniAndRegistry();
      UninstallEntry();
      tx_.Commit();
      result_.log = tx_.Records();
      return result_;
    } catch (const TCancelled&) {
      result_.outcome = TInstallOutcome::Cancelled;
    } catch (const TPayloadError& e) {
      result_.outcome = TInstallOutcome::Failed;
      result_.reason = e.what();
      result_.damaged = true;
    } catch (const std::exception& e) {
      result_.outcome = TInstallOutcome::Failed;
      result_.reason = e.what();
    }
    result_.rollbackProblems = tx_.Rollback();
    result_.log = tx_.Records();
    result_.readme.clear();
    return result_;
  }

 private:
  std::string FolderOf(const TDestination& d) const { return Join(folders_.Value(d.folder), d.relative); }
  void CheckCancel() {
    if (progress_.Cancelled()) throw TCancelled{};
  }

  // The roots: everything this install may touch, in the log before any
  // action, so that the uninstaller can refuse a record outside them.
  std::vector<TLogRecord> Roots() const {
    std::vector<TLogRecord> roots = {RootRecord(TRootKind::App, folders_.app)};
    const auto fileRoot = [&](const std::string& path) {
      if (!InsideFolder(path, folders_.app)) roots.push_back(RootRecord(TRootKind::File, path));
    };
    for (const TPackedFile& f : index_.files) fileRoot(FolderOf(f.folder) + "\\" + f.name);
    for (const TPackedIcon& icon : index_.icons)
      if (!(options_.noIcons && icon.name.folder == TFolder::Group)) fileRoot(FolderOf(icon.name) + ".lnk");
    for (const TPackedIni& e : index_.ini) roots.push_back(IniRootRecord(FolderOf(e.file), e.section, e.key));
    for (const TPackedRegistry& r : index_.registry) roots.push_back(KeyRootRecord(r.root, r.subkey));
    roots.push_back(KeyRootRecord(TRegistryRoot::LocalMachine, arpKey_));
    std::vector<TLogRecord> head = {AppRecord(index_.appName)};
    head.insert(head.end(), roots.begin(), roots.end());
    try {
      CheckLog(head, folders_.app, index_.appName);
    } catch (const TLogError& e) {
      throw TInstallError(std::string("this setup would change what no install may own: ") + e.what());
    }
    return roots;
  }

  // An install over an earlier one of the same program keeps its log: the
  // uninstaller then removes what either of them made. Any other log is
  // a stranger's, whose records an administrator's uninstall must not run.
  std::vector<TLogRecord> EarlierLog() const {
    std::vector<TLogRecord> earlier;
    if (std::optional<std::string> text = target_.LoadFile(logPath_)) {
      try {
        earlier = DecodeLog(*text);
        CheckLog(earlier, folders_.app, index_.appName);
        // Only a log its install committed, not one planted in a folder
        // someone made beforehand.
        CheckLogBinding(*text, earlier, folders_.app, target_);
      } catch (const TLogError& e) {
        throw TInstallError("the folder " + folders_.app + " holds an uninstall log that cannot be taken over (" + e.what() +
                            "); choose another folder");
      }
    }
    return earlier;
  }

  void Begin(const std::vector<TLogRecord>& roots, const std::vector<TLogRecord>& earlier) {
    const bool protect = NeedsProtection(folders_, target_);
    tx_.Begin(index_.appName, roots, earlier);
    tx_.CreateFolders(folders_.app);
    if (protect) target_.ProtectFolder(folders_.app);
    // The log file itself is the first file the install writes.
    if (target_.FileExists(logPath_)) tx_.InstallFile(logPath_, {}, [](const TByteWriter&) {});
    else tx_.Note(FileRecord(logPath_, false));
    tx_.AttachJournal(journal_);
  }

  TNewFiles PlanFiles() const {
    TNewFiles newFiles;
    for (const TPackedFile& f : index_.files) {
      const std::string path = FolderOf(f.folder) + "\\" + f.name;
      if (LowerText(path) == LowerText(logPath_) || LowerText(path) == LowerText(uninstallerPath_))
        throw TInstallError(path + " is the uninstaller's own file");
      newFiles.emplace_back(path, TInstallTransaction::TFileFlags{(f.flags & kFileNeverUninstall) != 0, (f.flags & kFileShared) != 0});
    }
    return newFiles;
  }

  void InstallFile(size_t i, const std::string& path, const TInstallTransaction::TFileFlags flags) {
    CheckCancel();
    progress_.Progress(path, done_, total_);
    const auto extract = [&](const TByteWriter& write) {
      ExtractFile(data_, payload_, i, [&](const void* bytes, size_t n) {
        CheckCancel();
        write(bytes, n);
        done_ += n;
        progress_.Progress(path, done_, total_);
      });
    };
    const bool existed = target_.FileExists(path);
    const std::string folder = ParentFolder(path);
    if (existed && (flags.shared || SameText(folder, folders_.sys) || SameText(folder, folders_.win))) {
      // A shared file, or any in a system folder, is other programs' too:
      // only a newer or equal version replaces it.
      std::string bytes;
      extract([&](const void* p, size_t n) { bytes.append(static_cast<const char*>(p), n); });
      if (FileVersion(bytes) < FileVersion(target_.LoadFile(path).value_or(""))) {
        result_.keptNewer.push_back(path);
        // Still one more user of a shared file, counted below.
        if (flags.shared) tx_.Note(FileRecord(path, flags.neverUninstall, true));
      } else {
        tx_.InstallFile(path, flags, [&](const TByteWriter& write) { write(bytes.data(), bytes.size()); });
      }
    } else {
      tx_.InstallFile(path, flags, extract);
    }
    if (flags.shared) {
      // As Windows counts: a file that was there without a count had one user.
      const std::optional<TRegValue> count = target_.ReadValue(TRegistryRoot::LocalMachine, kSharedDllsKey, path);
      const uint32_t users = count ? DwordOf(count) : (existed ? 1u : 0u);
      tx_.WriteValue(TRegistryRoot::LocalMachine, kSharedDllsKey, path, DwordValue(users + 1));
    }
    installed_.push_back(path);
    if (index_.files[i].flags & kFileIsReadme) result_.readme = path;
  }

  void ShortcutsIniAndRegistry() {
    for (const TPackedIcon& icon : index_.icons) {
      if (options_.noIcons && icon.name.folder == TFolder::Group) continue;
      CheckCancel();
      const std::string link = FolderOf(icon.name) + ".lnk";
      tx_.CreateFolders(ParentFolder(link));
      tx_.CreateShortcut(link, ExpandValue(icon.target, folders_, installed_, target_),
                         Expand(icon.parameters, [&](TFolder f) { return folders_.Value(f); }));
    }
    for (const TPackedIni& e : index_.ini) {
      CheckCancel();
      const std::string file = FolderOf(e.file);
      tx_.CreateFolders(ParentFolder(file));
      tx_.WriteIni(file, e.section, e.key, ExpandValue(e.value, folders_, installed_, target_));
    }
    for (const TPackedRegistry& r : index_.registry) {
      CheckCancel();
      tx_.WriteValue(r.root, r.subkey, r.valueName, StringValue(ExpandValue(r.valueData, folders_, installed_, target_)));
      if (r.deleteKeyOnUninstall) tx_.DeleteKeyOnUninstall(r.root, r.subkey);
    }
  }

  // The Apps page's entry and the uninstaller, then the log's digest.
  void UninstallEntry() {
    CheckCancel();
    const std::string quoted = "\"" + uninstallerPath_ + "\"";
    std::vector<std::pair<std::string, TRegValue>> values = {
        {"DisplayName", StringValue(index_.appVerName.empty() ? index_.appName : index_.appVerName)},
        {"UninstallString", StringValue(quoted)},
        {"QuietUninstallString", StringValue(quoted + " /SILENT")},
        {"InstallLocation", StringValue(folders_.app + "\\")},
        {"DisplayIcon", StringValue(uninstallerPath_)},
    };
    for (auto& v : AboutValues(index_)) values.push_back(std::move(v));
    values.emplace_back("EstimatedSize", DwordValue(uint32_t((total_ + 1023) / 1024)));
    // Logged now, written once the log is whole: the digest of the log.
    values.emplace_back(kLogDigestValue, StringValue(""));
    tx_.WriteValues(TRegistryRoot::LocalMachine, arpKey_, values, true);
    tx_.InstallFile(uninstallerPath_, {}, uninstaller_);
    CheckCancel();
    const std::optional<std::string> log = target_.LoadFile(logPath_);
    if (!log) throw TInstallError("cannot read back " + logPath_);
    target_.WriteValue(TRegistryRoot::LocalMachine, arpKey_, kLogDigestValue, StringValue(DigestText(Sha256(*log))));
  }

  IByteSource& data_;
  const TPayload& payload_;
  const TPayloadIndex& index_;
  const TSetupFolders& folders_;
  const TInstallOptions& options_;
  IInstallTarget& target_;
  IInstallProgress& progress_;
  const TFileProducer& uninstaller_;
  TInstallTransaction tx_;
  TJournal journal_;
  const std::string logPath_, arpKey_, uninstallerPath_;
  uint64_t total_ = 0, done_ = 0;
  std::vector<std::string> installed_;
  TInstallResult result_;
};

}  // namespace

TInstallResult Install(IByteSource& data, const TPayload& payload, const TSetupFolders& folders,
                       const TInstallOptions& options, IInstallTarget& target, IInstallProgress& progress,
                       const TFileProducer& uninstaller) {
  return TInstallRun(data, payload, folders, options, target, progress, uninstaller).Run();
}

}  // namespace vanta::build
