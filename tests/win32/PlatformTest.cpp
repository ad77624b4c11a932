#include <gtest/gtest.h>

#include "platform/Files.h"
#include "platform/Registry.h"
#include "Win32TestSupport.h"

namespace vanta {
namespace {

TEST(Win32Files, AtomicReplaceAndRead) {
  test::TTempDir dir;
  const std::string p = dir.Write("a.002", "old");
  ASSERT_TRUE(platform::WriteFileAtomically(p, "new content"));
  std::string got;
  EXPECT_EQ(platform::ReadWholeFile(p, got, 1 << 20), platform::TReadResult::Ok);
  EXPECT_EQ(got, "new content");
  EXPECT_EQ(platform::ReadWholeFile(dir.Path("none"), got, 1 << 20), platform::TReadResult::Missing);
  EXPECT_EQ(platform::ReadWholeFile(p, got, 3), platform::TReadResult::Failed);  // larger than allowed
  EXPECT_FALSE(platform::WriteFileAtomically(dir.Path("no\\such\\x.002"), "x"));
}

TEST(Win32Files, ExistsAndListingSkipFolders) {
  test::TTempDir dir;
  dir.Write("Mountains.002", "");
  dir.Write("mounta.002", "");
  CreateDirectoryA(dir.Path("Mountain.002").c_str(), nullptr);
  EXPECT_TRUE(platform::FileExists(dir.Path("Mountains.002")));
  EXPECT_FALSE(platform::FileExists(dir.Path("Mountain.002")));
  EXPECT_FALSE(platform::FileExists(""));
  auto names = platform::ListFiles(dir.Folder(), "MOUNTA*.002");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Mountains.002", "mounta.002"}));
}

TEST(Win32Registry, ReadsTheDefaultValueAndNeverCreatesTheKey) {
  const std::string key = "Software\\Norvane\\VantaRegTest" + std::to_string(GetCurrentProcessId());
  EXPECT_EQ(platform::SystemRegistry().CurrentUserDefault("\\" + key), std::nullopt);
  EXPECT_FALSE(test::CurrentUserKeyExists(key));

  const test::TRegistryDefault made(key);
  ASSERT_TRUE(made.Created());
  EXPECT_EQ(platform::SystemRegistry().CurrentUserDefault("\\" + key), std::nullopt);  // key without default value
  const std::string value = "C:\\Program Files\\Mountains";
  made.Set(value);
  EXPECT_EQ(platform::SystemRegistry().CurrentUserDefault("\\" + key), value);
}

// The manifest makes UTF-8 the code page of every "A" call, so names in
// any language reach the file system whole.
TEST(Win32Files, NamesInAnyLanguageThroughTheNarrowCalls) {
  ASSERT_EQ(GetACP(), 65001u) << "the manifest's UTF-8 code page is not in effect";
  test::TTempDir dir;
  const std::string names[] = {"\xE5\x86\x99\xE7\x9C\x9F.txt", "\xC3\x89t\xC3\xA9.txt",
                               "\xC3\x9Cn\xC3\xAF\x63\xC3\xB8\x64\xC3\xA9.txt"};
  const std::wstring wide[] = {L"\u5199\u771F.txt", L"\u00C9t\u00E9.txt", L"\u00DCn\u00EFc\u00F8d\u00E9.txt"};
  for (size_t i = 0; i < std::size(names); ++i) {
    ASSERT_TRUE(platform::WriteFileAtomically(dir.Folder() + names[i], "x")) << names[i];
    // The file carries its real name, as a wide-character call sees it.
    WIN32_FIND_DATAW fd;
    const std::string ascii = dir.Folder();
    const std::wstring folder(ascii.begin(), ascii.end());
    HANDLE h = FindFirstFileW((folder + wide[i]).c_str(), &fd);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << names[i];
    FindClose(h);
    EXPECT_TRUE(platform::FileExists(dir.Folder() + names[i]));
    std::string text;
    EXPECT_EQ(platform::ReadWholeFile(dir.Folder() + names[i], text, 10), platform::TReadResult::Ok);
    EXPECT_EQ(platform::ListFiles(dir.Folder(), names[i]), std::vector<std::string>{names[i]});
  }
  // Files of older copies: the system's legacy code page (1252 in this prefix).
  EXPECT_EQ(platform::LegacyTextToUtf8("\xC9t\xE9 \x80"), "\xC3\x89t\xC3\xA9 \xE2\x82\xAC");
}

}  // namespace
}  // namespace vanta
