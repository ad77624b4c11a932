#include "setup/SetupWizard.h"

#include <gtest/gtest.h>

namespace vanta::build {
namespace {

TWizardFields Defaults() {
  TWizardFields f;
  f.folder = "C:\\Program Files\\My Saver";
  f.group = "My Saver";
  return f;
}

// One walk through the pages: the buttons each page shows.
TEST(SetupWizard, PagesAndButtonsInOrder) {
  TSetupWizard w("My Saver", Defaults(), true, false);
  struct TStep {
    TWizardPage page;
    bool back, next, cancel;
    const char* nextCaption;
  };
  const TStep kSteps[] = {
      {TWizardPage::Welcome, false, true, true, "&Next >"},
      {TWizardPage::Folder, true, true, true, "&Next >"},
      {TWizardPage::Group, true, true, true, "&Next >"},
      {TWizardPage::Ready, true, true, true, "&Install"},
      {TWizardPage::Installing, false, false, true, "&Next >"},
  };
  for (const TStep& s : kSteps) {
    ASSERT_EQ(w.Page(), s.page);
    const TWizardButtons b = w.Buttons();
    EXPECT_EQ(b.back, s.back) << w.Heading();
    EXPECT_EQ(b.next, s.next) << w.Heading();
    EXPECT_EQ(b.cancel, s.cancel) << w.Heading();
    EXPECT_EQ(b.nextCaption, s.nextCaption) << w.Heading();
    EXPECT_FALSE(w.Heading().empty());
    // The band's line under the heading on the inner pages only.
    EXPECT_EQ(w.Subtitle().empty(), s.page == TWizardPage::Welcome) << w.Heading();
    if (s.page != TWizardPage::Installing) {
      EXPECT_EQ(w.Next(w.Fields()), std::nullopt);
    }
  }
  EXPECT_TRUE(w.Next(w.Fields()).has_value()) << "Next does nothing while installing";
  w.InstallDone();
  EXPECT_EQ(w.Page(), TWizardPage::Finished);
  EXPECT_EQ(w.Buttons().nextCaption, "&Finish");
  EXPECT_EQ(w.Subtitle(), "");
  EXPECT_FALSE(w.Buttons().cancel);
  TWizardFields unticked = w.Fields();
  unticked.viewReadme = false;
  w.Next(unticked);
  EXPECT_FALSE(w.Fields().viewReadme);
}

TEST(SetupWizard, NoCancelWhileInstallingWithNoCancel) {
  TSetupWizard w("A", Defaults(), false, true);
  for (int i = 0; i < 4; ++i) w.Next(w.Fields());
  ASSERT_EQ(w.Page(), TWizardPage::Installing);
  EXPECT_FALSE(w.Buttons().cancel);
  w.InstallDone();
  w.Next(w.Fields());
  EXPECT_FALSE(w.Fields().viewReadme) << "no readme to view";
}

struct TFolderCase {
  const char* typed;
  bool ok;
  const char* kept;
};

TEST(SetupWizard, TheFolderPageChecksWhatWasTyped) {
  const TFolderCase kCases[] = {
      {"D:\\Savers\\Mine", true, "D:\\Savers\\Mine"},
      {"D:\\Savers\\Mine\\\\", true, "D:\\Savers\\Mine"},
      {"D:\\", false, ""},
      {"Savers", false, ""},
      {"D:\\a\\..\\..\\Windows", false, ""},
      {"D:\\aux", false, ""},
      {"", false, ""},
  };
  for (const TFolderCase& c : kCases) {
    TSetupWizard w("A", Defaults(), false, false);
    w.Next(w.Fields());
    TWizardFields typed = w.Fields();
    typed.folder = c.typed;
    const std::optional<std::string> error = w.Next(typed);
    EXPECT_EQ(!error, c.ok) << c.typed;
    EXPECT_EQ(w.Page(), c.ok ? TWizardPage::Group : TWizardPage::Folder) << c.typed;
    if (c.ok) {
      EXPECT_EQ(w.Fields().folder, c.kept);
    }
  }
}

TEST(SetupWizard, TheGroupPageAndTheSummary) {
  TSetupWizard w("A", Defaults(), false, false);
  w.Next(w.Fields());
  w.Next(w.Fields());
  TWizardFields typed = w.Fields();
  // Refused with or without shortcuts: {group} also places files.
  for (bool noGroup : {false, true}) {
    for (const char* bad : {"..\\Startup", "..\\..\\..\\..\\Windows\\System32", "\\Windows", "C:\\x", "a|b", "CON",
                            "COM\u00B9", "a\\..", "x\x01"}) {
      typed.group = bad;
      typed.noGroup = noGroup;
      EXPECT_TRUE(w.Next(typed).has_value()) << bad << " " << noGroup;
      EXPECT_EQ(w.Page(), TWizardPage::Group);
    }
  }
  typed.noGroup = false;
  typed.group = "";
  EXPECT_TRUE(w.Next(typed).has_value());
  typed.noGroup = true;  // none, and the field emptied: the default stays for {group}
  EXPECT_EQ(w.Next(typed), std::nullopt);
  EXPECT_EQ(w.Fields().group, Defaults().group);
  EXPECT_NE(w.Text().find("(none)"), std::string::npos);
  w.Back(w.Fields());
  typed.noGroup = false;
  typed.group = "Savers\\Mine";
  EXPECT_EQ(w.Next(typed), std::nullopt);
  EXPECT_NE(w.Text().find("C:\\Program Files\\My Saver"), std::string::npos);
  EXPECT_NE(w.Text().find("Savers\\Mine"), std::string::npos);
}

TEST(SetupWizard, BackKeepsWhatWasTyped) {
  TSetupWizard w("A", Defaults(), false, false);
  w.Next(w.Fields());
  TWizardFields typed = w.Fields();
  typed.folder = "E:\\half typed";
  w.Back(typed);
  EXPECT_EQ(w.Page(), TWizardPage::Welcome);
  w.Next(w.Fields());
  EXPECT_EQ(w.Fields().folder, "E:\\half typed");
}

constexpr uint64_t kGB = 1ull << 30;

// The folder page's space rule, on the drive each folder names.
TEST(SetupWizard, TheFolderPageStopsAnInstallThatDoesNotFit) {
  const struct {
    uint64_t file;   // each of the payload's two files
    uint64_t free;   // on D:
    bool fat;
    const char* refusal;  // nullptr: accepted
  } kCases[] = {
      {10 << 20, 1 * kGB, false, nullptr},
      {600ull << 20, 1 * kGB, false, "not enough free disk space on D:"},
      {5 * kGB, 100 * kGB, true, "cannot hold files of 4 GB"},   // one file over 4 GB on FAT32
      {5 * kGB, 100 * kGB, false, nullptr},                      // the same on NTFS
      {3 * kGB, 100 * kGB, true, nullptr},                       // over 4 GB in all, each file below
      {(1ull << 32) - 1, 100 * kGB, true, nullptr},              // FAT32's largest file
  };
  for (const auto& c : kCases) {
    TPayloadIndex index;
    index.files.resize(2);
    index.files[0].size = index.files[1].size = c.file;
    index.files[1].name = "big.mp3";
    std::vector<std::string> asked;
    TSpaceCheck space{SpaceNeeded(index, 1000), [&](const std::string& folder) {
                        asked.push_back(folder);
                        return folder[0] == 'D' ? TDriveSpace{true, c.free, c.fat} : TDriveSpace{};
                      }};
    TWizardFields f = Defaults();
    f.folder = "D:\\Savers\\My Saver";
    TSetupWizard w("My Saver", f, false, false, space);
    w.Next(w.Fields());
    const std::optional<std::string> error = w.Next(w.Fields());
    if (c.refusal) {
      ASSERT_TRUE(error) << c.file;
      EXPECT_NE(error->find(c.refusal), std::string::npos) << *error;
      EXPECT_EQ(w.Page(), TWizardPage::Folder);
    } else {
      EXPECT_EQ(error, std::nullopt) << c.file;
      EXPECT_EQ(w.Page(), TWizardPage::Group);
    }
    EXPECT_EQ(asked, std::vector<std::string>{"D:\\Savers\\My Saver"});
    // A drive that cannot be asked stops nothing here; the page says what it can.
    f.folder = "Q:\\My Saver";
    TSetupWizard unknown("My Saver", f, false, false, space);
    unknown.Next(unknown.Fields());
    EXPECT_EQ(unknown.Next(unknown.Fields()), std::nullopt);
  }
}

TEST(SetupWizard, SpaceTextSaysNeededAndFree) {
  TPayloadIndex index;
  index.files.resize(1);
  index.files[0].size = 12900000;
  TSetupWizard w("My Saver", Defaults(), false, false,
                 {SpaceNeeded(index, 100000), [](const std::string&) { return TDriveSpace{true, 45 * kGB + kGB / 2, false}; }});
  EXPECT_EQ(w.SpaceText("C:\\X"), "At least 12.4 MB of free disk space is required. Free on C: 45.5 GB.");
  const struct {
    uint64_t bytes;
    const char* text;
  } kSizes[] = {{0, "0 bytes"}, {1, "1 byte"}, {1023, "1023 bytes"}, {1024, "1.00 KB"}, {999 * 1024, "999 KB"},
                {1000 * 1024, "0.98 MB"}, {5 * kGB, "5.00 GB"}, {3000 * kGB, "2.93 TB"}};
  for (const auto& s : kSizes) EXPECT_EQ(SizeText(s.bytes), s.text);
}

}  // namespace
}  // namespace vanta::build
