// vantabuild: compiles a setup script. The builder starts it with the
// script's path alone. The setup program is the one vantabuild.exe
// carries, else vantasetup.exe beside it; --stub names another.
#include <string>
#include <vector>

#include "CommandLine.h"
#include "ProgramHost.h"
#include "WizardPictures.h"

int main(int argc, char** argv) {
  using namespace vanta::build;
  const std::unique_ptr<IBuildStatus> status = MakeBuildStatus();
  const std::string beside = ProgramFolder() + "vantasetup.exe";
  auto parsed = ParseArguments(std::vector<std::string>(argv + 1, argv + argc), beside, ScriptPathsAreLocal());
  if (const std::string* error = std::get_if<std::string>(&parsed)) {
    status->Finished(kBuildBadArguments, *error + "\n" + kUsage);
    return kBuildBadArguments;
  }
  TCompileOptions& options = std::get<TCompileOptions>(parsed);
  if (options.stubPath == beside) options.stubBytes = EmbeddedStub();
  options.readPicture = WizardPictureReader();
  return Compile(options, *status);
}
