#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <memory>

#include "../Installer.h"
#include "../SetupWizard.h"
#include "FileSource.h"
#include "PathRules.h"
#include "SetupRoles.h"
#include "UserShell.h"
#include "Win32Target.h"
#include "WizardForm.h"

namespace vanta::build {
namespace {

constexpr const char* kCorrupted = "The setup files are corrupted. Please obtain a new copy of the program.";

std::string ShellFolder(int csidl) {
  char buf[MAX_PATH];
  if (FAILED(SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, buf))) return {};
  return buf;
}

std::string NoTrailingBackslash(std::string s) {
  if (s.size() > 3 && s.back() == '\\') s.pop_back();
  return s;
}

// {sys}: on 64-bit Windows a 32-bit setup's system files belong in
// SysWOW64; naming that folder itself writes them there without
// redirection and gives values a path a 64-bit process finds too.
std::string SystemFolder() {
  char buf[MAX_PATH];
  using TGetWow64 = UINT(WINAPI*)(LPSTR, UINT);
  const HMODULE kernel = GetModuleHandleA("kernel32.dll");
  if (auto get = reinterpret_cast<TGetWow64>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetSystemWow64DirectoryA")))) {
    const UINT n = get(buf, MAX_PATH);
    if (n > 0 && n < MAX_PATH) return NoTrailingBackslash(std::string(buf, n));
  }
  const UINT n = GetSystemDirectoryA(buf, MAX_PATH);
  return NoTrailingBackslash(std::string(buf, n));
}

std::string WindowsFolder() {
  char buf[MAX_PATH];
  const UINT n = GetWindowsDirectoryA(buf, MAX_PATH);
  return NoTrailingBackslash(std::string(buf, n));
}

class TNoProgress : public IInstallProgress {
 public:
  explicit TNoProgress(TSetupUi& ui) : ui_(ui) {}
  void Progress(const std::string& what, uint64_t, uint64_t) override {
    if (what != last_) ui_.Log("Installing " + what);
    last_ = what;
  }
  bool Cancelled() override { return false; }

 private:
  TSetupUi& ui_;
  std::string last_;
};

// The free space the running user may use on the folder's drive, and its file system.
TDriveSpace ProbeDrive(const std::string& folder) {
  if (folder.size() < 2 || folder[1] != ':') return {};
  const std::string root = folder.substr(0, 2) + "\\";
  ULARGE_INTEGER available{};
  if (!GetDiskFreeSpaceExA(root.c_str(), &available, nullptr, nullptr)) return {};
  char fileSystem[MAX_PATH + 1] = "";
  if (!GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, fileSystem, sizeof fileSystem)) fileSystem[0] = 0;
  return {true, available.QuadPart, CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, fileSystem, 3, "FAT", 3) == CSTR_EQUAL};
}

// The setup from its start to its exit code, step by step.
class TSetupRun {
 public:
  TSetupRun(const TSetupCommand& command, const std::string& self, const TSetupHooks& hooks)
      : command_(command), self_(self), hooks_(hooks), ui_(command, "Setup") {}

  int Run() {
    ui_.Log("Setup started: " + self_);
    // Asked for a log and none can be written: nothing is installed unrecorded.
    if (ui_.LogMissing()) {
      ui_.Error("Setup cannot write its log file " + (command_.logFile.empty() ? std::string("in the temporary folder") : command_.logFile) +
                ".\n\nNothing was installed.");
      return kSetupCouldNotStart;
    }
    for (const std::string& a : command_.ignored) ui_.Log("Ignored argument: " + a);
    if (!OpenPayloadOfSelf()) return kSetupCouldNotStart;
    const TPayloadIndex& index = payload_.index;
    title_ = "Setup - " + index.appName;
    ui_.SetTitle(title_);
    FindFolders();
    TSetupWizard wizard(index.appVerName.empty() ? index.appName : index.appVerName, DefaultFields(), HasReadme(), command_.noCancel,
                        {SpaceNeeded(index, payload_.programSize), ProbeDrive});
    // What the switches give is checked as the pages would check it.
    if (command_.quiet != TQuietness::Normal) {
      for (int page = 0; page < 4; ++page) {
        if (std::optional<std::string> error = wizard.Next(wizard.Fields())) {
          ui_.Error(*error);
          return kSetupCouldNotStart;
        }
      }
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const TWizardOutcome outcome = ShowPages(wizard);
    CoUninitialize();
    return Ended(outcome, wizard);
  }

 private:
  bool OpenPayloadOfSelf() {
    try {
      source_ = std::make_unique<TFileSource>(self_);
      payload_ = OpenPayload(*source_);
      // A spanned setup's parts lie beside it.
      const std::string folder = FolderOfPath(self_);
      data_ = OpenData(*source_, payload_, [&](const std::string& name) -> std::unique_ptr<IByteSource> {
        try {
          return std::make_unique<TFileSource>(folder.empty() ? name : folder + "\\" + name);
        } catch (const TPayloadError&) {
          return nullptr;
        }
      });
      return true;
    } catch (const TPayloadError& e) {
      ui_.Log(std::string("Packed data refused: ") + e.what());
      const std::string why = e.what();
      ui_.Error(why.rfind("The setup part ", 0) == 0 ? why + "\n\n" + kCorrupted : std::string(kCorrupted));
      return false;
    }
  }

  void FindFolders() {
    folders_.pf = NoTrailingBackslash(ShellFolder(CSIDL_PROGRAM_FILES));
    folders_.sys = SystemFolder();
    folders_.win = WindowsFolder();
    folders_.sd = folders_.win.substr(0, 2);  // "C:", as the Windows folder's drive
    folders_.userDesktop = NoTrailingBackslash(ShellFolder(CSIDL_DESKTOPDIRECTORY));
    programs_ = NoTrailingBackslash(ShellFolder(CSIDL_COMMON_PROGRAMS));
  }

  TWizardFields DefaultFields() const {
    const TPayloadIndex& index = payload_.index;
    TWizardFields f;
    f.folder = command_.dir ? NoTrailingBackslash(*command_.dir) : folders_.Value(index.defaultDirName.folder) + "\\" + index.defaultDirName.relative;
    f.group = command_.group.value_or(index.defaultGroupName);
    f.noGroup = command_.noIcons;
    for (const TPackedRun& r : index.run) f.run.push_back({r.description, !(r.flags & kRunUnchecked)});
    return f;
  }

  bool HasReadme() const {
    for (const TPackedFile& f : payload_.index.files)
      if (f.flags & kFileIsReadme) return true;
    return false;
  }

  TSetupFolders Chosen(const TWizardFields& fields) const {
    TSetupFolders chosen = folders_;
    chosen.app = fields.folder;
    chosen.group = programs_ + "\\" + fields.group;
    return chosen;
  }

  TInstallResult Install(IInstallProgress& progress, const TWizardFields& fields) {
    const TSetupFolders chosen = Chosen(fields);
    for (TFolder f : {TFolder::App, TFolder::Pf, TFolder::Sys, TFolder::Win, TFolder::Group, TFolder::UserDesktop, TFolder::Sd})
      ui_.Log("{" + std::string(FolderName(f)) + "} = " + chosen.Value(f));
    TInstallOptions options;
    options.noIcons = fields.noGroup;
    TWin32Target target;
    // The uninstaller is this program without its payload.
    const uint64_t stubSize = payload_.programSize;
    const TFileProducer uninstaller = [&](const TByteWriter& write) {
      char buf[65536];
      for (uint64_t at = 0; at < stubSize;) {
        const size_t n = size_t(std::min<uint64_t>(sizeof buf, stubSize - at));
        source_->ReadAt(at, buf, n);
        write(buf, n);
        at += n;
      }
    };
    return vanta::build::Install(*data_, payload_, chosen, options, target, progress, uninstaller);
  }

  TWizardOutcome ShowPages(TSetupWizard& wizard) {
    const TInstallWork work = [&](IInstallProgress& progress, const TWizardFields& fields) { return Install(progress, fields); };
    TWizardOutcome outcome;
    if (command_.quiet == TQuietness::VerySilent) {
      TNoProgress progress(ui_);
      outcome.install = work(progress, wizard.Fields());
      outcome.end = outcome.install.outcome == TInstallOutcome::Done     ? TWizardEnd::Done
                    : outcome.install.outcome == TInstallOutcome::Failed ? TWizardEnd::Failed
                                                                          : TWizardEnd::CancelledDuring;
      return outcome;
    }
    const TPayloadIndex& index = payload_.index;
    const auto leaf = [](const std::string& path) { return path.substr(path.find_last_of('\\') + 1); };
    TWizardLook look;
    look.title = title_;
    look.progressOnly = command_.quiet == TQuietness::Silent;
    look.folderLeaf = leaf(index.defaultDirName.relative);
    look.groupRoot = programs_;
    look.groupLeaf = leaf(index.defaultGroupName);
    look.large = &index.wizardImage;
    look.small = &index.wizardSmallImage;
    look.pauseMs = hooks_.pauseMs;
    return RunWizardForm(wizard, look, work);
  }

  // The Finished page's choices and the readme, started as the desktop's user.
  void StartChosenPrograms(const TInstallResult& result, const TSetupWizard& wizard) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    TDesktopShell desktop;
    const std::string line = OpenReadmeAsUser(result, wizard.Fields().viewReadme, ui_.Interactive(), desktop);
    if (!line.empty()) ui_.Log(line);
    std::vector<bool> ticked;
    for (const TWizardFields::TRunChoice& c : wizard.Fields().run) ticked.push_back(c.ticked);
    for (const std::string& l : RunAfterInstall(result, payload_.index.run, ticked, !ui_.Interactive(), Chosen(wizard.Fields()), desktop))
      ui_.Log(l);
    CoUninitialize();
  }

  int Ended(const TWizardOutcome& outcome, const TSetupWizard& wizard) {
    const TInstallResult& result = outcome.install;
    for (const TLogRecord& r : result.log) ui_.Log("Log: " + EncodeRecord(r));
    if (outcome.end == TWizardEnd::Failed || outcome.end == TWizardEnd::CancelledDuring)
      ui_.Log("Rolled back " + std::to_string(result.log.size()) + " logged actions, " +
              std::to_string(result.rollbackProblems.size()) + " of them with problems");
    for (const std::string& p : result.rollbackProblems) ui_.Log("Rollback problem: " + p);
    switch (outcome.end) {
      case TWizardEnd::CancelledBefore:
        ui_.Log("Cancelled before installing");
        return kSetupCancelledBefore;
      case TWizardEnd::Done:
        ui_.Log("Installation finished");
        StartChosenPrograms(result, wizard);
        return kSetupDone;
      case TWizardEnd::CancelledDuring:
        if (!result.rollbackProblems.empty()) break;
        ui_.Log("Cancelled while installing; everything was taken out again");
        return kSetupCancelledDuring;
      case TWizardEnd::Failed:
        break;
    }
    return Failed(outcome.end, result);
  }

  int Failed(TWizardEnd end, const TInstallResult& result) {
    // Damage found while installing ends as damage found before: nothing
    // was changed, and the user needs a new copy.
    if (result.damaged && result.rollbackProblems.empty()) {
      ui_.Error(result.reason + "\n\n" + kCorrupted);
      return kSetupCouldNotStart;
    }
    // Whatever could not be undone is said, never "Nothing was changed", and
    // the exit code is the fatal one, never "cancelled" or "could not start".
    const std::string what = end == TWizardEnd::CancelledDuring ? "Setup was cancelled"
                                                                 : "Setup could not install " + payload_.index.appName + ":\n" + result.reason;
    ui_.Error(what + (result.rollbackProblems.empty()
                          ? "\n\nNothing was changed."
                          : "\n\nSome changes could not be undone:\n" + result.rollbackProblems.front() +
                                (result.rollbackProblems.size() > 1 ? "\n(and more; see the log)" : "")));
    return kSetupFailed;
  }

  const TSetupCommand& command_;
  const std::string self_;
  const TSetupHooks& hooks_;
  TSetupUi ui_;
  std::unique_ptr<TFileSource> source_;
  std::unique_ptr<IByteSource> data_;
  TPayload payload_;
  std::string title_;
  TSetupFolders folders_;
  std::string programs_;
};

}  // namespace

int RunSetup(const TSetupCommand& command, const std::string& self, const TSetupHooks& hooks) {
  return TSetupRun(command, self, hooks).Run();
}

}  // namespace vanta::build
