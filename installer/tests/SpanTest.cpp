// A setup too large for one file, made with the smallest slice size: the
// parts the compiler writes, and the install from them, whole or damaged.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <random>

#include "Compiler.h"
#include "FakeTarget.h"
#include "TempFolder.h"
#include "setup/Installer.h"

namespace vanta::build {
namespace {

namespace fs = std::filesystem;

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937_64 gen(seed);
  std::string s(n, '\0');
  for (size_t i = 0; i + 8 <= n; i += 8) {
    const uint64_t v = gen();
    std::memcpy(&s[i], &v, 8);
  }
  return s;
}

// A file of this computer read at any offset, as the setup reads its parts.
class TDiskSource : public IByteSource {
 public:
  explicit TDiskSource(const std::string& path) : in_(path, std::ios::binary), size_(fs::file_size(path)) {}
  uint64_t Size() const override { return size_; }
  void ReadAt(uint64_t offset, void* data, size_t size) override {
    in_.clear();
    in_.seekg(std::streamoff(offset));
    if (!in_.read(static_cast<char*>(data), std::streamsize(size))) throw TPayloadError("read past the end");
  }

 private:
  std::ifstream in_;
  uint64_t size_;
};

class TStatus : public IBuildStatus {
 public:
  void StatusLine(std::string_view line) override { lines.emplace_back(line); }
  void Finished(int c, std::string_view t) override {
    code = c;
    text = t;
  }
  std::vector<std::string> lines;
  int code = -1;
  std::string text;
};

struct TSource {
  const char* name;
  std::string bytes;
};

const std::vector<TSource>& Sources() {
  // Two photo-like files that do not pack and one text that does: 21 MB.
  static const std::vector<TSource> kSources = {
      {"a.jpg", RandomBytes(12000000, 1)}, {"notes.txt", std::string(300000, 'n')}, {"b.jpg", RandomBytes(9000000, 2)}};
  return kSources;
}

const TSetupFolders kFolders{"C:\\Program Files\\My Saver", "C:\\Program Files", "C:\\Windows\\SysWOW64", "C:\\Windows",
                             "C:\\Start\\Programs\\My Saver", "C:\\Users\\u\\Desktop", "C:"};

class SpanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const TSource& s : Sources()) c_.Write(std::string("Pics/") + s.name, s.bytes);
  }

  TStatus Build(uint64_t slice, int code = kBuildOk) {
    std::string script = "[Setup]\r\nAppName=My Saver\r\nAppVerName=My Saver\r\nDefaultDirName={pf}\\My Saver\r\noutputdir=\"C:\\Out\"\r\n"
                         "OutputBaseFilename=\"My Saver\"\r\nDiskSliceSize=" + std::to_string(slice) + "\r\n[Files]\r\n";
    for (const TSource& s : Sources()) script += std::string("Source: C:\\Pics\\") + s.name + "; DestDir: {app}\\sample\r\n";
    c_.Write("setup.iss", script);
    TCompileOptions o;
    o.scriptPath = c_ / "setup.iss";
    o.maps = {{'C', c_.Path().string()}};
    o.stubBytes = "MZ-stub";
    TStatus status;
    EXPECT_EQ(Compile(o, status), code) << status.text;
    return status;
  }

  std::string Out(const std::string& name) const { return c_ / ("Out/" + name); }
  std::string Part(size_t n) const { return Out("My Saver-" + std::to_string(n) + ".bin"); }
  size_t PartCount() const {
    size_t n = 0;
    while (fs::exists(Part(n + 1))) ++n;
    return n;
  }

  // Installs from the setup and the parts beside it; the open's failure
  // is the result's reason.
  TInstallResult Install(TFakeTarget& target) {
    TDiskSource self(Out("My Saver.exe"));
    TInstallResult failed;
    failed.outcome = TInstallOutcome::Failed;
    try {
      const TPayload payload = OpenPayload(self);
      const auto data = OpenData(self, payload, [&](const std::string& name) -> std::unique_ptr<IByteSource> {
        if (!fs::exists(Out(name))) return nullptr;
        return std::make_unique<TDiskSource>(Out(name));
      });
      class : public IInstallProgress {
        void Progress(const std::string&, uint64_t, uint64_t) override {}
        bool Cancelled() override { return false; }
      } progress;
      return build::Install(*data, payload, kFolders, {}, target, progress,
                            [](const TByteWriter& write) { write("MZ-stub", 7); });
    } catch (const TPayloadError& e) {
      failed.reason = e.what();
      failed.damaged = true;
      return failed;
    }
  }

  static TFakeSystem Clean() {
    TFakeSystem s;
    s.folders = {"c:\\program files", "c:\\windows"};
    return s;
  }

  TTempFolder c_;
};

TEST_F(SpanTest, PartsAreFilledInOrderAndReported) {
  const TStatus status = Build(kMinDiskSliceSize);
  const size_t parts = PartCount();
  uint64_t data = 0;
  for (size_t n = 1; n <= parts; ++n) data += fs::file_size(Part(n));
  // Two incompressible files of 21 MB in all, with the text packed.
  EXPECT_EQ(parts, (data + kMinDiskSliceSize - 1) / kMinDiskSliceSize);
  EXPECT_GT(data, 21000000u);
  EXPECT_LT(data, 21010000u);
  std::string list = Out("My Saver.exe");
  std::vector<std::string> wrote = {"Wrote \"" + Out("My Saver.exe") + "\" (" +
                                    std::to_string(fs::file_size(Out("My Saver.exe"))) + " bytes)"};
  for (size_t n = 1; n <= parts; ++n) {
    if (n < parts) {
      EXPECT_EQ(fs::file_size(Part(n)), kMinDiskSliceSize) << n;
    }
    list += "\r\n" + Part(n);
    wrote.push_back("Wrote \"" + Part(n) + "\" (" + std::to_string(fs::file_size(Part(n))) + " bytes)");
  }
  EXPECT_LE(fs::file_size(Out("My Saver.exe")), 4096u) << "the program, the index and the tail only";
  EXPECT_EQ(status.text, list);
  std::vector<std::string> reported;
  for (const std::string& line : status.lines)
    if (line.rfind("Wrote ", 0) == 0) reported.push_back(line);
  EXPECT_EQ(reported, wrote);
}

TEST_F(SpanTest, SameBytesAgainAndNoPartsOfAnotherBuild) {
  Build(kMinDiskSliceSize);
  const size_t parts = PartCount();
  ASSERT_GT(parts, 20u);
  std::vector<std::string> first;
  for (size_t n = 0; n <= parts; ++n) first.push_back(ReadWholeFile(n ? Part(n) : Out("My Saver.exe")));
  // Parts of an earlier, larger build.
  c_.Write("Out/My Saver-" + std::to_string(parts + 1) + ".bin", "old");
  c_.Write("Out/My Saver-" + std::to_string(parts + 2) + ".bin", "old");
  Build(kMinDiskSliceSize);
  EXPECT_EQ(PartCount(), parts);
  for (size_t n = 0; n <= parts; ++n) EXPECT_EQ(ReadWholeFile(n ? Part(n) : Out("My Saver.exe")), first[n]) << n;
  // Everything fits in one file again: the parts go.
  const TStatus single = Build(kDefaultDiskSliceSize);
  EXPECT_EQ(PartCount(), 0u);
  EXPECT_EQ(single.text, Out("My Saver.exe"));
  EXPECT_GT(fs::file_size(Out("My Saver.exe")), 21000000u);
}

TEST_F(SpanTest, APartThatCannotBeWrittenFailsTheWholeBuild) {
  fs::create_directories(Out("My Saver-3.bin"));  // a folder where the third part goes
  const TStatus status = Build(kMinDiskSliceSize, kBuildOutputError);
  EXPECT_NE(status.text.find("My Saver-3.bin"), std::string::npos) << status.text;
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(c_ / "Out")) left.push_back(e.path().filename().string());
  EXPECT_EQ(left, std::vector<std::string>{"My Saver-3.bin"}) << "no setup, no part, no temporary file";
}

TEST_F(SpanTest, InstallsFromThePartsByteForByte) {
  for (uint64_t slice : {kMinDiskSliceSize, uint64_t(3333333), kDefaultDiskSliceSize}) {
    Build(slice);
    TFakeTarget target;
    target.state = Clean();
    const TInstallResult r = Install(target);
    ASSERT_EQ(r.outcome, TInstallOutcome::Done) << slice << ": " << r.reason;
    for (const TSource& s : Sources())
      EXPECT_TRUE(target.state.files.at(std::string("c:\\program files\\my saver\\sample\\") + s.name) == s.bytes) << s.name;
  }
}

struct TDamage {
  const char* what;
  std::function<void(const std::string& part)> apply;  // to the part
  bool last;          // the last part, or the second
  const char* reason;
};

TEST_F(SpanTest, DamagedPartsInstallNothingAndAreNamed) {
  const auto resize = [](const std::string& part, int by) { fs::resize_file(part, uint64_t(int64_t(fs::file_size(part)) + by)); };
  const std::vector<TDamage> kDamages = {
      {"missing", [](const std::string& part) { fs::remove(part); }, false, "is missing or damaged"},
      {"cut", [&](const std::string& part) { resize(part, -1); }, true, "is missing or damaged"},
      {"longer", [&](const std::string& part) { resize(part, 1); }, false, "is missing or damaged"},
      {"flipped byte",
       [](const std::string& part) {
         std::string bytes = ReadWholeFile(part);
         bytes[bytes.size() / 2] ^= 0x5A;
         std::ofstream(part, std::ios::binary) << bytes;
       },
       true, "is damaged (\"b.jpg\" does not match its checksum)"},
  };
  for (const TDamage& d : kDamages) {
    Build(kMinDiskSliceSize);
    const std::string part = d.last ? Part(PartCount()) : Part(2);
    d.apply(part);
    TFakeTarget target;
    target.state = Clean();
    const TInstallResult r = Install(target);
    EXPECT_EQ(r.outcome, TInstallOutcome::Failed) << d.what;
    EXPECT_TRUE(r.damaged) << d.what;
    const std::string name = part.substr(part.find_last_of('/') + 1);
    EXPECT_NE(r.reason.find("\"" + name + "\""), std::string::npos) << d.what << ": " << r.reason;
    EXPECT_NE(r.reason.find(d.reason), std::string::npos) << d.what << ": " << r.reason;
    EXPECT_TRUE(r.rollbackProblems.empty()) << d.what;
    EXPECT_TRUE(target.state == Clean()) << d.what << ": something was left";
  }
}

// An attacker who can give other bytes the same XXH3 checksums (which is
// quick) swaps a part that nothing signed covers. Here the index's
// checksums are made to fit the forged bytes, as such a forgery would;
// the SHA-256 of the stored bytes in the .exe's index still refuses them,
// and nothing stays behind, not even at a temporary name.
TEST_F(SpanTest, APartForgedToTheSameChecksumsIsRefusedAndNothingIsLeft) {
  Build(kMinDiskSliceSize);
  const std::string exe = Out("My Saver.exe"), part = Part(PartCount());
  std::string forged = ReadWholeFile(part);
  std::memcpy(&forged[forged.size() / 2], "MZ an attacker's program", 24);
  std::ofstream(part, std::ios::binary) << forged;

  std::string self = ReadWholeFile(exe);
  {
    TMemorySource source(self);
    TPayload p = OpenPayload(source);
    const auto data = OpenData(source, p, [&](const std::string& name) { return std::make_unique<TDiskSource>(Out(name)); });
    const std::string before = EncodeIndex(p.index);
    for (size_t i = 0; i < p.index.files.size(); ++i) {
      TPackedFile& f = p.index.files[i];
      std::string stored(f.storedSize, '\0');
      data->ReadAt(p.fileOffsets[i], stored.data(), stored.size());
      f.storedChecksum = Xxh3(stored);
      if (!(f.flags & kFileCompressed)) f.checksum = f.storedChecksum;
    }
    const std::string after = EncodeIndex(p.index);
    ASSERT_NE(after, before) << "the forgery changed no checksum";
    ASSERT_EQ(after.size(), before.size());
    const size_t at = self.size() - kTailSize - after.size();
    self.replace(at, after.size(), after);
    TXxh3 sum;
    sum.Update(after);
    sum.Update(self.data() + self.size() - kTailSize, 32);
    const TChecksum c = sum.Finish();
    for (int i = 0; i < 8; ++i) self[self.size() - kTailSize + 32 + i] = char(uint8_t(c >> (8 * i)));
  }
  std::ofstream(exe, std::ios::binary) << self;

  TFakeTarget target;
  target.state = Clean();
  const TInstallResult r = Install(target);
  EXPECT_EQ(r.outcome, TInstallOutcome::Failed);
  EXPECT_TRUE(r.damaged);
  EXPECT_NE(r.reason.find("is not the file this setup was made with"), std::string::npos) << r.reason;
  EXPECT_TRUE(r.rollbackProblems.empty());
  EXPECT_TRUE(target.state == Clean()) << "something was left";
}

}  // namespace
}  // namespace vanta::build
