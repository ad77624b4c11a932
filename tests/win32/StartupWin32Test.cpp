#include <gtest/gtest.h>

#include "platform/Files.h"
#include "platform/Registry.h"
#include "settings/SaverSettings.h"
#include "startup/ChangeSaverPassword.h"
#include "settings/Instance.h"
#include "Win32TestSupport.h"

namespace vanta {
namespace {

// The identity of the program at exePath on the system's registry and folders.
TInstanceIdentity Identify(const std::string& exePath,
                           platform::IUserFolders& folders = platform::SystemUserFolders()) {
  return DetermineInstanceIdentity(exePath, platform::SystemRegistry(), folders);
}

TEST(Win32Instance, InstallFolderComesFromTheUsersThenTheMachinesRegistry) {
  test::TTempDir dir;
  const std::string name = "VantaIdTest" + std::to_string(GetCurrentProcessId());
  const std::string key = "Software\\Norvane\\" + name;
  EXPECT_EQ(Identify(dir.Path(name + ".scr")).InstallFolder, "");
  EXPECT_FALSE(test::CurrentUserKeyExists(key));

  {
    // An administrator's setup: the machine's value.
    const test::TRegistryDefault machine(key, "C:\\Program Files (x86)\\Sample Show", HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(machine.Created());
    EXPECT_EQ(Identify(dir.Path(name + ".scr")).InstallFolder, "C:\\Program Files (x86)\\Sample Show\\");
    const test::TRegistryDefault user(key, "C:\\Savers\\Sample Show");
    const TInstanceIdentity id = Identify(dir.Path(name + ".scr"));
    EXPECT_EQ(id.InstanceName, name);
    EXPECT_EQ(id.ProgramFolder, dir.Folder());
    EXPECT_EQ(id.InstallFolder, "C:\\Savers\\Sample Show\\");
  }
  EXPECT_EQ(platform::SystemRegistry().LocalMachineDefault("\\" + key), std::nullopt);
}

// The system's own folders for what a user keeps, and the settings file
// of a saver in the user's roaming one.
TEST(Win32Instance, UserFilesGoToTheUsersOwnFolders) {
  for (const auto kind : {platform::TUserFolder::RoamingAppData, platform::TUserFolder::LocalAppData,
                          platform::TUserFolder::Documents}) {
    const std::string folder = platform::SystemUserFolders().Folder(kind);
    ASSERT_GT(folder.size(), 3u) << int(kind);
    EXPECT_EQ(folder.back(), '\\');
    EXPECT_NE(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES) << folder;
  }
  EXPECT_NE(platform::SystemUserFolders().Folder(platform::TUserFolder::RoamingAppData),
            platform::SystemUserFolders().Folder(platform::TUserFolder::LocalAppData));
  test::TTempDir dir;
  EXPECT_EQ(Identify(dir.Path("Show.scr")).UserFolder,
            platform::SystemUserFolders().Folder(platform::TUserFolder::RoamingAppData) + "Norvane\\");
  EXPECT_EQ(Identify(dir.Path("VantaSaver.scr")).UserFolder,
            platform::SystemUserFolders().Folder(platform::TUserFolder::LocalAppData) + "Vanta Screensaver Builder\\");
}

TEST(Win32Instance, ShortNameFindsTheSettingsFile) {
  test::TTempDir dir;
  dir.Write("Mountains.002", "[Set]\r\nImageInterval=12\r\n");
  dir.Write("Mountains.txt", "");
  EXPECT_EQ(Identify(dir.Path("MOUNTA~1.SCR")).InstanceName, "Mountains");
  EXPECT_EQ(Identify(dir.Path("MYSHOW~1.SCR")).InstanceName, "MYSHOW~1");

  test::TScratchUserFolders users;
  TSettingsStore settings(Identify(dir.Path("MOUNTA~1.SCR"), users));
  settings.Load();
  EXPECT_EQ(settings.FileName(), users.SaverFile("Mountains"));
  EXPECT_EQ(settings.Setting().ImageInterval, 12);
}

TEST(Win32Settings, SaveWritesTheUsersCopyOfTheInstalledFile) {
  test::TTempDir dir;
  test::TScratchUserFolders users;
  const std::string installed = "[Set]\r\nAuthor=Ann\r\n[Pictures]\r\nC:\\a.jpg=1\r\n";
  dir.Write("Show.002", installed);
  TSettingsStore settings(Identify(dir.Path("Show.scr"), users));
  settings.Load();
  settings.Setting().ImageInterval = 30;
  settings.Save();
  EXPECT_EQ(dir.Read("Show.002"), installed);
  const std::string text = users.ReadSaverFile("Show");
  EXPECT_EQ(text.rfind("[Set]\r\nAuthor=Ann\r\nStetchImage=0\r\n", 0), 0u);
  EXPECT_NE(text.find("ImageInterval=30\r\n"), std::string::npos);
  EXPECT_NE(text.find("[Pictures]\r\nC:\\a.jpg=1\r\n"), std::string::npos);
}

TEST(Win32Password, CallsPwdChangePasswordWithTheScreenSaverProvider) {
  test::TTempDir dir;
  const std::string log = dir.Path("mpr.log");
  SetEnvironmentVariableA("VANTA_FAKE_MPR_LOG", log.c_str());
  ChangeSaverPasswordIn(test::ExeFolder() + "fakempr", 4711);
  ChangeSaverPasswordIn(test::ExeFolder() + "fakempr\\", 0);
  ChangeSaverPasswordIn(dir.Folder(), 1);  // no MPR.DLL there: silently nothing
  EXPECT_EQ(dir.Read("mpr.log"), "SCRSAVE 4711 0 0\nSCRSAVE 0 0 0\n");
  // The system's own library is there and callable without failing.
  ChangeSaverPassword(0);
  SetEnvironmentVariableA("VANTA_FAKE_MPR_LOG", nullptr);
}

}  // namespace
}  // namespace vanta
