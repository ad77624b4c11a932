#include <gtest/gtest.h>

#include "settings/SaverSettings.h"
#include "startup/CommandLine.h"
#include "fakes/FakePlatform.h"
#include "settings/Instance.h"
#include "startup/Startup.h"
#include "TempDir.h"

namespace vanta {
namespace {

TEST(ParseCommandLine, ModesFromTheFirstLetterAfterTheFirstCharacter) {
  struct Case {
    std::vector<std::string> args;
    TSaverMode mode;
    TWindowHandle parent;
    TWindowHandle foreground;
  } cases[] = {
      {{}, smConfigure, 0, 0},
      {{"/s"}, smFullScreen, 0, 777},
      {{"/S"}, smFullScreen, 0, 777},
      {{"-s"}, smFullScreen, 0, 777},
      {{"/x"}, smFullScreen, 0, 777},
      {{"/c"}, smConfigureAsked, 0, 0},
      {{"/c:4711"}, smConfigureAsked, 0, 0},
      {{"xc"}, smConfigureAsked, 0, 0},
      {{"/C", "123"}, smConfigureAsked, 0, 0},
      {{"/p"}, smConfigure, 0, 0},
      {{"/a"}, smConfigure, 0, 0},
      {{"/p", "0"}, smPreview, 0, 0},
      {{"/p", "abc"}, smPreview, 0, 0},
      {{"/p", "4660"}, smPreview, 4660, 0},
      {{"/P", "-12"}, smPreview, -12, 0},
      {{"/p", "99999999999"}, smPreview, 0, 0},
      {{"/a", "0"}, smChangePassword, 0, 0},
      {{"/a", "1234"}, smChangePassword, 1234, 0},
      {{"/s", "5"}, smFullScreen, 0, 777},
      {{"s"}, smConfigure, 0, 0},  // one character: no letter
      {{"/"}, smConfigure, 0, 0},
      {{""}, smConfigure, 0, 0},
  };
  for (const Case& k : cases) {
    const TCommandLine cl = ParseCommandLine(k.args, [] { return TWindowHandle{777}; });
    const std::string shown = k.args.empty() ? "(none)" : k.args[0];
    EXPECT_EQ(cl.SaverMode, k.mode) << shown;
    EXPECT_EQ(cl.ParentWindow, k.parent) << shown;
    EXPECT_EQ(cl.PreviousForegroundWindow, k.foreground) << shown;
  }
}

TEST(MainWindowFor, InstanceNameDecidesTheConfigureWindow) {
  EXPECT_EQ(MainWindowFor(smConfigure, "VantaSaver"), TMainWindow::Builder);
  EXPECT_EQ(MainWindowFor(smConfigureAsked, "VANTASAVER"), TMainWindow::Builder);
  EXPECT_EQ(MainWindowFor(smConfigure, "vantasaver"), TMainWindow::Builder);
  EXPECT_EQ(MainWindowFor(smConfigure, "Mountains"), TMainWindow::SettingDialog);
  EXPECT_EQ(MainWindowFor(smConfigureAsked, "VantaSaver2"), TMainWindow::SettingDialog);
  EXPECT_EQ(MainWindowFor(smFullScreen, "VantaSaver"), TMainWindow::FullScreen);
  EXPECT_EQ(MainWindowFor(smPreview, "Mountains"), TMainWindow::Preview);
  EXPECT_EQ(MainWindowFor(smChangePassword, "Mountains"), TMainWindow::None);
}

// Records what start-up asks of the platform, in order.
class TRecordingHost : public IStartupHost {
 public:
  std::vector<std::string> calls;
  TWindowHandle foreground = 4242;

  TWindowHandle GetForegroundWindow() override { return foreground; }
  void SetForegroundWindow(TWindowHandle w) override { calls.push_back("foreground " + std::to_string(w)); }
  void ChangeSaverPassword(TWindowHandle p) override { calls.push_back("password " + std::to_string(p)); }
  void RunMainWindow(TMainWindow w, const TCommandLine&, TSettingsStore& settings) override {
    // Settings are loaded before the first window in every mode.
    calls.push_back("window " + std::to_string(static_cast<int>(w)) + " interval " +
                    std::to_string(settings.Setting().ImageInterval));
  }
};

class RunStartupTest : public ::testing::Test {
 protected:
  void SetUp() override { dir.Write("Mountains.002", "[Set]\r\nImageInterval=8\r\n"); }
  TIdentitySource Source() { return {dir.Path(exe), registry, folders}; }
  std::vector<std::string> Run(std::vector<std::string> args) {
    TRecordingHost host;
    RunStartup(args, host, Source());
    return host.calls;
  }
  test::TTempDir dir;
  std::string exe = "Mountains.scr";
  test::TFakeRegistry registry;
  test::TFakeUserFolders folders;
};

TEST_F(RunStartupTest, EachModeOpensItsWindow) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Run({}), V{"window 2 interval 8"});
  EXPECT_EQ(Run({"/c:99"}), V{"window 2 interval 8"});
  EXPECT_EQ(Run({"/p", "77"}), V{"window 4 interval 8"});
  EXPECT_EQ(Run({"/p"}), V{"window 2 interval 8"});
}

TEST_F(RunStartupTest, FullScreenGivesTheForegroundBack) {
  EXPECT_EQ(Run({"/s"}), (std::vector<std::string>{"window 3 interval 8", "foreground 4242"}));
  TRecordingHost none;
  none.foreground = 0;
  RunStartup({"/s"}, none, Source());
  EXPECT_EQ(none.calls, std::vector<std::string>{"window 3 interval 8"});
}

TEST_F(RunStartupTest, PasswordModeHasNoWindow) {
  EXPECT_EQ(Run({"/a", "1234"}), std::vector<std::string>{"password 1234"});
  EXPECT_TRUE(Run({"/a", "0"}).empty());
  EXPECT_TRUE(Run({"/a", "abc"}).empty());
}

TEST_F(RunStartupTest, TheBuilderRunsUnderItsOwnName) {
  dir.Write("VantaSaver.002", "");
  exe = "VantaSaver.scr";
  EXPECT_EQ(Run({}), std::vector<std::string>{"window 1 interval 3"});
}

}  // namespace
}  // namespace vanta
