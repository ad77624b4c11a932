#include <map>

#include "base/Text.h"
#include "platform/Registry.h"

namespace vanta::platform {
namespace {
std::map<std::string, std::string>& Store() {
  static std::map<std::string, std::string> store;
  return store;
}
std::map<std::string, int32_t>& Dwords() {
  static std::map<std::string, int32_t> store;
  return store;
}
std::string DwordKey(const std::string& subKey, const std::string& valueName) {
  return LowerCase(subKey) + '\n' + LowerCase(valueName);
}

// Keys of both roots in one store, the root's name in front.
std::optional<std::string> ReadDefault(const std::string& root, const std::string& subKey) {
  const auto it = Store().find(root + LowerCase(subKey));
  if (it == Store().end()) return std::nullopt;
  return it->second;
}
void SetDefault(const std::string& root, const std::string& subKey, std::optional<std::string> value) {
  if (value) Store()[root + LowerCase(subKey)] = *value;
  else Store().erase(root + LowerCase(subKey));
}
}  // namespace

std::optional<std::string> ReadCurrentUserDefault(const std::string& subKey) { return ReadDefault("HKCU", subKey); }
std::optional<std::string> ReadLocalMachineDefault(const std::string& subKey) { return ReadDefault("HKLM", subKey); }
void SetCurrentUserDefaultForTests(const std::string& subKey, std::optional<std::string> value) {
  SetDefault("HKCU", subKey, std::move(value));
}
void SetLocalMachineDefaultForTests(const std::string& subKey, std::optional<std::string> value) {
  SetDefault("HKLM", subKey, std::move(value));
}


std::optional<int32_t> ReadCurrentUserDword(const std::string& subKey, const std::string& valueName) {
  const auto it = Dwords().find(DwordKey(subKey, valueName));
  if (it == Dwords().end()) return std::nullopt;
  return it->second;
}

void SetCurrentUserDwordForTests(const std::string& subKey, const std::string& valueName, std::optional<int32_t> value) {
  if (value) Dwords()[DwordKey(subKey, valueName)] = *value;
  else Dwords().erase(DwordKey(subKey, valueName));
}

}  // namespace vanta::platform
