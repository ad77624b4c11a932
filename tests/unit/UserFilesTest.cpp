// Where a copy finds its install folder and which settings file it reads and
// writes: programs live where only administrators write, what a user
// changes goes to that user's own folders.
#include <gtest/gtest.h>

#include <optional>

#include "base/Text.h"
#include "platform/Files.h"
#include "fakes/FakePlatform.h"
#include "platform/Registry.h"
#include "settings/SaverSettings.h"
#include "settings/Instance.h"
#include "TempDir.h"

namespace vanta {
namespace {

using platform::TUserFolder;

class UserFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folders.Set(TUserFolder::RoamingAppData, roaming.Folder());
    folders.Set(TUserFolder::LocalAppData, local.Folder());
  }
  TInstanceIdentity Identify(const std::string& exe) {
    return DetermineInstanceIdentity(program.Path(exe), registry, folders);
  }
  // A fresh start of the program "name.scr": its settings loaded.
  void Load(const std::string& name) {
    store = std::make_unique<TSettingsStore>(Identify(name + ".scr"));
    store->Load();
  }

  test::TTempDir program, roaming, local;
  test::TFakeRegistry registry;
  test::TFakeUserFolders folders;
  std::unique_ptr<TSettingsStore> store;
};

TEST(InstallFolder, OnlyFullPathsBelowARootAreUsable) {
  const struct {
    const char* folder;
    bool usable;
  } cases[] = {
      {"C:\\Program Files (x86)\\Vanta Screensaver Builder", true},
      {"d:\\x\\", true},
      {"\\\\server\\share\\savers", true},
      {"C:\\", false},  // a drive root: any user may make folders there
      {"C:", false},
      {"C:x", false},   // relative to the drive's current folder
      {"\\", false},
      {"\\\\server\\share", false},
      {"\\\\server", false},
      {"", false},
      {"Program Files\\x", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsUsableInstallFolder(c.folder), c.usable) << c.folder;
}

TEST_F(UserFilesTest, InstallFolderFromTheUserThenTheMachineThenTheBuildersOwnFolder) {
  const std::string none = "(none)";
  const struct {
    const char* exe;
    std::string user, machine;  // registry values; "(none)" for none
    std::string want;           // "(program)" for the program's folder
  } cases[] = {
      {"Mountains", "C:\\Savers\\Mountains", none, "C:\\Savers\\Mountains" + std::string(1, kPathDelim)},
      {"Mountains", "C:\\Savers\\Mountains\\", "C:\\Other", "C:\\Savers\\Mountains\\"},
      // An administrator installed it for this user: HKCU went to their profile.
      {"Mountains", none, "C:\\Program Files (x86)\\Mountains", "C:\\Program Files (x86)\\Mountains" + std::string(1, kPathDelim)},
      {"Mountains", "C:\\", "C:\\Machine", "C:\\Machine" + std::string(1, kPathDelim)},
      {"Mountains", "C:\\", none, ""},
      {"Mountains", "\\", "relative", ""},
      {"Mountains", none, none, ""},
      {"VantaSaver", none, none, "(program)"},
      {"VantaSaver", "C:\\", none, "(program)"},
      {"VantaSaver", none, "C:\\PF\\Builder", "C:\\PF\\Builder" + std::string(1, kPathDelim)},
  };
  for (const auto& c : cases) {
    const std::string key = std::string(kRegistryRoot) + c.exe;
    registry.SetCurrentUserDefault(key, c.user == none ? std::nullopt : std::optional(c.user));
    registry.SetLocalMachineDefault(key, c.machine == none ? std::nullopt : std::optional(c.machine));
    const TInstanceIdentity id = Identify(std::string(c.exe) + ".scr");
    EXPECT_EQ(id.InstallFolder, c.want == "(program)" ? program.Folder() : c.want)
        << c.exe << " user " << c.user << " machine " << c.machine;
  }
}

// The builder starts its compiler from where only an administrator writes:
// the machine's folder or its own; a user's value never moves it.
TEST_F(UserFilesTest, TheCompilerComesFromTheMachinesFolderOrTheBuildersOwnNeverTheUsers) {
  const std::string none = "(none)", d(1, kPathDelim);
  const struct {
    std::string user, machine, want;  // "(program)": the program's folder
  } cases[] = {
      {"C:\\Users\\me\\Evil", none, "(program)"},
      {"C:\\Users\\me\\Evil", "C:\\PF\\Builder", "C:\\PF\\Builder" + d},
      {none, "C:\\", "(program)"},
      {none, none, "(program)"},
  };
  const std::string key = std::string(kRegistryRoot) + "VantaSaver";
  for (const auto& c : cases) {
    registry.SetCurrentUserDefault(key, c.user == none ? std::nullopt : std::optional(c.user));
    registry.SetLocalMachineDefault(key, c.machine == none ? std::nullopt : std::optional(c.machine));
    const TInstanceIdentity id = Identify("VantaSaver.scr");
    EXPECT_EQ(id.CompilerFolder, c.want == "(program)" ? program.Folder() : c.want) << c.user << " / " << c.machine;
  }
  // The user's own files still come from the user's value.
  registry.SetCurrentUserDefault(key, "C:\\Users\\me\\Mine");
  EXPECT_EQ(Identify("VantaSaver.scr").InstallFolder, "C:\\Users\\me\\Mine" + d);
}

TEST_F(UserFilesTest, EachCopyHasItsOwnUserFolder) {
  EXPECT_EQ(Identify("Mountains.scr").UserFolder,
            roaming.Folder() + "Norvane" + kPathDelim);
  EXPECT_EQ(Identify("VANTASAVER.SCR").UserFolder,
            local.Folder() + "Vanta Screensaver Builder" + kPathDelim);
  // Where the system names no such folder, files stay beside the program.
  folders.Set(TUserFolder::RoamingAppData, "");
  EXPECT_EQ(Identify("Mountains.scr").UserFolder, program.Folder());
}

TEST_F(UserFilesTest, ASaverReadsTheInstalledSettingsUntilItsUserSavesACopyOfTheirOwn) {
  const std::string installed = "[Set]\r\nImageInterval=7\r\nAuthor=Ann\r\n[Pictures]\r\nsun.jpg=1\r\n[Transitions]\r\n177=0\r\n";
  program.Write("Mountains.002", installed);
  program.Write("sun.jpg", "x");
  const std::string user = roaming.Path("Norvane/Mountains.002");

  Load("Mountains");
  EXPECT_EQ(store->FileName(), user);
  EXPECT_EQ(store->Setting().ImageInterval, 7);
  EXPECT_EQ(store->Setting().Pictures.size(), 1u);
  EXPECT_FALSE(roaming.Exists("Norvane/Mountains.002")) << "reading alone wrote a copy";

  store->Setting().ImageInterval = 42;
  store->Save();
  EXPECT_EQ(program.Read("Mountains.002"), installed) << "the installed settings changed";
  const std::string copy = roaming.Read("Norvane/Mountains.002");
  for (const char* line : {"ImageInterval=42", "Author=Ann", "sun.jpg=1", "177=0"})
    EXPECT_NE(copy.find(line), std::string::npos) << line;

  Load("Mountains");
  EXPECT_EQ(store->Setting().ImageInterval, 42);
  std::filesystem::remove(user);  // the author's settings come back
  Load("Mountains");
  EXPECT_EQ(store->Setting().ImageInterval, 7);
}

TEST_F(UserFilesTest, AProfileThatCannotBeWrittenFailsTheSaveAndLeavesTheInstalledFile) {
  const std::string installed = "[Set]\r\nImageInterval=7\r\n";
  program.Write("Mountains.002", installed);
  // A file where the per-user folder should be: the folder cannot be made.
  folders.Set(TUserFolder::RoamingAppData, roaming.Write("blocked", "") + kPathDelim);
  Load("Mountains");
  store->Setting().ImageInterval = 9;
  EXPECT_THROW(store->Save(), EIniFileError);
  EXPECT_EQ(program.Read("Mountains.002"), installed);
}

TEST_F(UserFilesTest, TheBuildersFirstStartCopiesTheInstalledWorkingFileOnce) {
  program.Write("VantaSaver.002", "[Set]\r\nImageInterval=5\r\n");
  Load("VantaSaver");
  EXPECT_EQ(store->FileName(), local.Path("Vanta Screensaver Builder/VantaSaver.002"));
  EXPECT_EQ(local.Read("Vanta Screensaver Builder/VantaSaver.002"), "[Set]\r\nImageInterval=5\r\n");
  local.Write("Vanta Screensaver Builder/VantaSaver.002", "[Set]\r\nImageInterval=8\r\n");
  Load("VantaSaver");
  EXPECT_EQ(store->Setting().ImageInterval, 8) << "a later start replaced the user's working file";
}

}  // namespace
}  // namespace vanta
