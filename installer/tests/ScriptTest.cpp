#include "Script.h"

#include <gtest/gtest.h>

#include <functional>

namespace vanta::build {
namespace {

std::string Describe(const TDestination& d) { return d.ScriptText(); }

std::string Describe(const TFileLine& f) {
  return f.source + " | " + Describe(f.destDir) + " | " + f.destName + " |" + (f.neverUninstall ? " never" : "") + (f.sharedFile ? " shared" : "") +
         (f.isReadme ? " readme" : "");
}
std::string Describe(const TRegistryLine& r) {
  return std::string(r.root == TRegistryRoot::CurrentUser ? "HKCU" : "HKLM") + " | " + r.subkey + " | " + r.valueName +
         " | " + r.valueData.ScriptText() + (r.deleteKeyOnUninstall ? " | deletekey" : "");
}
std::string Describe(const TIniLine& i) {
  return Describe(i.file) + " | " + i.section + " | " + i.key + " | " + i.value.ScriptText();
}
std::string Describe(const TIconLine& i) {
  return Describe(i.name) + " | " + i.target.ScriptText() +
         (i.parameters.pieces.empty() ? "" : " | " + i.parameters.ScriptText());
}

// What one line of the table made, as text.
using TPick = std::function<std::string(const TScript&)>;

template <typename T>
TPick Only(std::vector<T> TScript::*list) {
  return [list](const TScript& s) {
    const auto& v = s.*list;
    return v.size() == 1 ? Describe(v[0]) : "entries: " + std::to_string(v.size());
  };
}
TPick Directive(std::string TSetupDirectives::*field) {
  return [field](const TScript& s) { return s.setup.*field; };
}

const char kRequired[] = "AppName=A\nAppVerName=A\nDefaultDirName={pf}\\A\n";

// The lines the builder writes for a saver "My Saver" with one picture, one
// music file and a readme; placeholders filled as it fills them.
struct TBuilderLine {
  int number;
  const char* section;
  const char* line;
  TPick pick;
  std::string expected;
};

std::vector<TBuilderLine> BuilderLines() {
  return {
      {2, "Setup", "AppName=My Saver", Directive(&TSetupDirectives::appName), "My Saver"},
      {3, "Setup", "AppVerName=My Saver", Directive(&TSetupDirectives::appVerName), "My Saver"},
      {4, "Setup", "DefaultDirName={pf}\\My Saver",
       [](const TScript& s) { return Describe(s.setup.defaultDirName); }, "{pf}\\My Saver"},
      {5, "Setup", "DefaultGroupName=My Saver", Directive(&TSetupDirectives::defaultGroupName), "My Saver"},
      {6, "Setup", "outputdir=\"C:\\Out\\\"", Directive(&TSetupDirectives::outputDir), "C:\\Out\\"},
      {7, "Setup", "OutputBaseFilename=\"My Saver\"", Directive(&TSetupDirectives::outputBaseFilename), "My Saver"},
      {9, "Files", "Source:\"C:\\Prog\\VantaSaver.scr\"; DestDir: \"{sys}\\\"; DestName: \"My Saver.scr\"",
       Only(&TScript::files), "C:\\Prog\\VantaSaver.scr | {sys} | My Saver.scr |"},
      {10, "Files", "Source:\"C:\\Prog\\VantaSaver.001\"; DestDir: \"{sys}\\\"; flags: uninsneveruninstall",
       Only(&TScript::files), "C:\\Prog\\VantaSaver.001 | {sys} |  | never"},
      {11, "Files", "Source:\"C:\\Pics\\Beach; Sun.jpg\"; DestDir: \"{app}\\sample\"", Only(&TScript::files),
       "C:\\Pics\\Beach; Sun.jpg | {app}\\sample |  |"},
      {12, "Files", "Source:\"D:\\Music\\song.mp3\"; DestDir: \"{app}\\sample\"", Only(&TScript::files),
       "D:\\Music\\song.mp3 | {app}\\sample |  |"},
      {13, "Files", "Source:\"C:\\WINDOWS\\system32\\MPEGDLL.DLL\"; DestDir: \"{sys}\\\"; flags: sharedfile",
       Only(&TScript::files), "C:\\WINDOWS\\system32\\MPEGDLL.DLL | {sys} |  | shared"},
      {14, "Files", "Source:\"C:\\Prog\\Compile\\Readme.txt\"; DestDir: \"{app}\\\"; flags: isreadme",
       Only(&TScript::files), "C:\\Prog\\Compile\\Readme.txt | {app} |  | readme"},
      {15, "Files", "Source:\"C:\\Prog\\Compile\\My Saver.002\"; DestDir: \"{sys}\\\"; DestName: \"My Saver.002\"",
       Only(&TScript::files), "C:\\Prog\\Compile\\My Saver.002 | {sys} | My Saver.002 |"},
      {17, "Registry",
       "Root: HKCU; Subkey: \"Software\\Norvane\\My Saver\"; ValueType: string; ValueName: \"\"; ValueData: {app}; "
       "flags: uninsdeletekey",
       Only(&TScript::registry), "HKCU | Software\\Norvane\\My Saver |  | {app} | deletekey"},
      {19, "INI", "Filename: \"{win}\\system.INI\"; Section: \"boot\"; Key: \"SCRNSAVE.EXE\"; String: \"{sys}\\MySaver~1.scr\"",
       Only(&TScript::ini), "{win}\\system.INI | boot | SCRNSAVE.EXE | {sys}\\MySaver~1.scr"},
      {21, "Icons", "Name: \"{group}\\My Saver\"; Filename: \"{sys}\\My Saver.scr\"", Only(&TScript::icons),
       "{group}\\My Saver | {sys}\\My Saver.scr"},
      {22, "Icons", "Name: \"{userdesktop}\\My Saver\"; Filename: \"{sys}\\My Saver.scr\"", Only(&TScript::icons),
       "{userdesktop}\\My Saver | {sys}\\My Saver.scr"},
      {23, "Icons", "Name: \"{group}\\Uninstall\"; Filename: \"{app}\\unins000.exe\"", Only(&TScript::icons),
       "{group}\\Uninstall | {app}\\unins000.exe"},
      {24, "Icons", "Name: \"{app}\\My Saver\"; Filename: \"{sys}\\My Saver.scr\"", Only(&TScript::icons),
       "{app}\\My Saver | {sys}\\My Saver.scr"},
      {25, "Icons", "Name: \"{group}\\Readme\"; Filename: \"{app}\\readme.txt\"", Only(&TScript::icons),
       "{group}\\Readme | {app}\\readme.txt"},
  };
}

TEST(Script, EachLineTheBuilderWrites) {
  for (const TBuilderLine& b : BuilderLines()) {
    std::string text;
    if (std::string_view(b.section) == "Setup") {
      // The line itself stands in for the required directive it repeats.
      text = "[Setup]\n" + std::string(b.line) + "\n";
      for (const char* required : {"AppName=A\n", "AppVerName=A\n", "DefaultDirName={pf}\\A\n"}) {
        const std::string_view name(required, std::string_view(required).find('='));
        if (std::string_view(b.line).substr(0, name.size()) != name) text += required;
      }
    } else {
      text = std::string("[Setup]\n") + kRequired + "[" + b.section + "]\n" + b.line + "\n";
    }
    try {
      EXPECT_EQ(b.pick(ParseScript(text)), b.expected) << "line " << b.number;
    } catch (const TScriptError& e) {
      ADD_FAILURE() << "line " << b.number << ": " << e.what();
    }
  }
}

// A shortcut may pass its target a command line: the builder's own setup
// starts VantaSaver.scr with "/c" (a bare .scr would start the show).
TEST(Script, ShortcutParameters) {
  const std::pair<const char*, const char*> cases[] = {
      {"Name: \"{group}\\Builder\"; Filename: \"{app}\\VantaSaver.scr\"; Parameters: \"/c\"",
       "{group}\\Builder | {app}\\VantaSaver.scr | /c"},
      {"Name: {group}\\B; Filename: {app}\\x.exe; Parameters: \"{app}\\a b.txt\"", "{group}\\B | {app}\\x.exe | {app}\\a b.txt"},
      {"Name: {group}\\B; Filename: {app}\\x.exe", "{group}\\B | {app}\\x.exe"},
  };
  for (const auto& [line, want] : cases) {
    const TScript s = ParseScript(std::string("[Setup]\n") + kRequired + "[Icons]\n" + line + "\n");
    ASSERT_EQ(s.icons.size(), 1u) << line;
    EXPECT_EQ(Describe(s.icons[0]), want) << line;
  }
  EXPECT_THROW(ParseScript(std::string("[Setup]\n") + kRequired + "[Icons]\nName: {group}\\B; Filename: x; Parameters: {nope}\n"),
               TScriptError);
}

TEST(Script, TheWholeScriptInOrderWithCrLf) {
  std::string text;
  std::string section;
  for (const TBuilderLine& b : BuilderLines()) {
    if (b.section != section) text += "[" + (section = b.section) + "]\r\n";
    text += std::string(b.line) + "\r\n";
  }
  const TScript s = ParseScript(text);
  EXPECT_EQ(s.setup.outputDir, "C:\\Out\\");
  ASSERT_EQ(s.files.size(), 7u);
  EXPECT_EQ(s.files[2].source, "C:\\Pics\\Beach; Sun.jpg");
  EXPECT_EQ(s.files[2].line, 11);
  EXPECT_TRUE(s.files[5].isReadme);
  EXPECT_EQ(s.registry.size(), 1u);
  EXPECT_EQ(s.ini.size(), 1u);
  ASSERT_EQ(s.icons.size(), 5u);
  EXPECT_EQ(Describe(s.icons[4]), "{group}\\Readme | {app}\\readme.txt");
  EXPECT_EQ(s.icons[4].line, 25);
}

TEST(Script, CommentsBlanksCaseAndDefaults) {
  const TScript s = ParseScript(
      "\xEF\xBB\xBF; made by hand\n"
      "\n"
      "  [setup]  \n"
      "  appname = Sunny \"Days\"  \n"
      "APPVERNAME=\"  Sunny \"\"Days\"\" 2  \"\n"
      "DefaultDirName={pf}\\Sunny\n"
      "DefaultGroupName = Sunny\n"
      "\t; an indented comment\n"
      "[FILES]\n"
      "SOURCE: a.jpg ;  destdir :{app}  ; FLAGS: IsReadMe  UninsNeverUninstall ;\n"
      "[ini]\n"
      "Filename: my.ini; Section: s; Key: k\n");
  EXPECT_EQ(s.setup.appName, "Sunny \"Days\"");
  EXPECT_EQ(s.setup.appVerName, "  Sunny \"Days\" 2  ");
  EXPECT_EQ(s.setup.defaultGroupName, "Sunny");
  ASSERT_EQ(s.files.size(), 1u);
  EXPECT_EQ(Describe(s.files[0]), "a.jpg | {app} |  | never readme");
  ASSERT_EQ(s.ini.size(), 1u);
  EXPECT_EQ(s.ini[0].line, 12);
}

TEST(Script, DefaultsForOptionalDirectives) {
  const TScript s = ParseScript(std::string("[Setup]\n") + kRequired + "[INI]\nFilename: my.ini; Section: s; Key: k\n");
  EXPECT_EQ(s.setup.defaultGroupName, "A");
  EXPECT_EQ(s.setup.outputDir, "Output");
  EXPECT_EQ(s.setup.outputBaseFilename, "mysetup");
  EXPECT_EQ(s.setup.diskSliceSize, 2000000000u);
  EXPECT_EQ(ParseScript(std::string("[Setup]\n") + kRequired + "DiskSliceSize=1048576\n").setup.diskSliceSize, kMinDiskSliceSize);
  ASSERT_EQ(s.ini.size(), 1u);
  EXPECT_EQ(Describe(s.ini[0]), "{win}\\my.ini | s | k | ");
}

TEST(Script, VersionPublisherAndLinks) {
  const TScript s = ParseScript(
      "[Setup]\nAppName=A\nAppVersion=1.5\nDefaultDirName={pf}\\A\nAppPublisher=\" Ann; B \"\n"
      "AppPublisherURL=https://a.example/\nAppSupportURL=https://a.example/s\nappupdatesurl=https://a.example/u\n");
  EXPECT_EQ(s.setup.appVerName, "A version 1.5");
  EXPECT_EQ(s.setup.appVersion, "1.5");
  EXPECT_EQ(s.setup.appPublisher, " Ann; B ");
  EXPECT_EQ(s.setup.appPublisherURL, "https://a.example/");
  EXPECT_EQ(s.setup.appSupportURL, "https://a.example/s");
  EXPECT_EQ(s.setup.appUpdatesURL, "https://a.example/u");
  EXPECT_EQ(ParseScript("[Setup]\nAppName=A\nAppVerName=A 2\nAppVersion=1.5\nDefaultDirName={pf}\\A\n").setup.appVerName, "A 2");
  EXPECT_THROW(ParseScript("[Setup]\nAppName=A\nDefaultDirName={pf}\\A\n"), TScriptError);
  EXPECT_THROW(ParseScript("[Setup]\nAppName=A\nAppVersion={app}\nDefaultDirName={pf}\\A\n"), TScriptError);
}

TEST(Script, RunEntriesOfTheFinishedPage) {
  const std::string head = "[Setup]\nAppName=A\nAppVerName=A\nDefaultDirName={pf}\\A\n[Run]\n";
  const TScript s = ParseScript(head +
      "Filename: \"{sys}\\rundll32.exe\"; Parameters: \"desk.cpl,InstallScreenSaver {sys}\\A b.scr\"; "
      "Description: \"Make it; mine\"; Flags: postinstall nowait shellexec\n"
      "Filename: {app}\\a.scr; Description: Preview; flags: SHELLEXEC unchecked postinstall nowait skipifsilent\n");
  ASSERT_EQ(s.run.size(), 2u);
  EXPECT_EQ(s.run[0].filename.ScriptText(), "{sys}\\rundll32.exe");
  EXPECT_EQ(s.run[0].parameters.ScriptText(), "desk.cpl,InstallScreenSaver {sys}\\A b.scr");
  EXPECT_EQ(s.run[0].description, "Make it; mine");
  EXPECT_FALSE(s.run[0].unchecked || s.run[0].skipIfSilent);
  EXPECT_TRUE(s.run[1].parameters.pieces.empty());
  EXPECT_TRUE(s.run[1].unchecked && s.run[1].skipIfSilent);
  std::string nine;
  for (int i = 0; i < 9; ++i) nine += "Filename: a.exe; Description: X; Flags: postinstall nowait shellexec\n";
  const struct {
    std::string line;
    const char* reason;
  } kBad[] = {
      {"Filename: a.exe; Description: X; Flags: postinstall nowait\n", "\"shellexec\" is missing"},
      {"Filename: a.exe; Description: X; Flags: nowait shellexec\n", "\"postinstall\" is missing"},
      {"Filename: a.exe; Description: X; Flags: postinstall nowait shellexec runascurrentuser\n", "\"runascurrentuser\" is not supported"},
      {"Filename: a.exe; Flags: postinstall nowait shellexec\n", "\"Description\" is missing"},
      {"Filename: {bad}\\a.exe; Description: X; Flags: postinstall nowait shellexec\n", "{bad}"},
      {"Filename: a.exe; Description: X; WorkingDir: {app}; Flags: postinstall nowait shellexec\n", "\"WorkingDir\" is not supported"},
      {nine, "more than 8"},
  };
  for (const auto& c : kBad) {
    try {
      ParseScript(head + c.line);
      ADD_FAILURE() << "accepted: " << c.line;
    } catch (const TScriptError& e) {
      EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
    }
  }
}

struct TBadScript {
  std::string text;  // after the required [Setup] lines 1-4
  int line;
  const char* reason;
};

const TBadScript kBadScripts[] = {
    {"[Code]\n", 5, "section [Code] is not supported"},
    {"[Files\n", 5, "closing"},
    {"#define X\n", 5, "preprocessor"},
    {"Compression=lzma\n", 5, "\"Compression\" is not supported"},
    {"AppName=B\n", 5, "given twice"},
    {"OutputDir\n", 5, "Directive=value"},
    {"OutputDir=\"C:\\x\n", 5, "closing quote"},
    {"OutputDir=\"a\"b\"\n", 5, "lone quote"},
    {"DefaultGroupName=a\\..\\b\n", 5, "above"},
    {"OutputBaseFilename=a\\b\n", 5, "separator"},
    {"DiskSliceSize=1048575\n", 5, "at least 1048576"},
    {"DiskSliceSize=2e9\n", 5, "whole number"},
    {"DiskSliceSize=-5\n", 5, "whole number"},
    {"DiskSliceSize=99999999999999999999\n", 5, "whole number"},
    {"[Files]\nSource: a; DestDir: {app}; Excludes: x\n", 6, "\"Excludes\" is not supported in [Files]"},
    {"[Files]\nSource: a; DestDir: {app}; source: b\n", 6, "given twice"},
    {"[Files]\nSource: a; DestDir: {app}; Flags: ignoreversion\n", 6, "flag \"ignoreversion\""},
    {"[Files]\nSource: a; DestDir: {app}; Flags: isreadme isreadme\n", 6, "given twice"},
    {"[Files]\nDestDir: {app}\n", 6, "\"Source\" is missing"},
    {"[Files]\nSource: a\n", 6, "\"DestDir\" is missing"},
    {"[Files]\nSource: *.jpg; DestDir: {app}\n", 6, "wildcards"},
    {"[Files]\nSource: {src}\\a; DestDir: {app}\n", 6, "{src} is not supported"},
    {"[Files]\nSource: {app}\\a; DestDir: {app}\n", 6, "constants are not supported in Source"},
    {"[Files]\nSource: C:\\a {b\\c; DestDir: {app}\n", 6, "write \"{{\" for the character"},
    {"[Files]\nSource: C:\\pics\\; DestDir: {app}\n", 6, "names a folder"},
    {"[Files]\nSource: a; DestDir: {tmp}\n", 6, "{tmp} is not supported"},
    {"[Files]\nSource: a; DestDir: C:\\Windows\n", 6, "folder constant"},
    {"[Files]\nSource: a; DestDir: {app}\\..\\..\\Windows\n", 6, "above"},
    {"[Files]\nSource: a; DestDir: {app}x\n", 6, "backslash must follow"},
    {"[Files]\nSource: a; DestDir: {app}; DestName: x\\y.dll\n", 6, "separator"},
    {"[Files]\nSource: a; DestDir: {app}; DestName: CON\n", 6, "device"},
    {"[Files]\nSource: a; DestDir: {app}; DestName: \"x.txt:ads\"\n", 6, "colon"},
    {"[Files]\nSource: C:\\x\\nul; DestDir: {app}\n", 6, "device"},
    {"[Files]\nSource: \"a\tb\"; DestDir: {app}\n", 6, "control character"},
    {"[Files]\nSource: a; DestDir: {app}; DestName: \"COM\u00B9.txt\"\n", 6, "device"},
    {"[Files]\nSource: a; DestDir: \"{app}\\LPT\u00B2\"\n", 6, "device"},
    {"[Files]\nSource: C:\\x\\lpt\u00B3; DestDir: {app}\n", 6, "device"},
    {"[Files]\nSource: \"C:\\Caf\xE9.jpg\"; DestDir: {app}\n", 6, "not UTF-8"},
    {"DefaultGroupName=Caf\xE9\n", 5, "not UTF-8"},
    {"OutputDir=C:\\Caf\xE9\n", 5, "not UTF-8"},
    {"OutputBaseFilename=\"a\x1F" "b\"\n", 5, "control character"},
    {"[Registry]\nRoot: HKCU; Subkey: \"Software\\Caf\xE9\"; ValueType: string\n", 6, "not UTF-8"},
    {"[INI]\nFilename: a.ini; Section: \"s\xC3\"; Key: k\n", 6, "not UTF-8"},
    {"[Icons]\nName: \"{group}\\x\"; Filename: \"x\rsetup.exe\"\n", 6, "control character"},
    {"[Files]\nSource: a; DestDir: {app}; Flags: isreadme\nSource: b; DestDir: {app}; Flags: isreadme\n", 7,
     "second isreadme"},
    {"[Files]\nSource: \"a; DestDir: {app}\n", 6, "no closing quote"},
    {"[Files]\nSource: x; DestDir: {app}\\; DestName: Unins000.EXE\n", 6, "the uninstaller's own file"},
    {"[Files]\nSource: C:\\unins000.dat; DestDir: {app}\n", 6, "the uninstaller's own file"},
    {"[Files]\nSource: \"a\" x; DestDir: {app}\n", 6, "after the closing quote"},
    {"[Files]\nSource: a\"b; DestDir: {app}\n", 6, "quote inside the unquoted"},
    {"[Files]\nSource a; DestDir: {app}\n", 6, "parameter name"},
    {"[Files]\njust text\n", 6, "Name: value"},
    {"[Registry]\nRoot: HKCR; Subkey: x; ValueType: string\n", 6, "root key \"HKCR\""},
    {"[Registry]\nRoot: HKCU; Subkey: x; ValueType: dword; ValueData: 1\n", 6, "\"dword\" is not supported"},
    {"[Registry]\nRoot: HKCU; Subkey: \"\"; ValueType: string; Flags: uninsdeletekey\n", 6, "empty Subkey"},
    {"[Registry]\nRoot: HKCU; Subkey: \"\\\"; ValueType: string; Flags: uninsdeletekey\n", 6, "empty key name"},
    {"[Registry]\nRoot: HKCU; Subkey: a\\\\b; ValueType: string\n", 6, "empty key name"},
    {"[Registry]\nRoot: HKCU; Subkey: x; ValueType: string; ValueData: \"{app\"\n", 6, "without its"},
    {"[Registry]\nRoot: HKCU; Subkey: {app}; ValueType: string\n", 6, "constants are not supported in Subkey"},
    {"[Registry]\nRoot: HKCU; Subkey: x; ValueType: string; Flags: uninsdeletevalue\n", 6, "uninsdeletevalue"},
    {"[INI]\nFilename: a.ini; Section: \"\"; Key: k\n", 6, "Section"},
    {"[INI]\nFilename: a.ini; Section: s; Key: \"a=b\"\n", 6, "Key"},
    {"[INI]\nFilename: {app}; Section: s; Key: k\n", 6, "names a folder"},
    {"[INI]\nFilename: ..\\a.ini; Section: s; Key: k\n", 6, "folder constant"},
    {"[INI]\nFilename: a.ini; Section: s; Key: k; Flags: uninsdeleteentry\n", 6, "\"Flags\" is not supported in [INI]"},
    {"[Icons]\nName: \"{group}\\x\"\n", 6, "\"Filename\" is missing"},
    {"[Icons]\nName: \"{group}\"; Filename: x\n", 6, "shortcut below"},
    {"[Icons]\nName: \"{group}\\a|b\"; Filename: x\n", 6, "'|'"},
    {"[Icons]\nName: \"{group}\\x\"; Filename: x; WorkingDir: {app}\n", 6, "WorkingDir"},
};

TEST(Script, ErrorsNameTheLineAndTheReason) {
  for (const TBadScript& b : kBadScripts) {
    try {
      ParseScript(std::string("[Setup]\n") + kRequired + b.text);
      ADD_FAILURE() << "accepted: " << b.text;
    } catch (const TScriptError& e) {
      EXPECT_EQ(e.Line(), b.line) << b.text << " -> " << e.what();
      EXPECT_NE(std::string(e.what()).find(b.reason), std::string::npos) << b.text << " -> " << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("line " + std::to_string(b.line) + ": ", 0), 0u) << e.what();
    }
  }
}

TEST(Script, ErrorsOutsideTheSections) {
  const struct {
    const char* text;
    int line;
    const char* reason;
  } kCases[] = {
      {"AppName=A\n", 1, "before the first section"},
      {"[Setup]\nAppName=A\nAppVerName=A\n", 0, "DefaultDirName is missing"},
      {"[Setup]\nAppVerName=A\nDefaultDirName={pf}\\A\n", 0, "AppName is missing"},
      {"[Setup]\nAppName=A\nAppVerName=A\nDefaultDirName={app}\\A\n", 4, "inside {app}"},
      {"[Setup]\nAppName=A\nAppVerName=A\nDefaultDirName={pf}\n", 4, "not the folder itself"},
      {"[Setup]\nAppName=A:B\nAppVerName=A\nDefaultDirName={pf}\\A\n", 0, "AppName, which cannot be a folder name"},
  };
  for (const auto& c : kCases) {
    try {
      ParseScript(c.text);
      ADD_FAILURE() << "accepted: " << c.text;
    } catch (const TScriptError& e) {
      EXPECT_EQ(e.Line(), c.line) << c.text;
      EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
    }
  }
}

struct TSplit {
  const char* line;
  std::vector<TParameter> expected;
};

const TSplit kSplits[] = {
    {"Source:\"C:\\x\"", {{"Source", "C:\\x", true}}},
    {"Name: \"a;b\"", {{"Name", "a;b", true}}},
    {"Name: \"say \"\"hi\"\"\"", {{"Name", "say \"hi\"", true}}},
    {"Name: \"  padded  \"", {{"Name", "  padded  ", true}}},
    {"Name:   plain value  ", {{"Name", "plain value", false}}},
    {"A: 1; B: 2", {{"A", "1", false}, {"B", "2", false}}},
    {"A: 1;", {{"A", "1", false}}},
    {"A:\"\";B:x", {{"A", "", true}, {"B", "x", false}}},
    {"A: ; B: \"\"\"\"", {{"A", "", false}, {"B", "\"", true}}},
    {"ValueData: {app}; flags: uninsdeletekey", {{"ValueData", "{app}", false}, {"flags", "uninsdeletekey", false}}},
};

TEST(Script, SplitParameters) {
  for (const TSplit& s : kSplits) EXPECT_EQ(SplitParameters(s.line), s.expected) << s.line;
}

TEST(Script, SourceFileName) {
  EXPECT_EQ(SourceFileName("C:\\Pics\\a.jpg"), "a.jpg");
  EXPECT_EQ(SourceFileName("sub/b.mp3"), "b.mp3");
  EXPECT_EQ(SourceFileName("C:c.txt"), "c.txt");
  EXPECT_EQ(SourceFileName("plain"), "plain");
}

}  // namespace
}  // namespace vanta::build
