// vantabuild: compiles a setup script. Natively drive paths of the script
// need --map; the setup program defaults to vantasetup.exe beside this one.
#include <filesystem>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "ConsoleStatus.h"

int main(int argc, char** argv) {
  using namespace vanta::build;
  std::string stub = "vantasetup.exe";
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::canonical("/proc/self/exe", ec);
  if (!ec) stub = (self.parent_path() / "vantasetup.exe").string();

  TConsoleStatus status(stdout);
  const auto parsed = ParseArguments(std::vector<std::string>(argv + 1, argv + argc), stub, false);
  if (const std::string* error = std::get_if<std::string>(&parsed)) {
    status.Finished(kBuildBadArguments, *error + "\n" + kUsage);
    return kBuildBadArguments;
  }
  return Compile(std::get<TCompileOptions>(parsed), status);
}
