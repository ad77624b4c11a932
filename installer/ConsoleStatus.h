// Status on standard output: each line as it comes, then the end.
#pragma once
#include <cstdio>

#include "BuildStatus.h"

namespace vanta::build {

class TConsoleStatus : public IBuildStatus {
 public:
  explicit TConsoleStatus(std::FILE* out) : out_(out) {}
  void StatusLine(std::string_view line) override;
  void Finished(int code, std::string_view text) override;

 private:
  std::FILE* out_;
};

}  // namespace vanta::build
