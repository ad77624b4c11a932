#include "setup/SetupCommandLine.h"

#include <gtest/gtest.h>

namespace vanta::build {
namespace {

TEST(SetupCommandLine, Switches) {
  const TSetupCommand c = ParseSetupCommand({"/verysilent", "/SILENT", "-SuppressMsgBoxes", "/NORESTART", "/NOICONS",
                                             "/DIR=C:\\My Dir", "/GROUP=\"Savers\\Mine\"", "/LOG=C:\\l.txt", "/NOCANCEL"});
  EXPECT_EQ(c.quiet, TQuietness::VerySilent);  // /SILENT after it does not make it louder
  EXPECT_TRUE(c.suppressMessageBoxes);
  EXPECT_TRUE(c.noRestart);
  EXPECT_TRUE(c.noIcons);
  EXPECT_TRUE(c.noCancel);
  EXPECT_EQ(c.dir, "C:\\My Dir");
  EXPECT_EQ(c.group, "Savers\\Mine");
  EXPECT_TRUE(c.log);
  EXPECT_EQ(c.logFile, "C:\\l.txt");
  EXPECT_TRUE(c.ignored.empty());
}

struct TCase {
  std::vector<std::string> args;
  TQuietness quiet;
  bool log;
  size_t ignored;
};

TEST(SetupCommandLine, Table) {
  const TCase kCases[] = {
      {{}, TQuietness::Normal, false, 0},
      {{"/SILENT"}, TQuietness::Silent, false, 0},
      {{"/LOG"}, TQuietness::Normal, true, 0},
      {{"/SILENT=1"}, TQuietness::Normal, false, 1},
      {{"/DIR"}, TQuietness::Normal, false, 1},
      {{"/SP-", "stray", "/WAITPID=12x"}, TQuietness::Normal, false, 3},
  };
  for (const TCase& c : kCases) {
    const TSetupCommand s = ParseSetupCommand(c.args);
    EXPECT_EQ(s.quiet, c.quiet);
    EXPECT_EQ(s.log, c.log);
    EXPECT_EQ(s.ignored.size(), c.ignored);
  }
}

TEST(SetupCommandLine, LogNamesBesideAnExistingLog) {
  const std::pair<std::pair<const char*, int>, const char*> kCases[] = {
      {{"C:\\logs\\setup.log", 0}, "C:\\logs\\setup.log"},
      {{"C:\\logs\\setup.log", 1}, "C:\\logs\\setup.1.log"},
      {{"C:\\logs\\setup.log", 12}, "C:\\logs\\setup.12.log"},
      {{"C:\\logs\\a.b.txt", 2}, "C:\\logs\\a.b.2.txt"},
      {{"C:\\my.logs\\setup", 3}, "C:\\my.logs\\setup.3"},
      {{"C:\\logs\\.log", 1}, "C:\\logs\\.log.1"},
      {{"setup.log", 1}, "setup.1.log"},
      {{"D:setup", 1}, "D:setup.1"},
      {{"a/b.c/d", 4}, "a/b.c/d.4"},
  };
  for (const auto& [in, want] : kCases) EXPECT_EQ(NumberedLogName(in.first, in.second), want) << in.first << " " << in.second;
}

TEST(SetupCommandLine, ThePrivateCopyGetsTheSwitchesBack) {
  TSetupCommand c = ParseSetupCommand({"/SILENT", "/SUPPRESSMSGBOXES", "/LOG"});
  const std::string line = CopyCommandLine(c, "C:\\Program Files\\My Saver", 42);
  EXPECT_EQ(line, "/UNINSTALLFROM=\"C:\\Program Files\\My Saver\" /WAITPID=42 /SILENT /SUPPRESSMSGBOXES /LOG");
  const TSetupCommand back =
      ParseSetupCommand({"/UNINSTALLFROM=C:\\Program Files\\My Saver", "/WAITPID=42", "/SILENT", "/SUPPRESSMSGBOXES", "/LOG"});
  EXPECT_EQ(back.uninstallFrom, "C:\\Program Files\\My Saver");
  EXPECT_EQ(back.waitPid, 42u);
  EXPECT_EQ(back.quiet, TQuietness::Silent);
}

}  // namespace
}  // namespace vanta::build
