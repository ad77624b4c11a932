#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <limits.h>

#include <filesystem>

#include "platform/Files.h"

#include "base/Text.h"
#include "platform/Wildcard.h"

namespace vanta::platform {

bool FileExists(const std::string& path) {
  struct stat st {};
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

TReadResult ReadWholeFile(const std::string& path, std::string& out, size_t maxBytes) {
  out.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? TReadResult::Missing : TReadResult::Failed;
  struct stat st {};
  TReadResult result = TReadResult::Ok;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<size_t>(st.st_size) > maxBytes) {
    result = TReadResult::Failed;
  } else {
    char buf[65536];
    for (;;) {
      const ssize_t got = ::read(fd, buf, sizeof buf);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0 || out.size() + static_cast<size_t>(got) > maxBytes) {
        result = TReadResult::Failed;
        break;
      }
      if (got == 0) break;
      out.append(buf, static_cast<size_t>(got));
    }
  }
  ::close(fd);
  if (result != TReadResult::Ok) out.clear();
  return result;
}

bool WriteFileAtomically(const std::string& path, std::string_view data) {
  const std::string temp = path + ".tmp~" + std::to_string(::getpid());
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = true;
  while (ok && !data.empty()) {
    const ssize_t put = ::write(fd, data.data(), data.size());
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) ok = false;
    else data.remove_prefix(static_cast<size_t>(put));
  }
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0 || errno == ENOENT; }

std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return names;
  while (const dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (name == "." || name == ".." || !WildcardMatch(name, pattern)) continue;
    if (FileExists((folder.empty() ? "./" : folder) + name)) names.push_back(name);
  }
  ::closedir(dir);
  return names;
}

TReadResult ReadFileHead(const std::string& path, std::string& out, size_t maxBytes) {
  out.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? TReadResult::Missing : TReadResult::Failed;
  out.resize(maxBytes);
  size_t at = 0;
  while (at < maxBytes) {
    const ssize_t got = ::read(fd, out.data() + at, maxBytes - at);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    at += static_cast<size_t>(got);
  }
  ::close(fd);
  out.resize(at);
  return TReadResult::Ok;
}

std::optional<TFileStamp> FileStampOf(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  return TFileStamp{static_cast<uint64_t>(st.st_size),
                    static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

bool FolderExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int64_t UnixSecondsOf(const TFileStamp& stamp) { return stamp.Modified / 1000000000; }

std::vector<std::string> ListFolders(const std::string& folder) {
  std::vector<std::string> names;
  const std::string base = folder.empty() ? "./" : folder;
  DIR* dir = ::opendir(base.c_str());
  if (!dir) return names;
  while (const dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    struct stat st {};
    // A link can lead back up the tree: only real folders are entered.
    if (name == "." || name == ".." || ::lstat((base + name).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) continue;
    names.push_back(name);
  }
  ::closedir(dir);
  return names;
}

std::string ExecutablePath() {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

std::string LegacyTextToUtf8(std::string_view text) { return Cp1252ToUtf8(text); }

}  // namespace vanta::platform

namespace vanta::platform {

bool CreateFolders(const std::string& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return std::filesystem::is_directory(folder, ec);
}

namespace {
// Natively there are no such folders: settings stay beside the program.
class TNoUserFolders final : public IUserFolders {
 public:
  std::string Folder(TUserFolder) override { return {}; }
};
}  // namespace

IUserFolders& SystemUserFolders() {
  static TNoUserFolders folders;  // stateless
  return folders;
}

}  // namespace vanta::platform
