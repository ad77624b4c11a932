#include <windows.h>

#include <gtest/gtest.h>

#include "SetupTestSupport.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "Payload.h"
#include "SourceFiles.h"

namespace vanta::build {
namespace {

namespace fs = std::filesystem;

constexpr ULONG_PTR kLine = 10000;

struct TMessage {
  ULONG_PTR code;
  std::string text;
};

// A hidden top-level window with the builder's caption that keeps every
// WM_COPYDATA it receives.
class TBuilderWindow {
 public:
  TBuilderWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VantaBuildStatusTest";
    RegisterClassA(&wc);
    window_ = CreateWindowExA(0, wc.lpszClassName, "Vanta Screensaver Builder", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                              nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~TBuilderWindow() { DestroyWindow(window_); }
  HWND Handle() const { return window_; }
  std::vector<TMessage> messages;

 private:
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_COPYDATA) {
      auto* self = reinterpret_cast<TBuilderWindow*>(GetWindowLongPtrA(w, GWLP_USERDATA));
      const auto* cds = reinterpret_cast<const COPYDATASTRUCT*>(lp);
      self->messages.push_back({cds->dwData, std::string(static_cast<const char*>(cds->lpData))});
      return TRUE;
    }
    return DefWindowProcA(w, m, wp, lp);
  }
  HWND window_ = nullptr;
};


void WriteFile(const fs::path& p, const std::string& bytes) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

class VantabuildWin32 : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("vantabuild-" + std::to_string(GetCurrentProcessId()));
    fs::remove_all(root_);
    // The compile folder as the builder has it: the compiler alone (it
    // carries the setup program) and the script.
    fs::create_directories(root_ / "Compile");
    fs::copy_file(vanta::build::test::ExeFolder() + "vantabuild.exe", root_ / "Compile" / "vantabuild.exe");
    WriteFile(root_ / "Compile" / "Readme.txt", "Read me");
    WriteFile(root_ / "Pics" / "a.jpg", std::string(3000, 'a'));
    WriteFile(root_ / "Pics" / "b.jpg", "bbb");
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string Win(const fs::path& p) const { return p.string(); }

  std::string Script(const std::string& picture) const {
    const std::string r = Win(root_);
    return "[Setup]\r\nAppName=T\r\nAppVerName=T\r\nDefaultDirName={pf}\\T\r\nDefaultGroupName=T\r\n"
           "outputdir=\"" + r + "\\Out\\\"\r\nOutputBaseFilename=\"T setup\"\r\n[Files]\r\n"
           "Source:\"" + r + "\\Pics\\a.jpg\"; DestDir: \"{app}\\sample\"\r\n"
           "Source:\"" + r + "\\Pics\\" + picture + "\"; DestDir: \"{app}\\sample\"\r\n"
           "Source:\"" + r + "\\Compile\\Readme.txt\"; DestDir: \"{app}\\\"; flags: isreadme\r\n";
  }

  // Starts the compiler as the builder does and serves the window until it
  // ends; returns its exit code.
  DWORD Run(const std::string& arguments) {
    std::string command = "\"" + Win(root_ / "Compile" / "vantabuild.exe") + "\" " + arguments;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    EXPECT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi));
    const DWORD start = GetTickCount();
    while (MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 1000, QS_ALLINPUT) != WAIT_OBJECT_0) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      if (GetTickCount() - start > 60000) {
        TerminateProcess(pi.hProcess, 99);
        ADD_FAILURE() << "vantabuild.exe did not end";
      }
    }
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
  }

  fs::path root_;
};

// Status lines in order, then exactly one end message, last.
void ExpectProtocol(const std::vector<TMessage>& got, const std::vector<std::string>& linePrefixes, ULONG_PTR code,
                    const std::string& endText) {
  ASSERT_EQ(got.size(), linePrefixes.size() + 1);
  for (size_t i = 0; i < linePrefixes.size(); ++i) {
    EXPECT_EQ(got[i].code, kLine) << i;
    EXPECT_EQ(got[i].text.rfind(linePrefixes[i], 0), 0u) << got[i].text << " is not " << linePrefixes[i];
  }
  EXPECT_EQ(got.back().code, code);
  EXPECT_NE(got.back().text.find(endText), std::string::npos) << got.back().text;
}

TEST_F(VantabuildWin32, GoodScriptSendsLinesAndOneSuccess) {
  WriteFile(root_ / "Compile" / "temp.iss", Script("b.jpg"));
  TBuilderWindow window;
  EXPECT_EQ(Run("\"" + Win(root_ / "Compile" / "temp.iss") + "\""), 0u);
  const std::string r = Win(root_);
  ExpectProtocol(window.messages,
                 {"Compiling script: " + r + "\\Compile\\temp.iss", "File: " + r + "\\Pics\\a.jpg",
                  "File: " + r + "\\Pics\\b.jpg", "File: " + r + "\\Compile\\Readme.txt",
                  "Wrote \"" + r + "\\Out\\T setup.exe\" (", "Compressed size: ", "Time taken: "},
                 0, r + "\\Out\\T setup.exe");

  // The setup is the setup program vantabuild.exe carries, and a payload
  // the Windows build reads.
  const std::string setup = ReadWholeFile(r + "\\Out\\T setup.exe");
  const std::string stub = ReadWholeFile(vanta::build::test::ExeFolder() + "vantasetup.exe");
  EXPECT_EQ(setup.substr(0, stub.size()), stub);
  TMemorySource source(setup);
  const TPayload p = OpenPayload(source);
  ASSERT_EQ(p.index.files.size(), 3u);
  EXPECT_EQ(ExtractFile(source, p, 0), std::string(3000, 'a'));
  EXPECT_EQ(ExtractFile(source, p, 2), "Read me");
  EXPECT_EQ(std::distance(fs::directory_iterator(root_ / "Out"), fs::directory_iterator()), 1);

  // Compiled again, later: the same bytes.
  Sleep(1100);
  TBuilderWindow again;
  EXPECT_EQ(Run("\"" + Win(root_ / "Compile" / "temp.iss") + "\""), 0u);
  EXPECT_EQ(ReadWholeFile(r + "\\Out\\T setup.exe"), setup);
}

TEST_F(VantabuildWin32, MissingFileSendsOneFailure) {
  WriteFile(root_ / "Compile" / "temp.iss", Script("missing.jpg"));
  TBuilderWindow window;
  EXPECT_EQ(Run("\"" + Win(root_ / "Compile" / "temp.iss") + "\""), 3u);
  const std::string r = Win(root_);
  ExpectProtocol(window.messages, {"Compiling script: ", "File: " + r + "\\Pics\\a.jpg"}, 3,
                 "temp.iss, line 10: Source: cannot open \"" + r + "\\Pics\\missing.jpg\"");
  EXPECT_FALSE(fs::exists(root_ / "Out" / "T setup.exe"));
  EXPECT_EQ(std::distance(fs::directory_iterator(root_ / "Out"), fs::directory_iterator()), 0);
}

TEST_F(VantabuildWin32, BadScriptAndNoArgumentEachSendOneFailure) {
  WriteFile(root_ / "Compile" / "temp.iss", "[Setup]\r\nAppName=T\r\n[Code]\r\n");
  TBuilderWindow window;
  EXPECT_EQ(Run("\"" + Win(root_ / "Compile" / "temp.iss") + "\""), 2u);
  ExpectProtocol(window.messages, {"Compiling script: "}, 2, "temp.iss, line 3: the section [Code] is not supported");

  window.messages.clear();
  EXPECT_EQ(Run(""), 1u);
  ExpectProtocol(window.messages, {}, 1, "no script given");
}

// Paths in the script are UTF-8, as the builder writes them: a picture and
// an output folder named in other languages.
TEST_F(VantabuildWin32, PathsInAnyLanguage) {
  const std::string r = Win(root_);
  const std::string picture = r + "\\Pics\\caf\xC3\xA9\xE5\x86\x99.jpg", output = r + "\\Ausgabe \xC3\xA9t\xC3\xA9";
  const auto wide = [](const std::string& s) {
    std::wstring w(s.size(), L'\0');
    w.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), static_cast<int>(w.size()))));
    return w;
  };
  HANDLE h = CreateFileW(wide(picture).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD wrote = 0;
  ::WriteFile(h, "pic", 3, &wrote, nullptr);
  CloseHandle(h);
  std::string script = Script("caf\xC3\xA9\xE5\x86\x99.jpg");
  script.replace(script.find(r + "\\Out\\"), r.size() + 5, output + "\\");
  WriteFile(root_ / "Compile" / "temp.iss", script);
  TBuilderWindow window;
  EXPECT_EQ(Run("\"" + Win(root_ / "Compile" / "temp.iss") + "\""), 0u) << window.messages.back().text;
  EXPECT_NE(GetFileAttributesW(wide(output + "\\T setup.exe").c_str()), INVALID_FILE_ATTRIBUTES);
  ASSERT_GE(window.messages.size(), 3u);
  EXPECT_EQ(window.messages[2].text, "File: " + picture);
}

}  // namespace
}  // namespace vanta::build
