// The installer compiler's stand-in answers a window captioned as the
// builder in the order its script says, and records what it was given: the
// Build page's tests rely on both.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "Win32TestSupport.h"

namespace vanta {
namespace {

std::vector<std::pair<unsigned long, std::string>>* gReceived = nullptr;

LRESULT CALLBACK ReceiverProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COPYDATA && gReceived) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
    gReceived->emplace_back(static_cast<unsigned long>(data->dwData),
                            std::string(static_cast<const char*>(data->lpData), data->cbData ? data->cbData - 1 : 0));
    return TRUE;
  }
  return DefWindowProcA(w, msg, wp, lp);
}

TEST(FakeCompiler, RecordsItsArgumentAndFolderAndAnswersInOrder) {
  test::TTempDir compile;
  const std::string exe = compile.Path("vantabuild.exe");
  ASSERT_TRUE(CopyFileA((test::ExeFolder() + "fakecompiler\\vantabuild.exe").c_str(), exe.c_str(), FALSE));
  compile.Write("temp.iss", "[Setup]\r\n");
  compile.Write("Beach.002", "[Set]\r\n");
  compile.Write("fake-replies.txt", "10000 Compiling\r\n10000 File: a.jpg\r\n0 done\r\n");

  WNDCLASSA wc{};
  wc.lpfnWndProc = ReceiverProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "VantaFakeCompilerReceiver";
  RegisterClassA(&wc);
  HWND window = CreateWindowA(wc.lpszClassName, "Vanta Screensaver Builder", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                              nullptr, wc.hInstance, nullptr);
  ASSERT_TRUE(window);
  std::vector<std::pair<unsigned long, std::string>> received;
  gReceived = &received;

  const std::string command = "\"" + exe + "\" \"" + compile.Path("temp.iss") + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string line = command;
  ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  // Its SendMessage calls are answered while this thread waits for it.
  while (MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 10000, QS_ALLINPUT | QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  gReceived = nullptr;
  DestroyWindow(window);

  EXPECT_EQ(received, (std::vector<std::pair<unsigned long, std::string>>{
                          {10000, "Compiling"}, {10000, "File: a.jpg"}, {0, "done"}}));
  EXPECT_EQ(compile.Read("fake-record\\argument.txt"), compile.Path("temp.iss"));
  EXPECT_EQ(compile.Read("fake-record\\Beach.002"), "[Set]\r\n");
  EXPECT_EQ(compile.Read("fake-record\\temp.iss"), "[Setup]\r\n");
}

}  // namespace
}  // namespace vanta
