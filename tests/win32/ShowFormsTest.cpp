#include <gtest/gtest.h>

#include "Win32TestSupport.h"
#include "platform/headless/FixedMonitors.h"
#include "saver/FullscreenFormP.h"
#include "saver/PreviewFormP.h"
#include "settings/SaverSettings.h"

namespace vanta {
namespace {

// The system's cursor display counter of this thread, unchanged.
int CursorCount() {
  ShowCursor(TRUE);
  return ShowCursor(FALSE);
}

class ShowFormsTest : public ::testing::Test {
 protected:
  TShowSeams Seams() { return {main.scheduler, platform::SystemRegistry(), &main.music}; }

  TSaverSetting setting;  // no pictures, no music
  // The one the program's show windows and music set share.
  test::TTestMain main;
  platform::IScheduler& scheduler = main.scheduler;
};

TEST_F(ShowFormsTest, FullScreenWindowCoversTheScreenAboveAll) {
  TFullscreenForm form(Seams(), 0, false, setting);
  form.FormShow();
  const HWND w = form.Window();
  char title[64] = {};
  GetWindowTextA(w, title, sizeof title);
  EXPECT_STREQ(title, "Screen Show");
  EXPECT_TRUE(IsWindowVisible(w));
  const LONG_PTR style = GetWindowLongPtrA(w, GWL_STYLE), ex = GetWindowLongPtrA(w, GWL_EXSTYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME));
  EXPECT_TRUE(ex & WS_EX_TOPMOST);
  EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);  // no task-bar entry
  RECT r{};
  GetWindowRect(w, &r);
  EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYSCREEN));
  form.FormClose();
}

TEST_F(ShowFormsTest, FullScreenWindowCoversEveryMonitorAndFollowsDisplayChanges) {
  // The left monitor above and left of the primary: negative coordinates.
  platform::TFixedMonitors monitors({{{0, 0, 800, 600}, true}, {{-640, -100, 0, 380}, false}}, {0, 0, 800, 600});
  TFullscreenForm form(Seams(), 0, false, setting, {}, &monitors);
  form.FormShow();
  const auto windowRect = [&] {
    RECT r{};
    GetWindowRect(form.Window(), &r);
    return TRect{r.left, r.top, r.right, r.bottom};
  };
  EXPECT_EQ(windowRect(), (TRect{-640, -100, 800, 600}));
  ASSERT_TRUE(form.Show());
  EXPECT_EQ(form.Show()->Count(), 2u);
  // A third monitor plugged in right of the primary; the system says so.
  monitors.Monitors.push_back({{800, 0, 1824, 768}, false});
  SendMessageA(form.Window(), WM_DISPLAYCHANGE, 24, MAKELPARAM(800, 600));
  const uint32_t start = scheduler.TickCount();
  while (scheduler.TickCount() - start < 1000 && form.Show()->Count() != 3) scheduler.ProcessMessages(50);
  EXPECT_EQ(form.Show()->Count(), 3u) << "laid out again within a second";
  EXPECT_EQ(windowRect(), (TRect{-640, -100, 1824, 768}));
  EXPECT_TRUE(IsWindowVisible(form.Window()));
  form.FormClose();
}

TEST_F(ShowFormsTest, KeysAndCommandsAsConfigured) {
  const int cursorBefore = CursorCount();
  for (bool keyboard : {false, true}) {
    setting.KeyboardPress = keyboard;
    TFullscreenForm form(Seams(), 0, false, setting);
    form.FormShow();
    const HWND w = form.Window();
    EXPECT_EQ(CursorCount(), cursorBefore - 1) << "cursor hidden during the show";
    EXPECT_EQ(SendMessageA(w, WM_SYSCOMMAND, 0xF140, 0), 1) << "a second saver is refused";
    EXPECT_TRUE(IsWindowVisible(w));
    EXPECT_EQ(SendMessageA(w, WM_SYSKEYDOWN, VK_MENU, 0), 0);  // Alt goes no further
    EXPECT_EQ(SendMessageA(w, WM_KEYDOWN, 'A', 0), 0);
    // Not the main window: closing hides it.
    EXPECT_EQ(IsWindowVisible(w) != FALSE, !keyboard) << "keyboard " << keyboard;
    form.FormClose();
    EXPECT_EQ(CursorCount(), cursorBefore) << "cursor shown again after the show";
  }
}

TEST_F(ShowFormsTest, MouseMovesEndTheShowAtTheSeventh) {
  TFullscreenForm form(Seams(), 0, false, setting);
  form.FormShow();
  const HWND w = form.Window();
  for (int i = 0; i < 6; ++i) SendMessageA(w, WM_MOUSEMOVE, 0, MAKELPARAM(10 + i, 10));
  EXPECT_TRUE(IsWindowVisible(w));
  SendMessageA(w, WM_MOUSEMOVE, 0, MAKELPARAM(30, 10));
  EXPECT_FALSE(IsWindowVisible(w));
}

TEST_F(ShowFormsTest, PreviewIsAChildCoveringItsHost) {
  const HWND host = CreateWindowExA(0, "STATIC", "host", WS_POPUP | WS_VISIBLE, 50, 60, 152, 112, nullptr, nullptr,
                                    nullptr, nullptr);
  ASSERT_TRUE(host);
  {
    TPreviewForm preview(scheduler, reinterpret_cast<TWindowHandle>(host), setting);
    preview.FormShow();
    EXPECT_EQ(GetParent(preview.Window()), host);
    EXPECT_TRUE(GetWindowLongPtrA(preview.Window(), GWL_STYLE) & WS_CHILD);
    RECT client{}, where{};
    GetClientRect(preview.Window(), &client);
    GetWindowRect(preview.Window(), &where);
    EXPECT_EQ(client.right, 152 + 10);
    EXPECT_EQ(client.bottom, 112 + 10);
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
    EXPECT_EQ(where.left, 50 - frame.right);
    EXPECT_EQ(where.top, 60 - frame.bottom);
    ASSERT_TRUE(preview.RunScreen());
    EXPECT_TRUE(preview.RunScreen()->Preview);
  }
  DestroyWindow(host);
}

TEST_F(ShowFormsTest, PreviewWithoutAHostIsAnOrdinaryWindow) {
  const HWND gone = CreateWindowExA(0, "STATIC", "gone", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  DestroyWindow(gone);
  for (TWindowHandle parent : {TWindowHandle{0}, reinterpret_cast<TWindowHandle>(gone)}) {
    TPreviewForm preview(scheduler, parent, setting);
    preview.FormShow();
    EXPECT_EQ(GetParent(preview.Window()), nullptr);
    char title[64] = {};
    GetWindowTextA(preview.Window(), title, sizeof title);
    EXPECT_STREQ(title, "PreviewForm");
    RECT r{};
    GetWindowRect(preview.Window(), &r);
    EXPECT_EQ(r.left, 235);
    EXPECT_EQ(r.top, 129);
    EXPECT_EQ(r.right - r.left, 517);
    EXPECT_EQ(r.bottom - r.top, 392);
  }
}

}  // namespace
}  // namespace vanta
