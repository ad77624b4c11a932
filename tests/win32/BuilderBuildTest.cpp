// The Build page driven by its controls: the notebook, the readme, and
// builds against the installer compiler's stand-in (bin/fakecompiler) in a
// compile folder of the test, whose replies and records the tests read.
#include <windows.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "../unit/PictureWriters.h"
#include "DialogLayoutCheck.h"
#include "Win32TestSupport.h"
#include "builder/ConfigFormP.h"
#include "builder/ConfigFormRes.h"
#include "forms/Controls.h"
#include "forms/FormLayout.h"
#include "music/MusicSet.h"
#include "platform/Shell.h"
#include "settings/SaverSettings.h"

namespace vanta {
namespace {

using form::WindowText;

// A working file as a commit leaves it: never without keys.
constexpr const char* kCommitted = "[Set]\r\nImageInterval=7\r\n";

class BuilderBuildTest : public ::testing::Test {
 public:
  void SetUp() override {
    CreateDirectoryA(install.Path("Compile").c_str(), nullptr);
    script.OnPickSave = [this](const platform::TSaveFileRequest& r) {
      saveRequests.push_back(r);
      return setupChosen;
    };
    script.OnAsk = [this](const std::string& text) {
      questions.push_back(text);
      const bool yes = !answers.empty() && answers.front();
      if (!answers.empty()) answers.erase(answers.begin());
      if (onQuestion) onQuestion();
      return yes;
    };
    script.OnStart = [this](const platform::TShellRequest& r) -> std::optional<bool> {
      starts.push_back(r);
      if (refuseStart) return false;
      if (pretendStart) return true;
      return std::nullopt;  // the real start
    };
    script.OnOpen = [this](const platform::TShellRequest& r) { shell.push_back(r); };
    script.OnPickFiles = [this](const platform::TOpenFilesRequest& r) {
      openRequests.push_back(r);
      return openChosen;
    };
  }
  void TearDown() override { form.reset(); }
  TBuilderSeams Seams() { return {main.scheduler, script, platform::SystemRegistry(), main.music}; }

  void Open(const std::string& text = "") {
    ini = std::make_unique<TIniFile>(dir.Write("VantaSaver.002", text));
    form = std::make_unique<TVantaConfigForm>(
        TSaverSetting{}, *ini,
        TBuilderPlaces{install.Folder(), program.Path("VantaSaver.scr"), user.Folder(), out.Folder(), install.Folder()},
        Seams());
    form->OnError = [this](const std::string& m) { errors.push_back(m); };
    form->OnAccept = [this](const TConfigControls& c) {
      ++commits;
      if (onCommit) onCommit(c);
    };
    form->Show();
    SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(IDM_BUILDANDSEND1, 0), 0);
  }
  // A control of a page by its resource number: of the pages made first,
  // then of each page made in turn until one has it.
  HWND C(int id) const {
    for (const TBuilderPageBase* page : form->Pages().All)
      if (HWND w = page->Find(id)) return w;
    for (TBuilderPageBase* page : form->Pages().All) {
      if (page->Made()) continue;
      page->Make();
      if (HWND w = page->Find(id)) return w;
    }
    return nullptr;
  }
  void Click(int id) const { SendMessageA(C(id), BM_CLICK, 0, 0); }
  void Type(int id, const std::string& text) const { SetWindowTextA(C(id), text.c_str()); }
  bool Enabled(int id) const { return IsWindowEnabled(C(id)) != FALSE; }
  bool Shows(int id) const { return IsWindowVisible(C(id)) != FALSE; }
  // A key as the window's message loop hands it on.
  bool Enter(int id) {
    MSG msg{C(id), WM_KEYDOWN, VK_RETURN, 1, 0, {}};
    return form->PreTranslateMessage(msg);
  }
  void Record(unsigned long code, const std::string& text) {
    COPYDATASTRUCT data{code, static_cast<DWORD>(text.size() + 1), const_cast<char*>(text.c_str())};
    SendMessageA(form->Handle(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
  }
  // Serves the window (and the compiler's messages) until done or 20 s.
  bool PumpUntil(const std::function<bool()>& done) {
    const DWORD start = GetTickCount();
    while (!done()) {
      if (GetTickCount() - start > 20000) return false;
      MSG m;
      while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
      }
      Sleep(10);
    }
    return true;
  }
  // The stand-in compiler where the setup puts the real one, answering with replies.
  void InstallFakeCompiler(const std::string& replies) {
    ASSERT_TRUE(CopyFileA((test::ExeFolder() + "fakecompiler\\vantabuild.exe").c_str(), Compiler("vantabuild.exe").c_str(),
                          FALSE));
    std::ofstream(Compiler("fake-replies.txt"), std::ios::binary) << replies;
  }
  // The compiler where the setup put it, in the install folder.
  std::string Compiler(const std::string& name) const { return install.Path("Compile\\" + name); }
  // The compile folder: the user's own.
  std::string Compile(const std::string& name) const { return user.Path("Compile\\" + name); }
  std::string ReadCompile(const std::string& name) const { return user.Read("Compile\\" + name); }
  bool BuildFilesGone(const std::string& saver) const {
    return !user.Exists("Compile\\temp.iss") && !user.Exists("Compile\\Readme.txt") &&
           !user.Exists("Compile\\" + saver + ".002");
  }
  // Runs a build to its end with the real stand-in.
  void BuildAndWait() {
    Click(IDC_BUILDB);
    ASSERT_TRUE(form->Pages().Build.Compiling()) << (errors.empty() ? "" : errors[0]);
    ASSERT_TRUE(PumpUntil([&] { return !form->Pages().Build.Compiling() && Enabled(IDC_BUILDB); })) << "the build never ended";
  }

  test::TTestMain main;  // before the form, which runs on it
  test::TScriptedShell script;
  test::TTempDir dir, install, program, out, user;
  std::unique_ptr<TIniFile> ini;
  std::unique_ptr<TVantaConfigForm> form;
  std::optional<std::string> setupChosen;
  std::vector<std::string> openChosen;
  std::vector<bool> answers;
  std::function<void()> onQuestion;
  std::function<void(const TConfigControls&)> onCommit;
  bool pretendStart = false, refuseStart = false;
  int commits = 0;
  std::vector<platform::TSaveFileRequest> saveRequests;
  std::vector<platform::TOpenFilesRequest> openRequests;
  std::vector<std::string> questions, errors;
  std::vector<platform::TShellRequest> starts, shell;
};

TEST_F(BuilderBuildTest, ReadmeAndProgressPagesFitAtTheScreensDpi) {
  Open();
  const UINT dpi = test::DpiOf(form->Handle());
  const auto check = [&](const std::string& what) {
    std::string all;
    for (const std::string& p : test::LayoutProblems(form->Handle())) all += "\n  " + p;
    EXPECT_TRUE(all.empty()) << what << " at " << dpi << " DPI:" << all;
  };
  Click(IDC_NEXTB);
  Click(IDC_NEXTB);
  ASSERT_TRUE(Shows(IDC_READMEMEMO));
  EXPECT_EQ(WindowText(C(IDC_READMEGROUP)), "Readme Text");
  EXPECT_EQ(WindowText(C(IDC_LOADREADME)), "Load From File...");
  check("the readme page");
  pretendStart = true;
  setupChosen = out.Path("Setup.exe");
  std::ofstream(Compiler("vantabuild.exe")) << "";
  Click(IDC_BUILDB);
  ASSERT_TRUE(Shows(IDC_STATUSMEMO)) << (errors.empty() ? "" : errors[0]);
  EXPECT_EQ(WindowText(C(IDC_BUILDINGGROUP)), "Building...");
  const LONG style = GetWindowLongA(C(IDC_STATUSMEMO), GWL_STYLE);
  EXPECT_EQ(style & (ES_MULTILINE | ES_READONLY), ES_MULTILINE | ES_READONLY) << "read-only";
  EXPECT_FALSE(style & WS_BORDER);
  check("the progress page");
  Record(1, "stopped");
}

// Lines as the compiler reports them, long paths and the sizes at the end:
// each reads whole, wrapped to the box, never behind a sideways scroll.
TEST_F(BuilderBuildTest, LongStatusLinesWrapInsideTheBox) {
  pretendStart = true;
  setupChosen = out.Path("Setup.exe");
  std::ofstream(Compiler("vantabuild.exe")) << "";
  Open();
  Click(IDC_BUILDB);
  ASSERT_TRUE(Shows(IDC_STATUSMEMO)) << (errors.empty() ? "" : errors[0]);
  const std::string lines[] = {
      "Compiling script: C:\\Users\\Ann Example\\AppData\\Local\\Vanta Screensaver Builder\\Compile\\temp.iss",
      "Compressed size: 1,402,117 bytes of 1,733,950 (setup 1,459,058 bytes)",
      "C:\\Users\\AnnExample\\Documents\\Pictures\\Holidays2004\\AVeryLongFileNameWithoutAnyBlanksInIt.jpg",
  };
  std::string all;
  for (const std::string& line : lines) {
    Record(kStatusLineCode, line);
    all += line + "\r\n";
  }
  HWND memo = C(IDC_STATUSMEMO);
  EXPECT_EQ(WindowText(memo), all) << "wrapping adds nothing to the text";
  const LONG style = GetWindowLongA(memo, GWL_STYLE);
  EXPECT_FALSE(style & (ES_AUTOHSCROLL | WS_HSCROLL)) << "a line longer than the box wraps";
  RECT box;
  SendMessageA(memo, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&box));
  HDC dc = GetDC(memo);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(memo, WM_GETFONT, 0, 0)));
  const auto shown = static_cast<int>(SendMessageA(memo, EM_GETLINECOUNT, 0, 0));
  EXPECT_GT(shown, static_cast<int>(std::size(lines)) + 1) << "the long lines take more than one line each";
  for (int i = 0; i < shown; ++i) {
    const auto start = static_cast<int>(SendMessageA(memo, EM_LINEINDEX, i, 0));
    const auto length = static_cast<int>(SendMessageA(memo, EM_LINELENGTH, start, 0));
    std::string part = all.substr(start, length);
    while (!part.empty() && part.back() == ' ') part.pop_back();  // a break's blank needs no room
    SIZE size{};
    GetTextExtentPoint32A(dc, part.c_str(), static_cast<int>(part.size()), &size);
    EXPECT_LE(size.cx, box.right - box.left) << "shown line " << i << " \"" << part << "\" is cut at the edge";
  }
  SelectObject(dc, old);
  ReleaseDC(memo, dc);
  Record(1, "stopped");
}

TEST_F(BuilderBuildTest, TheNotebookWalksItsPagesAndLoadsTheReadme) {
  Open();
  struct Step { const char* what; int button; int shown; bool back, next; } steps[] = {
      {"Next to the author", IDC_NEXTB, IDC_AUTHOREDIT, true, true},
      {"Next to the readme", IDC_NEXTB, IDC_READMEMEMO, true, true},
      {"Back to the author", IDC_BACKB, IDC_AUTHOREDIT, true, true},
      {"Back to the name", IDC_BACKB, IDC_NAMEEDIT, false, true},
  };
  for (const Step& s : steps) {
    Click(s.button);
    EXPECT_TRUE(Shows(s.shown)) << s.what;
    EXPECT_EQ(Enabled(IDC_BACKB), s.back) << s.what;
    EXPECT_EQ(Enabled(IDC_NEXTB), s.next) << s.what;
  }
  // Next on the readme page is Build.
  Click(IDC_NEXTB);
  Click(IDC_NEXTB);
  EXPECT_TRUE(saveRequests.empty());
  Click(IDC_NEXTB);
  ASSERT_EQ(saveRequests.size(), 1u);
  EXPECT_EQ(saveRequests[0], (platform::TSaveFileRequest{"Save screensaver installation as...", "*.exe|*.exe", "", out.Folder()}));
  EXPECT_TRUE(Shows(IDC_READMEMEMO)) << "cancelled: nothing happens";

  // Load From File: the text replaces the memo's, in lines the memo shows.
  Type(IDC_READMEMEMO, "old text");
  Click(IDC_LOADREADME);
  ASSERT_EQ(openRequests.size(), 1u);
  EXPECT_EQ(openRequests[0].Filter, "*.txt|*.txt");
  EXPECT_EQ(WindowText(C(IDC_READMEMEMO)), "old text") << "cancelled";
  openChosen = {dir.Write("readme.txt", "First line\nSecond\r\nThird")};
  Click(IDC_LOADREADME);
  EXPECT_EQ(WindowText(C(IDC_READMEMEMO)), "First line\r\nSecond\r\nThird");
  openChosen = {dir.Path("missing.txt")};
  Click(IDC_LOADREADME);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("missing.txt"), std::string::npos);

  // From the progress page Back goes to the name.
  pretendStart = true;
  setupChosen = out.Path("Setup.exe");
  std::ofstream(Compiler("vantabuild.exe")) << "";
  Click(IDC_BUILDB);
  ASSERT_TRUE(Shows(IDC_STATUSMEMO));
  EXPECT_FALSE(Enabled(IDC_NEXTB));
  EXPECT_FALSE(Enabled(IDC_BUILDB));
  EXPECT_TRUE(Enabled(IDC_BACKB));
  Click(IDC_BACKB);
  EXPECT_TRUE(Shows(IDC_NAMEEDIT));
  Record(1, "stopped");
}

TEST_F(BuilderBuildTest, StatusLinesShowFilteredInOrderAndSuccessCleansUp) {
  InstallFakeCompiler(
      "10000   Compiling script: temp.iss  \r\n10000 File: a.bmp\r\n10000 [detail] of the compiler\r\n"
      "10000 Compressed size: 5\r\n10000 Time taken: 1 s\r\n0\r\n");
  Open(kCommitted);
  Type(IDC_NAMEEDIT, "Beach");
  setupChosen = out.Path("BeachSetup");
  out.Write("BeachSetup.exe", "an old setup");
  answers = {false};
  BuildAndWait();
  EXPECT_EQ(WindowText(C(IDC_STATUSMEMO)), "Compiling script: temp.iss\r\nCompressed size: 5\r\nTime taken: 1 s\r\n");
  // A compiler that lists nothing wrote the setup alone.
  EXPECT_EQ(questions, std::vector<std::string>{"Build Successful, Would you like to test the installation now?\n\n" +
                                                out.Path("BeachSetup.exe")});
  EXPECT_TRUE(shell.empty()) << "No: the setup is not run";
  EXPECT_FALSE(out.Exists("BeachSetup.exe")) << "the old setup of the name goes first";
  EXPECT_EQ(install.Read("Compile\\fake-record\\argument.txt"), Compile("temp.iss"));
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].File, Compiler("vantabuild.exe"));
  EXPECT_EQ(starts[0].Parameters, "\"" + Compile("temp.iss") + "\"");
  EXPECT_TRUE(BuildFilesGone("Beach"));
  EXPECT_TRUE(install.Exists("Compile\\fake-record\\Beach.002")) << "the settings copy was there for the compiler";
  EXPECT_EQ(commits, 1);
  EXPECT_TRUE(errors.empty());
  // A record after the end belongs to no build.
  Record(kStatusLineCode, "late line");
  EXPECT_EQ(WindowText(C(IDC_STATUSMEMO)), "Compiling script: temp.iss\r\nCompressed size: 5\r\nTime taken: 1 s\r\n");
  EXPECT_TRUE(questions.size() == 1);
}

TEST_F(BuilderBuildTest, YesAfterSuccessRunsTheNewSetup) {
  pretendStart = true;
  std::ofstream(Compiler("vantabuild.exe")) << "";
  Open();
  setupChosen = out.Path("Mine.EXE");
  Click(IDC_BUILDB);
  ASSERT_TRUE(form->Pages().Build.Compiling());
  answers = {true};
  Record(0, "");
  ASSERT_EQ(shell.size(), 1u);
  EXPECT_EQ(shell[0], (platform::TShellRequest{"", out.Path("Mine.EXE"), "", ""}));
  EXPECT_TRUE(Enabled(IDC_BUILDB));
  EXPECT_TRUE(BuildFilesGone("Mine"));
}

TEST_F(BuilderBuildTest, ASpannedSetupIsNamedWholeAndTestedWhereItWasWritten) {
  pretendStart = true;
  std::ofstream(Compiler("vantabuild.exe")) << "";
  Open();
  setupChosen = out.Path("Big.exe");
  for (const char* old : {"Big.exe", "Big-1.bin", "Big-2.bin", "Big-4.bin"}) out.Write(old, "old");
  Click(IDC_BUILDB);
  ASSERT_TRUE(form->Pages().Build.Compiling());
  for (const char* gone : {"Big.exe", "Big-1.bin", "Big-2.bin"}) EXPECT_FALSE(out.Exists(gone)) << gone;
  EXPECT_TRUE(out.Exists("Big-4.bin")) << "not one of the old setup's consecutive parts";
  const std::string written = out.Path("Big.exe") + "\r\n" + out.Path("Big-1.bin") + "\r\n" + out.Path("Big-2.bin");
  Record(kStatusLineCode, "Wrote \"" + out.Path("Big-2.bin") + "\" (1048576 bytes)");
  EXPECT_EQ(WindowText(C(IDC_STATUSMEMO)), "Wrote \"" + out.Path("Big-2.bin") + "\" (1048576 bytes)\r\n");
  answers = {true};
  Record(0, written);
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0], "Build Successful, Would you like to test the installation now?\n\n" + out.Path("Big.exe") +
                              "\n" + out.Path("Big-1.bin") + "\n" + out.Path("Big-2.bin"));
  ASSERT_EQ(shell.size(), 1u);
  EXPECT_EQ(shell[0], (platform::TShellRequest{"", out.Path("Big.exe"), "", ""})) << "run where it is, its parts beside it";
}

TEST_F(BuilderBuildTest, AnOldPartThatCannotGoStopsTheBuild) {
  pretendStart = true;
  std::ofstream(Compiler("vantabuild.exe")) << "";
  Open();
  setupChosen = out.Path("Held.exe");
  out.Write("Held-1.bin", "old");
  const std::string held = out.Write("Held-2.bin", "old");
  // Open without sharing its deletion, as a running setup holds its parts.
  HANDLE h = CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  Click(IDC_BUILDB);
  CloseHandle(h);
  EXPECT_EQ(errors, std::vector<std::string>{"The old setup \"" + held + "\" cannot be replaced."});
  EXPECT_TRUE(starts.empty());
  EXPECT_FALSE(form->Pages().Build.Compiling());
  EXPECT_TRUE(Enabled(IDC_BUILDB));
  EXPECT_TRUE(BuildFilesGone("Held"));
}

TEST_F(BuilderBuildTest, AFailureRetriesTheSameFilesOnYesAndCleansOnNo) {
  InstallFakeCompiler("10000 First run\r\n2 it failed\r\n");
  Open(kCommitted);
  Type(IDC_NAMEEDIT, "Retry");
  setupChosen = out.Path("Retry.exe");
  answers = {true, false};
  std::string firstScript;
  onQuestion = [&] {
    if (questions.size() != 1) return;
    // Before the second run: what the first saw, and new replies.
    firstScript = install.Read("Compile\\fake-record\\temp.iss");
    std::filesystem::remove_all(install.Path("Compile\\fake-record"));
    std::ofstream(Compiler("fake-replies.txt"), std::ios::binary) << "10000 Second run\r\n3 failed again\r\n";
  };
  BuildAndWait();
  EXPECT_EQ(questions, (std::vector<std::string>{"Build Failed, Please try it again.", "Build Failed, Please try it again."}));
  EXPECT_EQ(starts.size(), 2u);
  EXPECT_EQ(commits, 1) << "a retry writes nothing again";
  EXPECT_FALSE(firstScript.empty());
  EXPECT_EQ(install.Read("Compile\\fake-record\\temp.iss"), firstScript) << "the second run had the same script";
  EXPECT_TRUE(install.Exists("Compile\\fake-record\\Retry.002"));
  EXPECT_EQ(WindowText(C(IDC_STATUSMEMO)), "Second run\r\n") << "cleared for the second run";
  EXPECT_TRUE(BuildFilesGone("Retry"));
  EXPECT_TRUE(shell.empty());
  EXPECT_TRUE(errors.empty());
}

TEST_F(BuilderBuildTest, AMissingCompilerIsReportedAndTheBuildEnds) {
  Open();
  Type(IDC_NAMEEDIT, "Lost");
  setupChosen = out.Path("Lost.exe");
  Click(IDC_BUILDB);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(Compiler("vantabuild.exe")), std::string::npos) << errors[0];
  EXPECT_FALSE(form->Pages().Build.Compiling());
  EXPECT_TRUE(Enabled(IDC_BUILDB));
  EXPECT_TRUE(BuildFilesGone("Lost"));
  EXPECT_TRUE(starts.empty());
  // A start the shell refuses ends the same way.
  std::ofstream(Compiler("vantabuild.exe")) << "";
  refuseStart = true;
  Click(IDC_BUILDB);
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(starts.size(), 1u);
  EXPECT_FALSE(form->Pages().Build.Compiling());
  EXPECT_TRUE(Enabled(IDC_BUILDB));
  EXPECT_TRUE(BuildFilesGone("Lost"));
}

TEST_F(BuilderBuildTest, ACompilerThatEndsWithoutAResultEndsTheBuild) {
  InstallFakeCompiler("10000 Compiling script\r\n");  // and then nothing
  Open(kCommitted);
  Type(IDC_NAMEEDIT, "Cut");
  setupChosen = out.Path("Cut.exe");
  BuildAndWait();
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("ended without a result"), std::string::npos) << errors[0];
  EXPECT_TRUE(questions.empty());
  EXPECT_EQ(WindowText(C(IDC_STATUSMEMO)), "Compiling script\r\n");
  EXPECT_TRUE(BuildFilesGone("Cut"));
  // The next build runs as any other.
  InstallFakeCompiler("0\r\n");
  BuildAndWait();
  EXPECT_EQ(questions.size(), 1u);
  EXPECT_EQ(errors.size(), 1u);
}

TEST_F(BuilderBuildTest, NoSecondBuildWhileOneRuns) {
  pretendStart = true;
  std::ofstream(Compiler("vantabuild.exe")) << "";
  Open();
  setupChosen = out.Path("One.exe");
  Click(IDC_BUILDB);
  ASSERT_TRUE(form->Pages().Build.Compiling());
  ASSERT_EQ(saveRequests.size(), 1u);
  // Enter in each edit, and Next as its command arrives from page 2.
  for (int edit : {IDC_NAMEEDIT, IDC_AUTHOREDIT, IDC_WEBSITEEDIT}) EXPECT_TRUE(Enter(edit));
  Click(IDC_BACKB);
  Click(IDC_NEXTB);
  Click(IDC_NEXTB);
  Click(IDC_NEXTB);
  EXPECT_EQ(saveRequests.size(), 1u);
  EXPECT_EQ(starts.size(), 1u);
  Record(kStatusLineCode, "still running");
  EXPECT_EQ(WindowText(C(IDC_STATUSMEMO)), "still running\r\n");
  answers = {false};
  Record(5, "failed");
  EXPECT_FALSE(form->Pages().Build.Compiling());
  // Idle, Enter in the name builds.
  EXPECT_TRUE(Enter(IDC_NAMEEDIT));
  EXPECT_EQ(saveRequests.size(), 2u);
  EXPECT_TRUE(form->Pages().Build.Compiling());
  Record(1, "stopped");
}

TEST_F(BuilderBuildTest, ANameLeftEmptyWritesNothing) {
  pretendStart = true;
  std::ofstream(Compiler("vantabuild.exe")) << "";
  Open("[Set]\r\nImageInterval=7\r\n");
  Type(IDC_NAMEEDIT, " */? ");
  setupChosen = out.Path("ok.exe");
  Click(IDC_BUILDB);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("name"), std::string::npos) << errors[0];
  EXPECT_EQ(commits, 0) << "nothing committed";
  EXPECT_FALSE(user.Exists("Compile\\temp.iss"));
  EXPECT_TRUE(starts.empty());
  EXPECT_TRUE(Enabled(IDC_BUILDB));
  EXPECT_EQ(dir.Read("VantaSaver.002"), "[Set]\r\nImageInterval=7\r\n");
}

TEST_F(BuilderBuildTest, AnUnwritableCompileFolderStopsTheBuild) {
  pretendStart = true;
  user.Write("blocked", "");  // a file where the user's folder should be
  ini = std::make_unique<TIniFile>(dir.Write("VantaSaver.002", ""));
  form = std::make_unique<TVantaConfigForm>(
      TSaverSetting{}, *ini,
      TBuilderPlaces{install.Folder(), program.Path("VantaSaver.scr"), user.Path("blocked\\"), "", install.Folder()},
      Seams());
  form->OnError = [this](const std::string& m) { errors.push_back(m); };
  form->Show();
  SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(IDM_BUILDANDSEND1, 0), 0);
  Type(IDC_NAMEEDIT, "Nowhere");
  setupChosen = out.Path("n.exe");
  Click(IDC_BUILDB);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(user.Path("blocked\\Compile\\")), std::string::npos) << errors[0];
  EXPECT_TRUE(starts.empty());
  EXPECT_FALSE(form->Pages().Build.Compiling());
  EXPECT_TRUE(Enabled(IDC_BUILDB));
}

// The compiler runs for whoever builds: only the one in the install folder
// counts, never a program of that name in the user's own folder.
TEST_F(BuilderBuildTest, OnlyTheInstalledCompilerIsStarted) {
  CreateDirectoryA(user.Path("Compile").c_str(), nullptr);
  ASSERT_TRUE(CopyFileA((test::ExeFolder() + "fakecompiler\\vantabuild.exe").c_str(), Compile("vantabuild.exe").c_str(),
                        FALSE));
  Open(kCommitted);
  Type(IDC_NAMEEDIT, "Planted");
  setupChosen = out.Path("p.exe");
  Click(IDC_BUILDB);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(install.Path("Compile\\vantabuild.exe")), std::string::npos) << errors[0];
  EXPECT_TRUE(starts.empty());
  EXPECT_TRUE(BuildFilesGone("Planted"));
}

// One small project, and what the compiler was given, written out by hand.
TEST_F(BuilderBuildTest, TheCompilerGetsTheScriptAndSettingsOfTheProject) {
  InstallFakeCompiler("0\r\n");
  const std::string a = dir.Write("a.bmp", test::MakeBmp(test::ReferencePicture(32, 24)));
  const std::string b = dir.Write("b.bmp", test::MakeBmp(test::ReferencePicture(32, 24)));
  const std::string song = dir.Write("song.mp3", "");
  Open("[Set]\r\nImageInterval=7\r\n[Caption]\r\nX=3\r\n[Transitions]\r\n5=0\r\n[Pictures]\r\n" + a + "=1\r\n" + b +
       "=0\r\n[Music]\r\n" + song + "=1\r\n");
  // The commit comes before the copy: what it writes is copied.
  onCommit = [&](const TConfigControls&) { ini->WriteString("Set", "ImageInterval", "9"); };
  Type(IDC_NAMEEDIT, " Beach Days ");
  Type(IDC_AUTHOREDIT, "Ann");
  Type(IDC_WEBSITEEDIT, "http://ann.example");
  Type(IDC_READMEMEMO, "Hello\r\nWorld");
  setupChosen = out.Path("BeachSetup");
  answers = {false};
  BuildAndWait();
  ASSERT_TRUE(errors.empty()) << errors[0];

  char sys[MAX_PATH];
  GetSystemDirectoryA(sys, MAX_PATH);
  const std::string p = program.Folder(), c = Compile("");
  const std::string script =
      "[Setup]\r\n"
      "AppName=Beach Days\r\n"
      "AppVerName=Beach Days\r\n"
      "AppVersion=\"1.0\"\r\n"
      "AppPublisher=\"Ann\"\r\n"
      "AppPublisherURL=\"http://ann.example\"\r\n"
      "AppSupportURL=\"http://ann.example\"\r\n"
      "AppUpdatesURL=\"http://ann.example\"\r\n"
      "WizardImageFile=\"" + a + "\"\r\n"
      "WizardSmallImageFile=\"" + a + "\"\r\n"
      "SetupIconFile=\"" + c + "SetupIcon.ico\"\r\n"
      "DefaultDirName={pf}\\Beach Days\r\n"
      "DefaultGroupName=Beach Days\r\n"
      "outputdir=\"" + out.Folder() + "\"\r\n"
      "OutputBaseFilename=\"BeachSetup\"\r\n"
      "[Files]\r\n"
      "Source:\"" + p + "VantaSaver.scr\"; DestDir: \"{sys}\\\"; DestName: \"Beach Days.scr\"\r\n"
      "Source:\"" + p + "VantaSaver.001\"; DestDir: \"{sys}\\\"; flags: uninsneveruninstall\r\n"
      "Source:\"" + a + "\"; DestDir: \"{app}\\sample\"\r\n"
      "Source:\"" + song + "\"; DestDir: \"{app}\\sample\"\r\n"
      "Source:\"" + std::string(sys) + "\\MPEGDLL.DLL\"; DestDir: \"{sys}\\\"; flags: sharedfile\r\n"
      "Source:\"" + c + "Readme.txt\"; DestDir: \"{app}\\\"; flags: isreadme\r\n"
      "Source:\"" + c + "Beach Days.002\"; DestDir: \"{sys}\\\"; DestName: \"Beach Days.002\"\r\n"
      "[Registry]\r\n"
      "Root: HKCU; Subkey: \"Software\\Norvane\\Beach Days\"; ValueType: string; ValueName: \"\"; ValueData: {app}; "
      "flags: uninsdeletekey\r\n"
      "Root: HKLM; Subkey: \"Software\\Norvane\\Beach Days\"; ValueType: string; ValueName: \"\"; ValueData: {app}; "
      "flags: uninsdeletekey\r\n"
      "[INI]\r\n"
      "Filename: \"{win}\\system.INI\"; Section: \"boot\"; Key: \"SCRNSAVE.EXE\"; String: \"{sys}\\BeachD~1.scr\"\r\n"
      "[Icons]\r\n"
      "Name: \"{group}\\Beach Days\"; Filename: \"{sys}\\Beach Days.scr\"\r\n"
      "Name: \"{userdesktop}\\Beach Days\"; Filename: \"{sys}\\Beach Days.scr\"\r\n"
      "Name: \"{group}\\Uninstall\"; Filename: \"{app}\\unins000.exe\"\r\n"
      "Name: \"{app}\\Beach Days\"; Filename: \"{sys}\\Beach Days.scr\"\r\n"
      "Name: \"{group}\\Readme\"; Filename: \"{app}\\readme.txt\"\r\n"
      "[Run]\r\n"
      "Filename: \"{sys}\\rundll32.exe\"; Parameters: \"desk.cpl,InstallScreenSaver {sys}\\Beach Days.scr\"; "
      "Description: \"Make it my screensaver\"; Flags: postinstall nowait shellexec skipifsilent\r\n"
      "Filename: \"{sys}\\Beach Days.scr\"; Parameters: \"/s\"; Description: \"Preview the screensaver now\"; "
      "Flags: postinstall nowait shellexec skipifsilent\r\n"
      "Filename: \"{sys}\\Beach Days.scr\"; Parameters: \"/c\"; Description: \"Open the screen saver settings\"; "
      "Flags: postinstall nowait shellexec skipifsilent\r\n";
  EXPECT_EQ(install.Read("Compile\\fake-record\\temp.iss"), script);
  EXPECT_EQ(install.Read("Compile\\fake-record\\Beach Days.002"),
            "[Set]\r\nAuthor=Ann\r\nWebsite=http://ann.example\r\nImageInterval=9\r\n\r\n"
            "[Caption]\r\nX=3\r\n\r\n[Transitions]\r\n5=0\r\n\r\n[Pictures]\r\na.bmp=1\r\n\r\n"
            "[Music]\r\nsong.mp3=1\r\n");
  EXPECT_EQ(install.Read("Compile\\fake-record\\Readme.txt"), "Hello\r\nWorld\r\n");
  EXPECT_EQ(commits, 1);
  EXPECT_TRUE(BuildFilesGone("Beach Days"));
}

}  // namespace
}  // namespace vanta
