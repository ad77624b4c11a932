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

}  // namespace

int RunSetup(const TSetupCommand& command, const std::string& self) {
  TSetupUi ui(command, "Setup");
  ui.Log("Setup started: " + self);
  // Asked for a log and none can be written: nothing is installed unrecorded.
  if (ui.LogMissing()) {
    ui.Error("Setup cannot write its log file " + (command.logFile.empty() ? std::string("in the temporary folder") : command.logFile) +
             ".\n\nNothing was installed.");
    return kSetupCouldNotStart;
  }
  for (const std::string& a : command.ignored) ui.Log("Ignored argument: " + a);

  std::unique_ptr<TFileSource> source;
  std::unique_ptr<IByteSource> data;
  TPayload payload;
  try {
    source = std::make_unique<TFileSource>(self);
    payload = OpenPayload(*source);
    // A spanned setup's parts lie beside it.
    const std::string folder = FolderOfPath(self);
    data = OpenData(*source, payload, [&](const std::string& name) -> std::unique_ptr<IByteSource> {
      try {
        return std::make_unique<TFileSource>(folder.empty() ? name : folder + "\\" + name);
      } catch (const TPayloadError&) {
        return nullptr;
      }
    });
  } catch (const TPayloadError& e) {
    ui.Log(std::string("Packed data refused: ") + e.what());
    const std::string why = e.what();
    ui.Error(why.rfind("The setup part ", 0) == 0 ? why + "\n\n" + kCorrupted : std::string(kCorrupted));
    return kSetupCouldNotStart;
  }
  const TPayloadIndex& index = payload.index;
  const std::string title = "Setup - " + index.appName;
  ui.SetTitle(title);

  TSetupFolders folders;
  folders.pf = NoTrailingBackslash(ShellFolder(CSIDL_PROGRAM_FILES));
  folders.sys = SystemFolder();
  folders.win = WindowsFolder();
  folders.sd = folders.win.substr(0, 2);  // "C:", as the Windows folder's drive
  folders.userDesktop = NoTrailingBackslash(ShellFolder(CSIDL_DESKTOPDIRECTORY));
  const std::string programs = NoTrailingBackslash(ShellFolder(CSIDL_COMMON_PROGRAMS));

  TWizardFields defaults;
  defaults.folder = command.dir ? NoTrailingBackslash(*command.dir)
                                : folders.Value(index.defaultDirName.folder) + "\\" + index.defaultDirName.relative;
  defaults.group = command.group.value_or(index.defaultGroupName);
  defaults.noGroup = command.noIcons;
  for (const TPackedRun& r : index.run) defaults.run.push_back({r.description, !(r.flags & kRunUnchecked)});
  bool hasReadme = false;
  for (const TPackedFile& f : index.files) hasReadme |= (f.flags & kFileIsReadme) != 0;
  TSetupWizard wizard(index.appVerName.empty() ? index.appName : index.appVerName, defaults, hasReadme, command.noCancel,
                      {SpaceNeeded(index, payload.programSize), ProbeDrive});

  // What the switches give is checked as the pages would check it.
  if (command.quiet != TQuietness::Normal) {
    for (int page = 0; page < 4; ++page) {
      if (std::optional<std::string> error = wizard.Next(wizard.Fields())) {
        ui.Error(*error);
        return kSetupCouldNotStart;
      }
    }
  }

  const uint64_t stubSize = payload.programSize;
  const TFileProducer uninstaller = [&](const TByteWriter& write) {
    char buf[65536];
    for (uint64_t at = 0; at < stubSize;) {
      const size_t n = size_t(std::min<uint64_t>(sizeof buf, stubSize - at));
      source->ReadAt(at, buf, n);
      write(buf, n);
      at += n;
    }
  };
  const auto chosenFolders = [&](const TWizardFields& fields) {
    TSetupFolders chosen = folders;
    chosen.app = fields.folder;
    chosen.group = programs + "\\" + fields.group;
    return chosen;
  };
  const TInstallWork work = [&](IInstallProgress& progress, const TWizardFields& fields) {
    const TSetupFolders chosen = chosenFolders(fields);
    for (TFolder f : {TFolder::App, TFolder::Pf, TFolder::Sys, TFolder::Win, TFolder::Group, TFolder::UserDesktop, TFolder::Sd})
      ui.Log("{" + std::string(FolderName(f)) + "} = " + chosen.Value(f));
    TInstallOptions options;
    options.noIcons = fields.noGroup;
    TWin32Target target;
    return Install(*data, payload, chosen, options, target, progress, uninstaller);
  };

  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  TWizardOutcome outcome;
  if (command.quiet == TQuietness::VerySilent) {
    TNoProgress progress(ui);
    outcome.install = work(progress, wizard.Fields());
    outcome.end = outcome.install.outcome == TInstallOutcome::Done     ? TWizardEnd::Done
                  : outcome.install.outcome == TInstallOutcome::Failed ? TWizardEnd::Failed
                                                                        : TWizardEnd::CancelledDuring;
  } else {
    const std::string leaf = index.defaultDirName.relative.substr(index.defaultDirName.relative.find_last_of('\\') + 1);
    outcome = RunWizardForm(wizard, title, command.quiet == TQuietness::Silent, leaf, work, command.testPauseMs,
                            {index.wizardImage, index.wizardSmallImage});
  }
  CoUninitialize();

  const TInstallResult& result = outcome.install;
  for (const TLogRecord& r : result.log) ui.Log("Log: " + EncodeRecord(r));
  if (outcome.end == TWizardEnd::Failed || outcome.end == TWizardEnd::CancelledDuring)
    ui.Log("Rolled back " + std::to_string(result.log.size()) + " logged actions, " +
           std::to_string(result.rollbackProblems.size()) + " of them with problems");
  for (const std::string& p : result.rollbackProblems) ui.Log("Rollback problem: " + p);

  switch (outcome.end) {
    case TWizardEnd::CancelledBefore:
      ui.Log("Cancelled before installing");
      return kSetupCancelledBefore;
    case TWizardEnd::Done:
      ui.Log("Installation finished");
      {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        TDesktopShell desktop;
        const std::string line = OpenReadmeAsUser(result, wizard.Fields().viewReadme, ui.Interactive(), desktop);
        if (!line.empty()) ui.Log(line);
        std::vector<bool> ticked;
        for (const TWizardFields::TRunChoice& c : wizard.Fields().run) ticked.push_back(c.ticked);
        for (const std::string& l : RunAfterInstall(result, index.run, ticked, !ui.Interactive(), chosenFolders(wizard.Fields()), desktop))
          ui.Log(l);
        CoUninitialize();
      }
      return kSetupDone;
    case TWizardEnd::CancelledDuring:
      if (!result.rollbackProblems.empty()) break;
      ui.Log("Cancelled while installing; everything was taken out again");
      return kSetupCancelledDuring;
    case TWizardEnd::Failed:
      break;
  }
  // Damage found while installing ends as damage found before: nothing
  // was changed, and the user needs a new copy.
  if (result.damaged && result.rollbackProblems.empty()) {
    ui.Error(result.reason + "\n\n" + kCorrupted);
    return kSetupCouldNotStart;
  }
  // Whatever could not be undone is said, never "Nothing was changed", and
  // the exit code is the fatal one, never "cancelled" or "could not start".
  const std::string what = outcome.end == TWizardEnd::CancelledDuring ? "Setup was cancelled"
                                                                       : "Setup could not install " + index.appName + ":\n" + result.reason;
  ui.Error(what + (result.rollbackProblems.empty()
                       ? "\n\nNothing was changed."
                       : "\n\nSome changes could not be undone:\n" + result.rollbackProblems.front() +
                             (result.rollbackProblems.size() > 1 ? "\n(and more; see the log)" : "")));
  return kSetupFailed;
}

}  // namespace vanta::build
