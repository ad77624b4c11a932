// The builder's side of the status: each line and the end go to its window
// as WM_COPYDATA (dwData 10000 for a line, then the end code), its text
// zero-terminated.
#pragma once
#include <windows.h>

#include <string>

#include "../BuildStatus.h"
#include "base/CompilerProtocol.h"

namespace vanta::build {


// The builder's top-level window: a visible one with that caption first.
HWND FindBuilderWindow();

class TCopyDataStatus : public IBuildStatus {
 public:
  void StatusLine(std::string_view line) override;
  void Finished(int code, std::string_view text) override;

 private:
  void Send(ULONG_PTR code, std::string_view text);
  HWND window_ = nullptr;
};

// Both sinks, console first.
class TTeeStatus : public IBuildStatus {
 public:
  TTeeStatus(IBuildStatus& first, IBuildStatus& second) : first_(first), second_(second) {}
  void StatusLine(std::string_view line) override {
    first_.StatusLine(line);
    second_.StatusLine(line);
  }
  void Finished(int code, std::string_view text) override {
    first_.Finished(code, text);
    second_.Finished(code, text);
  }

 private:
  IBuildStatus& first_;
  IBuildStatus& second_;
};

}  // namespace vanta::build
