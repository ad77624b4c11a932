// An in-memory Windows for the install and the uninstall: files, folders,
// registry, INI entries and shortcuts, compared whole, with a fault
// injected at the n-th change. Paths compare without letter case.
#pragma once
#include <map>
#include <set>

#include "setup/InstallTarget.h"

namespace vanta::build {

struct TFakeSystem {
  std::map<std::string, std::string> files;  // lower-case path -> bytes (shortcuts: "LNK:" + target)
  std::set<std::string> folders;
  std::map<std::string, std::map<std::string, TRegValue>> keys;  // "hkcu\sub\key" -> values by lower-case name
  std::map<std::string, std::string> ini;  // "file|section|key" -> value
  bool operator==(const TFakeSystem&) const = default;
};

class TFakeTarget : public IInstallTarget {
 public:
  TFakeSystem state;
  int failAt = 0;  // the change that throws (1 = the first); 0: none
  int changes = 0;
  std::map<std::string, std::string> shortPaths;  // lower-case long path -> its 8.3 path

  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  void CreateFolder(const std::string& path) override;
  bool RemoveFolderIfEmpty(const std::string& path) override;
  bool FolderIsEmpty(const std::string& path) override;
  bool FolderOpenToUsers(const std::string& path) override;
  void ProtectFolder(const std::string& path) override;
  std::set<std::string> openFolders;       // lower case: any user may change them (new folders inside inherit it)
  std::set<std::string> protectedFolders;  // lower case: given the install's access list
  void WriteFile(const std::string& path, const TFileProducer& produce) override;
  void RenameFile(const std::string& from, const std::string& to) override;
  void AppendFile(const std::string& path, const std::string& bytes) override;
  bool RemoveFile(const std::string& path) override;
  std::optional<std::string> LoadFile(const std::string& path) override;
  bool RemoveAtRestart(const std::string& path) override;
  bool RenameAtRestart(const std::string& from, const std::string& to) override;
  std::set<std::string> inUse;      // lower-case paths that cannot be deleted now
  std::set<std::string> atRestart;  // what is to go at the next restart
  std::map<std::string, std::string> renamedAtRestart;  // lower-case backup -> the file it becomes
  bool KeyExists(TRegistryRoot root, const std::string& subkey) override;
  std::optional<TRegValue> ReadValue(TRegistryRoot root, const std::string& subkey, const std::string& name) override;
  void WriteValue(TRegistryRoot root, const std::string& subkey, const std::string& name, const TRegValue& v) override;
  void DeleteValue(TRegistryRoot root, const std::string& subkey, const std::string& name) override;
  bool DeleteKeyIfEmpty(TRegistryRoot root, const std::string& subkey) override;
  void DeleteKeyTree(TRegistryRoot root, const std::string& subkey) override;
  std::optional<std::string> ReadIni(const std::string& file, const std::string& section, const std::string& key) override;
  void WriteIni(const std::string& file, const std::string& section, const std::string& key, const std::string& value) override;
  void DeleteIni(const std::string& file, const std::string& section, const std::string& key) override;
  void CreateShortcut(const std::string& link, const std::string& target, const std::string& parameters) override;
  std::string ShortPath(const std::string& path) override;

  static std::string Key(TRegistryRoot root, const std::string& subkey);
  static std::string Lower(std::string s);

 private:
  void Change(const std::string& what);
  void NeedParent(const std::string& path);
};

}  // namespace vanta::build
