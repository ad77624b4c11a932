#include "Win32Target.h"
#include "FolderAcl.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstring>
#include <memory>
#include <vector>

namespace vanta::build {
namespace {

[[noreturn]] void Fail(const std::string& what, DWORD code = GetLastError()) {
  throw TInstallError(what + ": " + SystemErrorText(code));
}

HKEY RootKey(TRegistryRoot root) { return root == TRegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }

std::string RootName(TRegistryRoot root) { return root == TRegistryRoot::LocalMachine ? "HKLM\\" : "HKCU\\"; }

class TKey {
 public:
  TKey(TRegistryRoot root, const std::string& subkey, REGSAM access) {
    if (RegOpenKeyExA(RootKey(root), subkey.c_str(), 0, access, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  ~TKey() {
    if (key_) RegCloseKey(key_);
  }
  explicit operator bool() const { return key_ != nullptr; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

class THandle {
 public:
  explicit THandle(HANDLE h) : h_(h) {}
  ~THandle() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

void WriteAll(HANDLE file, const void* data, size_t size, const std::string& path) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    DWORD wrote = 0;
    const DWORD chunk = DWORD(std::min<size_t>(size, 1u << 20));
    if (!::WriteFile(file, p, chunk, &wrote, nullptr) || wrote != chunk) Fail("cannot write " + path);
    p += chunk;
    size -= chunk;
  }
}

std::wstring Wide(const std::string& s) {
  const int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, w.data(), n);
  w.resize(n > 0 ? n - 1 : 0);
  return w;
}

}  // namespace

std::string SystemErrorText(unsigned long code) {
  char* text = nullptr;
  FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                 reinterpret_cast<char*>(&text), 0, nullptr);
  std::string s = text ? text : "error " + std::to_string(code);
  if (text) LocalFree(text);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
  return s + " (" + std::to_string(code) + ")";
}

bool TWin32Target::FileExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool TWin32Target::FolderExists(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void TWin32Target::CreateFolder(const std::string& path) {
  if (!CreateDirectoryA(path.c_str(), nullptr)) Fail("cannot create the folder " + path);
}

bool TWin32Target::RemoveFolderIfEmpty(const std::string& path) { return RemoveDirectoryA(path.c_str()) != 0; }

bool TWin32Target::FolderIsEmpty(const std::string& path) {
  WIN32_FIND_DATAA found;
  const HANDLE find = FindFirstFileA((path + "\\*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool empty = true;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") empty = false;
  } while (empty && FindNextFileA(find, &found));
  FindClose(find);
  return empty;
}

bool TWin32Target::FolderOpenToUsers(const std::string& path) { return FolderOpenToOthers(path); }

void TWin32Target::ProtectFolder(const std::string& path) { ProtectFolderAcl(path); }

void TWin32Target::WriteFile(const std::string& path, const TFileProducer& produce) {
  // No sharing: nobody opens, maps or swaps the bytes before they are checked.
  HANDLE h = INVALID_HANDLE_VALUE;
  std::string temp;
  for (int n = 1; h == INVALID_HANDLE_VALUE; ++n) {
    temp = path + ".~vt" + std::to_string(n);
    h = CreateFileA(temp.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD code = GetLastError();
    if (h == INVALID_HANDLE_VALUE && ((code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) || n == 100))
      Fail("cannot create " + temp, code);
  }
  THandle file(h);
  const auto discard = [&] {
    FILE_DISPOSITION_INFO gone{TRUE};
    SetFileInformationByHandle(h, FileDispositionInfo, &gone, sizeof gone);
  };
  try {
    produce([&](const void* data, size_t size) { WriteAll(h, data, size, path); });
  } catch (...) {
    discard();
    throw;
  }
  const std::wstring to = Wide(path);
  std::vector<char> buf(sizeof(FILE_RENAME_INFO) + to.size() * sizeof(wchar_t));
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buf.data());
  rename->ReplaceIfExists = FALSE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = DWORD(to.size() * sizeof(wchar_t));
  std::memcpy(rename->FileName, to.c_str(), (to.size() + 1) * sizeof(wchar_t));
  if (!SetFileInformationByHandle(h, FileRenameInfo, rename, DWORD(buf.size()))) {
    const DWORD code = GetLastError();
    discard();
    Fail("cannot move " + temp + " to " + path, code);
  }
}

void TWin32Target::RenameFile(const std::string& from, const std::string& to) {
  if (!MoveFileExA(from.c_str(), to.c_str(), 0)) Fail("cannot move " + from + " to " + to);
}

void TWin32Target::AppendFile(const std::string& path, const std::string& bytes) {
  THandle file(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) Fail("cannot open " + path);
  WriteAll(file.get(), bytes.data(), bytes.size(), path);
  // The log is only worth its name when it is on disk before the action.
  FlushFileBuffers(file.get());
}

bool TWin32Target::RemoveFile(const std::string& path) {
  if (DeleteFileA(path.c_str())) return true;
  if (GetLastError() == ERROR_ACCESS_DENIED) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(path.c_str()) != 0;
  }
  return false;
}

std::optional<std::string> TWin32Target::LoadFile(const std::string& path) {
  THandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buf[65536];
  DWORD got = 0;
  while (::ReadFile(file.get(), buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
  return bytes;
}

bool TWin32Target::RemoveAtRestart(const std::string& path) {
  return MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

bool TWin32Target::RenameAtRestart(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING) != 0;
}

bool TWin32Target::KeyExists(TRegistryRoot root, const std::string& subkey) {
  return static_cast<bool>(TKey(root, subkey, KEY_READ));
}

std::optional<TRegValue> TWin32Target::ReadValue(TRegistryRoot root, const std::string& subkey, const std::string& name) {
  TKey key(root, subkey, KEY_READ);
  if (!key) return std::nullopt;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
  TRegValue v{type, std::string(size, '\0')};
  if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(v.data.data()), &size) != ERROR_SUCCESS)
    return std::nullopt;
  v.data.resize(size);
  return v;
}

void TWin32Target::WriteValue(TRegistryRoot root, const std::string& subkey, const std::string& name, const TRegValue& v) {
  HKEY key = nullptr;
  LONG rc = RegCreateKeyExA(RootKey(root), subkey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
  if (rc != ERROR_SUCCESS) Fail("cannot create the key " + RootName(root) + subkey, DWORD(rc));
  rc = RegSetValueExA(key, name.c_str(), 0, v.type, reinterpret_cast<const BYTE*>(v.data.data()), DWORD(v.data.size()));
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) Fail("cannot write the value " + RootName(root) + subkey + "\\" + name, DWORD(rc));
}

void TWin32Target::DeleteValue(TRegistryRoot root, const std::string& subkey, const std::string& name) {
  TKey key(root, subkey, KEY_SET_VALUE);
  if (key) RegDeleteValueA(key.get(), name.c_str());
}

bool TWin32Target::DeleteKeyIfEmpty(TRegistryRoot root, const std::string& subkey) {
  {
    TKey key(root, subkey, KEY_READ);
    if (!key) return false;
    DWORD subkeys = 0, values = 0;
    if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS ||
        subkeys > 0 || values > 0)
      return false;
  }
  return RegDeleteKeyA(RootKey(root), subkey.c_str()) == ERROR_SUCCESS;
}

void TWin32Target::DeleteKeyTree(TRegistryRoot root, const std::string& subkey) {
  // Never the root itself: the script reader and the payload refuse an
  // empty subkey, and so does this.
  if (subkey.empty()) throw TInstallError("refusing to delete a root key");
  const LONG rc = RegDeleteTreeA(RootKey(root), subkey.c_str());
  if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) Fail("cannot delete the key " + RootName(root) + subkey, DWORD(rc));
  RegDeleteKeyA(RootKey(root), subkey.c_str());
}

std::optional<std::string> TWin32Target::ReadIni(const std::string& file, const std::string& section, const std::string& key) {
  // Two different defaults tell an absent key from one that holds either;
  // the buffer grows until the value fits, so that a rollback puts back
  // all of it.
  for (DWORD size = 1024;; size *= 4) {
    std::string a(size, '\0'), b(size, '\0');
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "\x01", a.data(), size, file.c_str());
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "\x02", b.data(), size, file.c_str());
    if (n + 1 >= size && size < (1u << 20)) continue;
    a.resize(n);
    if (a == "\x01" && b.c_str() == std::string("\x02")) return std::nullopt;
    return a;
  }
}

void TWin32Target::WriteIni(const std::string& file, const std::string& section, const std::string& key, const std::string& value) {
  if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()))
    Fail("cannot write [" + section + "] " + key + " in " + file);
}

void TWin32Target::DeleteIni(const std::string& file, const std::string& section, const std::string& key) {
  WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, file.c_str());
}

void TWin32Target::CreateShortcut(const std::string& link, const std::string& target, const std::string& parameters) {
  IShellLinkA* shellLink = nullptr;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, reinterpret_cast<void**>(&shellLink));
  if (FAILED(hr)) Fail("cannot make the shortcut " + link, DWORD(hr));
  std::unique_ptr<IShellLinkA, void (*)(IShellLinkA*)> holder(shellLink, [](IShellLinkA* p) { p->Release(); });
  shellLink->SetPath(target.c_str());
  if (!parameters.empty()) shellLink->SetArguments(parameters.c_str());
  const size_t cut = target.find_last_of('\\');
  if (cut != std::string::npos) shellLink->SetWorkingDirectory(target.substr(0, cut).c_str());
  IPersistFile* file = nullptr;
  hr = shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  if (FAILED(hr)) Fail("cannot save the shortcut " + link, DWORD(hr));
  hr = file->Save(Wide(link).c_str(), TRUE);
  file->Release();
  if (FAILED(hr)) Fail("cannot save the shortcut " + link, DWORD(hr));
}

std::string TWin32Target::ShortPath(const std::string& path) {
  char buf[MAX_PATH];
  const DWORD n = GetShortPathNameA(path.c_str(), buf, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  const std::string s(buf, n);
  // A volume without 8.3 names gives the long path back.
  if (s == path || s.find(' ') != std::string::npos) return {};
  return s;
}

}  // namespace vanta::build
