#include "ConsoleStatus.h"

namespace vanta::build {

void TConsoleStatus::StatusLine(std::string_view line) {
  std::fprintf(out_, "%.*s\n", int(line.size()), line.data());
  std::fflush(out_);
}

void TConsoleStatus::Finished(int code, std::string_view text) {
  if (code == kBuildOk) std::fprintf(out_, "%.*s\n", int(text.size()), text.data());
  else std::fprintf(out_, "Compile failed (code %d): %.*s\n", code, int(text.size()), text.data());
  std::fflush(out_);
}

}  // namespace vanta::build
