#include "../ProgramHost.h"

#include <windows.h>

#include "../ConsoleStatus.h"
#include "CopyDataStatus.h"

namespace vanta::build {
namespace {

class TBuilderStatus : public IBuildStatus {
 public:
  TBuilderStatus() : console_(stdout), tee_(console_, window_) {}
  void StatusLine(std::string_view line) override { tee_.StatusLine(line); }
  void Finished(int code, std::string_view text) override { tee_.Finished(code, text); }

 private:
  TConsoleStatus console_;
  TCopyDataStatus window_;
  TTeeStatus tee_;
};

}  // namespace

std::string ProgramFolder() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  std::string s(path, n);
  return s.substr(0, s.find_last_of("\\/") + 1);
}

bool ScriptPathsAreLocal() { return true; }

std::optional<std::string> EmbeddedStub() {
  HRSRC found = FindResourceA(nullptr, "VANTASETUP", MAKEINTRESOURCEA(10));  // RT_RCDATA
  if (!found) return std::nullopt;
  HGLOBAL loaded = LoadResource(nullptr, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return std::nullopt;
  return std::string(static_cast<const char*>(bytes), SizeofResource(nullptr, found));
}

std::unique_ptr<IBuildStatus> MakeBuildStatus() { return std::make_unique<TBuilderStatus>(); }

}  // namespace vanta::build
