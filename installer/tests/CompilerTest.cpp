#include "Compiler.h"

#include <gtest/gtest.h>

#include "TempFolder.h"

namespace vanta::build {
namespace {

namespace fs = std::filesystem;

class TRecordingStatus : public IBuildStatus {
 public:
  void StatusLine(std::string_view line) override { lines.emplace_back(line); }
  void Finished(int c, std::string_view t) override {
    ++finishes;
    code = c;
    text = t;
  }
  std::vector<std::string> lines;
  int finishes = 0;
  int code = -1;
  std::string text;
};

class CompilerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    c_.Write("Prog/VantaSaver.scr", std::string(20000, 's'));
    c_.Write("Prog/VantaSaver.001", "[Effects]\r\n");
    c_.Write("Pics/Beach.JPG", "jpeg bytes");
    work_.Write("stub.exe", "MZ-stub");
    work_.Write("Compile/readme.txt", "Read me");
  }

  // The builder's kind of script, drive paths on C:.
  std::string Script(const std::string& extraFiles = "") const {
    return "[Setup]\r\nAppName=My Saver\r\nAppVerName=My Saver\r\nDefaultDirName={pf}\\My Saver\r\n"
           "DefaultGroupName=My Saver\r\noutputdir=\"C:\\Out\\\"\r\nOutputBaseFilename=\"My Saver\"\r\n"
           "[Files]\r\n"
           "Source:\"C:\\Prog\\VantaSaver.scr\"; DestDir: \"{sys}\\\"; DestName: \"My Saver.scr\"\r\n"
           "Source:\"C:\\prog\\vantasaver.001\"; DestDir: \"{sys}\\\"; flags: uninsneveruninstall\r\n"
           "Source:\"C:\\Pics\\beach.jpg\"; DestDir: \"{app}\\sample\"\r\n"
           "Source:\"readme.txt\"; DestDir: \"{app}\\\"; flags: isreadme\r\n" +
           extraFiles +
           "[Registry]\r\nRoot: HKCU; Subkey: \"Software\\Norvane\\My Saver\"; ValueType: string; ValueName: \"\"; "
           "ValueData: {app}; flags: uninsdeletekey\r\n"
           "[INI]\r\nFilename: \"{win}\\system.INI\"; Section: \"boot\"; Key: \"SCRNSAVE.EXE\"; String: \"{sys}\\MySaver~1.scr\"\r\n"
           "[Icons]\r\nName: \"{group}\\Uninstall\"; Filename: \"{app}\\unins000.exe\"\r\n";
  }

  TCompileOptions Options(const std::string& script) const {
    work_.Write("Compile/temp.iss", script);
    TCompileOptions o;
    o.scriptPath = work_ / "Compile/temp.iss";
    o.maps = {{'C', c_.Path().string()}};
    o.stubPath = work_ / "stub.exe";
    return o;
  }

  std::string Output() const { return c_ / "Out/My Saver.exe"; }

  TTempFolder c_, work_;
  TRecordingStatus status_;
};

TEST_F(CompilerTest, WritesTheSetupAndReportsInOrder) {
  ASSERT_EQ(Compile(Options(Script()), status_), kBuildOk) << status_.text;
  EXPECT_EQ(status_.finishes, 1);
  EXPECT_EQ(status_.text, Output());
  ASSERT_EQ(status_.lines.size(), 8u);
  EXPECT_EQ(status_.lines[0], "Compiling script: " + (work_ / "Compile/temp.iss"));
  EXPECT_EQ(status_.lines[1], "File: C:\\Prog\\VantaSaver.scr");
  EXPECT_EQ(status_.lines[2], "File: C:\\prog\\vantasaver.001");
  EXPECT_EQ(status_.lines[3], "File: C:\\Pics\\beach.jpg");
  EXPECT_EQ(status_.lines[4], "File: readme.txt");
  EXPECT_EQ(status_.lines[5], "Wrote \"" + Output() + "\" (" + std::to_string(fs::file_size(Output())) + " bytes)");
  EXPECT_EQ(status_.lines[6].rfind("Compressed size: ", 0), 0u) << status_.lines[6];
  EXPECT_EQ(status_.lines[7].rfind("Time taken: ", 0), 0u) << status_.lines[7];

  const std::string setup = ReadWholeFile(Output());
  EXPECT_EQ(setup.substr(0, 7), "MZ-stub");
  TMemorySource source(setup);
  const TPayload p = OpenPayload(source);
  ASSERT_EQ(p.index.files.size(), 4u);
  EXPECT_EQ(p.index.files[0].name, "My Saver.scr");
  EXPECT_EQ(p.index.files[1].name, "vantasaver.001");  // the name as the script writes it
  EXPECT_EQ(p.index.files[1].flags & kFileNeverUninstall, uint32_t(kFileNeverUninstall));
  EXPECT_EQ((TDestination{TFolder::App, "sample"}), p.index.files[2].folder);
  EXPECT_EQ(ExtractFile(source, p, 2), "jpeg bytes");
  EXPECT_EQ(ExtractFile(source, p, 3), "Read me");
  EXPECT_EQ(p.index.registry.size(), 1u);
  EXPECT_EQ(p.index.ini[0].value.ScriptText(), "{sys}\\MySaver~1.scr");
  EXPECT_EQ(p.index.defaultGroupName, "My Saver");
  // Nothing but the setup is left in the output folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(c_ / "Out"), fs::directory_iterator()), 1);
}

TEST_F(CompilerTest, SameScriptAndFilesGiveTheSameBytes) {
  ASSERT_EQ(Compile(Options(Script()), status_), kBuildOk);
  const std::string first = ReadWholeFile(Output());
  // Other folders, other times: the setup does not change.
  TTempFolder elsewhere;
  fs::copy(c_.Path(), elsewhere.Path(), fs::copy_options::recursive);
  fs::remove(elsewhere / "Out/My Saver.exe");
  TCompileOptions o = Options(Script());
  o.maps = {{'C', elsewhere.Path().string()}};
  TRecordingStatus again;
  ASSERT_EQ(Compile(o, again), kBuildOk) << again.text;
  EXPECT_EQ(ReadWholeFile(elsewhere / "Out/My Saver.exe"), first);
}

struct TFailure {
  std::string extraFiles;
  int code;
  const char* reason;
};

TEST_F(CompilerTest, FailuresEndOnceAndLeaveNoSetup) {
  const TFailure kFailures[] = {
      {"Source:\"C:\\Pics\\missing.jpg\"; DestDir: \"{app}\"\r\n", kBuildSourceError,
       "temp.iss, line 13: Source: cannot open"},
      {"Source:\"E:\\x.jpg\"; DestDir: \"{app}\"\r\n", kBuildSourceError, "no folder is mapped to drive E:"},
      {"Source:\"\\\\server\\x.jpg\"; DestDir: \"{app}\"\r\n", kBuildSourceError, "root of no named drive"},
      {"Source:\"C:x.jpg\"; DestDir: \"{app}\"\r\n", kBuildSourceError, "current folder"},
      {"Source:\"C:\\Pics\"; DestDir: \"{app}\"\r\n", kBuildSourceError, "temp.iss, line 13: Source: cannot read"},
      {"Source:\"C:\\Pics\\beach.jpg\"; DestDir: \"{app}\\..\"\r\n", kBuildScriptError, "temp.iss, line 13: DestDir"},
      {"[Code]\r\n", kBuildScriptError, "temp.iss, line 13: the section [Code] is not supported"},
  };
  // An earlier setup of the same name stays as it was.
  c_.Write("Out/My Saver.exe", "old setup");
  for (const TFailure& f : kFailures) {
    TRecordingStatus status;
    EXPECT_EQ(Compile(Options(Script(f.extraFiles)), status), f.code) << f.extraFiles;
    EXPECT_EQ(status.finishes, 1);
    EXPECT_EQ(status.code, f.code);
    EXPECT_NE(status.text.find(f.reason), std::string::npos) << status.text;
    EXPECT_EQ(ReadWholeFile(Output()), "old setup");
    EXPECT_EQ(std::distance(fs::directory_iterator(c_ / "Out"), fs::directory_iterator()), 1) << f.extraFiles;
  }
}

TEST_F(CompilerTest, AnUnwritableOutputIsAFailure) {
  // The setup's name is taken by a folder: writing fails at the rename.
  fs::create_directories(c_ / "Out/My Saver.exe/inside");
  EXPECT_EQ(Compile(Options(Script()), status_), kBuildOutputError);
  EXPECT_EQ(status_.finishes, 1);
  EXPECT_NE(status_.text.find("cannot write"), std::string::npos) << status_.text;
  EXPECT_EQ(std::distance(fs::directory_iterator(c_ / "Out"), fs::directory_iterator()), 1);

  // OutputDir is a file.
  TRecordingStatus second;
  c_.Write("OutFile", "x");
  std::string script = Script();
  script.replace(script.find("C:\\Out\\"), 7, "C:\\OutFile\\");
  EXPECT_EQ(Compile(Options(script), second), kBuildOutputError);
  EXPECT_NE(second.text.find("OutputDir"), std::string::npos) << second.text;
}

TEST_F(CompilerTest, MissingScriptOrProgram) {
  TCompileOptions o = Options(Script());
  o.scriptPath = work_ / "nothing.iss";
  EXPECT_EQ(Compile(o, status_), kBuildScriptError);
  EXPECT_NE(status_.text.find("nothing.iss"), std::string::npos);

  TRecordingStatus second;
  o = Options(Script());
  o.stubPath = work_ / "no-stub.exe";
  EXPECT_EQ(Compile(o, second), kBuildInternalError);
  EXPECT_NE(second.text.find("setup program is missing"), std::string::npos) << second.text;
  EXPECT_FALSE(fs::exists(Output()));
}

TEST_F(CompilerTest, NamedSetupWarns) {
  std::string script = Script();
  script.replace(script.find("\"My Saver\"\r\n[Files]"), 10, "\"Setup\"");
  ASSERT_EQ(Compile(Options(script), status_), kBuildOk) << status_.text;
  EXPECT_EQ(status_.lines[1].rfind("Warning: ", 0), 0u);
  EXPECT_TRUE(fs::exists(c_ / "Out/Setup.exe"));
}

TEST(SourceFiles, WindowsPathsAreTakenAsTheyAre) {
  const TSourceFiles s("C:\\Work\\Compile", {}, true);
  EXPECT_EQ(s.Locate("C:\\Pics\\a.jpg"), "C:\\Pics\\a.jpg");
  EXPECT_EQ(s.Locate("readme.txt"), "C:\\Work\\Compile\\readme.txt");
  EXPECT_EQ(s.Locate("\\\\server\\share\\a.jpg"), "\\\\server\\share\\a.jpg");
  EXPECT_THROW(s.Locate("\\rooted.jpg"), std::runtime_error);
}

TEST(SourceFiles, DriveMaps) {
  EXPECT_EQ(ParseDriveMap("c:=/srv/c")->drive, 'C');
  EXPECT_EQ(ParseDriveMap("D:=/x")->folder, "/x");
  for (const char* bad : {"C=/x", "C:/x", "CC:=/x", "1:=/x", "C:=", ""}) EXPECT_FALSE(ParseDriveMap(bad)) << bad;
}

}  // namespace
}  // namespace vanta::build
