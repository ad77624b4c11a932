// The benchmark's plain copy on the Windows side: vanta-copy FROM TO copies
// the files of folder FROM (and its subfolders) into TO, a megabyte at a
// time, as a setup with nothing to unpack or check would. Under Wine it
// pays the same file system costs as the setup it is compared with.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

bool CopyOne(const std::wstring& from, const std::wstring& to, std::vector<char>& buffer) {
  HANDLE in = CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (in == INVALID_HANDLE_VALUE) return false;
  HANDLE out = CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool ok = out != INVALID_HANDLE_VALUE;
  while (ok) {
    DWORD got = 0, wrote = 0;
    if (!ReadFile(in, buffer.data(), DWORD(buffer.size()), &got, nullptr)) ok = false;
    if (!ok || got == 0) break;
    ok = WriteFile(out, buffer.data(), got, &wrote, nullptr) && wrote == got;
  }
  CloseHandle(in);
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  return ok;
}

bool CopyFolder(const std::wstring& from, const std::wstring& to, std::vector<char>& buffer) {
  if (!CreateDirectoryW(to.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((from + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    ok = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? CopyFolder(from + L"\\" + name, to + L"\\" + name, buffer)
                                                             : CopyOne(from + L"\\" + name, to + L"\\" + name, buffer);
  } while (ok && FindNextFileW(search, &found));
  FindClose(search);
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fputs("usage: vanta-copy FROM-FOLDER TO-FOLDER\n", stderr);
    return 2;
  }
  std::vector<char> buffer(1 << 20);
  if (!CopyFolder(argv[1], argv[2], buffer)) {
    std::fprintf(stderr, "vanta-copy: failed (error %lu)\n", GetLastError());
    return 1;
  }
  return 0;
}
