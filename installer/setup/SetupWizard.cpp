#include "SetupWizard.h"

#include "PathRules.h"

namespace vanta::build {

TSetupWizard::TSetupWizard(std::string appName, TWizardFields defaults, bool hasReadme, bool noCancel, TSpaceCheck space)
    : appName_(std::move(appName)), fields_(std::move(defaults)), hasReadme_(hasReadme), noCancel_(noCancel), space_(std::move(space)) {}

std::string TSetupWizard::SpaceText(const std::string& folder) const {
  if (!space_.probe) return SpaceLine(space_.need, folder, {});
  return SpaceLine(space_.need, folder, space_.probe(folder));
}

TWizardButtons TSetupWizard::Buttons() const {
  TWizardButtons b;
  switch (page_) {
    case TWizardPage::Welcome:
      break;
    case TWizardPage::Folder:
    case TWizardPage::Group:
      b.back = true;
      break;
    case TWizardPage::Ready:
      b.back = true;
      b.nextCaption = "&Install";
      break;
    case TWizardPage::Installing:
      b.next = false;
      b.cancel = !noCancel_;
      break;
    case TWizardPage::Finished:
      b.nextCaption = "&Finish";
      b.cancel = false;
      break;
  }
  return b;
}

std::string TSetupWizard::Heading() const {
  switch (page_) {
    case TWizardPage::Welcome: return "Welcome";
    case TWizardPage::Folder: return "Install folder";
    case TWizardPage::Group: return "Start menu folder";
    case TWizardPage::Ready: return "Ready to install";
    case TWizardPage::Installing: return "Installing";
    case TWizardPage::Finished: return "Finished";
  }
  return {};
}

std::string TSetupWizard::Subtitle() const {
  switch (page_) {
    case TWizardPage::Folder: return "Where should " + appName_ + " be installed?";
    case TWizardPage::Group: return "Where should its shortcuts go?";
    case TWizardPage::Ready: return "Setup is ready to put " + appName_ + " on your computer.";
    case TWizardPage::Installing: return "Setup is copying the files and making the shortcuts.";
    case TWizardPage::Welcome:
    case TWizardPage::Finished: break;
  }
  return {};
}

std::string TSetupWizard::Text() const {
  switch (page_) {
    case TWizardPage::Welcome:
      return "This setup puts " + appName_ + " on your computer.\r\n\r\nClick Next to go on, or Cancel to leave without changing anything.";
    case TWizardPage::Folder:
      return appName_ + " goes into this folder. Type another one or click Browse to choose it.";
    case TWizardPage::Group:
      return "The shortcuts go into this folder of the Start menu.";
    case TWizardPage::Ready:
      return "Click Install to begin.\r\n\r\nFolder:\r\n    " + fields_.folder + "\r\n\r\nStart menu folder:\r\n    " +
             (fields_.noGroup ? std::string("(none)") : fields_.group);
    case TWizardPage::Installing:
      return "Please wait while " + appName_ + " is installed.";
    case TWizardPage::Finished:
      return appName_ + " is installed. Click Finish to close this window.";
  }
  return {};
}

std::optional<std::string> TSetupWizard::Next(const TWizardFields& controls) {
  switch (page_) {
    case TWizardPage::Welcome:
      page_ = TWizardPage::Folder;
      break;
    case TWizardPage::Folder: {
      std::string folder = controls.folder;
      while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
      if (auto why = CheckInstallFolder(folder)) return "This folder cannot be used: " + *why;
      if (space_.probe)
        if (auto why = CheckSpace(space_.need, folder, space_.probe(folder))) return *why;
      fields_.folder = folder;
      page_ = TWizardPage::Group;
      break;
    }
    case TWizardPage::Group: {
      if (!controls.noGroup && controls.group.empty()) return "Type the name of a Start menu folder, or tick the box for none.";
      // {group} places files and INI entries too: the name is checked even
      // when no shortcuts are made; an empty one then keeps the default.
      const std::string group = controls.group.empty() ? fields_.group : controls.group;
      if (group.empty()) return "Type the name of a Start menu folder, or tick the box for none.";
      if (auto why = CheckRelativePath(group)) return "This Start menu folder cannot be used: " + *why;
      fields_.group = group;
      fields_.noGroup = controls.noGroup;
      page_ = TWizardPage::Ready;
      break;
    }
    case TWizardPage::Ready:
      page_ = TWizardPage::Installing;
      break;
    case TWizardPage::Installing:
      return "Setup is still installing.";
    case TWizardPage::Finished:
      fields_.viewReadme = hasReadme_ && controls.viewReadme;
      for (size_t i = 0; i < fields_.run.size() && i < controls.run.size(); ++i) fields_.run[i].ticked = controls.run[i].ticked;
      break;
  }
  return std::nullopt;
}

void TSetupWizard::Back(const TWizardFields& controls) {
  switch (page_) {
    case TWizardPage::Folder:
      fields_.folder = controls.folder;
      page_ = TWizardPage::Welcome;
      break;
    case TWizardPage::Group:
      fields_.group = controls.group;
      fields_.noGroup = controls.noGroup;
      page_ = TWizardPage::Folder;
      break;
    case TWizardPage::Ready:
      page_ = TWizardPage::Group;
      break;
    default:
      break;
  }
}

void TSetupWizard::InstallDone() {
  if (page_ == TWizardPage::Installing) page_ = TWizardPage::Finished;
}

}  // namespace vanta::build
