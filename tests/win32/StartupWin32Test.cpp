#include <gtest/gtest.h>

#include "settings/SaverSettings.h"
#include "startup/ChangeSaverPassword.h"
#include "startup/Instance.h"
#include "Win32TestSupport.h"

namespace vanta {
namespace {

TEST(Win32Instance, InstallFolderComesFromTheRegistry) {
  test::TTempDir dir;
  const std::string name = "VantaIdTest" + std::to_string(GetCurrentProcessId());
  EXPECT_EQ(DetermineInstanceIdentity(dir.Path(name + ".scr")).InstallFolder, "\\");
  EXPECT_FALSE(test::CurrentUserKeyExists("Software\\Norvane\\" + name));

  const test::TCurrentUserDefault key("Software\\Norvane\\" + name, "C:\\Savers\\Sample Show");
  const TInstanceIdentity id = DetermineInstanceIdentity(dir.Path(name + ".scr"));
  EXPECT_EQ(id.InstanceName, name);
  EXPECT_EQ(id.ProgramFolder, dir.Folder());
  EXPECT_EQ(id.InstallFolder, "C:\\Savers\\Sample Show\\");
}

TEST(Win32Instance, ShortNameFindsTheSettingsFile) {
  test::TTempDir dir;
  dir.Write("Mountains.002", "[Set]\r\nImageInterval=12\r\n");
  dir.Write("Mountains.txt", "");
  EXPECT_EQ(DetermineInstanceIdentity(dir.Path("MOUNTA~1.SCR")).InstanceName, "Mountains");
  EXPECT_EQ(DetermineInstanceIdentity(dir.Path("MYSHOW~1.SCR")).InstanceName, "MYSHOW~1");

  ResetSaverSettingsForTests();
  SetInstanceExecutablePathForTests(dir.Path("MOUNTA~1.SCR"));
  LoadSaverSettings();
  EXPECT_EQ(SettingsFileName(), dir.Path("Mountains.002"));
  EXPECT_EQ(SaverSetting().ImageInterval, 12);
  SetInstanceExecutablePathForTests("");
  ResetSaverSettingsForTests();
}

TEST(Win32Settings, SaveReplacesTheFileInPlace) {
  test::TTempDir dir;
  dir.Write("Show.002", "[Set]\r\nAuthor=Ann\r\n[Pictures]\r\nC:\\a.jpg=1\r\n");
  ResetSaverSettingsForTests();
  SetInstanceExecutablePathForTests(dir.Path("Show.scr"));
  LoadSaverSettings();
  SaverSetting().ImageInterval = 30;
  SaveSaverSettings();
  const std::string text = dir.Read("Show.002");
  EXPECT_EQ(text.rfind("[Set]\r\nAuthor=Ann\r\nStetchImage=0\r\n", 0), 0u);
  EXPECT_NE(text.find("ImageInterval=30\r\n"), std::string::npos);
  EXPECT_NE(text.find("[Pictures]\r\nC:\\a.jpg=1\r\n"), std::string::npos);
  SetInstanceExecutablePathForTests("");
  ResetSaverSettingsForTests();
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
