// Stands in for the installer compiler in the builder's tests: records the
// one argument it was started with and the files of the script's folder,
// then answers the builder window as the real compiler does, from a script
// of replies, and ends.
//
// Beside the executable: "fake-replies.txt", one reply a line: a code
// (10000 a status line, 0 success, anything else failure), a blank, the
// text. It writes "fake-record\argument.txt" and a copy of every file of
// the script's folder into "fake-record\" beside itself.
#include <windows.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

std::string Folder(const std::string& path) { return path.substr(0, path.find_last_of("\\/") + 1); }

std::string OwnFolder() {
  char buf[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, buf, MAX_PATH);
  return Folder(std::string(buf, n));
}

void Record(const std::string& record, const std::string& script) {
  CreateDirectoryA(record.c_str(), nullptr);
  std::ofstream(record + "argument.txt", std::ios::binary) << script;
  const std::string folder = Folder(script);
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      CopyFileA((folder + fd.cFileName).c_str(), (record + fd.cFileName).c_str(), FALSE);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
}

void Reply(HWND builder, unsigned long code, const std::string& text) {
  COPYDATASTRUCT data{code, static_cast<DWORD>(text.size() + 1), const_cast<char*>(text.c_str())};
  SendMessageA(builder, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::string own = OwnFolder();
  // The builder passes one quoted path: the script.
  std::string args = GetCommandLineA();
  const bool quoted = !args.empty() && args[0] == '"';
  size_t at = quoted ? args.find('"', 1) + 1 : args.find(' ');
  std::string script = at == std::string::npos ? std::string() : args.substr(at);
  script.erase(0, script.find_first_not_of(' '));
  if (script.size() >= 2 && script.front() == '"' && script.back() == '"') script = script.substr(1, script.size() - 2);
  Record(own + "fake-record\\", script);

  std::ifstream replies(own + "fake-replies.txt", std::ios::binary);
  HWND builder = FindWindowA(nullptr, "Vanta Screensaver Builder");
  std::string line;
  while (builder && std::getline(replies, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::istringstream in(line);
    unsigned long code = 0;
    if (!(in >> code)) continue;
    std::string text;
    std::getline(in, text);
    if (!text.empty() && text.front() == ' ') text.erase(0, 1);
    Reply(builder, code, text);
  }
  return 0;
}
