#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <thread>

#include "base/MulDiv.h"
#include "base/Random.h"
#include "base/Rect.h"
#include "base/Text.h"
#include "platform/Wildcard.h"

namespace vanta {
namespace {

TEST(Random, KnownSequenceFromSeedZero) {
  // The generator's published sequence for seed 0 and n = 100.
  SetRandSeed(0);
  const uint32_t expected[] = {0, 3, 86, 20, 27, 67, 31, 16, 37, 42};
  for (uint32_t e : expected) EXPECT_EQ(Random(100), e);
}

TEST(Random, UsesHighPartOfTheProduct) {
  SetRandSeed(12345);
  EXPECT_EQ(Random(1), 0u);
  EXPECT_EQ(Random(2), 0u);
  EXPECT_EQ(Random(7), 0u);
  EXPECT_EQ(Random(1000), 553u);
  EXPECT_EQ(Random(0xFFFFFFFFu), 2721613529u);
  EXPECT_EQ(Random(0), 0u);  // still advances the seed
  EXPECT_EQ(RandSeed(), 1467157059u);
}

TEST(Random, StaysBelowN) {
  SetRandSeed(99);
  for (uint32_t n : {1u, 3u, 128u, 1000003u})
    for (int i = 0; i < 1000; ++i) ASSERT_LT(Random(n), n);
}

TEST(Random, RandomizeSeedsFromTheClock) {
  // The seed must be the clock's microseconds (folded to 32 bits) read
  // during the call: one of the values between a reading before and after.
  using namespace std::chrono;
  const auto micros = [] { return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count(); };
  const auto fold = [](int64_t t) { return static_cast<uint32_t>(t ^ (t >> 32)); };
  for (uint32_t preset : {0u, 0xFFFFFFFFu}) {
    SetRandSeed(preset);
    const int64_t before = micros();
    Randomize();
    const int64_t after = micros();
    const uint32_t seed = RandSeed();
    bool fromClock = false;
    for (int64_t t = before; t <= after && !fromClock; ++t) fromClock = fold(t) == seed;
    EXPECT_TRUE(fromClock) << seed << " not read between " << before << " and " << after;
  }
  // Two show starts a moment apart get different sequences.
  Randomize();
  const uint32_t first = RandSeed();
  std::this_thread::sleep_for(milliseconds(2));
  Randomize();
  EXPECT_NE(RandSeed(), first);
}

TEST(MulDiv, RoundsHalvesAwayFromZero) {
  struct Case { int32_t a, b, c, want; } cases[] = {
      {10, 10, 4, 25},    {5, 1, 2, 3},       {-5, 1, 2, -3},   {5, -1, 2, -3},  {5, 1, -2, -3},
      {-5, -1, 2, 3},     {7, 1, 2, 4},       {3, 1, 2, 2},     {1, 1, 3, 0},    {2, 1, 3, 1},
      {-2, 1, 3, -1},     {100, 50, 100, 50}, {0, 5, 7, 0},     {1, 1, 0, -1},
      {INT_MAX, 2, 2, INT_MAX}, {INT_MAX, INT_MAX, INT_MAX, INT_MAX}, {INT_MIN, 1, 1, INT_MIN},
      {INT_MAX, 2, 1, -1},  // does not fit
      {65536, 65536, 2, -1},
      {65536, 65536, 4, 1073741824},
  };
  for (const Case& k : cases) EXPECT_EQ(MulDiv(k.a, k.b, k.c), k.want) << k.a << "*" << k.b << "/" << k.c;
}

TEST(FileBaseName, CutsBeforeTheFirstOccurrenceOfTheExtension) {
  struct Case { const char* path; const char* want; } cases[] = {
      {"C:\\SAVERS\\My Show.scr", "My Show"}, {"a.scr.scr", "a"}, {"/x/y/VantaSaver.scr", "VantaSaver"},
      {"noext", "noext"},                     {"dir.d/file", "file"}, {"archive.tar.gz", "archive.tar"},
      {"C:\\x\\", ""},                        {"", ""},
  };
  for (const Case& k : cases) EXPECT_EQ(FileBaseName(k.path), k.want) << k.path;
}

TEST(Paths, SplitAtEitherSlash) {
  EXPECT_EQ(ExtractFileName("D:\\Photos\\a.jpg"), "a.jpg");
  EXPECT_EQ(ExtractFileName("/photos/b.jpg"), "b.jpg");
  EXPECT_EQ(ExtractFilePath("D:\\Photos\\a.jpg"), "D:\\Photos\\");
  EXPECT_EQ(ExtractFileExt("x/a.b/c"), "");
  EXPECT_EQ(ExtractFileExt("c.JPEG"), ".JPEG");
  EXPECT_EQ(IncludeTrailingDelimiter("abc"), std::string("abc") + kPathDelim);
  EXPECT_EQ(IncludeTrailingDelimiter("abc/"), "abc/");
}

TEST(Text, CaseAndNumbers) {
  EXPECT_TRUE(SameText("VantaSaver", "vantasaver"));
  EXPECT_FALSE(SameText("Vanta", "Vantas"));
  EXPECT_EQ(UpperCase("/c:4711"), "/C:4711");
}

// One decimal reader: whole text, one sign; past 64 bits it stops at the
// sign's end (a range then clamps it), past 32 bits ParseDecimal32 refuses.
TEST(Text, ReadsDecimalsSaturatingAt64BitsAndRefusingGarbage) {
  constexpr int64_t kMax = INT64_MAX, kMin = INT64_MIN;
  struct Case { const char* text; std::optional<int64_t> wide; std::optional<int32_t> narrow; } cases[] = {
      {"0", 0, 0},
      {"+7", 7, 7},
      {"-0", 0, 0},
      {"007", 7, 7},
      {"2147483647", 2147483647, INT32_MAX},
      {"2147483648", 2147483648LL, std::nullopt},
      {"-2147483648", -2147483648LL, INT32_MIN},
      {"-2147483649", -2147483649LL, std::nullopt},
      {"9223372036854775807", kMax, std::nullopt},
      {"9223372036854775808", kMax, std::nullopt},
      {"-9223372036854775808", kMin, std::nullopt},
      {"-9223372036854775809", kMin, std::nullopt},
      {"99999999999999999999999", kMax, std::nullopt},
      {"-99999999999999999999999", kMin, std::nullopt},
      {"", std::nullopt, std::nullopt},
      {"+", std::nullopt, std::nullopt},
      {"-", std::nullopt, std::nullopt},
      {"+-1", std::nullopt, std::nullopt},
      {"12a", std::nullopt, std::nullopt},
      {" 5", std::nullopt, std::nullopt},
      {"5 ", std::nullopt, std::nullopt},
      {"1.5", std::nullopt, std::nullopt},
      {"0x10", std::nullopt, std::nullopt},
      {"99999999999999999999x", std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ParseDecimal(c.text), c.wide) << '"' << c.text << '"';
    EXPECT_EQ(ParseDecimal32(c.text), c.narrow) << '"' << c.text << '"';
  }
}

TEST(Text, FoldsLatinLettersAsFileNamesCompareAndKeepsLengths) {
  struct Case { const char* a; const char* b; bool same; } cases[] = {
      {"\xC3\x89t\xC3\xA9.jpg", "\xC3\xA9T\xC3\x89.JPG", true},      // Été / éTÉ
      {"\xC3\x9Cn\xC3\xAF", "\xC3\xBCN\xC3\x8F", true},              // Ünï / üNÏ
      {"\xC5\x90r\xC5\x91", "\xC5\x91R\xC5\x90", true},              // Őrő / őRŐ
      {"\xC5\xB8", "\xC3\xBF", true},                                    // Ÿ / ÿ
      {"\xC5\xBD", "\xC5\xBE", true},                                    // Ž / ž
      {"\xC3\x97", "\xC3\xB7", false},                                   // × is not ÷
      {"\xC4\xB0", "i\x80", false},                                       // İ stays, and stays two bytes
      {"\xE5\x86\x99\xE7\x9C\x9F", "\xE5\x86\x99\xE7\x9C\x9F", true},  // 写真
      {"\xE5\x86\x99", "\xE5\x86\x9A", false},
      {"\xC3", "\xC3", true},                                               // a cut character is left as it is
      {"\xC3", "\xE3", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SameText(c.a, c.b), c.same) << c.a << " / " << c.b;
    EXPECT_EQ(LowerCase(c.a) == LowerCase(c.b), c.same) << c.a << " / " << c.b;
    EXPECT_EQ(LowerCase(c.a).size(), std::string(c.a).size());
  }
  EXPECT_EQ(LowerCase("\xC3\x89T\xC3\x89 \xC3\x9F"), "\xC3\xA9t\xC3\xA9 \xC3\x9F");  // ß has no capital here
  EXPECT_EQ(UpperCase(".jpg"), ".JPG");
}

TEST(Text, Utf8IsRecognisedAndNeverCutInsideACharacter) {
  struct Case { std::string text; bool valid; } cases[] = {
      {"plain ascii", true}, {"\xC3\x89t\xC3\xA9", true}, {"\xE5\x86\x99\xE7\x9C\x9F", true},
      {"\xF0\x9F\x8E\xB5", true},                    // four bytes
      {"\xC9t\xE9", false},                             // Été in Windows-1252
      {"\xC3\x89t\xC3", false},                        // cut at the end
      {"\xC0\x80", false}, {"\xE0\x80\x80", false},  // overlong
      {"\xED\xA0\x80", false},                         // a surrogate
      {"\xF4\x90\x80\x80", false},                    // past U+10FFFF
      {"\xC3\x89t\xC3\xA9 caf\xE9", false},          // almost UTF-8
      {"\x80", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsValidUtf8(c.text), c.valid) << c.text;
  const std::string s = "a\xE5\x86\x99\xC3\xA9";  // a, 写 (3 bytes), é (2 bytes)
  const size_t want[] = {0, 1, 1, 1, 4, 4, 6, 6};
  for (size_t n = 0; n <= 7; ++n) EXPECT_EQ(Utf8Prefix(s, n).size(), want[n]) << n;
}

TEST(Text, Windows1252BecomesUtf8) {
  EXPECT_EQ(Cp1252ToUtf8("\xC9t\xE9"), "\xC3\x89t\xC3\xA9");
  EXPECT_EQ(Cp1252ToUtf8("\x80 \x8A \x9F \x81"), "\xE2\x82\xAC \xC5\xA0 \xC5\xB8 \xC2\x81");
  EXPECT_EQ(Cp1252ToUtf8("ascii"), "ascii");
}

TEST(Rect, Helpers) {
  EXPECT_EQ(IntersectRect({0, 0, 10, 10}, {5, 5, 20, 20}), (TRect{5, 5, 10, 10}));
  EXPECT_EQ(IntersectRect({0, 0, 10, 10}, {10, 0, 20, 10}), TRect{});  // edges touch only
  EXPECT_EQ(UnionRect({0, 0, 1, 1}, {5, 5, 6, 7}), (TRect{0, 0, 6, 7}));
  EXPECT_EQ(UnionRect({}, {1, 2, 3, 4}), (TRect{1, 2, 3, 4}));
  EXPECT_EQ(OffsetRect({1, 2, 3, 4}, 10, -2), (TRect{11, 0, 13, 2}));
  EXPECT_TRUE(PtInRect({0, 0, 2, 2}, {1, 1}));
  EXPECT_FALSE(PtInRect({0, 0, 2, 2}, {2, 1}));  // right edge is outside
}

TEST(Wildcard, MatchesLikeTheDirectoryListing) {
  using platform::WildcardMatch;
  EXPECT_TRUE(WildcardMatch("Mountains.002", "MOUNTA*.002"));
  EXPECT_TRUE(WildcardMatch("mounta.002", "MOUNTA*.002"));
  EXPECT_FALSE(WildcardMatch("Mountains.0021", "MOUNTA*.002"));
  EXPECT_FALSE(WildcardMatch("Mounta.scr", "MOUNTA*.002"));
  EXPECT_TRUE(WildcardMatch("a.b.c", "*.c"));
  EXPECT_TRUE(WildcardMatch("abc", "a?c"));
  EXPECT_FALSE(WildcardMatch("ac", "a?c"));
}

}  // namespace
TEST(MemoText, LinesBecomeEditorLines) {
  struct Case { std::string in, out; } cases[] = {
      {"", ""},
      {"one", "one"},
      {"a\nb\n", "a\r\nb\r\n"},
      {"a\r\nb", "a\r\nb"},
      {"a\rb\r", "a\r\nb\r\n"},
      {"a\n\rb", "a\r\n\r\nb"},
      {"a\r\r\nb", "a\r\n\r\nb"},
      {std::string("x\0y", 3), "x y"},
  };
  for (const Case& c : cases) EXPECT_EQ(MemoText(c.in), c.out) << c.in;
}

}  // namespace vanta
