#include <map>

#include "base/Text.h"
#include "platform/Registry.h"

namespace vanta::platform {
namespace {
std::map<std::string, std::string>& Store() {
  static std::map<std::string, std::string> store;
  return store;
}
}  // namespace

std::optional<std::string> ReadCurrentUserDefault(const std::string& subKey) {
  const auto it = Store().find(LowerCase(subKey));
  if (it == Store().end()) return std::nullopt;
  return it->second;
}

void SetCurrentUserDefaultForTests(const std::string& subKey, std::optional<std::string> value) {
  if (value) Store()[LowerCase(subKey)] = *value;
  else Store().erase(LowerCase(subKey));
}

}  // namespace vanta::platform
