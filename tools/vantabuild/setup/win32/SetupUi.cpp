#include "SetupUi.h"

#include <windows.h>

namespace vanta::build {

TSetupUi::TSetupUi(const TSetupCommand& command, std::string title) : command_(command), title_(std::move(title)) {
  if (!command_.log) return;
  std::string path = command_.logFile;
  if (path.empty()) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    path = std::string(temp) + "vantasetup-" + std::to_string(GetCurrentProcessId()) + ".log";
  }
  log_ = std::fopen(path.c_str(), "ab");
}

TSetupUi::~TSetupUi() {
  if (log_) std::fclose(log_);
}

void TSetupUi::Log(const std::string& line) {
  if (!log_) return;
  SYSTEMTIME t;
  GetLocalTime(&t);
  std::fprintf(log_, "%04u-%02u-%02u %02u:%02u:%02u.%03u   %s\r\n", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
               t.wMilliseconds, line.c_str());
  std::fflush(log_);
}

bool TSetupUi::Ask(const std::string& text, bool byDefault) {
  Log("Question: " + text);
  if (!Interactive() || command_.suppressMessageBoxes) {
    Log(std::string("Answer: ") + (byDefault ? "Yes (default)" : "No (default)"));
    return byDefault;
  }
  const bool yes = MessageBoxA(nullptr, text.c_str(), title_.c_str(),
                               MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND | (byDefault ? MB_DEFBUTTON1 : MB_DEFBUTTON2)) == IDYES;
  Log(std::string("Answer: ") + (yes ? "Yes" : "No"));
  return yes;
}

void TSetupUi::Inform(const std::string& text) {
  Log(text);
  if (Interactive() && !command_.suppressMessageBoxes)
    MessageBoxA(nullptr, text.c_str(), title_.c_str(), MB_OK | MB_ICONINFORMATION | MB_SETFOREGROUND);
}

void TSetupUi::Error(const std::string& text) {
  Log("Error: " + text);
  if (command_.quiet != TQuietness::VerySilent && !command_.suppressMessageBoxes)
    MessageBoxA(nullptr, text.c_str(), title_.c_str(), MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

}  // namespace vanta::build
