// Scratch folders and registry keys for Win32 tests, removed afterwards.
// Scratch folders are the native tests' TTempDir.
#pragma once
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

#include "../unit/TempDir.h"

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
