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

TInstallResult Install(IByteSource& data, const TPayload& payload, const TSetupFolders& folders,
                       const TInstallOptions& options, IInstallTarget& target, IInstallProgress& progress,
                       const TFileProducer& uninstaller) {
  const TPayloadIndex& index = payload.index;
  auto folderOf = [&](const TDestination& d) { return Join(folders.Value(d.folder), d.relative); };

  uint64_t total = 0, done = 0;
  for (const TPackedFile& f : index.files) total += f.size;

  TInstallTransaction tx(target);
  TInstallResult result;
  class TJournal : public IJournal {
   public:
    TJournal(IInstallTarget& t, std::string path) : target_(t), path_(std::move(path)) {}
    void Append(const TLogRecord& r) override {
      std::string line;
      if (first_) line = std::string(kLogHeader) + "\r\n";
      first_ = false;
      target_.AppendFile(path_, line + EncodeRecord(r) + "\r\n");
    }
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
  } journal(target, folders.app + "\\" + kUninstallLogName);

  auto checkCancel = [&] {
    if (progress.Cancelled()) throw TCancelled{};
  };

  try {
    if (auto why = CheckInstallFolder(folders.app)) throw TInstallError("the folder " + *why);
    const std::string logPath = folders.app + "\\" + kUninstallLogName;
    const std::string arpKey = kUninstallKeyBase + index.appName + "_is1";
    // The roots: everything this install may touch, in the log before any
    // action, so that the uninstaller can refuse a record outside them.
    std::vector<TLogRecord> roots = {RootRecord(TRootKind::App, folders.app)};
    const auto fileRoot = [&](const std::string& path) {
      if (!InsideFolder(path, folders.app)) roots.push_back(RootRecord(TRootKind::File, path));
    };
    for (const TPackedFile& f : index.files) fileRoot(folderOf(f.folder) + "\\" + f.name);
    for (const TPackedIcon& icon : index.icons)
      if (!(options.noIcons && icon.name.folder == TFolder::Group)) fileRoot(folderOf(icon.name) + ".lnk");
    for (const TPackedIni& e : index.ini) roots.push_back(IniRootRecord(folderOf(e.file), e.section, e.key));
    for (const TPackedRegistry& r : index.registry) roots.push_back(KeyRootRecord(r.root, r.subkey));
    roots.push_back(KeyRootRecord(TRegistryRoot::LocalMachine, arpKey));
    {
      std::vector<TLogRecord> head = {AppRecord(index.appName)};
      head.insert(head.end(), roots.begin(), roots.end());
      try {
        CheckLog(head, folders.app, index.appName);
      } catch (const TLogError& e) {
        throw TInstallError(std::string("this setup would change what no install may own: ") + e.what());
      }
    }
    // An install over an earlier one of the same program keeps its log: the
    // uninstaller then removes what either of them made. Any other log is
    // a stranger's, whose records an administrator's uninstall must not run.
    std::vector<TLogRecord> earlier;
    if (std::optional<std::string> text = target.LoadFile(logPath)) {
      try {
        earlier = DecodeLog(*text);
        CheckLog(earlier, folders.app, index.appName);
        // Only a log its install committed, not one planted in a folder
        // someone made beforehand.
        CheckLogBinding(*text, earlier, folders.app, target);
      } catch (const TLogError& e) {
        throw TInstallError("the folder " + folders.app + " holds an uninstall log that cannot be taken over (" + e.what() +
                            "); choose another folder");
      }
    }
    const bool protect = NeedsProtection(folders, target);
    tx.Begin(index.appName, roots, earlier);
    tx.CreateFolders(folders.app);
    if (protect) target.ProtectFolder(folders.app);
    // The log file itself is the first file the install writes.
    if (target.FileExists(logPath)) tx.InstallFile(logPath, {}, [](const TByteWriter&) {});
    else tx.Note(FileRecord(logPath, false));
    tx.AttachJournal(journal);

    const std::string uninstallerPath = folders.app + "\\" + kUninstallerName;
    std::vector<std::string> installed, fileFolders;
    std::vector<std::pair<std::string, TInstallTransaction::TFileFlags>> newFiles;
    for (const TPackedFile& f : index.files) {
      const std::string folder = folderOf(f.folder);
      const std::string path = folder + "\\" + f.name;
      if (LowerText(path) == LowerText(logPath) || LowerText(path) == LowerText(uninstallerPath))
        throw TInstallError(path + " is the uninstaller's own file");
      fileFolders.push_back(folder);
      newFiles.emplace_back(path, TInstallTransaction::TFileFlags{(f.flags & kFileNeverUninstall) != 0, (f.flags & kFileShared) != 0});
    }
    // The folders, then the files that are new, each logged in one piece:
    // two writes to the disk rather than one a file.
    checkCancel();
    tx.CreateFolders(fileFolders);
    tx.LogNewFiles(newFiles);
    for (size_t i = 0; i < index.files.size(); ++i) {
      const TPackedFile& f = index.files[i];
      const std::string& path = newFiles[i].first;
      const TInstallTransaction::TFileFlags flags = newFiles[i].second;
      checkCancel();
      progress.Progress(path, done, total);
      const auto extract = [&](const TByteWriter& write) {
        ExtractFile(data, payload, i, [&](const void* bytes, size_t n) {
          checkCancel();
          write(bytes, n);
          done += n;
          progress.Progress(path, done, total);
        });
      };
      const bool existed = target.FileExists(path);
      const std::string folder = ParentFolder(path);
      if (existed && (flags.shared || SameText(folder, folders.sys) || SameText(folder, folders.win))) {
        // A shared file, or any in a system folder, is other programs' too:
        // only a newer or equal version replaces it.
        std::string bytes;
        extract([&](const void* p, size_t n) { bytes.append(static_cast<const char*>(p), n); });
        if (FileVersion(bytes) < FileVersion(target.LoadFile(path).value_or(""))) {
          result.keptNewer.push_back(path);
          // Still one more user of a shared file, counted below.
          if (flags.shared) tx.Note(FileRecord(path, flags.neverUninstall, true));
        } else {
          tx.InstallFile(path, flags, [&](const TByteWriter& write) { write(bytes.data(), bytes.size()); });
        }
      } else {
        tx.InstallFile(path, flags, extract);
      }
      if (flags.shared) {
        // As Windows counts: a file that was there without a count had one user.
        const std::optional<TRegValue> count = target.ReadValue(TRegistryRoot::LocalMachine, kSharedDllsKey, path);
        const uint32_t users = count ? DwordOf(count) : (existed ? 1u : 0u);
        tx.WriteValue(TRegistryRoot::LocalMachine, kSharedDllsKey, path, DwordValue(users + 1));
      }
      installed.push_back(path);
      if (f.flags & kFileIsReadme) result.readme = path;
    }

    for (const TPackedIcon& icon : index.icons) {
      if (options.noIcons && icon.name.folder == TFolder::Group) continue;
      checkCancel();
      const std::string link = folderOf(icon.name) + ".lnk";
      tx.CreateFolders(ParentFolder(link));
      tx.CreateShortcut(link, ExpandValue(icon.target, folders, installed, target),
                        Expand(icon.parameters, [&](TFolder f) { return folders.Value(f); }));
    }
    for (const TPackedIni& e : index.ini) {
      checkCancel();
      const std::string file = folderOf(e.file);
      tx.CreateFolders(ParentFolder(file));
      tx.WriteIni(file, e.section, e.key, ExpandValue(e.value, folders, installed, target));
    }
    for (const TPackedRegistry& r : index.registry) {
      checkCancel();
      tx.WriteValue(r.root, r.subkey, r.valueName, StringValue(ExpandValue(r.valueData, folders, installed, target)));
      if (r.deleteKeyOnUninstall) tx.DeleteKeyOnUninstall(r.root, r.subkey);
    }

    checkCancel();
    const std::string& key = arpKey;
    const std::string quoted = "\"" + uninstallerPath + "\"";
    std::vector<std::pair<std::string, TRegValue>> values = {
        {"DisplayName", StringValue(index.appVerName.empty() ? index.appName : index.appVerName)},
        {"UninstallString", StringValue(quoted)},
        {"QuietUninstallString", StringValue(quoted + " /SILENT")},
        {"InstallLocation", StringValue(folders.app + "\\")},
        {"DisplayIcon", StringValue(uninstallerPath)},
    };
    for (auto& v : AboutValues(index)) values.push_back(std::move(v));
    values.emplace_back("EstimatedSize", DwordValue(uint32_t((total + 1023) / 1024)));
    // Logged now, written once the log is whole: the digest of the log.
    values.emplace_back(kLogDigestValue, StringValue(""));
    tx.WriteValues(TRegistryRoot::LocalMachine, key, values, true);
    tx.InstallFile(uninstallerPath, {}, uninstaller);
    checkCancel();
    const std::optional<std::string> log = target.LoadFile(logPath);
    if (!log) throw TInstallError("cannot read back " + logPath);
    target.WriteValue(TRegistryRoot::LocalMachine, key, kLogDigestValue, StringValue(DigestText(Sha256(*log))));
    tx.Commit();
    result.log = tx.Records();
    return result;
  } catch (const TCancelled&) {
    result.outcome = TInstallOutcome::Cancelled;
  } catch (const TPayloadError& e) {
    result.outcome = TInstallOutcome::Failed;
    result.reason = e.what();
    result.damaged = true;
  } catch (const std::exception& e) {
    result.outcome = TInstallOutcome::Failed;
    result.reason = e.what();
  }
  result.rollbackProblems = tx.Rollback();
  result.log = tx.Records();
  result.readme.clear();
  return result;
}

}  // namespace vanta::build
