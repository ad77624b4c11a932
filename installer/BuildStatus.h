// How a compile reports: status lines as it goes, then exactly one end.
// The console prints them; the Windows build also sends each to the
// builder's window.
#pragma once
#include <string_view>

namespace vanta::build {

// The end codes. The builder treats every code but 0 as a failed build.
enum TBuildCode : int {
  kBuildOk = 0,
  kBuildBadArguments = 1,
  kBuildScriptError = 2,
  kBuildSourceError = 3,
  kBuildOutputError = 4,
  kBuildInternalError = 5,
};

class IBuildStatus {
 public:
  virtual ~IBuildStatus() = default;
  virtual void StatusLine(std::string_view line) = 0;
  // Once per compile; for a failure `text` is the reason.
  virtual void Finished(int code, std::string_view text) = 0;
};

}  // namespace vanta::build
