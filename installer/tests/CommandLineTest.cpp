#include "CommandLine.h"

#include <gtest/gtest.h>

namespace vanta::build {
namespace {

struct TArgs {
  std::vector<std::string> args;
  const char* error;  // nullptr: accepted
};

const TArgs kArgs[] = {
    {{"temp.iss"}, nullptr},
    {{"--map", "C:=/srv/c", "--map", "d:=/srv/d", "--stub", "s.exe", "--level", "19", "x.iss"}, nullptr},
    {{}, "no script"},
    {{"a.iss", "b.iss"}, "one script only"},
    {{"--map"}, "needs a value"},
    {{"--map", "C/srv", "a.iss"}, "DRIVE:=FOLDER"},
    {{"--level", "0", "a.iss"}, "1 to 19"},
    {{"--level", "20", "a.iss"}, "1 to 19"},
    {{"--level", "x", "a.iss"}, "1 to 19"},
    {{"--verbose", "a.iss"}, "unknown option --verbose"},
};

TEST(CommandLine, Arguments) {
  for (const TArgs& a : kArgs) {
    const auto parsed = ParseArguments(a.args, "default.exe", false);
    if (a.error) {
      ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << a.error;
      EXPECT_NE(std::get<std::string>(parsed).find(a.error), std::string::npos) << std::get<std::string>(parsed);
    } else {
      ASSERT_TRUE(std::holds_alternative<TCompileOptions>(parsed)) << std::get<std::string>(parsed);
    }
  }
}

TEST(CommandLine, OptionsReachTheCompile) {
  const auto parsed =
      ParseArguments({"--map", "C:=/srv/c", "--map", "d:=/srv/d", "--level", "3", "x.iss"}, "default.exe", false);
  const TCompileOptions& o = std::get<TCompileOptions>(parsed);
  EXPECT_EQ(o.scriptPath, "x.iss");
  EXPECT_EQ(o.stubPath, "default.exe");
  EXPECT_EQ(o.level, 3);
  ASSERT_EQ(o.maps.size(), 2u);
  EXPECT_EQ(o.maps[1].drive, 'D');
  EXPECT_EQ(o.maps[1].folder, "/srv/d");
  EXPECT_EQ(std::get<TCompileOptions>(ParseArguments({"--stub", "s.exe", "x.iss"}, "d", true)).stubPath, "s.exe");
}

}  // namespace
}  // namespace vanta::build
