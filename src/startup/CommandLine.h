// The screensaver command line: /s show, /p <hwnd> preview, /c configure,
// /a <hwnd> change the password; anything else shows, nothing configures.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "base/Types.h"

namespace vanta {

enum TSaverMode : int {
  smConfigure = 1,      // no argument, or /a or /p without a handle
  smConfigureAsked = 2, // letter C
  smFullScreen = 3,     // any other letter, normally S
  smPreview = 4,        // letter P with a handle
  smChangePassword = 5, // letter A with a handle
};

struct TCommandLine {
  TSaverMode SaverMode = smConfigure;
  TWindowHandle ParentWindow = 0;
  TWindowHandle PreviousForegroundWindow = 0;
};

// args are the arguments without the program name. The first character of
// the first argument is dropped whatever it is ('/', '-', 'x'), and only the
// letter after it counts. A one-character argument carries no letter and
// leaves mode 1, so a stray "s" opens the configuration rather than taking
// over the screen. foreground is asked only for mode 3.
TCommandLine ParseCommandLine(const std::vector<std::string>& args,
                              const std::function<TWindowHandle()>& foreground);

}  // namespace vanta
