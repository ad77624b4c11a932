#include "SetupUi.h"

#include <windows.h>

#include "PrivateFiles.h"

namespace vanta::build {

TSetupUi::TSetupUi(const TSetupCommand& command, std::string title) : command_(command), title_(std::move(title)) {}

TSetupUi::~TSetupUi() {
  if (log_) CloseHandle(log_);
}

// Made when the first line comes, so that a process with nothing to say
// (the uninstaller before its copy starts) leaves no file.
void TSetupUi::OpenLog() {
  logTried_ = true;
  if (!command_.log) return;
  std::string path = command_.logFile;
  if (path.empty()) {
    char temp[MAX_PATH];
    const DWORD n = GetTempPathA(MAX_PATH, temp);
    const std::string random = RandomHex(8);
    if (n == 0 || n >= MAX_PATH || random.empty()) return;
    SYSTEMTIME t;
    GetLocalTime(&t);
    char date[16];
    wsprintfA(date, "%04u%02u%02u", t.wYear, t.wMonth, t.wDay);
    path = std::string(temp) + "vantasetup-" + date + "-" + random + ".log";
  }
  // A log in a folder that is not there yet: the folder is made.
  for (size_t at = path.find_first_of("\\/", 3); at != std::string::npos; at = path.find_first_of("\\/", at + 1))
    CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
  // A log that exists is left alone: the next free numbered name beside
  // it. Without one of 100, no log (the setup itself goes on).
  for (int i = 0; i < 100; ++i) {
    const std::string name = NumberedLogName(path, i);
    const HANDLE h = CreateNewFile(name);
    if (h != INVALID_HANDLE_VALUE) {
      log_ = h;
      return;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return;
  }
}

bool TSetupUi::LogMissing() {
  if (!logTried_) OpenLog();
  return command_.log && !log_;
}

void TSetupUi::Log(const std::string& line) {
  if (!logTried_) OpenLog();
  if (!log_) return;
  SYSTEMTIME t;
  GetLocalTime(&t);
  char stamp[40];
  const int n = wsprintfA(stamp, "%04u-%02u-%02u %02u:%02u:%02u.%03u   ", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                          t.wSecond, t.wMilliseconds);
  const std::string text = std::string(stamp, size_t(n)) + line + "\r\n";
  DWORD written = 0;
  WriteFile(log_, text.data(), DWORD(text.size()), &written, nullptr);
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
