// What an elevated setup and uninstaller trust: a log checked whole before
// anything is undone, no log of a stranger taken over, shared system files
// replaced only by newer ones and counted, keys and the screensaver setting
// given back to what they were.
#include <gtest/gtest.h>

#include "Compiler.h"
#include "FakeTarget.h"
#include "setup/AfterInstall.h"
#include "setup/FileVersion.h"
#include "setup/Handshake.h"
#include "setup/Installer.h"
#include "setup/Uninstall.h"

namespace vanta::build {
namespace {

const TSetupFolders kFolders{"C:\\Program Files\\My Saver", "C:\\Program Files", "C:\\Windows\\SysWOW64", "C:\\Windows",
                             "C:\\Start\\Programs\\My Saver", "C:\\Users\\u\\Desktop", "C:"};
const char kLog[] = "c:\\program files\\my saver\\unins000.dat";
const char kDll[] = "c:\\windows\\syswow64\\mpegdll.dll";

// A program's bytes with a version resource's fixed part, as Windows lays it.
std::string Versioned(uint16_t major, const std::string& tag) {
  std::string b = "MZ" + tag;
  b.resize((b.size() + 3) / 4 * 4, '\0');
  const auto word = [&b](uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b += char(v >> (8 * i));
  };
  word(92, 2), word(52, 2), word(0, 2);
  for (char c : std::string("VS_VERSION_INFO")) word(uint8_t(c), 2);
  word(0, 2), word(0, 2);  // the key's end, the padding
  word(0xFEEF04BD, 4), word(0x10000, 4), word(uint32_t(major) << 16, 4), word(0, 4);
  return b + std::string(36, '\0');
}

std::string Pack(const std::string& script, const std::map<std::string, std::string>& contents) {
  const TScript s = ParseScript(script);
  TStringSink sink;
  sink.bytes = "MZ";
  TPayloadWriter writer(sink);
  for (const TFileLine& f : s.files)
    writer.AddFile(f.destDir, f.destName.empty() ? f.source : f.destName,
                   (f.neverUninstall ? uint32_t(kFileNeverUninstall) : 0u) | (f.sharedFile ? uint32_t(kFileShared) : 0u),
                   contents.count(f.source) ? contents.at(f.source) : "bytes of " + f.source);
  writer.Finish(IndexOfScript(s));
  return sink.bytes;
}

std::string Script(const std::string& app, const std::string& more = "") {
  return "[Setup]\nAppName=" + app + "\nAppVerName=" + app + "\nDefaultDirName={pf}\\" + app + "\n[Files]\n" +
         "Source: saver; DestDir: {sys}\\; DestName: " + app + ".scr\n" +
         "Source: mpegdll.dll; DestDir: {sys}\\; DestName: MPEGDLL.DLL; Flags: sharedfile\n" + more +
         "[Registry]\nRoot: HKCU; Subkey: Software\\Norvane\\" + app +
         "; ValueType: string; ValueName: \"\"; ValueData: {app}; Flags: uninsdeletekey\n"
         "[INI]\nFilename: {win}\\system.INI; Section: boot; Key: SCRNSAVE.EXE; String: {sys}\\" + app + ".scr\n";
}

class TNoProgress : public IInstallProgress {
 public:
  void Progress(const std::string&, uint64_t, uint64_t) override {}
  bool Cancelled() override { return false; }
};

class TrustTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* f : {"c:\\program files", "c:\\windows", "c:\\windows\\syswow64", "c:\\start", "c:\\start\\programs",
                          "c:\\users", "c:\\users\\u", "c:\\users\\u\\desktop"})
      target.state.folders.insert(f);
    for (const char* key : {"hkcu\\software", "hklm\\software", "hklm\\software\\microsoft", "hklm\\software\\microsoft\\windows",
                            "hklm\\software\\microsoft\\windows\\currentversion",
                            "hklm\\software\\microsoft\\windows\\currentversion\\uninstall"})
      target.state.keys[key];
    target.state.ini["c:\\windows\\system.ini|boot|scrnsave.exe"] = "C:\\Windows\\SysWOW64\\Before.scr";
  }
  TInstallResult Install(const std::string& app, const std::string& dll = Versioned(1, "ours"), const std::string& more = "") {
    const std::string setup = Pack(Script(app, more), {{"mpegdll.dll", dll}});
    TMemorySource source(setup);
    TSetupFolders folders = kFolders;
    folders.app = "C:\\Program Files\\" + app;
    folders.group = "C:\\Start\\Programs\\" + app;
    TNoProgress progress;
    return build::Install(source, OpenPayload(source), folders, {}, target, progress,
                          [](const TByteWriter& write) { write("MZ-uninstall", 12); });
  }
  TUninstallReport Uninstall(const std::string& app) {
    const std::string folder = "C:\\Program Files\\" + app;
    return build::Uninstall(DecodeLog(target.state.files.at(TFakeTarget::Lower(folder + "\\unins000.dat"))), folder, target);
  }
  std::optional<TRegValue> Users() {
    return target.ReadValue(TRegistryRoot::LocalMachine, kSharedDllsKey, "C:\\Windows\\SysWOW64\\MPEGDLL.DLL");
  }

  TFakeTarget target;
};

TEST(FileVersionTest, TheFixedPartOfTheVersionResource) {
  EXPECT_EQ(FileVersion(Versioned(3, "x")), uint64_t(3) << 48);
  EXPECT_EQ(FileVersion(Versioned(1, "abc")), uint64_t(1) << 48);  // the resource at another offset
  EXPECT_EQ(FileVersion("MZ no resource"), 0u);
  std::string cut = Versioned(2, "x");
  EXPECT_EQ(FileVersion(cut.substr(0, cut.size() - 60)), 0u);
  std::string unsigned_ = Versioned(2, "x");
  unsigned_[unsigned_.find('\xBD')] = 0;
  EXPECT_EQ(FileVersion(unsigned_), 0u);
}

// Lines added to the log after the install: the uninstall refuses the log
// and changes nothing, whatever the line names.
TEST_F(TrustTest, ARecordOutsideTheInstallsRootsRefusesTheWholeLog) {
  ASSERT_EQ(Install("My Saver").outcome, TInstallOutcome::Done);
  target.state.files["c:\\windows\\syswow64\\other.dll"] = "not ours";
  target.state.keys["hklm\\software\\microsoft\\windows\\currentversion\\run"]["evil"] = StringValue("x");
  const std::string log = target.state.files.at(kLog);
  const char* hostile[] = {
      "F\tC:\\Windows\\SysWOW64\\other.dll\t0",
      "R\tC:\\Windows\\SysWOW64\\other.dll\tC:\\Windows\\SysWOW64\\other.dll.~vb1\t0",
      "F\tC:\\Program Files\\My Saver\\..\\..\\Windows\\SysWOW64\\other.dll\t0",
      "F\tC:\\Users\\u\\Documents\\letter.doc\t0",
      "R\tC:\\Program Files\\My Saver\\a.txt\tC:\\Windows\\SysWOW64\\other.dll\t0",
      "X\tHKLM\tSOFTWARE\\Microsoft",
      "X\tHKCU\tSoftware\\Norvane",
      "K\tHKLM\tSYSTEM\\CurrentControlSet\\Services\\x",
      "V\tHKLM\tSOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\tevil\t-",
      "V\tHKLM\tSoftware\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs\tC:\\Windows\\SysWOW64\\other.dll\t-",
      "I\tC:\\Windows\\win.ini\twindows\tload\tx\t-",
      "O\tfile\tC:\\Windows\\SysWOW64\\other.dll",
      "O\tkey\tHKLM\tSOFTWARE\\Microsoft",
      "A\tOther",
  };
  for (const char* line : hostile) {
    const TFakeSystem before = target.state;
    const std::vector<TLogRecord> records = DecodeLog(log + line + "\r\n");
    EXPECT_THROW(build::Uninstall(records, kFolders.app, target), TLogError) << line;
    EXPECT_TRUE(target.state == before) << line;
  }
  // The log of another folder is not this folder's uninstaller's to run.
  EXPECT_THROW(build::Uninstall(DecodeLog(log), "C:\\Program Files\\Elsewhere", target), TLogError);
  EXPECT_NO_THROW(Uninstall("My Saver"));
  EXPECT_EQ(target.state.files.at("c:\\windows\\syswow64\\other.dll"), "not ours");
}

// An install into a folder that holds a log takes it over only when it is
// this program's and passes the same check; otherwise the folder is refused.
TEST_F(TrustTest, AStrangersLogInTheChosenFolderRefusesTheFolder) {
  ASSERT_EQ(Install("Other").outcome, TInstallOutcome::Done);
  const std::string others = target.state.files.at("c:\\program files\\other\\unins000.dat");
  ASSERT_EQ(Install("My Saver").outcome, TInstallOutcome::Done);
  const std::string mine = target.state.files.at(kLog);
  const struct {
    const char* what;
    std::string log;
  } cases[] = {
      {"another program's log", others},
      {"a line added", mine + "F\tC:\\Windows\\SysWOW64\\kernel32.dll\t0\r\n"},
      {"damaged", mine.substr(0, mine.size() / 2) + "\r\nZZ\r\n"},
      {"an older version's", std::string(kOlderLogHeader) + "\r\nA\tMy Saver\r\n"},
  };
  for (const auto& c : cases) {
    target.state.files[kLog] = c.log;
    const TFakeSystem before = target.state;
    const TInstallResult r = Install("My Saver");
    EXPECT_EQ(r.outcome, TInstallOutcome::Failed) << c.what;
    EXPECT_NE(r.reason.find("cannot be taken over"), std::string::npos) << c.what << ": " << r.reason;
    EXPECT_TRUE(target.state == before) << c.what;
  }
  target.state.files[kLog] = mine;
  EXPECT_EQ(Install("My Saver").outcome, TInstallOutcome::Done) << "its own log is taken over";
}

TEST_F(TrustTest, AScriptThatWouldOwnABroadKeyIsRefusedBeforeAnyChange) {
  for (const char* subkey : {"SOFTWARE\\Microsoft", "Software", "SYSTEM\\CurrentControlSet", "Software\\Classes\\.scr"}) {
    const std::string script = "[Setup]\nAppName=K\nAppVerName=K\nDefaultDirName={pf}\\K\n[Registry]\nRoot: HKLM; Subkey: " +
                               std::string(subkey) + "; ValueType: string; ValueName: x; ValueData: y; Flags: uninsdeletekey\n";
    const std::string setup = Pack(script, {});
    TMemorySource source(setup);
    TNoProgress progress;
    const TFakeSystem before = target.state;
    TSetupFolders folders = kFolders;
    folders.app = "C:\\Program Files\\K";
    const TInstallResult r = build::Install(source, OpenPayload(source), folders, {}, target, progress,
                                            [](const TByteWriter& write) { write("MZ", 2); });
    EXPECT_EQ(r.outcome, TInstallOutcome::Failed) << subkey;
    EXPECT_TRUE(target.state == before) << subkey;
  }
}

// Two programs share MPEGDLL.DLL: counted as Windows counts, removed with
// the last of them; an older version never replaces a newer one.
TEST_F(TrustTest, ASharedFileIsCountedAndGoesWithItsLastUser) {
  ASSERT_EQ(Install("A").outcome, TInstallOutcome::Done);
  EXPECT_EQ(Users(), DwordValue(1));
  ASSERT_EQ(Install("B", Versioned(2, "newer")).outcome, TInstallOutcome::Done);
  EXPECT_EQ(Users(), DwordValue(2));
  EXPECT_EQ(target.state.files.at(kDll), Versioned(2, "newer"));
  EXPECT_EQ(target.state.files.at(std::string(kDll) + ".~vb1"), Versioned(1, "ours")) << "a shared file's backup stays";
  ASSERT_EQ(Install("C", Versioned(1, "older")).outcome, TInstallOutcome::Done);
  EXPECT_EQ(target.state.files.at(kDll), Versioned(2, "newer")) << "version 1 replaced version 2";
  EXPECT_EQ(Users(), DwordValue(3));

  for (const char* app : {"B", "A"}) {
    EXPECT_TRUE(Uninstall(app).problems.empty());
    EXPECT_EQ(target.state.files.at(kDll), Versioned(2, "newer")) << "removed while " << app << "'s sharers remain";
  }
  EXPECT_EQ(Users(), DwordValue(1));
  EXPECT_TRUE(Uninstall("C").problems.empty());
  EXPECT_EQ(target.state.files.count(kDll), 0u);
  EXPECT_EQ(Users(), std::nullopt);
}

TEST_F(TrustTest, ASharedFileThatWasThereWithoutACountKeepsItsFirstUser) {
  target.state.files[kDll] = Versioned(3, "another vendor's");
  ASSERT_EQ(Install("A").outcome, TInstallOutcome::Done);
  EXPECT_EQ(target.state.files.at(kDll), Versioned(3, "another vendor's"));
  EXPECT_EQ(Users(), DwordValue(2));
  EXPECT_TRUE(Uninstall("A").problems.empty());
  EXPECT_EQ(target.state.files.at(kDll), Versioned(3, "another vendor's"));
  EXPECT_EQ(Users(), DwordValue(1));
}

// Another vendor's saver of the same name: replaced by the install, back
// after the uninstall; a backup in use at the end goes at the restart.
TEST_F(TrustTest, AFileThatWasThereComesBackAndABusyBackupGoesAtTheRestart) {
  target.state.files["c:\\windows\\syswow64\\aquarium.scr"] = "another vendor's aquarium";
  ASSERT_EQ(Install("Aquarium").outcome, TInstallOutcome::Done);
  EXPECT_EQ(target.state.files.at("c:\\windows\\syswow64\\aquarium.scr"), "bytes of saver");
  EXPECT_TRUE(Uninstall("Aquarium").problems.empty());
  EXPECT_EQ(target.state.files.at("c:\\windows\\syswow64\\aquarium.scr"), "another vendor's aquarium");
  EXPECT_EQ(target.state.files.count("c:\\windows\\syswow64\\aquarium.scr.~vb1"), 0u);

  // A shared file's backup stays with it until the uninstall; in use then,
  // it goes at the restart.
  target.state.files[kDll] = Versioned(1, "loaded");
  target.inUse.insert(std::string(kDll) + ".~vb1");
  ASSERT_EQ(Install("A").outcome, TInstallOutcome::Done);
  EXPECT_EQ(target.atRestart.count(std::string(kDll) + ".~vb1"), 0u);
  EXPECT_TRUE(Uninstall("A").problems.empty());
  EXPECT_EQ(target.atRestart.count(std::string(kDll) + ".~vb1"), 1u);
}

// uninsdeletekey on a key another saver of the same name had: its value
// comes back, the key stays. The screensaver setting comes back while it
// still names this saver, and is left when the user chose another since.
TEST_F(TrustTest, KeysAndTheScreensaverSettingGetBackWhatTheyHeld) {
  target.state.keys["hkcu\\software\\norvane"];
  target.state.keys["hkcu\\software\\norvane\\my saver"][""] = StringValue("C:\\Savers\\Other Vendor");
  ASSERT_EQ(Install("My Saver").outcome, TInstallOutcome::Done);
  EXPECT_TRUE(Uninstall("My Saver").problems.empty());
  EXPECT_EQ(target.state.keys.at("hkcu\\software\\norvane\\my saver").at(""), StringValue("C:\\Savers\\Other Vendor"));
  EXPECT_EQ(target.state.ini.at("c:\\windows\\system.ini|boot|scrnsave.exe"), "C:\\Windows\\SysWOW64\\Before.scr");

  target.state.keys.erase("hkcu\\software\\norvane\\my saver");
  ASSERT_EQ(Install("My Saver").outcome, TInstallOutcome::Done);
  target.state.ini["c:\\windows\\system.ini|boot|scrnsave.exe"] = "C:\\Windows\\SysWOW64\\Chosen.scr";
  EXPECT_TRUE(Uninstall("My Saver").problems.empty());
  EXPECT_EQ(target.state.keys.count("hkcu\\software\\norvane\\my saver"), 0u) << "the key it made goes whole";
  EXPECT_EQ(target.state.ini.at("c:\\windows\\system.ini|boot|scrnsave.exe"), "C:\\Windows\\SysWOW64\\Chosen.scr");
}

// A record put into a real install's log, however well it passes the
// log's own rules, breaks the digest the uninstall entry keeps: nothing is
// changed. So does a log the entry does not name.
TEST_F(TrustTest, ALogIsBoundToItsInstallByTheDigestInItsUninstallEntry) {
  ASSERT_EQ(Install("Other").outcome, TInstallOutcome::Done);
  ASSERT_EQ(Install("My Saver").outcome, TInstallOutcome::Done);
  target.state.files["c:\\windows\\syswow64\\drivers\\disk.sys"] = "the system's";
  const std::string log = target.state.files.at(kLog);
  const size_t head = log.find("\r\n", log.find("\r\nA\t") + 2) + 2;
  const struct {
    TLogRecord root;
    std::string action;  // a line after the others: what the root lets through
  } added[] = {
      {RootRecord(TRootKind::File, "C:\\Windows\\SysWOW64\\drivers\\disk.sys"), "F\tC:\\Windows\\SysWOW64\\drivers\\disk.sys\t0\r\n"},
      {KeyRootRecord(TRegistryRoot::LocalMachine, "Software\\Norvane\\Other"),
       EncodeRecord(DeleteKeyRecord(TRegistryRoot::LocalMachine, "Software\\Norvane\\Other")) + "\r\n"},
      {IniRootRecord("C:\\Windows\\other.ini", "x", "y"), ""},
  };
  for (const auto& a : added) {
    const std::string forged = log.substr(0, head) + EncodeRecord(a.root) + "\r\n" + log.substr(head) + a.action;
    EXPECT_NO_THROW(CheckLog(DecodeLog(forged), kFolders.app)) << "passes the rules alone: " << EncodeRecord(a.root);
    const TFakeSystem before = target.state;
    EXPECT_THROW(UninstallLog(forged, kFolders.app, target), TLogError) << EncodeRecord(a.root);
    EXPECT_TRUE(target.state == before) << EncodeRecord(a.root);
  }
  // Another install's log copied here; an entry that names another folder.
  const TFakeSystem before = target.state;
  EXPECT_THROW(UninstallLog(target.state.files.at("c:\\program files\\other\\unins000.dat"), kFolders.app, target), TLogError);
  auto& entry = target.state.keys.at("hklm\\software\\microsoft\\windows\\currentversion\\uninstall\\my saver_is1");
  const TRegValue location = entry.at("installlocation");
  entry["installlocation"] = StringValue("C:\\Program Files\\Elsewhere\\");
  EXPECT_THROW(UninstallLog(log, kFolders.app, target), TLogError);
  entry["installlocation"] = location;
  EXPECT_TRUE(target.state == before);
  EXPECT_TRUE(UninstallLog(log, kFolders.app, target).problems.empty());
  EXPECT_EQ(target.state.files.at("c:\\windows\\syswow64\\drivers\\disk.sys"), "the system's");
  EXPECT_EQ(target.state.files.count(kLog), 0u);
}

// Roots no script of ours makes: a vendor's whole tree, another program's
// uninstall entry, entries of system.ini and win.ini that Windows keeps in
// the registry (a program started at every logon). The saver's own line is
// allowed.
TEST_F(TrustTest, RootsBeyondWhatAScriptCanMakeAreRefused) {
  ASSERT_EQ(Install("My Saver").outcome, TInstallOutcome::Done);
  const std::string log = target.state.files.at(kLog);
  const size_t head = log.find("\r\n", log.find("\r\nA\t") + 2) + 2;
  const TLogRecord roots[] = {
      KeyRootRecord(TRegistryRoot::CurrentUser, "Software\\Norvane"),
      KeyRootRecord(TRegistryRoot::LocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Other_is1"),
      IniRootRecord("C:\\Windows\\system.ini", "boot", "shell"),
      IniRootRecord("C:\\Windows\\SYSTEM.INI", "drivers32", "msacm.x"),
      IniRootRecord("C:\\Windows\\win.ini", "windows", "load"),
  };
  for (const TLogRecord& r : roots) {
    const std::string forged = log.substr(0, head) + EncodeRecord(r) + "\r\n" + log.substr(head);
    EXPECT_THROW(CheckLog(DecodeLog(forged), kFolders.app), TLogError) << EncodeRecord(r);
  }
  EXPECT_NO_THROW(CheckLog(DecodeLog(log), kFolders.app));
}

// A shared file outside the system folder: an older version never replaces
// a newer one, and the replaced one's backup stays until the uninstall.
TEST_F(TrustTest, ASharedFileOutsideTheSystemFolderIsNeverDowngraded) {
  target.state.folders.insert("c:\\program files\\common");
  const std::string more = "Source: codec.dll; DestDir: {pf}\\Common\\; Flags: sharedfile\n";
  const std::string codec = "c:\\program files\\common\\codec.dll";
  const auto install = [&](const std::string& app, uint16_t version) {
    const std::string setup = Pack(Script(app, more), {{"codec.dll", Versioned(version, app)}});
    TMemorySource source(setup);
    TSetupFolders folders = kFolders;
    folders.app = "C:\\Program Files\\" + app;
    TNoProgress progress;
    return build::Install(source, OpenPayload(source), folders, {}, target, progress,
                          [](const TByteWriter& write) { write("MZ", 2); });
  };
  ASSERT_EQ(install("A", 2).outcome, TInstallOutcome::Done);
  const TInstallResult older = install("B", 1);
  ASSERT_EQ(older.outcome, TInstallOutcome::Done);
  EXPECT_EQ(target.state.files.at(codec), Versioned(2, "A")) << "version 1 replaced version 2";
  EXPECT_EQ(older.keptNewer, std::vector<std::string>{"C:\\Program Files\\Common\\codec.dll"});
  ASSERT_EQ(install("C", 3).outcome, TInstallOutcome::Done);
  EXPECT_EQ(target.state.files.at(codec), Versioned(3, "C"));
  EXPECT_EQ(target.state.files.at(codec + ".~vb1"), Versioned(2, "A")) << "the backup went at the commit";
}

// A folder outside Program Files gets the install's own access list; one
// any user may change is refused unless it is empty.
TEST_F(TrustTest, AnInstallFolderOutsideProgramFilesIsProtected) {
  target.state.folders.insert("c:\\games");
  target.openFolders.insert("c:\\games");
  const auto installTo = [&](const std::string& folder) {
    const std::string setup = Pack(Script("G"), {});
    TMemorySource source(setup);
    TSetupFolders folders = kFolders;
    folders.app = folder;
    TNoProgress progress;
    return build::Install(source, OpenPayload(source), folders, {}, target, progress,
                          [](const TByteWriter& write) { write("MZ", 2); });
  };
  ASSERT_EQ(installTo("C:\\Games\\Saver").outcome, TInstallOutcome::Done);
  EXPECT_EQ(target.protectedFolders, std::set<std::string>{"c:\\games\\saver"});
  EXPECT_EQ(target.openFolders.count("c:\\games\\saver"), 0u);

  target.state.folders.insert("c:\\games\\planted");
  target.openFolders.insert("c:\\games\\planted");
  target.state.files["c:\\games\\planted\\readme.txt"] = "a user's";
  const TFakeSystem before = target.state;
  const TInstallResult r = installTo("C:\\Games\\Planted");
  EXPECT_EQ(r.outcome, TInstallOutcome::Failed);
  EXPECT_NE(r.reason.find("can be changed by users who are not administrators"), std::string::npos) << r.reason;
  EXPECT_TRUE(target.state == before);

  target.state.files.erase("c:\\games\\planted\\readme.txt");
  ASSERT_EQ(installTo("C:\\Games\\Planted").outcome, TInstallOutcome::Done);
  EXPECT_EQ(target.protectedFolders.count("c:\\games\\planted"), 1u);
  ASSERT_EQ(installTo("C:\\Program Files\\G").outcome, TInstallOutcome::Done);
  EXPECT_EQ(target.protectedFolders.count("c:\\program files\\g"), 0u) << "Program Files keeps its own";
}

}  // namespace
}  // namespace vanta::build

namespace vanta::build {
namespace {

class TRecordingShell : public IUserShell {
 public:
  bool OpenAsUser(const std::string& file, const std::string& parameters) override {
    opened.push_back(parameters.empty() ? file : file + " " + parameters);
    return works;
  }
  std::vector<std::string> opened;
  bool works = true;
};

// The readme goes to the desktop's shell, to run as its user; when that
// cannot be done it is not opened at all, never with the setup's token.
// The uninstaller's copy goes on only with the real uninstaller behind it.
TEST(HandshakeTest, OnlyTheRealUninstallerFromThePrivateFolderWithinTheWait) {
  const TFileId uninstaller{7, 42, false}, folder{7, 43, true}, other{7, 44, false}, elsewhere{8, 42, false};
  const struct {
    const char* what;
    THandshake facts;
    bool goes;
  } cases[] = {
      {"the real uninstaller", {true, uninstaller, uninstaller, true}, true},
      {"not from the private folder", {false, uninstaller, uninstaller, true}, false},
      {"no handle", {true, std::nullopt, uninstaller, true}, false},
      {"a folder named unins000.exe", {true, folder, folder, true}, false},
      {"another file", {true, other, uninstaller, true}, false},
      {"the same number on another volume", {true, elsewhere, uninstaller, true}, false},
      {"no uninstaller in the folder", {true, uninstaller, std::nullopt, true}, false},
      {"the wait ran out", {true, uninstaller, uninstaller, false}, false},
  };
  for (const auto& c : cases) EXPECT_EQ(!CheckHandshake(c.facts).has_value(), c.goes) << c.what;

  const std::string temp = "C:\\Users\\a\\AppData\\Local\\Temp\\";
  EXPECT_TRUE(InPrivateUninstallFolder(temp + "vanta-uninst-0a1b\\unins000.exe", temp));
  EXPECT_FALSE(InPrivateUninstallFolder("C:\\attacker\\x\\setup.exe", temp));
  EXPECT_FALSE(InPrivateUninstallFolder(temp + "vanta-uninst-\\unins000.exe", temp));
  EXPECT_FALSE(InPrivateUninstallFolder(temp + "vanta-uninst-0a1b\\deeper\\unins000.exe", temp));
  EXPECT_FALSE(InPrivateUninstallFolder(temp + "other-0a1b\\unins000.exe", temp));
}

TEST(AfterInstallTest, TheReadmeIsOpenedOnlyAsTheDesktopsUser) {
  TInstallResult done;
  done.readme = "C:\\Program Files\\My Saver\\Readme.txt";
  TInstallResult failed = done;
  failed.outcome = TInstallOutcome::Failed;
  TInstallResult none;
  const struct {
    const TInstallResult* result;
    bool asked, interactive;
    size_t opens;
  } cases[] = {
      {&done, true, true, 1}, {&done, false, true, 0}, {&done, true, false, 0}, {&failed, true, true, 0}, {&none, true, true, 0},
  };
  for (const auto& c : cases) {
    TRecordingShell shell;
    const std::string line = OpenReadmeAsUser(*c.result, c.asked, c.interactive, shell);
    EXPECT_EQ(shell.opened.size(), c.opens);
    EXPECT_EQ(line.empty(), c.opens == 0);
  }
  TRecordingShell broken;
  broken.works = false;
  EXPECT_NE(OpenReadmeAsUser(done, true, true, broken).find("not opened"), std::string::npos);
}

// The Finished page's programs go to the desktop's shell only, with the
// chosen folders put in: ticked ones, or in silent installs those that
// start ticked and do not skip silence; nothing after a failed install.
TEST(AfterInstallTest, TheFinishedPagesProgramsStartAsTheUserOnly) {
  const std::vector<TPackedRun> run = {
      {*ParseConstText("{sys}\\rundll32.exe", nullptr), *ParseConstText("desk.cpl,InstallScreenSaver {sys}\\A.scr", nullptr), "Make", 0},
      {*ParseConstText("{app}\\A.scr", nullptr), *ParseConstText("/s", nullptr), "Preview", kRunSkipIfSilent},
      {*ParseConstText("{app}\\A.scr", nullptr), {}, "Settings", kRunUnchecked},
  };
  TSetupFolders folders;
  folders.app = "D:\\A";
  folders.sys = "C:\\Windows\\SysWOW64";
  const struct {
    std::vector<bool> ticked;
    bool silent;
    bool shellWorks;
    std::vector<std::string> started;
  } kCases[] = {
      {{true, true, true}, false, true,
       {"C:\\Windows\\SysWOW64\\rundll32.exe desk.cpl,InstallScreenSaver C:\\Windows\\SysWOW64\\A.scr", "D:\\A\\A.scr /s", "D:\\A\\A.scr"}},
      {{false, true, false}, false, true, {"D:\\A\\A.scr /s"}},
      {{true, true, true}, true, true,
       {"C:\\Windows\\SysWOW64\\rundll32.exe desk.cpl,InstallScreenSaver C:\\Windows\\SysWOW64\\A.scr"}},
      {{true}, false, false, {"C:\\Windows\\SysWOW64\\rundll32.exe desk.cpl,InstallScreenSaver C:\\Windows\\SysWOW64\\A.scr"}},
  };
  for (const auto& c : kCases) {
    TRecordingShell shell;
    shell.works = c.shellWorks;
    const std::vector<std::string> lines = RunAfterInstall(TInstallResult{}, run, c.ticked, c.silent, folders, shell);
    EXPECT_EQ(shell.opened, c.started);
    ASSERT_EQ(lines.size(), c.started.size());
    for (const std::string& l : lines) EXPECT_EQ(l.rfind(c.shellWorks ? "Started as the desktop's user" : "Not started", 0), 0u) << l;
  }
  TInstallResult failed;
  failed.outcome = TInstallOutcome::Failed;
  TRecordingShell shell;
  EXPECT_TRUE(RunAfterInstall(failed, run, {true, true, true}, false, folders, shell).empty());
  EXPECT_TRUE(shell.opened.empty());
}

}  // namespace
}  // namespace vanta::build
