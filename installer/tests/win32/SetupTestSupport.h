// What the Win32 tests of the compiler and the setup share: where the test
// program lies (the programs under test lie beside it), a program run to
// its end, a process looked for by name, and a script compiled into a setup.
#pragma once
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "Compiler.h"
#include "WizardPictures.h"

namespace vanta::build::test {

inline std::string ExeFolder() {
  char buf[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
  const std::string s(buf, n);
  return s.substr(0, s.find_last_of('\\') + 1);
}

// The program's exit code; 999 when it did not start, 998 when it did not
// end. UTF-8 arguments reach it as UTF-16, whatever this program's code page.
inline DWORD RunAndWait(const std::string& exe, const std::string& arguments) {
  const auto wide = [](const std::string& utf8) {
    std::wstring w(utf8.size(), L'\0');
    w.resize(size_t(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), w.data(), int(w.size()))));
    return w;
  };
  std::wstring line = wide("\"" + exe + "\" " + arguments);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(wide(exe).c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 999;
  WaitForSingleObject(pi.hProcess, 60000);
  DWORD code = 998;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

// Whether a process of that file name runs.
inline bool ProcessRuns(const char* exeName) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry))
    found = _stricmp(entry.szExeFile, exeName) == 0;
  CloseHandle(snapshot);
  return found;
}

// The script compiled with the setup program beside this test (or its
// test build, which takes /TESTPAUSE); a failure fails the test with the
// compiler's reason.
inline void CompileSetup(const std::string& scriptPath, const char* stub = "vantasetup.exe") {
  TCompileOptions o;
  o.scriptPath = scriptPath;
  o.windowsPaths = true;
  o.stubPath = ExeFolder() + stub;
  o.readPicture = ReadWizardPicture;
  class : public IBuildStatus {
    void StatusLine(std::string_view) override {}
    void Finished(int, std::string_view t) override { text = t; }

   public:
    std::string text;
  } status;
  EXPECT_EQ(Compile(o, status), 0) << status.text;
}

}  // namespace vanta::build::test
