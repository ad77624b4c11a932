// The setup's reach into the system: files and folders, registry values,
// INI entries, shortcuts. The install and the uninstall only go through
// this, so native tests run them against an in-memory system with faults
// injected; win32/ is the real one. Paths are full Windows paths.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "RegistryRoot.h"

namespace vanta::build {

class TInstallError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A registry value as stored: its type (REG_SZ 1, REG_DWORD 4, ...) and bytes.
struct TRegValue {
  uint32_t type = 1;
  std::string data;
  bool operator==(const TRegValue&) const = default;
};
inline constexpr uint32_t kRegString = 1;
inline constexpr uint32_t kRegDword = 4;
TRegValue StringValue(std::string_view text);  // REG_SZ with its terminating zero
TRegValue DwordValue(uint32_t v);
// A REG_DWORD's number; 0 for none or another type.
uint32_t DwordOf(const std::optional<TRegValue>& v);

using TByteWriter = std::function<void(const void* data, size_t size)>;
// Produces a file's bytes into the writer it is given.
using TFileProducer = std::function<void(const TByteWriter& write)>;

class IInstallTarget {
 public:
  virtual ~IInstallTarget() = default;

  virtual bool FileExists(const std::string& path) = 0;
  virtual bool FolderExists(const std::string& path) = 0;
  virtual void CreateFolder(const std::string& path) = 0;  // one level; throws TInstallError
  virtual bool RemoveFolderIfEmpty(const std::string& path) = 0;
  virtual bool FolderIsEmpty(const std::string& path) = 0;
  // Whether anyone but SYSTEM, the administrators and the installing user
  // may change the folder: put files in, delete them, or change who may.
  virtual bool FolderOpenToUsers(const std::string& path) = 0;
  // A protected access list of its own (SYSTEM and Administrators full
  // control, Users read and execute, passed on to what is made inside),
  // the Administrators its owner. Throws.
  virtual void ProtectFolder(const std::string& path) = 0;
  // The bytes go to a temporary name beside `path`, opened without sharing,
  // and only once `produce` has returned (it checks what it wrote) are they
  // moved to `path`, through the same handle; when it throws, the
  // temporary file is deleted through that handle. Nothing unchecked is
  // ever at `path`, and nobody can swap the file in between. Throws.
  virtual void WriteFile(const std::string& path, const TFileProducer& produce) = 0;
  virtual void RenameFile(const std::string& from, const std::string& to) = 0;          // throws
  // Adds to the end of the file (made when missing) and flushes it to disk.
  virtual void AppendFile(const std::string& path, const std::string& bytes) = 0;     // throws
  virtual bool RemoveFile(const std::string& path) = 0;
  virtual std::optional<std::string> LoadFile(const std::string& path) = 0;  // nullopt when unreadable
  // A file in use, or a folder: removed when Windows next starts (a folder
  // only if it is empty then).
  virtual bool RemoveAtRestart(const std::string& path) = 0;
  // A file in use put back from its backup when Windows next starts.
  virtual bool RenameAtRestart(const std::string& from, const std::string& to) = 0;

  virtual bool KeyExists(TRegistryRoot root, const std::string& subkey) = 0;
  virtual std::optional<TRegValue> ReadValue(TRegistryRoot root, const std::string& subkey, const std::string& name) = 0;
  // Creates missing keys on the way; throws.
  virtual void WriteValue(TRegistryRoot root, const std::string& subkey, const std::string& name, const TRegValue& v) = 0;
  virtual void DeleteValue(TRegistryRoot root, const std::string& subkey, const std::string& name) = 0;
  virtual bool DeleteKeyIfEmpty(TRegistryRoot root, const std::string& subkey) = 0;  // no values, no subkeys
  virtual void DeleteKeyTree(TRegistryRoot root, const std::string& subkey) = 0;

  virtual std::optional<std::string> ReadIni(const std::string& file, const std::string& section, const std::string& key) = 0;
  virtual void WriteIni(const std::string& file, const std::string& section, const std::string& key, const std::string& value) = 0;
  virtual void DeleteIni(const std::string& file, const std::string& section, const std::string& key) = 0;

  virtual void CreateShortcut(const std::string& link, const std::string& target, const std::string& parameters) = 0;  // throws

  // The file's 8.3 path when the volume has one, else "".
  virtual std::string ShortPath(const std::string& path) = 0;
};

}  // namespace vanta::build
