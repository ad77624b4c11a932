#include "Constants.h"

#include <gtest/gtest.h>

namespace vanta::build {
namespace {

// {win} ends in a backslash here, as a drive root would: the backslash the
// script writes after it is dropped.
std::string Value(TFolder f) {
  switch (f) {
    case TFolder::App: return "C:\\Program Files\\My Saver";
    case TFolder::Pf: return "C:\\Program Files";
    case TFolder::Sys: return "C:\\Windows\\system32";
    case TFolder::Win: return "D:\\";
    case TFolder::Group: return "C:\\Start\\My Saver";
    case TFolder::UserDesktop: return "C:\\Users\\u\\Desktop";
    case TFolder::Sd: return "E:";
  }
  return {};
}

struct TExpansion {
  const char* script;
  const char* expanded;
};

const TExpansion kExpansions[] = {
    {"{app}", "C:\\Program Files\\My Saver"},
    {"{app}\\unins000.exe", "C:\\Program Files\\My Saver\\unins000.exe"},
    {"{sys}\\MySaver~1.scr", "C:\\Windows\\system32\\MySaver~1.scr"},
    {"{win}\\system.INI", "D:\\system.INI"},
    {"{win}\\\\x", "D:\\\\x"},
    {"{win}x", "D:\\x"},
    {"{WIN}\\a", "D:\\a"},
    {"{pf}{app}", "C:\\Program FilesC:\\Program Files\\My Saver"},
    {"{{app}", "{app}"},
    {"a{{b}", "a{b}"},
    {"close}brace", "close}brace"},
    {"{group}\\{userdesktop}", "C:\\Start\\My Saver\\C:\\Users\\u\\Desktop"},
    {"{sd}\\Vanta Screensaver Builder", "E:\\Vanta Screensaver Builder"},
    {"", ""},
    {"plain text", "plain text"},
};

TEST(Constants, ExpandWithTheBackslashRule) {
  for (const TExpansion& e : kExpansions) {
    std::string why;
    const std::optional<TConstText> t = ParseConstText(e.script, &why);
    ASSERT_TRUE(t) << e.script << ": " << why;
    EXPECT_EQ(Expand(*t, Value), e.expanded) << e.script;
  }
}

TEST(Constants, ScriptTextReadsBackTheSame) {
  for (const TExpansion& e : kExpansions) {
    const TConstText t = *ParseConstText(e.script, nullptr);
    EXPECT_EQ(ParseConstText(t.ScriptText(), nullptr), t) << e.script;
  }
}

TEST(Constants, RefusesUnknownAndUnclosedConstants) {
  for (const char* bad : {"{tmp}\\x", "{src}", "{app", "x{", "{}", "{app }", "{cm:Uninstall}"}) {
    std::string why;
    EXPECT_FALSE(ParseConstText(bad, &why)) << bad;
    EXPECT_FALSE(why.empty()) << bad;
  }
}

struct TDestinationCase {
  const char* script;
  bool ok;
  TFolder folder;
  const char* relative;
};

const TDestinationCase kDestinations[] = {
    {"{sys}\\", true, TFolder::Sys, ""},
    {"{sys}", true, TFolder::Sys, ""},
    {"{app}\\sample", true, TFolder::App, "sample"},
    {"{app}\\sample\\", true, TFolder::App, "sample"},
    {"{app}/a/b", true, TFolder::App, "a\\b"},
    {"{group}\\Readme", true, TFolder::Group, "Readme"},
    {"{userdesktop}\\My Saver", true, TFolder::UserDesktop, "My Saver"},
    {"{sd}\\Vanta Screensaver Builder", true, TFolder::Sd, "Vanta Screensaver Builder"},
    {"{pf}\\{{x}", true, TFolder::Pf, "{x}"},
    {"{app}sample", false, {}, ""},
    {"{app}\\..\\x", false, {}, ""},
    {"{app}\\\\", false, {}, ""},
    {"{app}\\\\x", false, {}, ""},
    {"{app}\\C:\\x", false, {}, ""},
    {"{app}\\CON", false, {}, ""},
    {"{app}\\{sys}", false, {}, ""},
    {"sample", false, {}, ""},
    {"C:\\Windows", false, {}, ""},
    {"", false, {}, ""},
    {"{tmp}\\x", false, {}, ""},
};

TEST(Constants, Destinations) {
  for (const TDestinationCase& c : kDestinations) {
    std::string why;
    const std::optional<TDestination> d = ParseDestination(c.script, &why);
    ASSERT_EQ(d.has_value(), c.ok) << c.script << ": " << why;
    if (!d) {
      EXPECT_FALSE(why.empty()) << c.script;
      continue;
    }
    EXPECT_EQ(d->folder, c.folder) << c.script;
    EXPECT_EQ(d->relative, c.relative) << c.script;
    EXPECT_EQ(ParseDestination(d->ScriptText(), nullptr), d) << c.script;
  }
}

}  // namespace
}  // namespace vanta::build
