// Where the script's files are on the building computer. Script paths are
// Windows paths: on Windows they are used as they are; natively a drive path
// needs a mapping (--map C:=DIR), letter case is matched as Windows would,
// and a path without one is an error.
#pragma once
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "Payload.h"

namespace vanta::build {

struct TDriveMap {
  char drive = 'C';  // upper case
  std::string folder;
};

// "C:=DIR"; nullopt when malformed.
std::optional<TDriveMap> ParseDriveMap(std::string_view text);

class TSourceFiles {
 public:
  // `scriptFolder` is a path of this computer; `windowsPaths` says whether
  // script paths are this computer's own (the Windows build).
  TSourceFiles(std::string scriptFolder, std::vector<TDriveMap> maps, bool windowsPaths);

  // The local path of a script path (Source, OutputDir). Throws
  // std::runtime_error naming the path when it cannot be placed.
  std::string Locate(std::string_view scriptPath) const;

 private:
  std::string MapDrivePath(char drive, std::string_view rest) const;
  std::string scriptFolder_;
  std::vector<TDriveMap> maps_;
  bool windowsPaths_;
};

// Reads a whole file; throws std::runtime_error naming it.
std::string ReadWholeFile(const std::string& path);

// A file of the building computer for the payload writer, read a piece at a
// time. Throws std::runtime_error naming it.
class TSourceFile : public IFileReader {
 public:
  explicit TSourceFile(const std::string& path);
  ~TSourceFile() override;
  TSourceFile(const TSourceFile&) = delete;
  TSourceFile& operator=(const TSourceFile&) = delete;
  uint64_t Size() const override { return size_; }
  size_t Read(void* data, size_t size) override;
  void Rewind() override;

 private:
  std::string path_;
  void* file_ = nullptr;  // FILE*
  uint64_t size_ = 0;
};

// A fault of writing the setup, as apart from reading what goes in it.
class TOutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Writes `bytes` through a temporary name beside `path` and renames it over
// `path`, so that no half-written file is ever left under that name.
// Throws std::runtime_error naming the path.
class TAtomicFile {
 public:
  explicit TAtomicFile(std::string path);
  ~TAtomicFile();  // removes the temporary file unless committed
  void Write(const void* data, size_t size);
  // Ends the writing, so that many files need not stay open; Commit then
  // only renames.
  void Close();
  void Commit();
  const std::string& Path() const { return path_; }
  const std::string& TempPath() const { return tempPath_; }

 private:
  std::string path_;
  std::string tempPath_;
  void* file_ = nullptr;  // FILE*
  bool committed_ = false;
};

// The platform's part (posix/ or win32/): replace `to` by `from` in one
// step, and this process's id for temporary names.
bool ReplaceFileWith(const std::string& from, const std::string& to);
unsigned CurrentProcessId();
// Makes the folder and those above it that are missing; false when it is
// not a folder afterwards. Paths in the system's own code page.
bool MakeFolders(const std::string& path);

}  // namespace vanta::build
