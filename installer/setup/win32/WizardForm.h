// The setup's dialog: shows the pages of a TSetupWizard and runs the
// install on a worker thread while the installing page shows progress and
// keeps Cancel (which asks first, the install waiting for the answer).
#pragma once
#include <functional>
#include <string>

#include "../SetupWizard.h"
#include "SetupUi.h"

namespace vanta::build {

enum class TWizardEnd { CancelledBefore, Done, Failed, CancelledDuring };

struct TWizardOutcome {
  TWizardEnd end = TWizardEnd::CancelledBefore;
  TInstallResult install;
};

using TInstallWork = std::function<TInstallResult(IInstallProgress&, const TWizardFields&)>;

// `progressOnly` (/SILENT): the wizard already stands on its installing
// page; the window closes by itself at the end. `folderLeaf` is appended
// to a folder picked with Browse. `pauseMs` holds each file back that long
// (tests use it to press Cancel in time).
// The pages' pictures (either may be empty): `large` left of the Welcome
// and Finished pages, `small` in the white band atop the others.
struct TPagePictures {
  const TWizardPicture& large;
  const TWizardPicture& small;
};

TWizardOutcome RunWizardForm(TSetupWizard& wizard, const std::string& title, bool progressOnly,
                             const std::string& folderLeaf, const TInstallWork& work, unsigned pauseMs,
                             const TPagePictures& pictures);

}  // namespace vanta::build
