// Scratch folders and registry keys for Win32 tests, removed afterwards.
// Scratch folders are the native tests' TTempDir.
#pragma once
#include <windows.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "../unit/TempDir.h"
#include "music/MusicSet.h"
#include "platform/DynamicLibrary.h"
#include "platform/Files.h"
#include "platform/MediaControl.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/win32/Win32Scheduler.h"

namespace vanta::test {

inline std::string ExeFolder() {
  char buf[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
  std::string s(buf, n);
  return s.substr(0, s.find_last_of('\\') + 1);
}

inline bool CurrentUserKeyExists(const std::string& subKey) {
  HKEY h;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

// A registry key for one test (HKEY_CURRENT_USER unless said; a 32-bit
// program's HKEY_LOCAL_MACHINE\Software is the 32-bit view), with or
// without a default value, deleted again afterwards (also when the test
// fails halfway).
class TRegistryDefault {
 public:
  explicit TRegistryDefault(std::string subKey, HKEY root = HKEY_CURRENT_USER) : root_(root), key_(std::move(subKey)) {
    HKEY h;
    created_ = RegCreateKeyExA(root_, key_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) == ERROR_SUCCESS;
    if (created_) RegCloseKey(h);
  }
  TRegistryDefault(std::string subKey, const std::string& value, HKEY root = HKEY_CURRENT_USER)
      : TRegistryDefault(std::move(subKey), root) {
    Set(value);
  }
  ~TRegistryDefault() { RegDeleteKeyA(root_, key_.c_str()); }
  TRegistryDefault(const TRegistryDefault&) = delete;
  TRegistryDefault& operator=(const TRegistryDefault&) = delete;

  bool Created() const { return created_; }
  void Set(const std::string& value) const {
    HKEY h;
    if (RegOpenKeyExA(root_, key_.c_str(), 0, KEY_WRITE, &h) != ERROR_SUCCESS) return;
    RegSetValueExA(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(h);
  }

 private:
  HKEY root_;
  std::string key_;
  bool created_ = false;
};

// The user's application-data folders in scratch folders of the test's, so
// that a test's settings never meet another's in the prefix's profile; the
// documents folder is the system's.
class TScratchUserFolders final : public platform::IUserFolders {
 public:
  std::string Folder(platform::TUserFolder kind) override {
    switch (kind) {
      case platform::TUserFolder::RoamingAppData: return roaming.Folder();
      case platform::TUserFolder::LocalAppData: return local.Folder();
      case platform::TUserFolder::Documents: break;
    }
    return platform::SystemUserFolders().Folder(kind);
  }
  // A saver's settings as its user saved them, and the builder's folder.
  std::string SaverFile(const std::string& name) const { return roaming.Path("Norvane\\" + name + ".002"); }
  std::string ReadSaverFile(const std::string& name) const { return roaming.Read("Norvane\\" + name + ".002"); }
  std::string BuilderFile(const std::string& name) const { return local.Path("Vanta Screensaver Builder\\" + name); }

  TTempDir roaming, local;
};

// The shell and the system's dialogs answered by the test, for what the
// test hands it to; what it leaves empty goes to the system's own.
class TScriptedShell final : public platform::IShell {
 public:
  std::function<void(const platform::TShellRequest&)> OnOpen;
  std::function<std::optional<uint32_t>(uint32_t initial)> OnPickColor;
  std::function<std::vector<std::string>(const platform::TOpenFilesRequest&)> OnPickFiles;
  std::function<std::optional<platform::TFontChoice>(const platform::TFontChoice&)> OnPickFont;
  std::function<std::optional<std::string>(const platform::TSaveFileRequest&)> OnPickSave;
  std::function<bool(const std::string& text)> OnAsk;
  std::function<platform::TAnswer(const std::string& text)> OnAskThreeWay;
  std::function<std::optional<std::string>(const std::string& title)> OnPickFolder;
  // nullopt starts the program for real; a value pretends that result.
  std::function<std::optional<bool>(const platform::TShellRequest&)> OnStart;

  TScriptedShell() = default;
  TScriptedShell(const TScriptedShell&) = delete;
  TScriptedShell& operator=(const TScriptedShell&) = delete;

  void Open(const platform::TShellRequest& r) override { OnOpen ? OnOpen(r) : System().Open(r); }
  std::optional<uint32_t> PickColor(std::intptr_t owner, uint32_t initial) override {
    return OnPickColor ? OnPickColor(initial) : System().PickColor(owner, initial);
  }
  std::vector<std::string> PickFilesToOpen(std::intptr_t owner, const platform::TOpenFilesRequest& r) override {
    return OnPickFiles ? OnPickFiles(r) : System().PickFilesToOpen(owner, r);
  }
  std::optional<platform::TFontChoice> PickFont(std::intptr_t owner, const platform::TFontChoice& f) override {
    return OnPickFont ? OnPickFont(f) : System().PickFont(owner, f);
  }
  std::optional<std::string> PickFileToSave(std::intptr_t owner, const platform::TSaveFileRequest& r) override {
    return OnPickSave ? OnPickSave(r) : System().PickFileToSave(owner, r);
  }
  bool AskYesNo(std::intptr_t owner, const std::string& text, const std::string& caption) override {
    return OnAsk ? OnAsk(text) : System().AskYesNo(owner, text, caption);
  }
  platform::TAnswer AskYesNoCancel(std::intptr_t owner, const std::string& text, const std::string& caption) override {
    return OnAskThreeWay ? OnAskThreeWay(text) : System().AskYesNoCancel(owner, text, caption);
  }
  std::optional<std::string> PickFolder(std::intptr_t owner, const std::string& title,
                                        const std::string& initial) override {
    return OnPickFolder ? OnPickFolder(title) : System().PickFolder(owner, title, initial);
  }
  platform::TStartedProgram StartHidden(const platform::TShellRequest& r) override {
    if (OnStart)
      if (const std::optional<bool> pretended = OnStart(r)) return platform::TStartedProgram(*pretended);
    return System().StartHidden(r);
  }

 private:
  static platform::IShell& System() { return platform::SystemShell(); }
};

// The main thread's scheduler and the music set of a test, as Main makes
// them for the program: the system's mpegdll.dll and MCI devices.
struct TTestMain {
  platform::TWin32Scheduler scheduler;
  TMusicSet music{scheduler, platform::SystemLibraries(), platform::CreateMediaControl};
};

}  // namespace vanta::test
