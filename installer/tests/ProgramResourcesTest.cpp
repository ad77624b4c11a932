#include "ProgramResources.h"

#include <gtest/gtest.h>

#include "FakeProgram.h"

namespace vanta::build {
namespace {

using test::FakeProgram;
using test::Got;

TIconEntry Bitmap(uint8_t side, char fill) {
  TIconEntry e;
  e.width = e.height = side;
  e.bytes.assign(40 + size_t(side) * side * 4 + 64, fill);
  test::Put(e.bytes, 0, 40, 4);
  test::Put(e.bytes, 12, 1, 2);
  test::Put(e.bytes, 14, 32, 2);
  return e;
}

TResource Manifest() { return {{kResourceManifest, {}}, {1, {}}, 1033, 0, "<assembly/>"}; }

TEST(ProgramResources, TheIconJoinsTheProgramsResources) {
  const std::string program = WithResources(FakeProgram(), {Manifest(), {{0, u"SKIN"}, {0, u"MAIN"}, 0, 0, "skin"}});
  const std::vector<TIconEntry> icon = {Bitmap(16, 'a'), Bitmap(32, 'b')};
  const std::string out = WithIcon(program, icon);
  const std::vector<TResource> expected = {
      {{0, u"SKIN"}, {0, u"MAIN"}, 0, 0, "skin"},
      {{kResourceIcon, {}}, {1, {}}, 0, 0, icon[0].bytes},
      {{kResourceIcon, {}}, {2, {}}, 0, 0, icon[1].bytes},
      {{kResourceGroupIcon, {}}, {kSetupIconGroup, {}}, 0, 0, GroupIconBytes(icon, 1)},
      Manifest(),
  };
  EXPECT_EQ(ReadResources(out), expected);
  // A second icon replaces the first.
  const std::vector<TIconEntry> other = {Bitmap(48, 'c')};
  std::vector<TResource> again = ReadResources(WithIcon(out, other));
  ASSERT_EQ(again.size(), 4u);
  EXPECT_EQ(again[1].data, other[0].bytes);
  EXPECT_EQ(again[2].data, GroupIconBytes(other, 1));
}

// The code stays where it was; the relocations follow the larger
// resources, and the headers say where everything now is.
TEST(ProgramResources, TheRelocationsMoveBehindTheResources) {
  const std::string before = FakeProgram();
  const std::string out = WithIcon(before, {Bitmap(128, 'x')});  // 65 KB
  EXPECT_EQ(out.substr(0, test::kOptional + 8), before.substr(0, test::kOptional + 8));
  EXPECT_EQ(out.substr(test::kTextRaw, 0x200), before.substr(test::kTextRaw, 0x200));
  const uint32_t resources = Got(out, test::kDirectories + 20, 4);
  const uint32_t relocAddress = Got(out, test::kRelocHeader + 12, 4), relocRaw = Got(out, test::kRelocHeader + 20, 4);
  EXPECT_GT(resources, 128u * 128 * 4);
  EXPECT_EQ(relocAddress, (0x2000 + resources + 0xFFF) / 0x1000 * 0x1000);
  EXPECT_EQ(Got(out, test::kDirectories + 40, 4), relocAddress);
  EXPECT_EQ(relocRaw % 0x200, 0u);
  EXPECT_EQ(out.substr(relocRaw), before.substr(0x600));
  EXPECT_EQ(Got(out, test::kOptional + 56, 4), relocAddress + 0x1000);
  EXPECT_EQ(Got(out, test::kOptional + 64, 4), ProgramChecksum(out));
}

TEST(ProgramResources, ProgramsItCannotChangeAreRefused) {
  std::string signedProgram = FakeProgram();
  test::Put(signedProgram, test::kDirectories + 32, 0x800, 4);
  std::string lastNotReloc = FakeProgram();
  test::Put(lastNotReloc, test::kDirectories + 40, 0x1000, 4);  // relocations said to be in the code
  const std::string kCases[] = {"", "MZ", std::string(0x800, 'M'), signedProgram, lastNotReloc, FakeProgram() + "overlay"};
  for (const std::string& program : kCases) EXPECT_THROW(WithIcon(program, {Bitmap(16, 'a')}), TProgramFileError) << program.size();
  EXPECT_THROW(WithIcon(FakeProgram(), {}), TProgramFileError);
}

TEST(IconFile, ImagesComeOutAsWritten) {
  TIconEntry png;
  png.width = png.height = 0;  // 256
  png.bitCount = 0;
  png.bytes = std::string("\x89PNG\r\n\x1a\n", 8) + "rest";
  const std::vector<TIconEntry> images = ParseIconFile(IconFileBytes({Bitmap(16, 'a'), png}));
  ASSERT_EQ(images.size(), 2u);
  EXPECT_EQ(images[0].bytes, Bitmap(16, 'a').bytes);
  EXPECT_EQ(images[1].bytes, png.bytes);
  EXPECT_EQ(images[1].bitCount, 32);  // a depth left out is the PNG's
}

TEST(IconFile, BrokenFilesAreRefusedWithTheReason) {
  const std::string good = IconFileBytes({Bitmap(16, 'a')});
  std::string cursor = good, beyond = good, unknown = good;
  cursor[2] = 2;
  test::Put(beyond, 6 + 12, 0x10000, 4);
  unknown.replace(22, 4, "GIF8");
  const struct {
    std::string file;
    const char* reason;
  } kCases[] = {
      {"", "not an icon file"},
      {"BM\x36\0\0\0", "not an icon file"},
      {cursor, "not an icon file"},
      {std::string("\0\0\1\0\0\0", 6), "holds no image"},
      {good.substr(0, 20), "ends early"},
      {beyond, "beyond its end"},
      {unknown, "neither a bitmap nor PNG"},
  };
  for (const auto& c : kCases) {
    try {
      ParseIconFile(c.file);
      ADD_FAILURE() << c.reason;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace vanta::build
