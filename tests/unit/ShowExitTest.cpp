#include <gtest/gtest.h>

#include "saver/ShowExit.h"
#include "settings/SaverSettings.h"

namespace vanta {
namespace {

class TFakeSaverHost : public ISaverHost {
 public:
  std::optional<int32_t> usePassword;
  std::optional<bool> verdict;
  int cursorCount = 0;  // the system's display counter: shown while >= 0
  int closes = 0, verifies = 0;
  bool saverRunning = false;
  bool throwOnRead = false;

  void SetScreenSaverRunning(bool running) override { saverRunning = running; }
  void ShowCursor(bool show) override { cursorCount += show ? 1 : -1; }
  std::optional<int32_t> ScreenSaveUsePassword() override {
    if (throwOnRead) throw std::runtime_error("registry");
    return usePassword;
  }
  std::optional<bool> VerifyScreenSavePwd() override {
    ++verifies;
    EXPECT_GE(cursorCount, 0) << "the password dialog needs a visible cursor";
    return verdict;
  }
  void CloseWindow() override { ++closes; }
};

class ShowExitTest : public ::testing::Test {
 protected:
  TFakeSaverHost host;
  TSaverSetting setting;
};

TEST_F(ShowExitTest, TheSeventhMoveWithinATimerTickCloses) {
  TShowExit exit(host, 0, setting);
  for (int i = 0; i < 6; ++i) exit.MouseMoved();
  EXPECT_EQ(host.closes, 0);
  exit.MouseMoved();
  EXPECT_EQ(host.closes, 1);
}

TEST_F(ShowExitTest, ASlowDriftNeverCloses) {
  TShowExit exit(host, 0, setting);
  for (int tick = 0; tick < 50; ++tick) {
    for (int i = 0; i < 4; ++i) exit.MouseMoved();  // one move every half second
    exit.MouseTimerTick();
  }
  EXPECT_EQ(host.closes, 0);
}

TEST_F(ShowExitTest, EachInputOnlyAsTheSettingsAllow) {
  struct Case { bool move, press, key; int wantMove, wantPress, wantKey; } cases[] = {
      {true, true, true, 1, 1, 1}, {false, true, true, 0, 1, 1}, {true, false, true, 1, 0, 1},
      {true, true, false, 1, 1, 0}, {false, false, false, 0, 0, 0},
  };
  for (const Case& k : cases) {
    setting.MouseMove = k.move;
    setting.MousePress = k.press;
    setting.KeyboardPress = k.key;
    TFakeSaverHost h;
    TShowExit exit(h, 0, setting);
    for (int i = 0; i < 20; ++i) exit.MouseMoved();
    EXPECT_EQ(std::min(h.closes, 1), k.wantMove);
    h.closes = 0;
    exit.MouseButton();
    EXPECT_EQ(h.closes, k.wantPress);
    h.closes = 0;
    exit.KeyPressed();
    EXPECT_EQ(h.closes, k.wantKey);
  }
}

TEST_F(ShowExitTest, PasswordDecides) {
  struct Case { std::optional<int32_t> use; std::optional<bool> verdict; bool closes; int verifies; } cases[] = {
      {std::nullopt, false, true, 0},  // no value: no password
      {0, false, true, 0},
      {1, true, true, 1},
      {1, false, false, 1},
      {-5, false, false, 1},
      {1, std::nullopt, true, 1},  // no PASSWORD.CPL or no check in it
  };
  for (const Case& k : cases) {
    TFakeSaverHost h;
    h.usePassword = k.use;
    h.verdict = k.verdict;
    TShowExit exit(h, 0, setting);
    exit.SetSaverRunning(true);
    for (int i = 0; i < 3; ++i) exit.MouseMoved();
    EXPECT_EQ(exit.TryClose(), k.closes);
    EXPECT_EQ(h.closes, k.closes ? 1 : 0);
    EXPECT_EQ(h.verifies, k.verifies);
    EXPECT_EQ(h.cursorCount, -1) << "cursor hidden again after the check";
    if (k.verifies) {
      EXPECT_EQ(exit.MouseMoveCount(), TShowExit::kTolerableMoves);
    }
  }
}

TEST_F(ShowExitTest, AFailingCheckCloses) {
  host.throwOnRead = true;
  TShowExit exit(host, 0, setting);
  EXPECT_TRUE(exit.TryClose());
  EXPECT_EQ(host.closes, 1);
}

TEST_F(ShowExitTest, AShowInsideAnotherWindowDoesNotCloseItself) {
  TShowExit exit(host, 4711, setting);
  exit.KeyPressed();
  EXPECT_EQ(host.closes, 0);
}

TEST_F(ShowExitTest, SaverRunningIsPairedWhateverTheOrder) {
  TShowExit exit(host, 0, setting);
  exit.SetSaverRunning(false);  // never switched on: nothing to undo
  EXPECT_EQ(host.cursorCount, 0);
  exit.SetSaverRunning(true);
  EXPECT_TRUE(host.saverRunning);
  EXPECT_EQ(host.cursorCount, -1);
  exit.SetSaverRunning(true);
  exit.SetSaverRunning(false);
  exit.SetSaverRunning(false);
  EXPECT_FALSE(host.saverRunning);
  EXPECT_EQ(host.cursorCount, 0);
}

TEST_F(ShowExitTest, OnlyTheScreenSaveCommandIsRefused) {
  EXPECT_TRUE(TShowExit::RefusesSystemCommand(0xF140));
  EXPECT_TRUE(TShowExit::RefusesSystemCommand(0xF142));  // low bits belong to the system
  EXPECT_FALSE(TShowExit::RefusesSystemCommand(0xF060));  // close
  EXPECT_FALSE(TShowExit::RefusesSystemCommand(0xF170));  // monitor power
}

}  // namespace
}  // namespace vanta
