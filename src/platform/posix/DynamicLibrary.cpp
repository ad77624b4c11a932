#include "platform/DynamicLibrary.h"

namespace vanta::platform {
namespace {
class TNoLibraries final : public IDynamicLibraries {
 public:
  TLibraryHandle Load(const std::string&) override { return nullptr; }
  void* Entry(TLibraryHandle, const char*) override { return nullptr; }
  void Free(TLibraryHandle) override {}
};
}  // namespace

IDynamicLibraries& SystemLibraries() {
  static TNoLibraries libraries;  // stateless
  return libraries;
}

}  // namespace vanta::platform
