// One compile: read the script, pack every file it names, write the setup
// (the setup program's bytes, then the payload) under the name the script
// gives, through a temporary file. Reports through IBuildStatus.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "BuildStatus.h"
#include "Payload.h"
#include "Script.h"
#include "SourceFiles.h"

namespace vanta::build {

struct TCompileOptions {
  std::string scriptPath;  // a path of this computer
  std::vector<TDriveMap> maps;
  bool windowsPaths = false;
  std::string stubPath;  // the setup program the payload is appended to
  std::optional<std::string> stubBytes;  // or its bytes, when the compiler carries them
  int level = TPayloadWriter::kDefaultLevel;
  // A picture file fitted to the size the page draws it at; throws
  // std::runtime_error saying why it cannot. None: pictures are refused.
  std::function<TWizardPicture(const std::string& path, uint32_t width, uint32_t height)> readPicture;
};

// The index of a parsed script (files are added by the writer).
TPayloadIndex IndexOfScript(const TScript& script);

// Returns the end code it reported; never throws.
int Compile(const TCompileOptions& options, IBuildStatus& status);

}  // namespace vanta::build
