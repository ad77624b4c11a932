// The real setup under Wine with its data in parts beside it: installed
// byte for byte, refused whole when a part is missing, rolled back when a
// part's byte is flipped.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "SetupTestSupport.h"
#include "SourceFiles.h"

namespace vanta::build {
namespace {

namespace fs = std::filesystem;
using test::RunAndWait;

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = char(gen());
  return s;
}

void Put(const fs::path& p, const std::string& bytes) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

class SpanSetupWin32 : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string id = std::to_string(GetCurrentProcessId());
    name_ = "VantaSpan" + id;
    root_ = fs::temp_directory_path() / ("vantaspan-" + id);
    fs::remove_all(root_);
    app_ = (root_ / "app").string();
    arpKey_ = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + name_ + "_is1";
    files_ = {{"a.jpg", RandomBytes(3200000, 1)}, {"b.jpg", RandomBytes(2100000, 2)}};
    std::string script = "[Setup]\r\nAppName=" + name_ + "\r\nAppVerName=" + name_ + "\r\nDefaultDirName={pf}\\" + name_ + "\r\noutputdir=\"" +
                         root_.string() + "\"\r\nOutputBaseFilename=\"" + name_ + "\"\r\nDiskSliceSize=1048576\r\n[Files]\r\n";
    for (const auto& [name, bytes] : files_) {
      Put(root_ / "src" / name, bytes);
      script += "Source: \"" + (root_ / "src" / name).string() + "\"; DestDir: \"{app}\\sample\"\r\n";
    }
    Put(root_ / "span.iss", script);
    test::CompileSetup((root_ / "span.iss").string());
  }
  void TearDown() override {
    fs::remove_all(root_);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, arpKey_.c_str());
  }

  std::string Setup() const { return (root_ / (name_ + ".exe")).string(); }
  fs::path Part(int n) const { return root_ / (name_ + "-" + std::to_string(n) + ".bin"); }
  int Parts() const {
    int n = 0;
    while (fs::exists(Part(n + 1))) ++n;
    return n;
  }
  DWORD Install() const {
    fs::remove(root_ / "setup.log");  // a log that is there makes the setup write another
    return RunAndWait(Setup(), "/VERYSILENT /SUPPRESSMSGBOXES /LOG=\"" + (root_ / "setup.log").string() + "\" /DIR=\"" + app_ + "\"");
  }
  std::string Log() const {
    std::ifstream in(root_ / "setup.log", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  bool NothingInstalled() const {
    HKEY key;
    const bool arp = RegOpenKeyExA(HKEY_LOCAL_MACHINE, arpKey_.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (arp) RegCloseKey(key);
    return !fs::exists(app_) && !arp;
  }

  std::string name_, app_, arpKey_;
  fs::path root_;
  std::vector<std::pair<std::string, std::string>> files_;
};

TEST_F(SpanSetupWin32, InstallsFromItsPartsByteForByte) {
  ASSERT_EQ(Parts(), 6);
  EXPECT_LE(fs::file_size(Setup()), 1048576u);
  ASSERT_EQ(Install(), 0u) << Log();
  for (const auto& [name, bytes] : files_) EXPECT_TRUE(ReadWholeFile(app_ + "\\sample\\" + name) == bytes) << name;
  // The uninstaller is the program alone, without the index.
  EXPECT_EQ(fs::file_size(app_ + "\\unins000.exe"), fs::file_size(test::ExeFolder() + "vantasetup.exe"));
}

struct TDamage {
  const char* what;
  int part;  // 0: the last
  bool remove;  // or flip a byte in its middle
};

TEST_F(SpanSetupWin32, ADamagedOrMissingPartInstallsNothing) {
  const TDamage kDamages[] = {{"missing", 2, true}, {"flipped", 0, false}};
  for (const TDamage& d : kDamages) {
    const fs::path part = Part(d.part ? d.part : Parts());
    const std::string keep = ReadWholeFile(part.string());
    if (d.remove) {
      fs::remove(part);
    } else {
      std::string bad = keep;
      bad[bad.size() / 2] ^= 0x10;
      Put(part, bad);
    }
    EXPECT_EQ(Install(), 1u) << d.what;  // could not start
    EXPECT_TRUE(NothingInstalled()) << d.what;
    const std::string log = Log();
    EXPECT_NE(log.find("\"" + part.filename().string() + "\""), std::string::npos) << d.what << log;
    EXPECT_NE(log.find(d.remove ? "is missing or damaged" : "is damaged (\"b.jpg\" does not match its checksum)"),
              std::string::npos) << d.what << log;
    EXPECT_NE(log.find("Please obtain a new copy of the program."), std::string::npos) << d.what;
    Put(part, keep);
  }
}

}  // namespace
}  // namespace vanta::build
