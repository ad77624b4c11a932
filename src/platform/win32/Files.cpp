#include <windows.h>
#include <shlobj.h>

#include "platform/Files.h"

#include "base/Text.h"
#include "platform/Wildcard.h"
#include "platform/win32/WideText.h"

namespace vanta::platform {

bool FileExists(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attr = GetFileAttributesA(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

TReadResult ReadWholeFile(const std::string& path, std::string& out, size_t maxBytes) {
  out.clear();
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD err = GetLastError();
    return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND ? TReadResult::Missing
                                                                        : TReadResult::Failed;
  }
  TReadResult result = TReadResult::Ok;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(h, &size) || static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
    result = TReadResult::Failed;
  } else {
    out.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    size_t at = 0;
    while (at < out.size()) {
      if (!ReadFile(h, out.data() + at, static_cast<DWORD>(out.size() - at), &got, nullptr)) {
        result = TReadResult::Failed;
        break;
      }
      if (got == 0) break;
      at += got;
    }
    out.resize(at);
  }
  CloseHandle(h);
  if (result != TReadResult::Ok) out.clear();
  return result;
}

bool WriteFileAtomically(const std::string& path, std::string_view data) {
  const std::string temp = path + ".tmp~" + std::to_string(GetCurrentProcessId());
  HANDLE h = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  while (ok && !data.empty()) {
    DWORD put = 0;
    ok = WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &put, nullptr) && put > 0;
    if (ok) data.remove_prefix(put);
  }
  ok = FlushFileBuffers(h) && ok;
  ok = CloseHandle(h) && ok;
  ok = ok && MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) DeleteFileA(temp.c_str());
  return ok;
}

bool RemoveFile(const std::string& path) {
  return ::DeleteFileA(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + pattern).c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = fd.cFileName;
    // The system also matches the pattern against 8.3 short names; only the
    // long name counts here.
    if (name == "." || name == ".." || (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        !WildcardMatch(name, pattern))
      continue;
    names.push_back(name);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return names;
}

TReadResult ReadFileHead(const std::string& path, std::string& out, size_t maxBytes) {
  out.clear();
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD err = GetLastError();
    return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND ? TReadResult::Missing : TReadResult::Failed;
  }
  out.resize(maxBytes);
  size_t at = 0;
  DWORD got = 0;
  while (at < maxBytes && ReadFile(h, out.data() + at, static_cast<DWORD>(maxBytes - at), &got, nullptr) && got)
    at += got;
  CloseHandle(h);
  out.resize(at);
  return TReadResult::Ok;
}

std::optional<TFileStamp> FileStampOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA a{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &a) || (a.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;
  return TFileStamp{(uint64_t{a.nFileSizeHigh} << 32) | a.nFileSizeLow,
                    static_cast<int64_t>((uint64_t{a.ftLastWriteTime.dwHighDateTime} << 32) |
                                         a.ftLastWriteTime.dwLowDateTime)};
}

bool FolderExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

int64_t UnixSecondsOf(const TFileStamp& stamp) {
  constexpr int64_t kFrom1601 = 116444736000000000;  // 100-ns units between 1601 and 1970
  return (stamp.Modified - kFrom1601) / 10000000;
}

std::vector<std::string> ListFolders(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = fd.cFileName;
    // A junction can lead back up the tree: only real folders are entered.
    if (name == "." || name == ".." || !(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
      continue;
    names.push_back(name);
  } while (FindNextFileA(h, &fd));
  FindClose(h);
  return names;
}

std::string ExecutablePath() {
  std::string buf(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return {};
    if (n < buf.size()) {
      buf.resize(n);
      return buf;
    }
    buf.resize(buf.size() * 2);
  }
}

std::string LegacyTextToUtf8(std::string_view text) {
  if (text.empty()) return {};
  // GetACP answers 65001 under the UTF-8 manifest; the system's own ANSI
  // code page is the one older copies wrote their files in.
  DWORD cp = 0;
  if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                     reinterpret_cast<LPWSTR>(&cp), sizeof cp / sizeof(WCHAR)) == 0 ||
      cp == 0 || cp == CP_UTF8)
    cp = 1252;
  const int n = static_cast<int>(text.size());
  const int wide = MultiByteToWideChar(cp, 0, text.data(), n, nullptr, 0);
  if (wide <= 0) return Cp1252ToUtf8(text);
  std::wstring w(static_cast<size_t>(wide), L'\0');
  MultiByteToWideChar(cp, 0, text.data(), n, w.data(), wide);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, out.data(), bytes, nullptr, nullptr);
  return out;
}

}  // namespace vanta::platform

namespace vanta::platform {

bool CreateFolders(const std::string& folder) {
  std::string path = folder;
  while (!path.empty() && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  if (path.empty()) return false;
  const DWORD attr = GetFileAttributesA(path.c_str());
  if (attr != INVALID_FILE_ATTRIBUTES) return (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
  const size_t cut = path.find_last_of("\\/");
  // A drive ("C:") or share root is never made here.
  if (cut != std::string::npos && cut > 0 && path[cut - 1] != ':' && path[cut - 1] != '\\')
    CreateFolders(path.substr(0, cut));
  return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

namespace {
class TSystemUserFolders final : public IUserFolders {
 public:
  std::string Folder(TUserFolder kind) override {
    const int csidl = kind == TUserFolder::RoamingAppData ? CSIDL_APPDATA
                      : kind == TUserFolder::LocalAppData ? CSIDL_LOCAL_APPDATA
                                                          : CSIDL_PERSONAL;
    wchar_t wide[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, wide)) || !wide[0]) return {};
    std::string utf8 = Narrow(wide);
    return utf8.empty() ? utf8 : IncludeTrailingDelimiter(utf8);
  }
};
}  // namespace

IUserFolders& SystemUserFolders() {
  static TSystemUserFolders folders;  // stateless
  return folders;
}

}  // namespace vanta::platform
