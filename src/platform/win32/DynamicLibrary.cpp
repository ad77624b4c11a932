#include <windows.h>

#include "platform/DynamicLibrary.h"

namespace vanta::platform {
namespace {
class TSystemLibraries final : public IDynamicLibraries {
 public:
  TLibraryHandle Load(const std::string& path) override {
    // No "insert the disk" box for a library on a missing drive.
    const UINT old = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE h = LoadLibraryA(path.c_str());
    SetErrorMode(old);
    return h;
  }
  void* Entry(TLibraryHandle library, const char* name) override {
    if (!library || !name) return nullptr;
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
  }
  void Free(TLibraryHandle library) override {
    if (library) FreeLibrary(static_cast<HMODULE>(library));
  }
};
}  // namespace

IDynamicLibraries& SystemLibraries() {
  static TSystemLibraries libraries;  // stateless
  return libraries;
}

}  // namespace vanta::platform
