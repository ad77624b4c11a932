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
    {"COM0", "device"},
    {"lpt0.txt", "device"},
    // The superscripts as UTF-8 (two bytes each), as any program sends them.
    {"COM\u00B9.txt", "device"},
    {"LPT\u00B2", "device"},
    {"sample\\lpt\u00B3 .log", "device"},
    {"Com\u00B2.tar.gz", "device"},
    // Bytes that are not UTF-8 (a single-byte superscript among them).
    {"COM\xB9", "UTF-8"},
    {"Programme \xE4", "UTF-8"},
    {"\xC0\xAF", "UTF-8"},
    {"a\xE0\x80\xAF" "b", "UTF-8"},
    {"\xED\xA0\x80.txt", "UTF-8"},
    {"\xF4\x90\x80\x80", "UTF-8"},
    {"cut\xC3", "UTF-8"},
    {"\x80x", "UTF-8"},
    {"\xFEx", "UTF-8"},
    {"a\x1F" "b", "control"},
    {"line\r\nbreak", "control"},
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
                         "{literal}", "Programme \u00E4\u00F6\u00FC", "COM\u00B9x", "COM\u00B4",
                         "LPT\u00B9\u00B9", "\u5199\u771F.jpg", "\U0001F600.jpg", "x\x7F"}) {
    EXPECT_EQ(CheckRelativePath(ok), std::nullopt) << ok;
  }
}

TEST(PathRules, FileNamesTakeNoSeparator) {
  EXPECT_EQ(CheckFileName("My Saver.002"), std::nullopt);
  for (const char* bad : {"a\\b", "a/b", "", "..", "nul", "x:y"}) EXPECT_TRUE(CheckFileName(bad).has_value()) << bad;
}

// A name's length is counted in UTF-16 units, as Windows counts it.
TEST(PathRules, NameLengthInUtf16Units) {
  std::string e255;
  for (int i = 0; i < 255; ++i) e255 += "\u00E9";
  EXPECT_EQ(CheckFileName(e255), std::nullopt);
  EXPECT_TRUE(CheckFileName(e255 + "x").has_value());
  std::string smileys;  // 4 bytes, two units each
  for (int i = 0; i < 128; ++i) smileys += "\U0001F600";
  EXPECT_TRUE(CheckFileName(smileys).has_value());
  EXPECT_EQ(CheckFileName(smileys.substr(4)), std::nullopt);
}

TEST(PathRules, Utf8ToUtf16) {
  const std::pair<const char*, std::u16string> kCases[] = {
      {"", u""}, {"abc", u"abc"}, {"\u00E9", u"\u00E9"}, {"\u0800", u"\u0800"}, {"\uFFFD", u"\uFFFD"},
      {"\U00010000", u"\U00010000"}, {"\U0010FFFF", u"\U0010FFFF"}, {"COM\u00B9", u"COM\u00B9"},
  };
  for (const auto& [utf8, utf16] : kCases) EXPECT_EQ(Utf8ToUtf16(utf8), utf16) << utf8;
  for (const char* bad : {"\xC1\xBF", "\xE0\x9F\xBF", "\xF0\x8F\xBF\xBF", "\xED\xBF\xBF", "\xF4\x90\x80\x80",
                          "\xF5\x80\x80\x80", "\xE2\x82", "\xBF", "a\xC3(b"})
    EXPECT_EQ(Utf8ToUtf16(bad), std::nullopt) << bad;
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
