// The system shell and its common dialogs, as the Win32 windows use them.
//
// Every call goes through here so that tests can see what a window asked of
// the shell, and give the answer a user would have given in a dialog,
// without a browser starting or a dialog waiting for a click.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vanta::platform {

// What is handed to the shell: a file, folder or address opened with a verb
// (empty: the default action, such as a browser for a web address).
struct TShellRequest {
  std::string Verb;
  std::string File;
  std::string Parameters;
  std::string Directory;

  bool operator==(const TShellRequest&) const = default;
};

// Hands the request to the shell with no owner window, shown normally. The
// shell's answer is not examined: a link that cannot be opened is no error.
void ShellOpen(const TShellRequest& request);

// The system's colour dialog, opened on initial (0x00BBGGRR); nullopt when
// the user cancels it.
std::optional<uint32_t> PickColor(std::intptr_t owner, uint32_t initial);

// Tests take the place of the shell and of the user in the colour dialog;
// empty functions give the real ones back.
using TShellHook = std::function<void(const TShellRequest&)>;
using TPickColorHook = std::function<std::optional<uint32_t>(uint32_t initial)>;
void SetShellHooksForTests(TShellHook shell, TPickColorHook pickColor);

}  // namespace vanta::platform
