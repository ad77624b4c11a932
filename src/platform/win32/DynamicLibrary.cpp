#include <windows.h>

#include "platform/DynamicLibrary.h"

namespace vanta::platform {

TLibraryHandle LoadDynamicLibrary(const std::string& path) {
  // No "insert the disk" box for a library on a missing drive.
  const UINT old = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  HMODULE h = LoadLibraryA(path.c_str());
  SetErrorMode(old);
  return h;
}

void* LibraryEntry(TLibraryHandle library, const char* name) {
  if (!library || !name) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void FreeDynamicLibrary(TLibraryHandle library) {
  if (library) FreeLibrary(static_cast<HMODULE>(library));
}

}  // namespace vanta::platform
