// Libraries loaded at run time by name, their entries found by name.
//
// On Windows this is LoadLibraryA / GetProcAddress / FreeLibrary. Natively
// there are no such libraries: tests hand in scripted fakes, and the code
// under test loads them exactly as it would load the real one.
#pragma once
#include <string>

namespace vanta::platform {

using TLibraryHandle = void*;

class IDynamicLibraries {
 public:
  virtual ~IDynamicLibraries() = default;
  // nullptr when the library cannot be loaded.
  virtual TLibraryHandle Load(const std::string& path) = 0;
  // nullptr when the library has no entry of that name.
  virtual void* Entry(TLibraryHandle library, const char* name) = 0;
  virtual void Free(TLibraryHandle library) = 0;
};

// The system's loader; natively it loads nothing.
IDynamicLibraries& SystemLibraries();

}  // namespace vanta::platform
