#include "platform/DynamicLibrary.h"

#include <memory>

namespace vanta::platform {
namespace {

struct TFakeLibrary {
  std::map<std::string, void*> entries;
};

// Keyed by path; the handle is the map's element, stable while registered.
std::map<std::string, std::unique_ptr<TFakeLibrary>>& Fakes() {
  static std::map<std::string, std::unique_ptr<TFakeLibrary>> fakes;
  return fakes;
}
int gLoaded = 0;

}  // namespace

TLibraryHandle LoadDynamicLibrary(const std::string& path) {
  auto it = Fakes().find(path);
  if (it == Fakes().end()) return nullptr;
  ++gLoaded;
  return it->second.get();
}

void* LibraryEntry(TLibraryHandle library, const char* name) {
  if (!library || !name) return nullptr;
  const auto& entries = static_cast<TFakeLibrary*>(library)->entries;
  auto it = entries.find(name);
  return it == entries.end() ? nullptr : it->second;
}

void FreeDynamicLibrary(TLibraryHandle library) {
  if (library) --gLoaded;
}

void RegisterFakeLibraryForTests(const std::string& path, std::map<std::string, void*> entries) {
  auto lib = std::make_unique<TFakeLibrary>();
  lib->entries = std::move(entries);
  Fakes()[path] = std::move(lib);
}

int LoadedFakeLibrariesForTests() { return gLoaded; }

void ResetFakeLibrariesForTests() {
  Fakes().clear();
  gLoaded = 0;
}

}  // namespace vanta::platform
