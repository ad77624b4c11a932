#include "setup/Installer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "Compiler.h"
#include "FakeTarget.h"
#include "TextRules.h"
#include "setup/Uninstall.h"

namespace vanta::build {
namespace {

const char kScript[] =
    "[Setup]\nAppName=My Saver\nAppVerName=My Saver 2\nDefaultDirName={pf}\\My Saver\n"
    "[Files]\n"
    "Source: saver; DestDir: {sys}\\; DestName: My Saver.scr\n"
    "Source: VantaSaver.001; DestDir: {sys}\\; Flags: uninsneveruninstall\n"
    "Source: a.jpg; DestDir: {app}\\sample\n"
    "Source: Readme.txt; DestDir: {app}\\; Flags: isreadme\n"
    "[Registry]\n"
    "Root: HKCU; Subkey: Software\\Norvane\\My Saver; ValueType: string; ValueName: \"\"; ValueData: {app}; Flags: uninsdeletekey\n"
    "[INI]\n"
    "Filename: {win}\\system.INI; Section: boot; Key: SCRNSAVE.EXE; String: {sys}\\MySaver~1.scr\n"
    "[Icons]\n"
    "Name: {group}\\My Saver; Filename: {sys}\\My Saver.scr\n"
    "Name: {userdesktop}\\My Saver; Filename: {sys}\\My Saver.scr\n"
    "Name: {group}\\Uninstall; Filename: {app}\\unins000.exe\n";

std::string Contents(const std::string& source) { return source == "a.jpg" ? std::string(200000, 'j') : "bytes of " + source; }

// "bytes of saver", "bytes of VantaSaver.001", the picture, "bytes of Readme.txt".
constexpr uint64_t kTotalBytes = 14 + 23 + 200000 + 19;

std::string PackScript(const char* script) {
  const TScript s = ParseScript(script);
  TStringSink sink;
  sink.bytes = "MZ";
  TPayloadWriter writer(sink);
  for (const TFileLine& f : s.files)
    writer.AddFile(f.destDir, f.destName.empty() ? f.source : f.destName,
                   (f.neverUninstall ? uint32_t(kFileNeverUninstall) : 0u) | (f.isReadme ? uint32_t(kFileIsReadme) : 0u),
                   Contents(f.source));
  writer.Finish(IndexOfScript(s));
  return sink.bytes;
}

const TSetupFolders kFolders{"C:\\Program Files\\My Saver", "C:\\Program Files", "C:\\Windows\\SysWOW64", "C:\\Windows",
                             "C:\\Start\\Programs\\My Saver", "C:\\Users\\u\\Desktop", "C:"};

// A computer with an older saver of the same name and a saver setting.
TFakeSystem Before() {
  TFakeSystem s;
  for (const char* f : {"c:\\program files", "c:\\windows", "c:\\windows\\syswow64", "c:\\start", "c:\\start\\programs",
                        "c:\\users", "c:\\users\\u", "c:\\users\\u\\desktop"})
    s.folders.insert(f);
  s.files["c:\\windows\\syswow64\\my saver.scr"] = "old saver";
  s.files["c:\\windows\\syswow64\\other.dll"] = "not ours";
  s.keys["hkcu\\software"]["x"] = StringValue("y");
  s.keys["hklm\\software"];
  s.keys["hklm\\software\\microsoft"];
  s.keys["hklm\\software\\microsoft\\windows"];
  s.keys["hklm\\software\\microsoft\\windows\\currentversion"];
  s.keys["hklm\\software\\microsoft\\windows\\currentversion\\uninstall"];
  s.ini["c:\\windows\\system.ini|boot|scrnsave.exe"] = "old.scr";
  return s;
}

class TProgress : public IInstallProgress {
 public:
  void Progress(const std::string&, uint64_t done, uint64_t total) override {
    EXPECT_LE(done, total);
    last = done;
  }
  bool Cancelled() override { return ++asks == cancelAt; }
  int asks = 0;
  int cancelAt = 0;
  uint64_t last = 0;
};

const TFileProducer kUninstaller = [](const TByteWriter& write) { write("MZ-uninstall", 12); };


TInstallResult RunInstall(TFakeTarget& target, TProgress& progress, const std::string& setup, TInstallOptions o = {}) {
  TMemorySource source(setup);
  const TPayload payload = OpenPayload(source);
  return Install(source, payload, kFolders, o, target, progress, kUninstaller);
}

TEST(Installer, InstallsEverythingAndLogsIt) {
  const std::string setup = PackScript(kScript);
  TFakeTarget target;
  target.state = Before();
  target.shortPaths["c:\\windows\\syswow64\\my saver.scr"] = "C:\\Windows\\SysWOW64\\MYSAVE~1.SCR";
  TProgress progress;
  const TInstallResult r = RunInstall(target, progress, setup);
  ASSERT_EQ(r.outcome, TInstallOutcome::Done) << r.reason;
  const auto& files = target.state.files;
  EXPECT_EQ(files.at("c:\\windows\\syswow64\\my saver.scr"), "bytes of saver");
  EXPECT_EQ(files.at("c:\\program files\\my saver\\sample\\a.jpg"), Contents("a.jpg"));
  EXPECT_EQ(files.at("c:\\program files\\my saver\\unins000.exe"), "MZ-uninstall");
  EXPECT_EQ(files.at("c:\\start\\programs\\my saver\\my saver.lnk"), "LNK:C:\\Windows\\SysWOW64\\My Saver.scr");
  EXPECT_EQ(files.at("c:\\start\\programs\\my saver\\uninstall.lnk"), "LNK:C:\\Program Files\\My Saver\\unins000.exe");
  EXPECT_EQ(files.at("c:\\users\\u\\desktop\\my saver.lnk"), "LNK:C:\\Windows\\SysWOW64\\My Saver.scr");
  // The other program's file it replaced is kept for the uninstall to put back.
  EXPECT_EQ(files.at("c:\\windows\\syswow64\\my saver.scr.~vb1"), "old saver");
  // The 8.3 name the builder guessed becomes the file's real one.
  EXPECT_EQ(target.state.ini.at("c:\\windows\\system.ini|boot|scrnsave.exe"), "C:\\Windows\\SysWOW64\\MYSAVE~1.SCR");
  EXPECT_EQ(target.state.keys.at("hkcu\\software\\norvane\\my saver").at(""), StringValue("C:\\Program Files\\My Saver"));
  const auto& arp = target.state.keys.at("hklm\\software\\microsoft\\windows\\currentversion\\uninstall\\my saver_is1");
  EXPECT_EQ(arp.at("displayname"), StringValue("My Saver 2"));
  EXPECT_EQ(arp.at("uninstallstring"), StringValue("\"C:\\Program Files\\My Saver\\unins000.exe\""));
  EXPECT_EQ(arp.at("quietuninstallstring"), StringValue("\"C:\\Program Files\\My Saver\\unins000.exe\" /SILENT"));
  EXPECT_EQ(arp.at("installlocation"), StringValue("C:\\Program Files\\My Saver\\"));
  EXPECT_EQ(arp.at("estimatedsize"), DwordValue(uint32_t((kTotalBytes + 1023) / 1024)));
  EXPECT_EQ(arp.count("publisher"), 0u);
  EXPECT_EQ(r.readme, "C:\\Program Files\\My Saver\\Readme.txt");
  // The log on disk is what the install did.
  EXPECT_EQ(DecodeLog(files.at("c:\\program files\\my saver\\unins000.dat")), r.log);
  EXPECT_EQ(progress.last, kTotalBytes);
}

TEST(Installer, TheUninstallEntrySaysVersionPublisherAndLinks) {
  const std::string script = std::string(kScript).replace(std::string(kScript).find("[Files]"), 0,
      "AppVersion=2.10.3\nAppPublisher=Ann Example\nAppPublisherURL=https://a.example/\n"
      "AppSupportURL=https://a.example/help\nAppUpdatesURL=https://a.example/new\n");
  TFakeTarget target;
  target.state = Before();
  TProgress progress;
  ASSERT_EQ(RunInstall(target, progress, PackScript(script.c_str())).outcome, TInstallOutcome::Done);
  const auto& arp = target.state.keys.at("hklm\\software\\microsoft\\windows\\currentversion\\uninstall\\my saver_is1");
  EXPECT_EQ(arp.at("displayversion"), StringValue("2.10.3"));
  EXPECT_EQ(arp.at("publisher"), StringValue("Ann Example"));
  EXPECT_EQ(arp.at("urlinfoabout"), StringValue("https://a.example/"));
  EXPECT_EQ(arp.at("helplink"), StringValue("https://a.example/help"));
  EXPECT_EQ(arp.at("urlupdateinfo"), StringValue("https://a.example/new"));
  EXPECT_EQ(arp.at("versionmajor"), DwordValue(2));
  EXPECT_EQ(arp.at("versionminor"), DwordValue(10));
}

TEST(Installer, VersionNumbersFromTheVersionText) {
  const struct {
    const char* version;
    int major, minor;  // -1: no value
  } kCases[] = {{"1.0", 1, 0}, {"7", 7, -1}, {"3.x", 3, -1}, {"beta 2", -1, -1}, {"", -1, -1}, {"99999999999.1", -1, -1}};
  for (const auto& c : kCases) {
    TPayloadIndex index;
    index.appVersion = c.version;
    std::map<std::string, uint32_t> got;
    for (const auto& [name, value] : AboutValues(index))
      if (name.rfind("Version", 0) == 0) got[name] = DwordOf(value);
    EXPECT_EQ(got.count("VersionMajor") ? int(got["VersionMajor"]) : -1, c.major) << c.version;
    EXPECT_EQ(got.count("VersionMinor") ? int(got["VersionMinor"]) : -1, c.minor) << c.version;
  }
}

// Someone opens an installed file, without allowing deletion, before a
// late fault: the rollback cannot take it out, says so, and has it go at
// the restart; it never reports that nothing was changed.
TEST(Installer, AFileTheRollbackCannotRemoveIsReportedAndGoesAtTheRestart) {
  const std::string setup = PackScript(kScript);
  TFakeTarget clean;
  clean.state = Before();
  TProgress p;
  ASSERT_EQ(RunInstall(clean, p, setup).outcome, TInstallOutcome::Done);
  TFakeTarget target;
  target.state = Before();
  target.failAt = clean.changes;
  const std::string picture = "c:\\program files\\my saver\\sample\\a.jpg", saver = "c:\\windows\\syswow64\\my saver.scr";
  target.inUse = {picture, saver};
  TProgress progress;
  TInstallResult r = RunInstall(target, progress, setup);
  ASSERT_EQ(r.outcome, TInstallOutcome::Failed);
  ASSERT_EQ(r.rollbackProblems.size(), 2u);
  std::sort(r.rollbackProblems.begin(), r.rollbackProblems.end());
  EXPECT_NE(r.rollbackProblems[0].find("could not be removed"), std::string::npos) << r.rollbackProblems[0];
  EXPECT_NE(r.rollbackProblems[1].find("could not be put back"), std::string::npos) << r.rollbackProblems[1];
  EXPECT_EQ(target.atRestart.count(picture), 1u);
  EXPECT_EQ(target.renamedAtRestart.at(saver + ".~vb1"), saver);
  EXPECT_FALSE(target.state == Before());
}

// A fault at every change in turn: the computer is left as it was.
TEST(Installer, AFaultAtAnyChangeRollsEverythingBack) {
  const std::string setup = PackScript(kScript);
  TFakeTarget clean;
  clean.state = Before();
  TProgress p;
  ASSERT_EQ(RunInstall(clean, p, setup).outcome, TInstallOutcome::Done);
  ASSERT_GT(clean.changes, 20);
  for (int k = 1; k <= clean.changes; ++k) {
    TFakeTarget target;
    target.state = Before();
    target.failAt = k;
    TProgress progress;
    const TInstallResult r = RunInstall(target, progress, setup);
    ASSERT_EQ(r.outcome, TInstallOutcome::Failed) << "fault " << k;
    EXPECT_NE(r.reason.find("injected fault"), std::string::npos) << r.reason;
    EXPECT_TRUE(r.rollbackProblems.empty()) << r.rollbackProblems.front();
    EXPECT_TRUE(target.state == Before()) << "fault " << k << ": " << r.reason;
    EXPECT_TRUE(r.readme.empty());
  }
}

TEST(Installer, CancelAtAnyPointRollsEverythingBack) {
  const std::string setup = PackScript(kScript);
  for (int k = 1;; ++k) {
    TFakeTarget target;
    target.state = Before();
    TProgress progress;
    progress.cancelAt = k;
    const TInstallResult r = RunInstall(target, progress, setup);
    if (r.outcome == TInstallOutcome::Done) {
      EXPECT_GT(k, 10);
      break;
    }
    ASSERT_EQ(r.outcome, TInstallOutcome::Cancelled) << k;
    EXPECT_TRUE(target.state == Before()) << "cancel " << k;
  }
}

TEST(Installer, UninstallRemovesWhatTheInstallMadeAndNothingElse) {
  const std::string setup = PackScript(kScript);
  TFakeTarget target;
  target.state = Before();
  TProgress progress;
  const TInstallResult r = RunInstall(target, progress, setup);
  ASSERT_EQ(r.outcome, TInstallOutcome::Done);
  // The user adds a picture of his own.
  target.state.files["c:\\program files\\my saver\\sample\\mine.jpg"] = "user's";

  const TUninstallReport report = Uninstall(DecodeLog(target.state.files.at("c:\\program files\\my saver\\unins000.dat")), kFolders.app, target);
  EXPECT_TRUE(report.problems.empty());

  TFakeSystem expected = Before();
  // What stays: the never-uninstall file and the user's file with its
  // folders; the saver it replaced and the screensaver setting come back.
  expected.files["c:\\windows\\syswow64\\vantasaver.001"] = "bytes of VantaSaver.001";
  expected.files["c:\\program files\\my saver\\sample\\mine.jpg"] = "user's";
  expected.folders.insert("c:\\program files\\my saver");
  expected.folders.insert("c:\\program files\\my saver\\sample");
  EXPECT_TRUE(target.state == expected);
  EXPECT_NE(std::find(report.kept.begin(), report.kept.end(), "C:\\Program Files\\My Saver\\sample"), report.kept.end());
  EXPECT_NE(std::find(report.kept.begin(), report.kept.end(), "C:\\Windows\\SysWOW64\\VantaSaver.001"), report.kept.end());
}

// The second install finds the folders made; its log keeps the first's, so
// the uninstall still takes them away.
// A saver running while it is uninstalled: it goes at the next restart,
// and so does its folder if nothing else is left in it.
TEST(Installer, FilesInUseGoAtTheNextRestart) {
  const std::string setup = PackScript(kScript);
  TFakeTarget target;
  target.state = Before();
  TProgress p;
  ASSERT_EQ(RunInstall(target, p, setup).outcome, TInstallOutcome::Done);
  target.inUse = {"c:\\windows\\syswow64\\my saver.scr", "c:\\program files\\my saver\\sample\\a.jpg"};
  const TUninstallReport report = Uninstall(DecodeLog(target.state.files.at("c:\\program files\\my saver\\unins000.dat")), kFolders.app, target);
  EXPECT_TRUE(report.problems.empty());
  EXPECT_EQ(target.atRestart, (std::set<std::string>{"c:\\program files\\my saver\\sample\\a.jpg",
                                                     "c:\\program files\\my saver\\sample",
                                                     "c:\\program files\\my saver"}));
  // The saver it replaced takes its place again at the restart.
  EXPECT_EQ(target.renamedAtRestart, (std::map<std::string, std::string>{
                                         {"c:\\windows\\syswow64\\my saver.scr.~vb1", "c:\\windows\\syswow64\\my saver.scr"}}));
  EXPECT_EQ(report.atRestart.size(), 4u);
  // The system folder was not made by the install: never scheduled.
  EXPECT_EQ(target.atRestart.count("c:\\windows\\syswow64"), 0u);
}

TEST(Installer, UninstallAfterAReinstallRemovesWhatBothMade) {
  const std::string setup = PackScript(kScript);
  TFakeTarget target;
  target.state = Before();
  TProgress p;
  ASSERT_EQ(RunInstall(target, p, setup).outcome, TInstallOutcome::Done);
  ASSERT_EQ(RunInstall(target, p, setup).outcome, TInstallOutcome::Done);
  const TUninstallReport report = Uninstall(DecodeLog(target.state.files.at("c:\\program files\\my saver\\unins000.dat")), kFolders.app, target);
  EXPECT_TRUE(report.problems.empty());
  TFakeSystem expected = Before();
  expected.files["c:\\windows\\syswow64\\vantasaver.001"] = "bytes of VantaSaver.001";
  EXPECT_TRUE(target.state == expected);
}

TEST(Installer, ReinstallFailureLeavesTheFirstInstall) {
  const std::string setup = PackScript(kScript);
  TFakeTarget first;
  first.state = Before();
  TProgress p;
  ASSERT_EQ(RunInstall(first, p, setup).outcome, TInstallOutcome::Done);
  const TFakeSystem installed = first.state;
  TFakeTarget again;
  again.state = installed;
  ASSERT_EQ(RunInstall(again, p, setup).outcome, TInstallOutcome::Done);
  const int changes = again.changes;
  for (int k = 1; k <= changes; ++k) {
    TFakeTarget target;
    target.state = installed;
    target.failAt = k;
    TProgress progress;
    ASSERT_EQ(RunInstall(target, progress, setup).outcome, TInstallOutcome::Failed) << k;
    EXPECT_TRUE(target.state == installed) << "fault " << k;
  }
}

// A payload packed by hand cannot put a file where the log or the
// uninstaller goes.
TEST(Installer, TheUninstallersFilesAreNotForThePayload) {
  for (const char* name : {"unins000.dat", "UNINS000.EXE"}) {
    TStringSink sink;
    TPayloadWriter writer(sink);
    writer.AddFile({TFolder::App, ""}, name, 0, "planted");
    writer.Finish(IndexOfScript(ParseScript("[Setup]\nAppName=A\nAppVerName=A\nDefaultDirName={pf}\\A\n")));
    TMemorySource source(sink.bytes);
    const TPayload payload = OpenPayload(source);
    TFakeTarget target;
    target.state = Before();
    TProgress progress;
    const TInstallResult r = Install(source, payload, kFolders, {}, target, progress, kUninstaller);
    EXPECT_EQ(r.outcome, TInstallOutcome::Failed) << name;
    EXPECT_NE(r.reason.find("uninstaller's own file"), std::string::npos) << r.reason;
    EXPECT_TRUE(target.state == Before());
  }
}

// Checks that each change is in the log on disk before it is made, and
// counts the log's writes.
class TWriteAheadTarget : public TFakeTarget {
 public:
  explicit TWriteAheadTarget(std::string logPath) : logPath_(Lowered(std::move(logPath))) {}
  void CreateFolder(const std::string& path) override {
    if (Lowered(path) != Lowered(kFolders.app)) Covered(path);  // {app} holds the log, and is logged once it can be
    TFakeTarget::CreateFolder(path);
  }
  void WriteFile(const std::string& path, const TFileProducer& produce) override {
    if (Lowered(path) != logPath_) Covered(path);
    TFakeTarget::WriteFile(path, produce);
  }
  void RenameFile(const std::string& from, const std::string& to) override {
    if (Lowered(from) != logPath_) Covered(from + "\t" + to);  // an earlier log is taken in before the new one starts
    TFakeTarget::RenameFile(from, to);
  }
  void WriteValue(TRegistryRoot root, const std::string& subkey, const std::string& name, const TRegValue& v) override {
    Covered(subkey + "\t" + name + "\t");
    TFakeTarget::WriteValue(root, subkey, name, v);
  }
  void AppendFile(const std::string& path, const std::string& bytes) override {
    appends += Lowered(path) == logPath_;
    TFakeTarget::AppendFile(path, bytes);
  }
  int appends = 0;
  std::vector<std::string> unlogged;

 private:
  static std::string Lowered(std::string s) { return LowerText(std::move(s)); }
  void Covered(const std::string& what) {
    const auto log = state.files.find(logPath_);
    if (log == state.files.end() || log->second.find(what) == std::string::npos) unlogged.push_back(what);
  }
  std::string logPath_;
};

// Records reach the disk before what they record is done; what only adds
// (folders, new files, a new key's values) is logged in a few writes, not
// one a file.
TEST(Installer, TheLogIsWrittenAheadInAFewPieces) {
  std::string script = kScript, files;
  for (int i = 0; i < 40; ++i) files += "Source: a.jpg; DestDir: {app}\\sample\\s" + std::to_string(i % 4) + "; DestName: p" + std::to_string(i) + ".jpg\n";
  script.insert(script.find("[Registry]"), files);
  for (bool again : {false, true}) {
    TWriteAheadTarget target(kFolders.app + "\\unins000.dat");
    target.state = Before();
    TProgress progress;
    if (again) {  // over an earlier install: its files are replaced, each logged on its own
      ASSERT_EQ(RunInstall(target, progress, PackScript(script.c_str())).outcome, TInstallOutcome::Done);
      target.unlogged.clear();
      target.appends = 0;
    }
    const TInstallResult r = RunInstall(target, progress, PackScript(script.c_str()));
    ASSERT_EQ(r.outcome, TInstallOutcome::Done) << r.reason;
    EXPECT_TRUE(target.unlogged.empty()) << target.unlogged.front() << " was done before it was logged";
    EXPECT_EQ(target.state.files.count("c:\\program files\\my saver\\sample\\s3\\p39.jpg"), 1u);
    if (!again) EXPECT_LT(target.appends, 20) << "44 new files, 5 new folders";
    else EXPECT_GE(target.appends, 44) << "each replaced file";
  }
}

TEST(Installer, NoIconsLeavesTheGroupOut) {
  TFakeTarget target;
  target.state = Before();
  TProgress p;
  TInstallOptions options;
  options.noIcons = true;
  ASSERT_EQ(RunInstall(target, p, PackScript(kScript), options).outcome, TInstallOutcome::Done);
  EXPECT_EQ(target.state.folders.count("c:\\start\\programs\\my saver"), 0u);
  EXPECT_EQ(target.state.files.count("c:\\users\\u\\desktop\\my saver.lnk"), 1u);
}

TEST(Installer, InstallFolders) {
  for (const char* ok : {"C:\\Program Files\\My Saver", "d:\\x", "C:\\a\\b\\"}) EXPECT_EQ(CheckInstallFolder(ok), std::nullopt) << ok;
  for (const char* bad : {"C:\\", "C:", "C:x", "\\\\server\\share\\x", "x", "", "C:\\a\\..\\..", "C:\\CON", "C:\\a/b",
                          "C:\\a\\b:c", "C:\\a\\\\b"})
    EXPECT_TRUE(CheckInstallFolder(bad).has_value()) << bad;
}

struct TShortCase {
  const char* text;
  std::vector<std::string> installed;
  const char* shortPath;  // what the volume gives for the match, "" none
  const char* expected;
};

TEST(Installer, ValuesNamingAnInstalledFileByItsShortForm) {
  const TShortCase kCases[] = {
      {"{sys}\\MySaver~1.scr", {"C:\\Windows\\SysWOW64\\My Saver.scr"}, "C:\\WINDOWS\\SYSWOW64\\MYSAVE~1.SCR",
       "C:\\WINDOWS\\SYSWOW64\\MYSAVE~1.SCR"},
      {"{sys}\\MySaver~1.scr", {"C:\\Windows\\SysWOW64\\My Saver.scr"}, "", "C:\\Windows\\SysWOW64\\My Saver.scr"},
      {"{sys}\\SunnyD~1.scr", {"C:\\Windows\\SysWOW64\\Sunny Days.scr"}, "", "C:\\Windows\\SysWOW64\\Sunny Days.scr"},
      {"{sys}\\Holida~1.scr", {"C:\\Windows\\SysWOW64\\Holidays2004.scr"}, "", "C:\\Windows\\SysWOW64\\Holidays2004.scr"},
      {"{sys}\\Sunset.scr", {"C:\\Windows\\SysWOW64\\Sunset.scr"}, "", "C:\\Windows\\SysWOW64\\Sunset.scr"},
      // Not this install's file, another folder, another extension, two candidates: as written.
      {"{sys}\\MySaver~1.scr", {}, "", "C:\\Windows\\SysWOW64\\MySaver~1.scr"},
      {"{sys}\\MySaver~1.scr", {"C:\\Program Files\\My Saver\\My Saver.scr"}, "", "C:\\Windows\\SysWOW64\\MySaver~1.scr"},
      {"{sys}\\MySaver~1.scr", {"C:\\Windows\\SysWOW64\\My Saver.exe"}, "", "C:\\Windows\\SysWOW64\\MySaver~1.scr"},
      {"{sys}\\MySave~1.scr", {"C:\\Windows\\SysWOW64\\My Saver.scr", "C:\\Windows\\SysWOW64\\MySaverX.scr"}, "",
       "C:\\Windows\\SysWOW64\\MySave~1.scr"},
      {"{sys}\\My~Saver.scr", {"C:\\Windows\\SysWOW64\\My~Saver.scr"}, "", "C:\\Windows\\SysWOW64\\My~Saver.scr"},
  };
  for (const TShortCase& c : kCases) {
    TFakeTarget target;
    for (const std::string& f : c.installed) {
      target.state.files[TFakeTarget::Lower(f)] = "x";
      if (*c.shortPath) target.shortPaths[TFakeTarget::Lower(f)] = c.shortPath;
    }
    EXPECT_EQ(ExpandValue(*ParseConstText(c.text, nullptr), kFolders, c.installed, target), c.expected) << c.text;
  }
}

}  // namespace
}  // namespace vanta::build
