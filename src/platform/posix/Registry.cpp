#include "platform/Registry.h"

namespace vanta::platform {
namespace {
class TNoRegistry final : public IRegistry {
 public:
  std::optional<std::string> CurrentUserDefault(const std::string&) override { return std::nullopt; }
  std::optional<std::string> LocalMachineDefault(const std::string&) override { return std::nullopt; }
  std::optional<int32_t> CurrentUserDword(const std::string&, const std::string&) override { return std::nullopt; }
};
}  // namespace

IRegistry& SystemRegistry() {
  static TNoRegistry registry;  // stateless
  return registry;
}

}  // namespace vanta::platform
