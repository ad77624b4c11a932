// What the program's entry takes from its platform (posix/ or win32/).
#pragma once
#include <memory>
#include <optional>
#include <string>

#include "BuildStatus.h"

namespace vanta::build {

// The folder of the running program, with its trailing separator.
std::string ProgramFolder();
// Whether script paths are this computer's own (Windows) or need --map.
bool ScriptPathsAreLocal();
// The setup program built into this one (vantabuild.exe carries it as a
// resource), or nullopt.
std::optional<std::string> EmbeddedStub();
// Standard output; on Windows also the builder's window when it is there.
std::unique_ptr<IBuildStatus> MakeBuildStatus();

}  // namespace vanta::build
