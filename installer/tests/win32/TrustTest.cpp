// What the elevated setup and uninstaller make where others can write: the
// uninstaller's private folder (random name, its own access list) and its
// copy, gone when the copy ends, log files made new, and a /GROUP that would leave the
// Start menu refused even with /NOICONS.
#include <windows.h>
#include <sddl.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <vector>

#include "Compiler.h"
#include "SetupTestSupport.h"
#include "setup/win32/PrivateFiles.h"

namespace vanta::build {
namespace {

namespace fs = std::filesystem;
using test::ExeFolder;
using test::ProcessRuns;
using test::RunAndWait;


std::string TempFolder() {
  char buf[MAX_PATH];
  return std::string(buf, GetTempPathA(MAX_PATH, buf));
}



std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The names in the temporary folder that start with `prefix`.
std::set<std::string> TempNames(const std::string& prefix) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(TempFolder()))
    if (e.path().filename().string().rfind(prefix, 0) == 0) names.insert(e.path().filename().string());
  return names;
}

std::string UserSid() {
  HANDLE token;
  OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
  BYTE info[512];
  DWORD size = sizeof info;
  char* text = nullptr;
  std::string sid;
  if (GetTokenInformation(token, TokenUser, info, size, &size) &&
      ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(info)->User.Sid, &text)) {
    sid = text;
    LocalFree(text);
  }
  CloseHandle(token);
  return sid;
}

// Windows applies the list given to CreateDirectory; Wine keeps only what
// Unix permissions can say, so the list itself is what is checked here.
TEST(Trust, PrivateFoldersHaveRandomNamesAndTheirOwnAccessList) {
  const std::string a = CreatePrivateFolder(TempFolder(), "vanta-test-"), b = CreatePrivateFolder(TempFolder(), "vanta-test-");
  ASSERT_FALSE(a.empty());
  ASSERT_FALSE(b.empty());
  EXPECT_NE(a, b);
  EXPECT_EQ(a.size(), TempFolder().size() + 11 + 32) << a;
  EXPECT_EQ(a.find_first_not_of("0123456789abcdef", TempFolder().size() + 11), std::string::npos) << a;
  EXPECT_TRUE(RemoveDirectoryA(a.c_str()));
  EXPECT_TRUE(RemoveDirectoryA(b.c_str()));
  ASSERT_FALSE(UserSid().empty());
  EXPECT_EQ(PrivateAccessList(), "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;" + UserSid() + ")");
  EXPECT_NE(RandomHex(16), RandomHex(16));
}

class TrustSetup : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("vantatrust-" + std::to_string(GetCurrentProcessId()));
    fs::remove_all(root_);
    fs::create_directories(root_);
  }
  void TearDown() override { fs::remove_all(root_); }

  // A setup whose file goes to {group}.
  std::string Build() {
    const std::string name = "VantaTrust" + std::to_string(GetCurrentProcessId());
    std::ofstream(root_ / "x.txt") << "x";
    std::ofstream(root_ / "t.iss", std::ios::binary) << "[Setup]\r\nAppName=" + name + "\r\nAppVerName=" + name + "\r\nDefaultDirName={pf}\\" +
                                          name + "\r\noutputdir=\"" + root_.string() + "\\\"\r\nOutputBaseFilename=setup\r\n"
                                          "[Files]\r\nSource: \"" + (root_ / "x.txt").string() + "\"; DestDir: \"{group}\"\r\n";
    test::CompileSetup((root_ / "t.iss").string());
    return (root_ / "setup.exe").string();
  }
  fs::path root_;
};

// The setup program alone has no payload: it logs that and ends, which is
// all these runs need.
TEST_F(TrustSetup, ALogIsAlwaysANewFile) {
  const std::string stub = ExeFolder() + "vantasetup.exe", quiet = "/VERYSILENT /SUPPRESSMSGBOXES ";
  const fs::path log = root_ / "setup.log";
  std::ofstream(log) << "someone else's file";
  for (int run = 1; run <= 2; ++run) EXPECT_EQ(RunAndWait(stub, quiet + "/LOG=\"" + log.string() + "\""), 1u);
  EXPECT_EQ(Read(log), "someone else's file");
  for (const char* made : {"setup.1.log", "setup.2.log"}) {
    EXPECT_NE(Read(root_ / made).find("Packed data refused"), std::string::npos) << made;
    EXPECT_EQ(Read(root_ / made).find("someone else"), std::string::npos) << made;
  }
  // Without a name: a new file with a random part each time.
  const std::set<std::string> before = TempNames("vantasetup-");
  EXPECT_EQ(RunAndWait(stub, quiet + "/LOG"), 1u);
  EXPECT_EQ(RunAndWait(stub, quiet + "/LOG"), 1u);
  std::set<std::string> made;
  for (const std::string& n : TempNames("vantasetup-"))
    if (!before.count(n)) made.insert(n);
  ASSERT_EQ(made.size(), 2u);
  for (const std::string& n : made) {
    EXPECT_EQ(n.size(), std::string("vantasetup-20260101-0123456789abcdef.log").size()) << n;
    EXPECT_NE(Read(TempFolder() + n).find("Packed data refused"), std::string::npos) << n;
    fs::remove(TempFolder() + n);
  }
}

TEST_F(TrustSetup, AGroupOutsideTheStartMenuIsRefusedWithoutIcons) {
  const std::string setup = Build();
  const std::string app = (root_ / "app").string();
  for (const char* group : {"..\\..\\..\\..\\Windows\\System32", "C:\\Windows", "CON", "COM\xC2\xB9"}) {
    EXPECT_EQ(RunAndWait(setup, "/VERYSILENT /SUPPRESSMSGBOXES /NOICONS /GROUP=\"" + std::string(group) + "\" /DIR=\"" + app + "\""),
              1u)
        << group;
    EXPECT_FALSE(fs::exists(app)) << group;
  }
  char system[MAX_PATH];
  EXPECT_FALSE(fs::exists(std::string(system, GetSystemDirectoryA(system, MAX_PATH)) + "\\x.txt"));
}


// What waits for the next restart (MoveFileEx), as one text.
std::string PendingAtRestart() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0, KEY_READ, &key)) return {};
  std::string names(65536, '\0');
  DWORD size = DWORD(names.size());
  if (RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr, reinterpret_cast<BYTE*>(names.data()), &size))
    size = 0;
  RegCloseKey(key);
  names.resize(size);
  std::replace(names.begin(), names.end(), '\0', '|');
  return names;
}

// The copy goes as it ends; its folder, private and empty, at the restart.
TEST_F(TrustSetup, TheUninstallersCopyGoesWhenItEnds) {
  const std::string setup = Build();
  const std::string app = (root_ / "app").string();
  ASSERT_EQ(RunAndWait(setup, "/VERYSILENT /SUPPRESSMSGBOXES /DIR=\"" + app + "\""), 0u);
  const std::set<std::string> before = TempNames("vanta-uninst-");
  ASSERT_EQ(RunAndWait(app + "\\unins000.exe", "/VERYSILENT /SUPPRESSMSGBOXES"), 0u);
  for (int i = 0; i < 600 && ProcessRuns("unins000.exe"); ++i) Sleep(50);
  std::vector<std::string> made;
  for (const std::string& n : TempNames("vanta-uninst-"))
    if (!before.count(n)) made.push_back(TempFolder() + n);
  ASSERT_EQ(made.size(), 1u);
  bool empty = false;
  for (int i = 0; i < 100 && !empty; ++i, Sleep(50)) empty = fs::is_empty(made[0]);
  EXPECT_TRUE(empty) << made[0];
  EXPECT_NE(PendingAtRestart().find(made[0] + "|"), std::string::npos) << PendingAtRestart();
  EXPECT_FALSE(fs::exists(app + "\\unins000.exe"));
  RemoveDirectoryA(made[0].c_str());
}

// The uninstaller's working copy is only for the uninstaller that started
// it: any copy of the setup told to uninstall a folder by hand, with a
// made-up process, is refused and removes nothing.
TEST_F(TrustSetup, AnUninstallNotStartedByTheFoldersUninstallerIsRefused) {
  const std::string setup = Build();
  const std::string app = (root_ / "app").string();
  ASSERT_EQ(RunAndWait(setup, "/VERYSILENT /SUPPRESSMSGBOXES /DIR=\"" + app + "\""), 0u);
  for (const char* wait : {"0", "4", "12345"})
    EXPECT_EQ(RunAndWait(setup, std::string("/VERYSILENT /SUPPRESSMSGBOXES /UNINSTALLFROM=\"") + app + "\" /WAITPID=" + wait), 1u)
        << wait;
  EXPECT_TRUE(fs::exists(app + "\\unins000.dat"));
  EXPECT_TRUE(fs::exists(app + "\\unins000.exe"));
  ASSERT_EQ(RunAndWait(app + "\\unins000.exe", "/VERYSILENT /SUPPRESSMSGBOXES"), 0u);
  for (int i = 0; i < 600 && fs::exists(app + "\\unins000.dat"); ++i) Sleep(50);
  EXPECT_FALSE(fs::exists(app + "\\unins000.dat")) << "the folder's own uninstaller still works";
}

// Runs `exe` handing it `handle` (inherited) as /WAITPID; its exit code.
DWORD RunHanding(const std::string& exe, const std::string& arguments, HANDLE handle) {
  std::string line = "\"" + exe + "\" " + arguments + " /WAITPID=" + std::to_string(reinterpret_cast<uintptr_t>(handle));
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return DWORD(-1);
  WaitForSingleObject(pi.hProcess, 60000);
  DWORD code = DWORD(-1);
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

// The handed handle names a folder called unins000.exe beside a forged
// log, and the program runs even from a private-looking temporary folder:
// refused, and the file the log names is still there.
TEST_F(TrustSetup, AFolderNamedLikeTheUninstallerIsNoHandshake) {
  const std::string setup = Build();
  const std::string app = (root_ / "app").string(), attacker = (root_ / "attacker").string();
  ASSERT_EQ(RunAndWait(setup, "/VERYSILENT /SUPPRESSMSGBOXES /DIR=\"" + app + "\""), 0u);
  fs::create_directories(attacker + "\\unins000.exe");
  const std::string victim = (root_ / "victim.txt").string();
  std::ofstream(victim) << "keep me";
  std::string log = Read(app + "\\unins000.dat");
  const size_t at = log.find("\r\nO\tapp\t");
  ASSERT_NE(at, std::string::npos);
  log.replace(log.find("\tapp\t") + 5, app.size(), attacker);
  std::ofstream(attacker + "\\unins000.dat", std::ios::binary) << log + "O\tfile\t" + victim + "\r\nF\t" + victim + "\t0\r\n";
  const std::string privateFolder = CreatePrivateFolder(TempFolder(), "vanta-uninst-");
  ASSERT_FALSE(privateFolder.empty());
  const std::string copy = privateFolder + "\\unins000.exe";
  ASSERT_TRUE(CopyFileA(setup.c_str(), copy.c_str(), TRUE));
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE folder = CreateFileA((attacker + "\\unins000.exe").c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              &inherit, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(folder, INVALID_HANDLE_VALUE);
  for (const std::string& exe : {setup, copy})
    EXPECT_EQ(RunHanding(exe, "/VERYSILENT /SUPPRESSMSGBOXES /UNINSTALLFROM=\"" + attacker + "\"", folder), 1u) << exe;
  CloseHandle(folder);
  EXPECT_EQ(Read(victim), "keep me");
  EXPECT_TRUE(fs::exists(attacker + "\\unins000.dat"));
  EXPECT_EQ(PendingAtRestart().find(copy), std::string::npos) << "the copy set itself to go";
  DeleteFileA(copy.c_str());
  RemoveDirectoryA(privateFolder.c_str());
}

// A root and a record appended to a real install's log: the digest in the
// uninstall entry no longer fits, and the real uninstaller removes nothing.
TEST_F(TrustSetup, ARecordAppendedToARealLogDeletesNothing) {
  const std::string setup = Build();
  const std::string app = (root_ / "app").string(), victim = (root_ / "victim.txt").string();
  ASSERT_EQ(RunAndWait(setup, "/VERYSILENT /SUPPRESSMSGBOXES /DIR=\"" + app + "\""), 0u);
  std::ofstream(victim) << "keep me";
  std::string log = Read(app + "\\unins000.dat");
  const size_t head = log.find("\r\n", log.find("\r\nA\t") + 2) + 2;
  log.insert(head, "O\tfile\t" + victim + "\r\n");
  std::ofstream(app + "\\unins000.dat", std::ios::binary) << log + "F\t" + victim + "\t0\r\n";
  ASSERT_EQ(RunAndWait(app + "\\unins000.exe", "/VERYSILENT /SUPPRESSMSGBOXES"), 0u);
  for (int i = 0; i < 600 && ProcessRuns("unins000.exe"); ++i) Sleep(50);
  EXPECT_EQ(Read(victim), "keep me");
  EXPECT_TRUE(fs::exists(app + "\\unins000.exe"));
  EXPECT_TRUE(fs::exists(app + "\\unins000.dat"));
}

}  // namespace
}  // namespace vanta::build
