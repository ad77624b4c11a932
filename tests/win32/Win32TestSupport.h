// Scratch folders and registry keys for Win32 tests, removed afterwards.
#pragma once
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

namespace vanta::test {

inline std::string ExeFolder() {
  char buf[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
  std::string s(buf, n);
  return s.substr(0, s.find_last_of('\\') + 1);
}

class TWinTempDir {
 public:
  TWinTempDir() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    folder_ = std::string(base) + "vanta-" + std::to_string(GetCurrentProcessId()) + "-" +
              std::to_string(counter_++) + "\\";
    CreateDirectoryA(folder_.c_str(), nullptr);
  }
  ~TWinTempDir() {
    // SHFileOperation would pull in the shell; one level of files is all tests make.
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder_ + "*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        const std::string p = folder_ + fd.cFileName;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveDirectoryA(p.c_str());
        else DeleteFileA(p.c_str());
      } while (FindNextFileA(h, &fd));
      FindClose(h);
    }
    RemoveDirectoryA(folder_.c_str());
  }
  const std::string& Folder() const { return folder_; }
  std::string Path(const std::string& name) const { return folder_ + name; }
  std::string Write(const std::string& name, const std::string& text) const {
    std::ofstream(Path(name), std::ios::binary) << text;
    return Path(name);
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  static inline int counter_ = 0;
  std::string folder_;
};

inline bool CurrentUserKeyExists(const std::string& subKey) {
  HKEY h;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  RegCloseKey(h);
  return true;
}

// A key under HKEY_CURRENT_USER for one test, with or without a default
// value, deleted again afterwards (also when the test fails halfway).
class TCurrentUserDefault {
 public:
  explicit TCurrentUserDefault(std::string subKey) : key_(std::move(subKey)) {
    HKEY h;
    created_ = RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr) ==
               ERROR_SUCCESS;
    if (created_) RegCloseKey(h);
  }
  TCurrentUserDefault(std::string subKey, const std::string& value) : TCurrentUserDefault(std::move(subKey)) {
    Set(value);
  }
  ~TCurrentUserDefault() { RegDeleteKeyA(HKEY_CURRENT_USER, key_.c_str()); }
  TCurrentUserDefault(const TCurrentUserDefault&) = delete;
  TCurrentUserDefault& operator=(const TCurrentUserDefault&) = delete;

  bool Created() const { return created_; }
  void Set(const std::string& value) const {
    HKEY h;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_WRITE, &h) != ERROR_SUCCESS) return;
    RegSetValueExA(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(h);
  }

 private:
  std::string key_;
  bool created_ = false;
};

}  // namespace vanta::test
