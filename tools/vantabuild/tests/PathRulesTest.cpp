#include "PathRules.h"

#include <gtest/gtest.h>

namespace vanta::build {
namespace {

// Relative paths below a folder constant that must be refused, each with a
// word the reason has to name.
struct THostile {
  std::string path;
  const char* reason;
};

const THostile kHostilePaths[] = {
    {"..", "above"},
    {"..\\Windows", "above"},
    {"sample\\..\\..\\x", "above"},
    {"a/../../b", "above"},
    {".", "itself"},
    {"\\Windows\\x.dll", "rooted"},
    {"/etc/passwd", "rooted"},
    {"C:\\Windows", "colon"},
    {"C:x", "colon"},
    {"file.txt:stream", "colon"},
    {"file.txt::$DATA", "colon"},
    {"a\\\\b", "empty"},
    {"a\\", "empty"},
    {"CON", "device"},
    {"con", "device"},
    {"NUL.txt", "device"},
    {"sample\\aux.jpg", "device"},
    {"PRN", "device"},
    {"COM1", "device"},
    {"lpt9.log", "device"},
    {"COM\xB9", "device"},
    {"CON .txt", "device"},
    {"CONIN$", "device"},
    {"conout$", "device"},
    {"name.", "dot or blank"},
    {"name ", "dot or blank"},
    {"...", "dot or blank"},
    {"a\x01" "b", "control"},
    {"tab\there", "control"},
    {"a*b", "'*'"},
    {"a?b", "'?'"},
    {"a<b", "'<'"},
    {"a>b", "'>'"},
    {"a|b", "'|'"},
    {"a\"b", "'\"'"},
    {std::string(241, 'a'), "longer"},
    {std::string(200, 'a') + "\\" + std::string(50, 'b'), "longer"},
};

TEST(PathRules, RefusesEveryHostilePath) {
  for (const THostile& h : kHostilePaths) {
    const std::optional<std::string> why = CheckRelativePath(h.path);
    ASSERT_TRUE(why.has_value()) << "accepted: " << h.path;
    EXPECT_NE(why->find(h.reason), std::string::npos) << h.path << ": " << *why;
  }
}

TEST(PathRules, AcceptsOrdinaryPaths) {
  for (const char* ok : {"", "sample", "sample\\pic.jpg", "a/b", "My Saver.scr", "con2", "console", "COM10", "LPT",
                         "auxiliary.txt", ".hidden", "..name", "a..b", "name.ext.ext", " leading blank",
                         "{literal}", "Programme \xE4\xF6\xFC"}) {
    EXPECT_EQ(CheckRelativePath(ok), std::nullopt) << ok;
  }
}

TEST(PathRules, FileNamesTakeNoSeparator) {
  EXPECT_EQ(CheckFileName("My Saver.002"), std::nullopt);
  for (const char* bad : {"a\\b", "a/b", "", "..", "nul", "x:y"}) EXPECT_TRUE(CheckFileName(bad).has_value()) << bad;
}

TEST(PathRules, DeviceNamesIgnoreExtensionAndCase) {
  EXPECT_TRUE(IsDeviceName("Clock$"));
  EXPECT_TRUE(IsDeviceName("aux.tar.gz"));
  EXPECT_FALSE(IsDeviceName("auxx"));
  EXPECT_FALSE(IsDeviceName("COM"));
  EXPECT_FALSE(IsDeviceName("xCON"));
}

}  // namespace
}  // namespace vanta::build
