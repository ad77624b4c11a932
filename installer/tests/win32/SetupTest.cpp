// The real setup under Wine: a setup compiled from a script of the
// builder's kind, installed silently, checked, uninstalled; a damaged
// setup, a refused folder and a failure half way that is rolled back, and
// a file named in another language (the pages as shown: SetupFaceTest).
#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "Compiler.h"
#include "SetupDriving.h"
#include "SetupFixture.h"
#include "SetupTestSupport.h"
#include "SourceFiles.h"
#include "setup/win32/WizardIds.h"

namespace vanta::build {
namespace {

namespace fs = std::filesystem;
using test::ExeFolder;
using test::ProcessRuns;
using test::RunAndWait;
using namespace test;

TEST_F(SetupWin32, InstallsSilentlyAndUninstalls) {
  const std::string setup = Build();
  ASSERT_EQ(RunAndWait(setup, Quiet() + " /DIR=\"" + app_ + "\""), 0u) << Log();

  EXPECT_TRUE(fs::exists(sysSaver_));
  EXPECT_EQ(fs::file_size(sysSaver_), 50000u);
  EXPECT_TRUE(fs::exists(sysNever_));
  EXPECT_EQ(fs::file_size(app_ + "\\sample\\a.jpg"), 3000u);
  EXPECT_TRUE(fs::exists(app_ + "\\Readme.txt"));
  EXPECT_TRUE(fs::exists(app_ + "\\unins000.exe"));
  EXPECT_TRUE(fs::exists(app_ + "\\unins000.dat"));
  EXPECT_TRUE(fs::exists(app_ + "\\" + name_ + ".lnk"));
  const std::string group = ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\" + name_;
  EXPECT_TRUE(fs::exists(group + "\\" + name_ + ".lnk"));
  EXPECT_TRUE(fs::exists(group + "\\Uninstall.lnk"));
  EXPECT_EQ(RegString(HKEY_CURRENT_USER, userKey_, ""), app_);
  EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, arpKey_, "UninstallString"), "\"" + app_ + "\\unins000.exe\"");
  EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, arpKey_, "QuietUninstallString"), "\"" + app_ + "\\unins000.exe\" /SILENT");
  EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, arpKey_, "DisplayVersion"), "3.1");
  EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, arpKey_, "Publisher"), "Ann Example");
  EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, arpKey_, "HelpLink"), "https://ann.example/help");
  EXPECT_EQ(RegString(HKEY_LOCAL_MACHINE, arpKey_, "URLUpdateInfo"), std::nullopt);
  DWORD major = 0, size = sizeof major;
  EXPECT_EQ(RegGetValueA(HKEY_LOCAL_MACHINE, arpKey_.c_str(), "VersionMajor", RRF_RT_REG_DWORD, nullptr, &major, &size), ERROR_SUCCESS);
  EXPECT_EQ(major, 3u);
  // The ticked program of the Finished page goes to the desktop's shell
  // (Wine's explorer takes it too), the unticked one not at all.
  EXPECT_TRUE(StartedByTheDesktopOnly("Preview it")) << Log();
  EXPECT_EQ(Log().find("Its settings"), std::string::npos) << Log();
  // The INI value names the installed saver so that Windows finds it.
  char value[MAX_PATH] = "";
  GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "", value, MAX_PATH, (app_ + "\\saver.ini").c_str());
  EXPECT_NE(GetFileAttributesA(value), INVALID_FILE_ATTRIBUTES) << value;

  // The user adds a picture; the uninstaller leaves it and its folder.
  Put(app_ + "\\sample\\mine.jpg", "mine");
  ASSERT_EQ(Uninstall(app_), 0u);
  EXPECT_FALSE(fs::exists(sysSaver_));
  EXPECT_TRUE(fs::exists(sysNever_)) << "uninsneveruninstall";
  EXPECT_FALSE(fs::exists(app_ + "\\sample\\a.jpg"));
  EXPECT_TRUE(fs::exists(app_ + "\\sample\\mine.jpg"));
  EXPECT_FALSE(fs::exists(app_ + "\\unins000.exe"));
  EXPECT_FALSE(fs::exists(app_ + "\\unins000.dat"));
  EXPECT_FALSE(fs::exists(app_ + "\\Readme.txt"));
  EXPECT_FALSE(fs::exists(group));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, userKey_));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, arpKey_));
}

// The script exactly as the builder writes it (every line of its template,
// readme and music included), compiled by vantabuild.exe and installed:
// the saver becomes the screensaver in system.ini, by a path that exists,
// and its uninstall leaves the MPEG library that the builder shares.
TEST_F(SetupWin32, TheBuildersOwnScript) {
  const std::string saver = name_ + " Saver";  // a blank, as users name them
  const std::string prog = (root_ / "Prog").string() + "\\", compile = (root_ / "Compile").string() + "\\";
  const std::string sys = SystemFolder() + "\\";
  Put(root_ / "Prog" / "VantaSaver.scr", std::string(40000, 'v'));
  Put(root_ / "Prog" / "VantaSaver.001", "[Effects]\r\n");
  Put(root_ / "Compile" / "Readme.txt", "Read me");
  Put(root_ / "Compile" / (saver + ".002"), "[Set]\r\n");
  Put(root_ / "Pics" / "t1.jpg", std::string(2000, 'p'));
  Put(root_ / "Music" / "song.mp3", std::string(2000, 'm'));
  const bool hadMpegDll = fs::exists(sys + "MPEGDLL.DLL");
  if (!hadMpegDll) Put(sys + "MPEGDLL.DLL", "mpeg library");
  char oldSaver[MAX_PATH] = "";
  GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "", oldSaver, MAX_PATH, "system.ini");

  std::string shortName = saver;  // the builder's 8.3 guess, as it makes it
  shortName.erase(std::remove(shortName.begin(), shortName.end(), ' '), shortName.end());
  shortName = (shortName.size() <= 8 ? shortName : shortName.substr(0, 6)) + "~1.scr";
  const std::string lines[] = {
      "[Setup]",
      "AppName=" + saver,
      "AppVerName=" + saver,
      "DefaultDirName={pf}\\" + saver,
      "DefaultGroupName=" + saver,
      "outputdir=\"" + root_.string() + "\\\"",
      "OutputBaseFilename=\"" + saver + "\"",
      "[Files]",
      "Source:\"" + prog + "VantaSaver.scr\"; DestDir: \"{sys}\\\"; DestName: \"" + saver + ".scr\"",
      "Source:\"" + prog + "VantaSaver.001\"; DestDir: \"{sys}\\\"; flags: uninsneveruninstall",
      "Source:\"" + (root_ / "Pics" / "t1.jpg").string() + "\"; DestDir: \"{app}\\sample\"",
      "Source:\"" + (root_ / "Music" / "song.mp3").string() + "\"; DestDir: \"{app}\\sample\"",
      "Source:\"" + sys + "MPEGDLL.DLL\"; DestDir: \"{sys}\\\"; flags: sharedfile",
      "Source:\"" + compile + "Readme.txt\"; DestDir: \"{app}\\\"; flags: isreadme",
      "Source:\"" + compile + saver + ".002\"; DestDir: \"{sys}\\\"; DestName: \"" + saver + ".002\"",
      "[Registry]",
      "Root: HKCU; Subkey: \"Software\\Norvane\\" + saver + "\"; ValueType: string; ValueName: \"\"; ValueData: {app}; flags: uninsdeletekey",
      "[INI]",
      "Filename: \"{win}\\system.INI\"; Section: \"boot\"; Key: \"SCRNSAVE.EXE\"; String: \"{sys}\\" + shortName + "\"",
      "[Icons]",
      "Name: \"{group}\\" + saver + "\"; Filename: \"{sys}\\" + saver + ".scr\"",
      "Name: \"{userdesktop}\\" + saver + "\"; Filename: \"{sys}\\" + saver + ".scr\"",
      "Name: \"{group}\\Uninstall\"; Filename: \"{app}\\unins000.exe\"",
      "Name: \"{app}\\" + saver + "\"; Filename: \"{sys}\\" + saver + ".scr\"",
      "Name: \"{group}\\Readme\"; Filename: \"{app}\\readme.txt\"",
  };
  std::string script;
  for (const std::string& line : lines) script += line + "\r\n";
  Put(root_ / "Compile" / "temp.iss", script);
  ASSERT_EQ(RunAndWait(ExeFolder() + "vantabuild.exe", "\"" + compile + "temp.iss\""), 0u);

  const std::string setup = (root_ / (saver + ".exe")).string();
  ASSERT_EQ(RunAndWait(setup, Quiet() + " /DIR=\"" + app_ + "\""), 0u) << Log();
  EXPECT_EQ(fs::file_size(sys + saver + ".scr"), 40000u);
  EXPECT_TRUE(fs::exists(sys + saver + ".002"));
  EXPECT_TRUE(fs::exists(app_ + "\\sample\\t1.jpg"));
  EXPECT_TRUE(fs::exists(app_ + "\\sample\\song.mp3"));
  EXPECT_TRUE(fs::exists(ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\" + saver + ".lnk"));
  EXPECT_TRUE(fs::exists(ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\" + saver + "\\Readme.lnk"));
  EXPECT_EQ(RegString(HKEY_CURRENT_USER, "Software\\Norvane\\" + saver, ""), app_);
  char screensaver[MAX_PATH] = "";
  GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "", screensaver, MAX_PATH, "system.ini");
  EXPECT_NE(GetFileAttributesA(screensaver), INVALID_FILE_ATTRIBUTES) << "system.ini names " << screensaver;

  ASSERT_EQ(Uninstall(app_), 0u);
  EXPECT_FALSE(fs::exists(sys + saver + ".scr"));
  EXPECT_FALSE(fs::exists(sys + saver + ".002"));
  EXPECT_FALSE(fs::exists(ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\" + saver + ".lnk"));
  EXPECT_FALSE(fs::exists(ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\" + saver));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Norvane\\" + saver));
  EXPECT_TRUE(fs::exists(sys + "VantaSaver.001")) << "uninsneveruninstall";
  EXPECT_TRUE(fs::exists(sys + "MPEGDLL.DLL")) << "the builder's, shared by every saver";
  EXPECT_FALSE(fs::exists(app_));
  char after[MAX_PATH] = "";
  GetPrivateProfileStringA("boot", "SCRNSAVE.EXE", "", after, MAX_PATH, "system.ini");
  EXPECT_STREQ(after, oldSaver) << "the screensaver setting still names the removed saver";

  // Leave the prefix as it was.
  HKEY shared = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", 0, KEY_SET_VALUE, &shared) ==
      ERROR_SUCCESS) {
    RegDeleteValueA(shared, (sys + "MPEGDLL.DLL").c_str());
    RegCloseKey(shared);
  }
  WritePrivateProfileStringA("boot", "SCRNSAVE.EXE", *oldSaver ? oldSaver : nullptr, "system.ini");
  DeleteFileA((sys + "VantaSaver.001").c_str());
  if (!hadMpegDll) DeleteFileA((sys + "MPEGDLL.DLL").c_str());
}

TEST_F(SetupWin32, ADamagedSetupChangesNothing) {
  const std::string setup = Build();
  std::string bytes;
  {
    std::ifstream in(setup, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  TMemorySource source(bytes);
  const size_t stub = size_t(OpenPayload(source).programSize);  // the program, with the script's icon
  for (size_t at : {stub + 10, stub + (bytes.size() - stub) / 2, bytes.size() - 40}) {
    std::string bad = bytes;
    bad[at] = char(bad[at] ^ 0x20);
    const std::string damaged = (root_ / "damaged.exe").string();
    std::ofstream(damaged, std::ios::binary) << bad;
    EXPECT_EQ(RunAndWait(damaged, Quiet() + " /DIR=\"" + app_ + "\""), 1u) << at;
    EXPECT_FALSE(fs::exists(app_));
    EXPECT_FALSE(fs::exists(sysSaver_));
    EXPECT_NE(Log().find("The setup files are corrupted. Please obtain a new copy of the program."), std::string::npos);
  }
}

// Signing appends certificates after the payload and points the program's
// security entry at them; the setup must still find its data.
TEST_F(SetupWin32, ASignedSetupInstalls) {
  std::string bytes;
  {
    std::ifstream in(Build(), std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  TMemorySource source(bytes);
  const uint64_t program = OpenPayload(source).programSize;
  while (bytes.size() % 8) bytes += '\0';
  const uint32_t table = uint32_t(bytes.size());
  const uint32_t length = 1024;
  bytes += std::string(length, '\x30');
  uint32_t pe = 0;
  std::memcpy(&pe, bytes.data() + 0x3C, 4);
  ASSERT_EQ(bytes.substr(pe, 4), std::string("PE\0\0", 4));
  ASSERT_EQ(uint8_t(bytes[pe + 24]), 0x0B) << "a 32-bit program";
  std::memcpy(bytes.data() + pe + 24 + 96 + 4 * 8, &table, 4);
  std::memcpy(bytes.data() + pe + 24 + 96 + 4 * 8 + 4, &length, 4);
  const std::string signedSetup = (root_ / "signed.exe").string();
  std::ofstream(signedSetup, std::ios::binary) << bytes;
  ASSERT_EQ(RunAndWait(signedSetup, Quiet() + " /DIR=\"" + app_ + "\""), 0u) << Log();
  EXPECT_EQ(fs::file_size(app_ + "\\sample\\a.jpg"), 3000u);
  // The uninstaller is the program without the payload, and without the
  // signature that covered the payload.
  EXPECT_EQ(fs::file_size(app_ + "\\unins000.exe"), program);
  ASSERT_EQ(Uninstall(app_), 0u);
  EXPECT_FALSE(fs::exists(sysSaver_));
}

TEST_F(SetupWin32, RefusedFoldersDoNotStart) {
  const std::string setup = Build();
  for (const std::string& dir : {std::string("C:\\"), std::string("relative\\x"), app_ + "\\..\\..", app_ + "\\CON"}) {
    EXPECT_EQ(RunAndWait(setup, Quiet() + " /DIR=\"" + dir + "\""), 1u) << dir;
    EXPECT_FALSE(fs::exists(sysSaver_)) << dir;
  }
  EXPECT_EQ(RunAndWait(setup, Quiet() + " /GROUP=..\\x /DIR=\"" + app_ + "\""), 1u);
  EXPECT_FALSE(fs::exists(app_));
}

TEST_F(SetupWin32, AFailureHalfWayIsRolledBack) {
  const std::string setup = Build();
  // A file where the setup needs its "sample" folder: the install fails
  // after the system files are in place, and must take them out again.
  Put(app_ + "\\sample", "in the way");
  Put(app_ + "\\keep.txt", "user");
  EXPECT_EQ(RunAndWait(setup, Quiet() + " /DIR=\"" + app_ + "\""), 4u) << Log();
  EXPECT_FALSE(fs::exists(sysSaver_));
  EXPECT_FALSE(fs::exists(sysNever_));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, arpKey_));
  EXPECT_FALSE(fs::exists(app_ + "\\unins000.dat"));
  EXPECT_EQ(std::distance(fs::directory_iterator(app_), fs::directory_iterator()), 2);
  EXPECT_NE(Log().find("Rolled back "), std::string::npos) << Log();
  EXPECT_NE(Log().find(", 0 of them with problems"), std::string::npos) << Log();
}

TEST_F(SetupWin32, ReinstallReplacesAndUninstallsClean) {
  const std::string setup = Build();
  ASSERT_EQ(RunAndWait(setup, Quiet() + " /DIR=\"" + app_ + "\""), 0u) << Log();
  ASSERT_EQ(RunAndWait(setup, Quiet() + " /DIR=\"" + app_ + "\""), 0u) << Log();
  EXPECT_FALSE(fs::exists(sysSaver_ + ".~vb1"));
  ASSERT_EQ(Uninstall(app_), 0u);
  EXPECT_FALSE(fs::exists(sysSaver_));
  // INI entries stay at uninstall (the script gives no flag for them), and
  // with them the file that holds them: all that is left.
  std::vector<std::string> left;
  for (const auto& e : fs::recursive_directory_iterator(app_)) left.push_back(e.path().filename().string());
  EXPECT_EQ(left, std::vector<std::string>{"saver.ini"});
}

TEST_F(SetupWin32, TheWizardInstallsWhereTheUserSays) {
  const std::string setup = Build();
  TRunning run(setup, "/LOG=\"" + (root_ / "setup.log").string() + "\"");
  const HWND dialog = run.Find(true);
  ASSERT_TRUE(dialog);
  ASSERT_TRUE(OnPage(dialog, "Welcome"));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_BACK)));
  Press(dialog, IDC_NEXT);
  ASSERT_TRUE(OnPage(dialog, "Install folder"));
  EXPECT_NE(ItemText(dialog, IDC_FOLDER).find(name_), std::string::npos) << "the default folder";
  SendMessageA(GetDlgItem(dialog, IDC_FOLDER), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(app_.c_str()));
  Press(dialog, IDC_NEXT);
  ASSERT_TRUE(OnPage(dialog, "Start menu folder"));
  const std::string group = name_ + "\\Sub";
  SendMessageA(GetDlgItem(dialog, IDC_GROUP), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(group.c_str()));
  Press(dialog, IDC_NEXT);
  ASSERT_TRUE(OnPage(dialog, "Ready to install"));
  EXPECT_NE(ItemText(dialog, IDC_TEXT).find(app_), std::string::npos);
  EXPECT_EQ(ItemText(dialog, IDC_NEXT), "&Install");
  Press(dialog, IDC_NEXT);
  ASSERT_TRUE(OnPage(dialog, "Finished"));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_VIEWREADME)));
  SendMessageA(GetDlgItem(dialog, IDC_VIEWREADME), BM_SETCHECK, BST_UNCHECKED, 0);
  Press(dialog, IDC_NEXT);
  EXPECT_EQ(run.Wait(), 0u) << Log();

  EXPECT_TRUE(fs::exists(app_ + "\\sample\\a.jpg"));
  const std::string programs = ShellFolder(CSIDL_COMMON_PROGRAMS);
  EXPECT_TRUE(fs::exists(programs + "\\" + group + "\\" + name_ + ".lnk"));
  ASSERT_EQ(Uninstall(app_), 0u);
  EXPECT_FALSE(fs::exists(programs + "\\" + name_)) << "both levels of the group it made";
}

// /LOG into a folder that is not there: made. A log that cannot be made at
// all: the setup stops before installing, and says why.
TEST_F(SetupWin32, TheLogFolderIsMadeOrNothingIsInstalled) {
  const std::string setup = Build();
  const fs::path log = root_ / "logs" / "deep" / "setup.log";
  ASSERT_EQ(RunAndWait(setup, "/VERYSILENT /SUPPRESSMSGBOXES /LOG=\"" + log.string() + "\" /DIR=\"" + app_ + "\""), 0u);
  EXPECT_TRUE(fs::exists(log));
  ASSERT_EQ(Uninstall(app_), 0u);
  Put(root_ / "afile", "x");
  EXPECT_EQ(RunAndWait(setup, "/VERYSILENT /SUPPRESSMSGBOXES /LOG=\"" + (root_ / "afile" / "setup.log").string() + "\" /DIR=\"" + app_ + "\""), 1u);
  EXPECT_FALSE(fs::exists(sysSaver_));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, arpKey_));
}

// A picture named in another language, in a script written in UTF-8 as the
// builder writes it: compiled by vantabuild.exe, installed under its own
// name with its bytes, and uninstalled.
TEST_F(SetupWin32, AFileNamedInAnyLanguage) {
  const std::string name = "\xE5\x86\x99\xE7\x9C\x9F.bmp";  // 写真.bmp
  const std::wstring wideName = L"\u5199\u771F.bmp";
  std::string picture = "BM";
  for (int i = 0; i < 20000; ++i) picture += char(i * 7 % 251);
  const std::string src = (root_ / "src").string();
  fs::create_directories(src);
  {
    HANDLE h = CreateFileW((Wide(src) + L"\\" + wideName).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD wrote = 0;
    ::WriteFile(h, picture.data(), DWORD(picture.size()), &wrote, nullptr);
    CloseHandle(h);
  }
  Put(root_ / "src" / "Readme.txt", "Read me");
  Put(root_ / "Compile" / "temp.iss",
      "[Setup]\r\nAppName=" + name_ + "\r\nAppVerName=" + name_ + "\r\nDefaultDirName={pf}\\" + name_ +
          "\r\nDefaultGroupName=" + name_ + "\r\noutputdir=\"" + root_.string() + "\\\"\r\nOutputBaseFilename=\"setup-" + name_ +
          "\"\r\n[Files]\r\nSource:\"" + src + "\\" + name + "\"; DestDir: \"{app}\\sample\"\r\n"
          "Source:\"" + src + "\\Readme.txt\"; DestDir: \"{app}\\\"; flags: isreadme\r\n");
  ASSERT_EQ(RunAndWait(ExeFolder() + "vantabuild.exe", "\"" + (root_ / "Compile" / "temp.iss").string() + "\""), 0u);
  const std::string setup = (root_ / ("setup-" + name_ + ".exe")).string();
  ASSERT_EQ(RunAndWait(setup, Quiet() + " /DIR=\"" + app_ + "\""), 0u) << Log();

  // The folder holds the name as it was written, and the bytes.
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((Wide(app_) + L"\\sample\\*").c_str(), &found);
  ASSERT_NE(search, INVALID_HANDLE_VALUE);
  do {
    if (found.cFileName[0] != L'.') names.push_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_TRUE(names[0] == wideName) << "the name came out as " << names[0].size() << " characters";
  EXPECT_EQ(LoadWide(Wide(app_) + L"\\sample\\" + wideName), picture);
  // And on the Unix side of the prefix: the same bytes under the name in UTF-8.
  const fs::path same = root_ / "same";
  ASSERT_TRUE(RunUnix("cmp -s '" + UnixPath(src) + "/" + name + "' '" + UnixPath(app_) + "/sample/" + name + "' && touch '" +
                          UnixPath(same.string()) + "'",
                      root_ / "unix.done"));
  EXPECT_TRUE(fs::exists(same)) << "no " << name << " with the picture's bytes on the Unix side";

  ASSERT_EQ(Uninstall(app_), 0u);
  EXPECT_EQ(GetFileAttributesW((Wide(app_) + L"\\sample\\" + wideName).c_str()), INVALID_FILE_ATTRIBUTES)
      << "the uninstaller left it";
}

TEST_F(SetupWin32, TheWizardRefusesABadFolderAndCancelsCleanly) {
  const std::string setup = Build();
  TRunning run(setup, "");
  const HWND dialog = run.Find(true);
  ASSERT_TRUE(dialog);
  Press(dialog, IDC_NEXT);
  ASSERT_TRUE(OnPage(dialog, "Install folder"));
  SendMessageA(GetDlgItem(dialog, IDC_FOLDER), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("C:\\"));
  Press(dialog, IDC_NEXT);
  const HWND warning = run.Find(false);
  ASSERT_TRUE(warning) << "no message about the folder";
  Answer(warning, IDOK);
  ASSERT_TRUE(OnPage(dialog, "Install folder"));
  Press(dialog, IDCANCEL);
  const HWND confirm = run.Find(false);
  ASSERT_TRUE(confirm);
  Answer(confirm, IDYES);
  EXPECT_EQ(run.Wait(), 2u);
  EXPECT_FALSE(fs::exists(sysSaver_));
}

TEST_F(SetupWin32, CancelWhileInstallingTakesEverythingOut) {
  const std::string setup = Build(true);
  // Each file held back 1.5 s: Cancel comes while the first is being put in.
  TRunning run(setup, "/SILENT /TESTPAUSE=1500 /LOG=\"" + (root_ / "setup.log").string() + "\" /DIR=\"" + app_ + "\"");
  const HWND dialog = run.Find(true);
  ASSERT_TRUE(dialog);
  ASSERT_TRUE(OnPage(dialog, "Installing"));
  Press(dialog, IDCANCEL);
  const HWND confirm = run.Find(false);
  ASSERT_TRUE(confirm);
  Answer(confirm, IDYES);
  EXPECT_EQ(run.Wait(), 5u) << Log();
  EXPECT_FALSE(fs::exists(sysSaver_));
  EXPECT_FALSE(fs::exists(app_));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, arpKey_));
  EXPECT_NE(Log().find("Cancelled while installing"), std::string::npos) << Log();
}

}  // namespace
}  // namespace vanta::build
