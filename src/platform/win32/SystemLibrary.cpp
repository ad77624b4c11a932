#include "platform/win32/SystemLibrary.h"

namespace vanta::platform {

std::string SystemFolder() {
  char buf[MAX_PATH + 1] = {};
  const UINT n = GetSystemDirectoryA(buf, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  std::string folder(buf, n);
  if (folder.back() != '\\') folder += '\\';
  return folder;
}

bool WithLibraryProc(const std::string& path, const char* proc, const std::function<void(FARPROC)>& use) {
  HMODULE lib = LoadLibraryA(path.c_str());
  if (!lib) return false;
  const FARPROC entry = GetProcAddress(lib, proc);
  if (entry) {
    try {
      use(entry);
    } catch (...) {
      FreeLibrary(lib);
      throw;
    }
  }
  FreeLibrary(lib);
  return entry != nullptr;
}

FARPROC SystemEntry(const char* library, const char* name) {
  HMODULE module = GetModuleHandleA(library);
  if (!module) module = LoadLibraryA(library);
  return module ? GetProcAddress(module, name) : nullptr;
}

}  // namespace vanta::platform
