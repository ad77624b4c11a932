// The uninstaller's copy and the program that started it. unins000.exe
// copies itself to a private temporary folder and starts the copy with
// /UNINSTALLFROM=<its folder> and an inherited handle of its own file; the
// copy, elevated, then deletes what that folder's log names. So the copy
// goes on only when every fact below holds, and otherwise changes nothing.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace vanta::build {

// A file's identity: its volume and its number there.
struct TFileId {
  uint64_t volume = 0;
  uint64_t index = 0;
  bool directory = false;
  bool operator==(const TFileId&) const = default;
};

struct THandshake {
  bool fromPrivateFolder = false;          // this copy runs from a temporary folder of its own
  std::optional<TFileId> handed;           // what the inherited handle names; nullopt: no usable handle
  std::optional<TFileId> uninstaller;      // <the folder>\unins000.exe, opened by the copy itself
  bool released = false;                   // the starter let go of its file before the wait ran out
};

// nullopt when the copy may go on; else why not, for the message.
std::optional<std::string> CheckHandshake(const THandshake& h);

// Whether `self` lies directly in a folder "<temp>\vanta-uninst-<hex>".
bool InPrivateUninstallFolder(const std::string& self, const std::string& tempFolder);
inline constexpr const char* kPrivateUninstallPrefix = "vanta-uninst-";

}  // namespace vanta::build
