// File operations the portable core needs, one implementation per platform
// (posix/ natively, win32/ on Windows). Paths are UTF-8: natively that is
// the file system's own encoding, and on Windows the program's manifest
// makes UTF-8 the code page of every "A" call.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vanta::platform {

// An existing regular file (not a folder).
bool FileExists(const std::string& path);

enum class TReadResult { Ok, Missing, Failed };
// Reads the whole file, up to maxBytes; a larger file is Failed.
TReadResult ReadWholeFile(const std::string& path, std::string& out, size_t maxBytes);

// The first maxBytes of a file (all of a smaller one): enough for a header.
TReadResult ReadFileHead(const std::string& path, std::string& out, size_t maxBytes);

// A file's size and last change, to tell whether it changed since.
struct TFileStamp {
  uint64_t Size = 0;
  int64_t Modified = 0;  // in the system's own units
  bool operator==(const TFileStamp&) const = default;
};
std::optional<TFileStamp> FileStampOf(const std::string& path);
// A stamp's last change in seconds since 1970-01-01 UTC.
int64_t UnixSecondsOf(const TFileStamp& stamp);

// Replaces the file's content in one step: the data goes to a temporary file
// beside it, reaches the disk, and is then renamed over the old file, so a
// crash leaves either the old or the new content, never a mixture.
// Returns false (and leaves the old file) on any failure.
bool WriteFileAtomically(const std::string& path, std::string_view data);

// Removes a file; false when it could not (a missing file is no failure).
bool RemoveFile(const std::string& path);

// Names (without folder) of the regular files in folder whose names match
// pattern, letter case ignored; '*' and '?' are wildcards. In the order of
// the directory listing; "." and ".." and folders are skipped.
std::vector<std::string> ListFiles(const std::string& folder, const std::string& pattern);
// An existing folder.
bool FolderExists(const std::string& path);
// Names of the folders in folder (with its delimiter), "." and ".." and
// links to folders left out, in the order of the directory listing.
std::vector<std::string> ListFolders(const std::string& folder);

// Text written in the system's legacy ANSI code page (every settings file
// before UTF-8), as UTF-8: on Windows the code page the system had for
// programs without the UTF-8 manifest, natively Windows-1252.
std::string LegacyTextToUtf8(std::string_view text);

// Full path of the running executable.
std::string ExecutablePath();

// Makes a folder and the folders above it that are missing; true when the
// folder exists afterwards.
bool CreateFolders(const std::string& folder);

// The user's own folders, where a program that runs as that user may write.
enum class TUserFolder {
  RoamingAppData,  // settings that follow the user (%APPDATA%)
  LocalAppData,    // working files of this computer (%LOCALAPPDATA%)
  Documents,       // what the user makes and keeps
};
// Where the user's folders are, as a seam: start-up asks the system's, tests
// name folders of their own.
class IUserFolders {
 public:
  virtual ~IUserFolders() = default;
  // With a trailing delimiter; empty when the system names none.
  virtual std::string Folder(TUserFolder kind) = 0;
};
// The system's folders, one implementation per platform (natively none).
IUserFolders& SystemUserFolders();

}  // namespace vanta::platform
