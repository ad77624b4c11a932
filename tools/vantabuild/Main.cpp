// vantabuild: compiles a setup script. The builder starts it with the
// script's path alone; the setup program is vantasetup.exe beside it.
#include <string>
#include <vector>

#include "CommandLine.h"
#include "ProgramHost.h"

int main(int argc, char** argv) {
  using namespace vanta::build;
  const std::unique_ptr<IBuildStatus> status = MakeBuildStatus();
  const auto parsed = ParseArguments(std::vector<std::string>(argv + 1, argv + argc), ProgramFolder() + "vantasetup.exe",
                                     ScriptPathsAreLocal());
  if (const std::string* error = std::get_if<std::string>(&parsed)) {
    status->Finished(kBuildBadArguments, *error + "\n" + kUsage);
    return kBuildBadArguments;
  }
  return Compile(std::get<TCompileOptions>(parsed), *status);
}
