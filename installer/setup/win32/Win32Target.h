// The real system behind IInstallTarget: Win32 files, the registry, the
// profile API for INI entries (so system.ini goes where NT maps it), and
// IShellLink for shortcuts (COM is initialised by the caller).
#pragma once
#include "../InstallTarget.h"

namespace vanta::build {

class TWin32Target : public IInstallTarget {
 public:
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  void CreateFolder(const std::string& path) override;
  bool RemoveFolderIfEmpty(const std::string& path) override;
  bool FolderIsEmpty(const std::string& path) override;
  bool FolderOpenToUsers(const std::string& path) override;
  void ProtectFolder(const std::string& path) override;
  void WriteFile(const std::string& path, const TFileProducer& produce) override;
  void RenameFile(const std::string& from, const std::string& to) override;
  void AppendFile(const std::string& path, const std::string& bytes) override;
  bool RemoveFile(const std::string& path) override;
  std::optional<std::string> LoadFile(const std::string& path) override;
  bool RemoveAtRestart(const std::string& path) override;
  bool RenameAtRestart(const std::string& from, const std::string& to) override;
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
};

// The text of a Win32 error code.
std::string SystemErrorText(unsigned long code);

}  // namespace vanta::build
