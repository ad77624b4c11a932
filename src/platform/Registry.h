// Reading the registry. The program only reads; keys are never created.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace vanta::platform {

class IRegistry {
 public:
  virtual ~IRegistry() = default;
  // Default (unnamed) text value of HKEY_CURRENT_USER\subKey; nullopt when
  // the key or the value is missing or not text.
  virtual std::optional<std::string> CurrentUserDefault(const std::string& subKey) = 0;
  // The same under HKEY_LOCAL_MACHINE, in the 32-bit view (where a 32-bit
  // setup's values land on 64-bit Windows), whatever this program's bitness.
  virtual std::optional<std::string> LocalMachineDefault(const std::string& subKey) = 0;
  // A 32-bit integer value of HKEY_CURRENT_USER\subKey; nullopt when the key
  // or value is missing or of another type.
  virtual std::optional<int32_t> CurrentUserDword(const std::string& subKey, const std::string& valueName) = 0;
};

// The system's registry; natively there is none, and every read is nullopt.
IRegistry& SystemRegistry();

}  // namespace vanta::platform
