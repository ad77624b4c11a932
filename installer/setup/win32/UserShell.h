// The desktop's shell (the user's own, unelevated process) asked to open a
// file, so that what the setup opens after installing runs as that user.
#pragma once
#include "../AfterInstall.h"

namespace vanta::build {

class TDesktopShell : public IUserShell {
 public:
  bool OpenAsUser(const std::string& file, const std::string& parameters = {}) override;
};

}  // namespace vanta::build
