#include <windows.h>

#include <algorithm>

#include "platform/Registry.h"

namespace vanta::platform {

namespace {
std::optional<std::string> ReadDefault(HKEY root, REGSAM view, const std::string& subKey) {
  std::string key = subKey;
  while (!key.empty() && key.front() == '\\') key.erase(0, 1);  // relative to the root key
  HKEY h = nullptr;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE | view, &h) != ERROR_SUCCESS) return std::nullopt;
  std::optional<std::string> result;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(h, nullptr, nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ)) {
    std::string value(size + 1, '\0');
    DWORD got = size;
    if (RegQueryValueExA(h, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &got) == ERROR_SUCCESS) {
      value.resize(std::min<size_t>(got, value.size()));
      while (!value.empty() && value.back() == '\0') value.pop_back();
      result = value;
    }
  }
  RegCloseKey(h);
  return result;
}

class TSystemRegistry final : public IRegistry {
 public:
  std::optional<std::string> CurrentUserDefault(const std::string& subKey) override {
    return ReadDefault(HKEY_CURRENT_USER, 0, subKey);
  }
  std::optional<std::string> LocalMachineDefault(const std::string& subKey) override {
    return ReadDefault(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY, subKey);
  }
  std::optional<int32_t> CurrentUserDword(const std::string& subKey, const std::string& valueName) override;
};
}  // namespace

IRegistry& SystemRegistry() {
  static TSystemRegistry registry;  // stateless
  return registry;
}

std::optional<int32_t> TSystemRegistry::CurrentUserDword(const std::string& subKey, const std::string& valueName) {
  HKEY h = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS) return std::nullopt;
  std::optional<int32_t> result;
  DWORD type = 0, value = 0, size = sizeof value;
  if (RegQueryValueExA(h, valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
          ERROR_SUCCESS &&
      type == REG_DWORD && size == sizeof value)
    result = static_cast<int32_t>(value);
  RegCloseKey(h);
  return result;
}

}  // namespace vanta::platform
