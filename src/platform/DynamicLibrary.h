// Libraries loaded at run time by name, their entries found by name.
//
// On Windows this is LoadLibraryA / GetProcAddress / FreeLibrary. Natively
// there are no such libraries: tests register scripted fakes under a name,
// and the code under test loads them exactly as it would load the real one.
#pragma once
#include <map>
#include <string>

namespace vanta::platform {

using TLibraryHandle = void*;

// nullptr when the library cannot be loaded.
TLibraryHandle LoadDynamicLibrary(const std::string& path);
// nullptr when the library has no entry of that name.
void* LibraryEntry(TLibraryHandle library, const char* name);
void FreeDynamicLibrary(TLibraryHandle library);

#ifndef _WIN32
// A fake library that LoadDynamicLibrary(path) finds; entries by name.
void RegisterFakeLibraryForTests(const std::string& path, std::map<std::string, void*> entries);
// Loads minus frees of every fake since the last reset.
int LoadedFakeLibrariesForTests();
void ResetFakeLibrariesForTests();
#endif

}  // namespace vanta::platform
