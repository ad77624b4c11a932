// The Win32 setup tests' common ground: a saver's script of the builder's
// kind compiled into a setup named after the test run, its log, and the
// machine's folders, registry and uninstaller as the tests look at them.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "IconFile.h"
#include "SetupTestSupport.h"

namespace vanta::build::test {

namespace fs = std::filesystem;

inline std::string ShellFolder(int csidl) {
  char buf[MAX_PATH] = "";
  SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buf);
  return buf;
}

inline std::string SystemFolder() {
  char buf[MAX_PATH];
  return std::string(buf, GetSystemDirectoryA(buf, MAX_PATH));
}

inline void Put(const fs::path& p, const std::string& bytes) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

inline std::optional<std::string> RegString(HKEY root, const std::string& subkey, const std::string& name) {
  char buf[1024];
  DWORD size = sizeof buf, type = 0;
  HKEY key;
  if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
  const LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
  return std::string(buf);
}

inline bool KeyExists(HKEY root, const std::string& subkey) {
  HKEY key;
  if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// Runs the uninstaller silently and waits for the copy of itself that does
// the work (the one started returns at once).
inline DWORD Uninstall(const std::string& app) {
  const DWORD code = RunAndWait(app + "\\unins000.exe", "/VERYSILENT /SUPPRESSMSGBOXES");
  for (int i = 0; i < 600 && ProcessRuns("unins000.exe"); ++i) Sleep(50);
  return code;
}

// Distinctive colours for the pages' pictures (0x00BBGGRR).
inline constexpr COLORREF kLargeColour = RGB(200, 30, 160), kSmallColour = RGB(20, 190, 210);
inline constexpr COLORREF kIconColour = RGB(240, 120, 0);

// An icon file of one opaque colour at the window icon's sizes (100 % to 200 %).
inline std::string SolidIcon(COLORREF colour) {
  std::vector<TIconEntry> images;
  for (uint8_t side : {16, 24, 32, 48, 64}) {
    TIconEntry e;
    e.width = e.height = side;
    std::string& b = e.bytes;
    b.assign(40, '\0');
    const auto put = [&](size_t at, uint32_t v, int n) {
      for (int i = 0; i < n; ++i) b[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
    };
    put(0, 40, 4), put(4, side, 4), put(8, 2u * side, 4), put(12, 1, 2), put(14, 32, 2);
    for (int i = 0; i < side * side; ++i) b += {char(GetBValue(colour)), char(GetGValue(colour)), char(GetRValue(colour)), char(0xFF)};
    b.append(size_t((side + 31) / 32 * 4) * side, '\0');  // the mask: all shown
    images.push_back(e);
  }
  return IconFileBytes(images);
}

// A BMP of one colour.
inline std::string SolidBmp(int width, int height, COLORREF colour) {
  const uint32_t stride = (uint32_t(width) * 3 + 3) & ~3u, size = 54 + stride * uint32_t(height);
  std::string b(54, '\0');
  const auto put = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
  };
  b[0] = 'B', b[1] = 'M';
  put(2, size), put(10, 54), put(14, 40), put(18, uint32_t(width)), put(22, uint32_t(height));
  b[26] = 1, b[28] = 24;
  std::string row(stride, '\0');
  for (int x = 0; x < width; ++x) {
    row[size_t(x) * 3] = char(GetBValue(colour));
    row[size_t(x) * 3 + 1] = char(GetGValue(colour));
    row[size_t(x) * 3 + 2] = char(GetRValue(colour));
  }
  for (int y = 0; y < height; ++y) b += row;
  return b;
}

class SetupWin32 : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string id = std::to_string(GetCurrentProcessId());
    name_ = "VantaTest" + id;
    root_ = fs::temp_directory_path() / ("vantasetup-" + id);
    fs::remove_all(root_);
    app_ = (root_ / "app").string();
    Put(root_ / "src" / "saver.scr", std::string(50000, 's'));
    Put(root_ / "src" / "VantaSaver.001", "[Effects]\r\n");
    Put(root_ / "src" / "a.jpg", std::string(3000, 'a'));
    Put(root_ / "src" / "Readme.txt", "Read me");
    Put(root_ / "src" / "wide.bmp", SolidBmp(300, 200, kLargeColour));
    Put(root_ / "src" / "small.bmp", SolidBmp(64, 64, kSmallColour));
    Put(root_ / "src" / "saver.ico", SolidIcon(kIconColour));
    sysSaver_ = SystemFolder() + "\\" + name_ + " Saver.scr";
    sysNever_ = SystemFolder() + "\\" + name_ + ".001";
    arpKey_ = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + name_ + "_is1";
    userKey_ = "Software\\Norvane\\" + name_;
  }
  void TearDown() override {
    fs::remove_all(root_);
    DeleteFileA(sysSaver_.c_str());
    DeleteFileA(sysNever_.c_str());
    RegDeleteTreeA(HKEY_CURRENT_USER, userKey_.c_str());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, arpKey_.c_str());
  }

  // The builder's script for a saver named after this test run.
  std::string Script() const {
    const std::string s = (root_ / "src").string();
    return "[Setup]\r\nAppName=" + name_ + "\r\nAppVerName=" + name_ + "\r\nAppVersion=3.1\r\nAppPublisher=Ann Example\r\n"
           "AppSupportURL=https://ann.example/help\r\nWizardImageFile=" + s + "\\wide.bmp\r\nWizardSmallImageFile=\"" + s +
           "\\small.bmp\"\r\nSetupIconFile=" + s + "\\saver.ico\r\nDefaultDirName={pf}\\" + name_ +
           "\r\nDefaultGroupName=" + name_ + "\r\noutputdir=\"" + root_.string() + "\\\"\r\nOutputBaseFilename=\"setup-" +
           name_ + "\"\r\n[Files]\r\n"
           "Source:\"" + s + "\\saver.scr\"; DestDir: \"{sys}\\\"; DestName: \"" + name_ + " Saver.scr\"\r\n"
           "Source:\"" + s + "\\VantaSaver.001\"; DestDir: \"{sys}\\\"; DestName: \"" + name_ + ".001\"; flags: uninsneveruninstall\r\n"
           "Source:\"" + s + "\\a.jpg\"; DestDir: \"{app}\\sample\"\r\n"
           "Source:\"" + s + "\\Readme.txt\"; DestDir: \"{app}\\\"; flags: isreadme\r\n"
           "[Registry]\r\nRoot: HKCU; Subkey: \"" + userKey_ + "\"; ValueType: string; ValueName: \"\"; ValueData: {app}; flags: uninsdeletekey\r\n"
           "[INI]\r\nFilename: \"{app}\\saver.ini\"; Section: \"boot\"; Key: \"SCRNSAVE.EXE\"; String: \"{sys}\\" + name_.substr(0, 6) + "~1.scr\"\r\n"
           "[Icons]\r\nName: \"{group}\\" + name_ + "\"; Filename: \"{sys}\\" + name_ + " Saver.scr\"\r\n"
           "Name: \"{group}\\Uninstall\"; Filename: \"{app}\\unins000.exe\"\r\n"
           "Name: \"{app}\\" + name_ + "\"; Filename: \"{sys}\\" + name_ + " Saver.scr\"\r\n"
           "[Run]\r\nFilename: \"{sys}\\" + name_ + " Saver.scr\"; Parameters: /s; Description: \"Preview it\"; Flags: postinstall nowait shellexec\r\n"
           "Filename: \"{sys}\\" + name_ + " Saver.scr\"; Parameters: /c; Description: \"Its settings\"; Flags: postinstall nowait shellexec unchecked\r\n";
  }

  // The setup; with `testSwitches` from the setup's test build (/TESTPAUSE).
  std::string Build(bool testSwitches = false) {
    Put(root_ / "temp.iss", Script());
    test::CompileSetup((root_ / "temp.iss").string(), testSwitches ? "vantasetup-test.exe" : "vantasetup.exe");
    return (root_ / ("setup-" + name_ + ".exe")).string();
  }

  std::string Quiet() const { return "/VERYSILENT /SUPPRESSMSGBOXES /LOG=\"" + (root_ / "setup.log").string() + "\""; }
  std::string Log() const {
    std::ifstream in(root_ / "setup.log", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // The log says the desktop's shell started the program, or could not:
  // the setup never starts it itself.
  bool StartedByTheDesktopOnly(const std::string& description) const {
    const std::string log = Log(), what = "\"" + description + "\" (";
    return log.find("Started as the desktop's user: " + what) != std::string::npos ||
           log.find("Not started: the desktop's shell could not start " + what) != std::string::npos;
  }

  std::string name_, app_, sysSaver_, sysNever_, arpKey_, userKey_;
  fs::path root_;
};

}  // namespace vanta::build::test
