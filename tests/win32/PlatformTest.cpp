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
  EXPECT_EQ(platform::ReadCurrentUserDefault("\\" + key), std::nullopt);
  EXPECT_FALSE(test::CurrentUserKeyExists(key));

  const test::TCurrentUserDefault made(key);
  ASSERT_TRUE(made.Created());
  EXPECT_EQ(platform::ReadCurrentUserDefault("\\" + key), std::nullopt);  // key without default value
  const std::string value = "C:\\Program Files\\Mountains";
  made.Set(value);
  EXPECT_EQ(platform::ReadCurrentUserDefault("\\" + key), value);
}

}  // namespace
}  // namespace vanta
