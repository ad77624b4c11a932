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

// How the wizard looks and what its Browse buttons start from.
struct TWizardLook {
  std::string title;
  // /SILENT: the wizard already stands on its installing page; the window
  // closes by itself at the end.
  bool progressOnly = false;
  std::string folderLeaf;  // appended to a folder picked with Browse
  // The group's Browse shows the Start menu's folders, from this one; the
  // group's own name is appended to the one picked.
  std::string groupRoot, groupLeaf;
  // The pages' pictures (none when empty): `large` left of the Welcome and
  // Finished pages, `small` in the white band atop the others.
  const TWizardPicture* large = nullptr;
  const TWizardPicture* small = nullptr;
  unsigned pauseMs = 0;  // each file held back this long (test builds only)
};

TWizardOutcome RunWizardForm(TSetupWizard& wizard, const TWizardLook& look, const TInstallWork& work);

}  // namespace vanta::build
