#include "ConsoleStatus.h"

#include <algorithm>

namespace vanta::build {

void TConsoleStatus::StatusLine(std::string_view line) {
  std::fprintf(out_, "%.*s\n", int(line.size()), line.data());
  std::fflush(out_);
}

void TConsoleStatus::Finished(int code, std::string_view text) {
  if (code == kBuildOk) {
    // The files written, one a line.
    for (size_t at = 0; at < text.size();) {
      const size_t end = std::min(text.find("\r\n", at), text.size());
      std::fprintf(out_, "Setup written: %.*s\n", int(end - at), text.data() + at);
      at = end + 2;
    }
  } else std::fprintf(out_, "Compile failed (code %d): %.*s\n", code, int(text.size()), text.data());
  std::fflush(out_);
}

}  // namespace vanta::build
