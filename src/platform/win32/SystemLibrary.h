// Calling into system libraries and functions that may not be there: a
// library of the system folder for one call (MPR.DLL, PASSWORD.CPL: load,
// look up, call, unload), or a function newer systems add (GetDpiForWindow,
// the theme functions), loaded once and kept. Missing pieces are no error.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace vanta::platform {

// The system folder with a trailing backslash; empty when unknown.
std::string SystemFolder();

// Loads the library at path, and when it exports proc calls use with it;
// unloads it again. False when the library or the entry is missing.
bool WithLibraryProc(const std::string& path, const char* proc, const std::function<void(FARPROC)>& use);

// The function name of library as a TProc, or null when the system has no
// such library or function. The library stays loaded for the process.
FARPROC SystemEntry(const char* library, const char* name);
template <typename TProc>
TProc SystemProc(const char* library, const char* name) {
  return reinterpret_cast<TProc>(reinterpret_cast<void (*)()>(SystemEntry(library, name)));
}

}  // namespace vanta::platform
