#include "SourceFiles.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "TextRules.h"

namespace vanta::build {
namespace fs = std::filesystem;
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Follows `relative` (Windows separators) down from `base`, taking for each
// part the entry whose name matches it with letter case ignored, as a
// Windows file system would. Parts that do not exist stay as written.
std::string WalkNoCase(const std::string& base, std::string_view relative) {
  fs::path at(base);
  size_t i = 0;
  while (i < relative.size()) {
    size_t end = i;
    while (end < relative.size() && !IsSeparator(relative[end])) ++end;
    const std::string part(relative.substr(i, end - i));
    i = end + 1;
    if (part.empty() || part == ".") continue;
    fs::path next = at / part;
    std::error_code ec;
    if (part != ".." && !fs::exists(next, ec)) {
      for (const fs::directory_entry& e : fs::directory_iterator(at, ec)) {
        if (SameText(e.path().filename().string(), part)) {
          next = e.path();
          break;
        }
      }
    }
    at = next;
  }
  return at.string();
}

}  // namespace

std::optional<TDriveMap> ParseDriveMap(std::string_view text) {
  if (text.size() < 4 || !IsAsciiLetter(text[0]) || text[1] != ':' || text[2] != '=') return std::nullopt;
  return TDriveMap{UpperAscii(text[0]), std::string(text.substr(3))};
}

TSourceFiles::TSourceFiles(std::string scriptFolder, std::vector<TDriveMap> maps, bool windowsPaths)
    : scriptFolder_(std::move(scriptFolder)), maps_(std::move(maps)), windowsPaths_(windowsPaths) {}

std::string TSourceFiles::MapDrivePath(char drive, std::string_view rest) const {
  for (const TDriveMap& m : maps_)
    if (m.drive == UpperAscii(drive)) return WalkNoCase(m.folder, rest);
  throw std::runtime_error(std::string("no folder is mapped to drive ") + UpperAscii(drive) + ": (use --map " + UpperAscii(drive) + ":=DIR)");
}

std::string TSourceFiles::Locate(std::string_view path) const {
  const std::string quoted = "\"" + std::string(path) + "\"";
  if (path.empty()) throw std::runtime_error("an empty path");
  if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':') {
    if (path.size() == 2 || !IsSeparator(path[2]))
      throw std::runtime_error(quoted + " is relative to a drive's current folder");
    if (windowsPaths_) return std::string(path);
    return MapDrivePath(path[0], path.substr(3));
  }
  if (IsSeparator(path[0])) {
    if (windowsPaths_ && path.size() > 2 && IsSeparator(path[1])) return std::string(path);  // a network path
    throw std::runtime_error(quoted + " starts at the root of no named drive");
  }
  if (windowsPaths_) {
    std::string s = scriptFolder_;
    if (!s.empty() && !IsSeparator(s.back())) s += '\\';
    return s + std::string(path);
  }
  return WalkNoCase(scriptFolder_.empty() ? "." : scriptFolder_, path);
}

std::string ReadWholeFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) throw std::runtime_error("cannot open \"" + path + "\"");
  std::string bytes;
  char buffer[1 << 16];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) throw std::runtime_error("cannot read \"" + path + "\"");
  return bytes;
}

namespace {

// 64-bit offsets: the C runtime's names differ.
int SeekTo(std::FILE* f, int64_t offset, int whence) {
#ifdef _WIN32
  return _fseeki64(f, offset, whence);
#else
  return fseeko(f, offset, whence);
#endif
}

int64_t Tell(std::FILE* f) {
#ifdef _WIN32
  return _ftelli64(f);
#else
  return ftello(f);
#endif
}

}  // namespace

TSourceFile::TSourceFile(const std::string& path) : path_(path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) throw std::runtime_error("cannot open \"" + path + "\"");
  file_ = f;
  const int64_t size = SeekTo(f, 0, SEEK_END) == 0 ? Tell(f) : -1;
  if (size < 0 || SeekTo(f, 0, SEEK_SET) != 0) throw std::runtime_error("cannot read \"" + path + "\"");
  size_ = uint64_t(size);
}

TSourceFile::~TSourceFile() {
  if (file_) std::fclose(static_cast<std::FILE*>(file_));
}

size_t TSourceFile::Read(void* data, size_t size) {
  std::FILE* f = static_cast<std::FILE*>(file_);
  const size_t n = std::fread(data, 1, size, f);
  if (n < size && std::ferror(f)) throw std::runtime_error("cannot read \"" + path_ + "\"");
  return n;
}

void TSourceFile::Rewind() {
  if (SeekTo(static_cast<std::FILE*>(file_), 0, SEEK_SET) != 0) throw std::runtime_error("cannot read \"" + path_ + "\"");
}

TAtomicFile::TAtomicFile(std::string path)
    : path_(std::move(path)), tempPath_(path_ + ".tmp~" + std::to_string(CurrentProcessId())) {
  file_ = std::fopen(tempPath_.c_str(), "wb");
  if (!file_) throw TOutputError("cannot write \"" + tempPath_ + "\"");
}

TAtomicFile::~TAtomicFile() {
  if (file_) std::fclose(static_cast<std::FILE*>(file_));
  if (!committed_) std::remove(tempPath_.c_str());
}

void TAtomicFile::Write(const void* data, size_t size) {
  if (!file_) throw std::logic_error("a write after the file was closed");
  if (size > 0 && std::fwrite(data, 1, size, static_cast<std::FILE*>(file_)) != size)
    throw TOutputError("cannot write \"" + tempPath_ + "\" (disk full?)");
}

void TAtomicFile::Close() {
  std::FILE* f = static_cast<std::FILE*>(file_);
  if (!f) return;
  file_ = nullptr;
  bool closed = std::fflush(f) == 0;
  closed = std::fclose(f) == 0 && closed;
  if (!closed) throw TOutputError("cannot write \"" + path_ + "\"");
}

void TAtomicFile::Commit() {
  Close();
  if (!ReplaceFileWith(tempPath_, path_)) throw TOutputError("cannot write \"" + path_ + "\"");
  committed_ = true;
}

}  // namespace vanta::build
