// Calling into a library of the system folder that may not be there
// (MPR.DLL, PASSWORD.CPL): load, look up, call, unload; missing pieces are
// no error.
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

}  // namespace vanta::platform
