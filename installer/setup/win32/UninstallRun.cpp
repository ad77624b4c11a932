#include <windows.h>

#include "../Handshake.h"
#include "../Installer.h"
#include "../Uninstall.h"
#include "PrivateFiles.h"
#include "SetupRoles.h"
#include "UninstallForm.h"
#include "Win32Target.h"

namespace vanta::build {
namespace {

// A new folder of our own under the temporary folder: never a shared one
// another user could have prepared, nor one they could enter (PrivateFiles.h).
std::string FreshTempFolder() {
  char base[MAX_PATH];
  const DWORD n = GetTempPathA(MAX_PATH, base);
  if (n == 0 || n >= MAX_PATH) return {};
  return CreatePrivateFolder(base, kPrivateUninstallPrefix);
}

// A handle that deletes the copy when the last handle of it closes: the
// copy inherits it, so the file goes once the copy has ended and Windows
// lets go of its program file. Its folder cannot go before that; it goes
// at the next restart, empty (the copy marks both).
struct TDeleteOnClose {
  HANDLE file = INVALID_HANDLE_VALUE;
  explicit TDeleteOnClose(const std::string& copy) {
    if (copy.empty()) return;  // nothing to hand on
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    file = CreateFileA(copy.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &inherit, OPEN_EXISTING,
                       FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  }
  ~TDeleteOnClose() {
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
};

std::string AppNameOf(const std::vector<TLogRecord>& records) {
  for (const TLogRecord& r : records)
    if (r.kind == TLogKind::App) return r.appName;
  return "the program";
}

// Copies the uninstaller to a fresh private folder and starts the copy
// by its full path, in the system folder, so that nothing keeps the
// install folder busy, nor its own (a current folder cannot be deleted).
// 0, or why not (a Windows error; ERROR_CANNOT_MAKE: no copy made).
DWORD StartCopy(const TSetupCommand& command, const std::string& self, const std::string& extra, bool cleanUp) {
  const std::string folder = FreshTempFolder();
  const std::string copy = folder + "\\" + kUninstallerName;
  if (folder.empty()) return ERROR_CANNOT_MAKE;
  if (!CopyFileA(self.c_str(), copy.c_str(), TRUE)) {
    RemoveDirectoryA(folder.c_str());
    return ERROR_CANNOT_MAKE;
  }
  // The copy is handed this program's file (an inherited handle, in place
  // of a process number), which stays valid when this process has ended:
  // it works only on the folder of the uninstaller it came from.
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  HANDLE me = CreateFileA(self.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          &inheritable, OPEN_EXISTING, 0, nullptr);
  if (me == INVALID_HANDLE_VALUE) me = nullptr;
  std::string line = "\"" + copy + "\" " +
                     CopyCommandLine(command, FolderOfPath(self), static_cast<unsigned long>(reinterpret_cast<uintptr_t>(me))) + extra;
  char system[MAX_PATH];
  const UINT n = GetSystemDirectoryA(system, MAX_PATH);
  const std::string cwd = n > 0 && n < MAX_PATH ? std::string(system, n) : folder;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  DWORD error = 0;
  {
    TDeleteOnClose handle(cleanUp ? copy : std::string());
    if (!CreateProcessA(copy.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, cwd.c_str(), &si, &pi))
      error = GetLastError();
  }
  if (me) CloseHandle(me);
  if (error) {
    DeleteFileA(copy.c_str());
    RemoveDirectoryA(folder.c_str());
    return error;
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 0;
}

}  // namespace

int StartUninstallCopy(const TSetupCommand& command, const std::string& self, const TSetupHooks& hooks) {
  TSetupUi ui(command, "Uninstall");
  // With the clean-up handle first; should Windows refuse to start a
  // program that such a handle holds, once more without it (the copy
  // still goes at the next restart).
  DWORD error = StartCopy(command, self, hooks.copyArguments, true);
  if (error && error != ERROR_CANNOT_MAKE) error = StartCopy(command, self, hooks.copyArguments, false);
  if (error == ERROR_CANNOT_MAKE) {
    ui.Error("The uninstaller could not copy itself to a temporary folder.");
    return kSetupCouldNotStart;
  }
  if (error) {
    ui.Error("The uninstaller could not start its copy: " + SystemErrorText(error));
    return kSetupCouldNotStart;
  }
  return kSetupDone;
}

namespace {

std::optional<TFileId> IdOf(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!file || file == INVALID_HANDLE_VALUE || GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info))
    return std::nullopt;
  return TFileId{info.dwVolumeSerialNumber, uint64_t(info.nFileIndexHigh) << 32 | info.nFileIndexLow,
                 (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
}

// The facts of the handshake (Handshake.h). The wait: a running program
// cannot be opened for deletion without sharing.
THandshake Handshake(const TSetupCommand& command, const std::string& self) {
  THandshake h;
  char temp[MAX_PATH];
  const DWORD n = GetTempPathA(MAX_PATH, temp);
  h.fromPrivateFolder = n > 0 && n < MAX_PATH && InPrivateUninstallFolder(self, std::string(temp, n));
  HANDLE handed = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(command.waitPid));
  if (!h.fromPrivateFolder || !handed) return h;
  h.handed = IdOf(handed);
  CloseHandle(handed);
  const std::string path = command.uninstallFrom + "\\" + kUninstallerName;
  {
    const HANDLE own = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    h.uninstaller = IdOf(own);
    if (own != INVALID_HANDLE_VALUE) CloseHandle(own);
  }
  if (CheckHandshake(THandshake{h.fromPrivateFolder, h.handed, h.uninstaller, true})) return h;
  for (int waited = 0; waited < 30000 && !h.released; waited += 50) {
    const HANDLE probe = CreateFileA(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
      h.released = IdOf(probe) == h.uninstaller;
      CloseHandle(probe);
      if (!h.released) break;
    } else {
      Sleep(50);
    }
  }
  return h;
}

// The log's undoing, in the uninstaller's window unless silent.
TUninstallReport Remove(const std::vector<TLogRecord>& records, const std::string& folder, bool window, const std::string& title,
                        const std::string& app, unsigned pauseMs) {
  TUninstallReport report;
  TWin32Target target;
  const auto work = [&](const TUninstallProgress& progress) {
    try {
      report = Uninstall(records, folder, target, progress);
    } catch (const std::exception& e) {
      report.problems.push_back(e.what());
    }
  };
  if (window) RunUninstallForm(title, app, work, pauseMs);
  else work({});
  return report;
}

}  // namespace

int RunUninstallCopy(const TSetupCommand& command, const std::string& self, const TSetupHooks& hooks) {
  TSetupUi ui(command, "Uninstall");
  if (const std::optional<std::string> why = CheckHandshake(Handshake(command, self))) {
    ui.Log("Handshake refused: " + *why);
    ui.Error("This copy of the uninstaller works only for the uninstaller that started it; nothing was removed.");
    return kSetupCouldNotStart;
  }
  const std::string logPath = command.uninstallFrom + "\\" + kUninstallLogName;
  TWin32Target target;
  std::vector<TLogRecord> records;
  try {
    const std::optional<std::string> text = target.LoadFile(logPath);
    if (!text) throw TInstallError("cannot read " + logPath);
    // The whole log is checked, and bound to its install, before the
    // question; nothing is done with a log that fails.
    records = CheckedLog(*text, command.uninstallFrom, target);
  } catch (const std::exception& e) {
    ui.Error(std::string("The uninstall log is missing, damaged or not this folder's; nothing was removed.\n\n") + e.what());
    return kSetupCouldNotStart;
  }
  const std::string app = AppNameOf(records);
  const std::string title = app + " Uninstall";
  ui.SetTitle(title);
  int code = kSetupDone;
  if (!ui.Ask("Remove " + app + " from this computer?\n\nFiles you added to its folders yourself stay.", true)) {
    code = kSetupCancelledBefore;
  } else {
    const TUninstallReport report = Remove(records, command.uninstallFrom, ui.Interactive(), title, app, hooks.pauseMs);
    for (const std::string& k : report.kept) ui.Log("Kept: " + k);
    for (const std::string& k : report.atRestart) ui.Log("At the next restart: " + k);
    for (const std::string& p : report.problems) ui.Log("Problem: " + p);
    if (!report.problems.empty()) {
      ui.Error(app + " is removed, except for what follows:\n" + report.problems.front());
      code = kSetupFailed;
    } else if (!report.atRestart.empty()) {
      ui.Inform(app + " is removed. Some of its files were in use; they go when Windows next starts.");
    } else {
      ui.Inform(app + " is removed.");
    }
  }
  // This copy goes as it ends (the handle it inherited) or, if Windows
  // keeps the program's file, when Windows next starts; so does its folder.
  MoveFileExA(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  MoveFileExA(FolderOfPath(self).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  return code;
}

}  // namespace vanta::build
