// Each program's own manifest, read from its resources as Windows reads it:
// what users run asks for no rights and no virtualization, the setup and
// uninstaller ask for an administrator, and all say which Windows versions
// they were tested on (without that, Windows 8.1 and later treat a program
// as written for Vista and lie to it about the version).
#include <windows.h>

#include <gtest/gtest.h>

#include "SetupTestSupport.h"

#include <fstream>
#include <iterator>
#include <string>

#include "setup/FileVersion.h"

namespace {


// The manifest the loader uses for an executable: RT_MANIFEST number 1.
std::string ManifestOf(const std::string& path) {
  HMODULE m = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!m) return {};
  std::string text;
  if (HRSRC r = FindResourceA(m, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)))
    if (HGLOBAL g = LoadResource(m, r)) text.assign(static_cast<const char*>(LockResource(g)), SizeofResource(m, r));
  FreeLibrary(m);
  return text;
}

TEST(Manifests, ExecutionLevelAndSupportedWindows) {
  const struct {
    const char* file;
    const char* level;
  } cases[] = {
      {"VantaSaver.scr", "asInvoker"},
      {"vantabuild.exe", "asInvoker"},
      {"vantasetup.exe", "requireAdministrator"},
  };
  const char* windows[] = {
      "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
      "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
      "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
      "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
  };
  for (const auto& c : cases) {
    const std::string manifest = ManifestOf(vanta::build::test::ExeFolder() + c.file);
    ASSERT_FALSE(manifest.empty()) << c.file;
    EXPECT_NE(manifest.find(std::string("requestedExecutionLevel level=\"") + c.level + "\""), std::string::npos)
        << c.file;
    for (const char* id : windows) EXPECT_NE(manifest.find(id), std::string::npos) << c.file << " " << id;
  }
}

}  // namespace

namespace {

// A setup replaces a file in a system folder only by a newer or equal
// version: what we ship there says which it is.
TEST(Manifests, ProgramsForTheSystemFolderCarryTheirVersion) {
  for (const char* file : {"VantaSaver.scr", "mpegdll.dll"}) {
    std::ifstream in(vanta::build::test::ExeFolder() + file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(vanta::build::FileVersion(bytes), uint64_t(2) << 48) << file;
  }
}

}  // namespace
