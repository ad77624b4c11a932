// The uninstaller's window while it works: the band with its heading and
// subtitle (and the program's icon), a progress bar and the item at hand.
// The work runs on a worker thread; the window closes when it ends.
#pragma once
#include <functional>
#include <string>

#include "../Uninstall.h"

namespace vanta::build {

using TUninstallWork = std::function<void(const TUninstallProgress& progress)>;

// `pauseMs` holds each item back that long (test builds only).
void RunUninstallForm(const std::string& title, const std::string& app, const TUninstallWork& work, unsigned pauseMs);

}  // namespace vanta::build
