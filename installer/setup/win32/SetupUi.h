// What the setup and the uninstaller say to the user, as the switches
// allow: /VERYSILENT and /SILENT skip the questions, /SUPPRESSMSGBOXES
// takes each box's default answer; /LOG writes every line to a file, made
// new at the first line (never one that exists: see NumberedLogName); /LOG
// without a name makes one with a random part in the temporary folder.
#pragma once
#include <string>

#include "../SetupCommandLine.h"

namespace vanta::build {

class TSetupUi {
 public:
  TSetupUi(const TSetupCommand& command, std::string title);
  ~TSetupUi();

  bool Interactive() const { return command_.quiet == TQuietness::Normal; }
  // A question; `byDefault` is the answer when boxes are suppressed or silent.
  bool Ask(const std::string& text, bool byDefault);
  void Inform(const std::string& text);  // not in silent runs
  void Error(const std::string& text);   // also in silent runs unless suppressed
  void Log(const std::string& line);
  // /LOG was given and no log file could be made.
  bool LogMissing();
  void SetTitle(std::string title) { title_ = std::move(title); }

 private:
  TSetupCommand command_;
  std::string title_;
  void OpenLog();
  void* log_ = nullptr;  // the log file's HANDLE, once a line is written
  bool logTried_ = false;
};

}  // namespace vanta::build
