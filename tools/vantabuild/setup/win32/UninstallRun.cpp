#include <windows.h>

#include "../Installer.h"
#include "../Uninstall.h"
#include "SetupRoles.h"
#include "Win32Target.h"

namespace vanta::build {
namespace {

// A new folder of our own under the temporary folder: never a shared one
// another user could have prepared.
std::string FreshTempFolder() {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
  for (int attempt = 0; attempt < 100; ++attempt) {
    seed = seed * 1664525u + 1013904223u;
    char name[32];
    wsprintfA(name, "vanta-uninst-%08lx", static_cast<unsigned long>(seed));
    const std::string folder = std::string(base) + name;
    if (CreateDirectoryA(folder.c_str(), nullptr)) return folder;
  }
  return {};
}

std::string AppNameOf(const std::vector<TLogRecord>& records) {
  for (const TLogRecord& r : records)
    if (r.kind == TLogKind::App) return r.path;
  return "the program";
}

}  // namespace

int StartUninstallCopy(const TSetupCommand& command, const std::string& self) {
  TSetupUi ui(command, "Uninstall");
  const std::string folder = FreshTempFolder();
  const std::string copy = folder + "\\" + kUninstallerName;
  if (folder.empty() || !CopyFileA(self.c_str(), copy.c_str(), TRUE)) {
    ui.Error("The uninstaller could not copy itself to a temporary folder.");
    return kSetupCouldNotStart;
  }
  std::string line = "\"" + copy + "\" " + CopyCommandLine(command, FolderOfPath(self), GetCurrentProcessId());
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  // Started by its full path, in its own folder, so that nothing keeps the
  // install folder busy.
  if (!CreateProcessA(copy.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si, &pi)) {
    ui.Error("The uninstaller could not start its copy: " + SystemErrorText(GetLastError()));
    DeleteFileA(copy.c_str());
    RemoveDirectoryA(folder.c_str());
    return kSetupCouldNotStart;
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return kSetupDone;
}

int RunUninstallCopy(const TSetupCommand& command, const std::string& self) {
  TSetupUi ui(command, "Uninstall");
  if (command.waitPid) {
    if (HANDLE first = OpenProcess(SYNCHRONIZE, FALSE, command.waitPid)) {
      WaitForSingleObject(first, 30000);
      CloseHandle(first);
    }
  }
  const std::string logPath = command.uninstallFrom + "\\" + kUninstallLogName;
  TWin32Target target;
  std::vector<TLogRecord> records;
  try {
    const std::optional<std::string> text = target.LoadFile(logPath);
    if (!text) throw TInstallError("cannot read " + logPath);
    records = DecodeLog(*text);
  } catch (const TInstallError& e) {
    ui.Error(std::string("The uninstall log is missing or damaged: ") + e.what());
    return kSetupCouldNotStart;
  }
  const std::string app = AppNameOf(records);
  ui.SetTitle(app + " Uninstall");
  int code = kSetupDone;
  if (!ui.Ask("Remove " + app + " from this computer?\n\nFiles you added to its folders yourself stay.", true)) {
    code = kSetupCancelledBefore;
  } else {
    const TUninstallReport report = Uninstall(records, target);
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
  // This copy and its folder go when Windows next starts.
  MoveFileExA(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  MoveFileExA(FolderOfPath(self).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  return code;
}

}  // namespace vanta::build
