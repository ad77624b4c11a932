#include "Compiler.h"

#include <gtest/gtest.h>

#include "FakeProgram.h"
#include "IconFile.h"
#include "ProgramResources.h"
#include "TempFolder.h"
#include "WizardPictures.h"

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

// A 24-bit BMP whose pixel colour `at` gives (0x00RRGGBB).
template <class TAt>
std::string Bmp(int width, int height, TAt at) {
  const uint32_t stride = (uint32_t(width) * 3 + 3) & ~3u, size = 54 + stride * uint32_t(height);
  std::string b(54, '\0');
  auto put = [&](size_t o, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b[o + size_t(i)] = char((v >> (8 * i)) & 0xFF);
  };
  b[0] = 'B', b[1] = 'M';
  put(2, size, 4), put(10, 54, 4), put(14, 40, 4), put(18, uint32_t(width), 4), put(22, uint32_t(height), 4);
  put(26, 1, 2), put(28, 24, 2), put(34, stride * uint32_t(height), 4);
  for (int y = height - 1; y >= 0; --y) {  // bottom-up
    std::string row(stride, '\0');
    for (int x = 0; x < width; ++x) {
      const uint32_t c = at(x, y);
      row[size_t(x) * 3] = char(c & 0xFF), row[size_t(x) * 3 + 1] = char((c >> 8) & 0xFF), row[size_t(x) * 3 + 2] = char(c >> 16);
    }
    b += row;
  }
  return b;
}

uint32_t PixelOf(const TWizardPicture& p, uint32_t x, uint32_t y) {
  const unsigned char* px = reinterpret_cast<const unsigned char*>(p.rows.data()) + TWizardPicture::Stride(p.width) * y + x * 3;
  return uint32_t(px[2]) << 16 | uint32_t(px[1]) << 8 | px[0];
}

TEST(WizardPictures, CoverCropKeepsTheShapeFromTheMiddle) {
  const struct {
    int w, h, tw, th;
    TCrop crop;
  } kCases[] = {
      {1000, 1000, 328, 628, {239, 0, 522, 1000}},  // square into tall: the sides go
      {328, 628, 328, 628, {0, 0, 328, 628}},       // the shape already
      {100, 1000, 110, 110, {0, 450, 100, 100}},    // a strip into a square: top and bottom go
      {1, 1, 328, 628, {0, 0, 1, 1}},               // one pixel stays one pixel
      {5000, 2, 110, 110, {2499, 0, 2, 2}},
  };
  for (const auto& c : kCases) EXPECT_EQ(CoverCrop(c.w, c.h, c.tw, c.th), c.crop) << c.w << "x" << c.h;
}

// Three upright stripes (red, green, blue) in a wide picture: the tall
// place keeps the middle one, not squeezed; a square picture of a black
// ring on white keeps its ring round in the square place.
TEST(WizardPictures, FittedAndCroppedNeverStretched) {
  TTempFolder dir;
  dir.Write("stripes.bmp", Bmp(900, 300, [](int x, int) { return x < 300 ? 0xFF0000u : x < 600 ? 0x00FF00u : 0x0000FFu; }));
  const TWizardPicture tall = ReadWizardPicture(dir / "stripes.bmp", kWizardImageWidth, kWizardImageHeight);
  ASSERT_EQ(tall.width, kWizardImageWidth);
  ASSERT_EQ(tall.height, kWizardImageHeight);
  ASSERT_EQ(tall.rows.size(), TWizardPicture::Stride(kWizardImageWidth) * kWizardImageHeight);
  for (uint32_t x : {0u, 100u, 327u})
    for (uint32_t y : {0u, 300u, 627u}) EXPECT_EQ(PixelOf(tall, x, y), 0x00FF00u) << x << "," << y;
  // Left half black, right half white, 400x200: in the square the edge stays in the middle.
  dir.Write("halves.bmp", Bmp(400, 200, [](int x, int) { return x < 200 ? 0u : 0xFFFFFFu; }));
  const TWizardPicture square = ReadWizardPicture(dir / "halves.bmp", kWizardSmallImageSide, kWizardSmallImageSide);
  EXPECT_EQ(PixelOf(square, 0, 50), 0u);
  EXPECT_EQ(PixelOf(square, 53, 50), 0u);
  EXPECT_EQ(PixelOf(square, 56, 50), 0xFFFFFFu);
  EXPECT_EQ(PixelOf(square, 109, 50), 0xFFFFFFu);
}

// A missing or broken picture stops the compile, naming the key and the file.
TEST_F(CompilerTest, PicturesOfThePages) {
  c_.Write("Pics/tall.bmp", Bmp(40, 80, [](int, int) { return 0x3366CCu; }));
  c_.Write("Pics/broken.bmp", "BM not a picture");
  const auto with = [&](const std::string& lines) {
    std::string s = Script();
    return s.insert(s.find("[Files]"), lines);
  };
  const struct {
    std::string lines;
    const char* reason;  // nullptr: compiles
  } kCases[] = {
      {"WizardImageFile=C:\\Pics\\tall.bmp\r\nWizardSmallImageFile=\"C:\\Pics\\tall.bmp\"\r\n", nullptr},
      {"WizardImageFile=C:\\Pics\\missing.bmp\r\n", "temp.iss, line 8: WizardImageFile: C:\\Pics\\missing.bmp: "},
      {"WizardSmallImageFile=C:\\Pics\\broken.bmp\r\n", "temp.iss, line 8: WizardSmallImageFile: C:\\Pics\\broken.bmp: "},
      {"WizardImageFile=C:\\Pics\r\n", "temp.iss, line 8: WizardImageFile: C:\\Pics: "},
  };
  for (const auto& c : kCases) {
    TCompileOptions o = Options(with(c.lines));
    o.readPicture = ReadWizardPicture;
    TRecordingStatus status;
    const int code = Compile(o, status);
    if (!c.reason) {
      ASSERT_EQ(code, kBuildOk) << status.text;
      TMemorySource source(ReadWholeFile(Output()));
      const TPayload p = OpenPayload(source);
      EXPECT_EQ(p.index.wizardImage.width, kWizardImageWidth);
      EXPECT_EQ(PixelOf(p.index.wizardImage, 10, 10), 0x3366CCu);
      EXPECT_EQ(PixelOf(p.index.wizardSmallImage, 100, 100), 0x3366CCu);
      continue;
    }
    EXPECT_EQ(code, kBuildSourceError) << c.lines;
    EXPECT_EQ(status.text.find(c.reason), 0u) << status.text;
  }
  // A compiler without the picture reader says so rather than leaving the page bare.
  TRecordingStatus status;
  EXPECT_EQ(Compile(Options(with("WizardImageFile=C:\\Pics\\tall.bmp\r\n")), status), kBuildSourceError);
  EXPECT_NE(status.text.find("reads no pictures"), std::string::npos) << status.text;
}

// SetupIconFile: into the setup program's resources; a missing or broken
// icon stops the compile, naming the key and the file.
TEST_F(CompilerTest, TheSetupsIcon) {
  std::string header(40 + 16 * 16 * 4, '\0');
  header[0] = 40;  // a BITMAPINFOHEADER of one plane
  header[12] = 1;
  const std::vector<TIconEntry> icon = {{16, 16, 0, 1, 32, header}};
  c_.Write("Pics/saver.ico", IconFileBytes(icon));
  c_.Write("Pics/broken.ico", "not an icon");
  work_.Write("program.exe", test::FakeProgram());
  std::string script = Script();
  const auto with = [&](const std::string& line) { return std::string(script).insert(script.find("[Files]"), line); };
  const struct {
    std::string line;
    const char* reason;  // nullptr: compiles
    int code;
  } kCases[] = {
      {"SetupIconFile=C:\\Pics\\saver.ico\r\n", nullptr, kBuildOk},
      {"SetupIconFile=C:\\Pics\\missing.ico\r\n", "temp.iss, line 8: SetupIconFile: C:\\Pics\\missing.ico: ", kBuildSourceError},
      {"SetupIconFile=\"C:\\Pics\\broken.ico\"\r\n", "temp.iss, line 8: SetupIconFile: C:\\Pics\\broken.ico: not an icon file", kBuildSourceError},
      {"SetupIconFile=\r\n", "temp.iss, line 8: SetupIconFile is empty", kBuildScriptError},
  };
  for (const auto& c : kCases) {
    TCompileOptions o = Options(with(c.line));
    o.stubPath = work_ / "program.exe";
    TRecordingStatus status;
    ASSERT_EQ(Compile(o, status), c.code) << status.text;
    if (c.reason) {
      EXPECT_EQ(status.text.find(c.reason), 0u) << status.text;
      continue;
    }
    const std::string setup = ReadWholeFile(Output());
    TMemorySource source(setup);
    const std::vector<TResource> resources = ReadResources(setup.substr(0, size_t(OpenPayload(source).programSize)));
    ASSERT_EQ(resources.size(), 2u);
    EXPECT_EQ(resources[0].data, icon[0].bytes);
    EXPECT_EQ(resources[1].data, GroupIconBytes(icon, 1));
  }
  // The plain stub of the other tests is no program: the compiler says so.
  TRecordingStatus status;
  EXPECT_EQ(Compile(Options(with(kCases[0].line)), status), kBuildInternalError);
  EXPECT_NE(status.text.find("the setup program cannot take it: not a Windows program"), std::string::npos) << status.text;
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
