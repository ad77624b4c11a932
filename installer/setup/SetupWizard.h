// The setup's pages and what their buttons do, apart from any window:
// welcome, install folder (with Browse), Start menu folder, ready,
// installing (progress, Cancel), finished ("View the readme" when the
// payload has a readme, a tick for each program it offers to start). The
// dialog in win32/ only moves TWizardFields between its controls and this.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "DiskSpace.h"
#include "Installer.h"

namespace vanta::build {

enum class TWizardPage { Welcome, Folder, Group, Ready, Installing, Finished };

// What the page's controls hold.
struct TWizardFields {
  std::string folder;
  std::string group;
  bool noGroup = false;  // no Start menu folder
  bool viewReadme = true;
  // The Finished page's programs to start: caption and tick.
  struct TRunChoice {
    std::string description;
    bool ticked = true;
    bool operator==(const TRunChoice&) const = default;
  };
  std::vector<TRunChoice> run;
};

struct TWizardButtons {
  bool back = false;  // enabled
  bool next = true;
  std::string nextCaption = "&Next >";
  bool cancel = true;
};

// What the install needs and how to ask a drive; without a probe no check.
struct TSpaceCheck {
  TSpaceNeeded need;
  TDriveProbe probe;
};

class TSetupWizard {
 public:
  TSetupWizard(std::string appName, TWizardFields defaults, bool hasReadme, bool noCancel, TSpaceCheck space = {});

  TWizardPage Page() const { return page_; }
  TWizardButtons Buttons() const;
  std::string Heading() const;
  // The line under the heading in the inner pages' band ("" on Welcome and Finished).
  std::string Subtitle() const;
  std::string Text() const;
  const TWizardFields& Fields() const { return fields_; }
  // The folder page's space needed and free for the folder typed so far.
  std::string SpaceText(const std::string& folder) const;
  bool HasReadme() const { return hasReadme_; }

  // Next (Install, Finish) with the controls' contents: the page's fields
  // are checked; on a fault the page stays and the reason comes back.
  std::optional<std::string> Next(const TWizardFields& controls);
  void Back(const TWizardFields& controls);
  // The installing page's end: Finished after success.
  void InstallDone();

 private:
  std::string appName_;
  TWizardFields fields_;
  bool hasReadme_;
  bool noCancel_;
  TSpaceCheck space_;
  TWizardPage page_ = TWizardPage::Welcome;
};

}  // namespace vanta::build
